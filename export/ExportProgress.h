#pragma once

#include <QObject>

// What an export tells while it runs, and how it hears of a cancel: the window's progress
// dialogs (DialogProgress) and the command line's progress lines both take these calls, so
// the exporters run the same code under either. Same thread as the export.
class ExportProgress : public QObject
{
    Q_OBJECT

public:
    // Before the first page: cancel not yet possible.
    virtual void setCreatingPhase() = 0;
    // page (1-based) is being written.
    virtual void setWritingPhase(int page) = 0;
    // Waiting for the text of page (1-based) to be recognised.
    virtual void setRecognisingPhase(int page) = 0;
    // The export is over, whatever its outcome.
    virtual void finish() = 0;
    virtual bool isCancelRequested() const = 0;

signals:
    // A cancel came in; exporters waiting in an event loop stop at once.
    void cancelled();
};
