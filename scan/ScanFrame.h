#pragma once

#include <QFrame>

class QImage;

// The scanner session as the window sees it: a frame shown in the work area while pages
// are scanned. GUI thread only.
class ScanFrame : public QFrame
{
    Q_OBJECT

public:
    using QFrame::QFrame;

    // Runs one acquisition; returns when it has ended.
    virtual void scan() = 0;
    // The page last acquired, owned by the session; may be null, or a null image when the
    // scanner's bitmap could not be read.
    virtual QImage *image() const = 0;
    // Colour-mode mask for the next scan: 1 black-and-white, 2 grey, 4 colour.
    virtual void setColorMode(int mode) = 0;
    // Resolution in dots per inch for the next scan.
    virtual void setResolution(int dpi) = 0;
    // 1 before a single scan, 0 before a scan of an automatic run.
    virtual void setSingleScan(int on) = 0;
    // 1 when a user is at the window for this scan, 0 during automatic scanning.
    virtual void setInteractive(int on) = 0;
};
