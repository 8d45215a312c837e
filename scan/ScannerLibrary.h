#pragma once

#include <QRectF>
#include <QString>
#include <QStringList>

#include <functional>

class DibBuffer;
class QWidget;

// The scanner library the program talks to: SANE on a real system, a scripted fake in tests.
// Its operations are the steps a scan run takes, in the order the scanner session calls them:
// driver dialog and auto-contrast choices, open, feeder, transfer count, resolution, then
// acquire / release / end-of-transfer per page, the feeder end and the error query.
//
// GUI thread only. The scanner session (or, before it exists, the window) owns the library
// object for the whole run of the program. Pages handed out stay the library's until they
// are given back with releasePage().
//
// Every operation except sourceNames() has a default that behaves like a library that
// reaches no scanner, so a test double only overrides what it scripts.
class ScannerLibrary
{
public:
    // Progress of the acquisition running now, in percent (0 when a page starts).
    using ProgressHandler = std::function<void(int percent)>;
    // setTransferCount(): as many pages as the scanner delivers.
    static constexpr int AllPages = -1;

    virtual ~ScannerLibrary() = default;

    // Names of every scanner source the library can reach, in the library's order.
    virtual QStringList sourceNames() = 0;
    // Lets the user pick the scanner to use, in a dialog over parent; the choice is kept
    // for later runs. True when the user confirmed a choice.
    virtual bool selectSource(QWidget *parent);
    // Name of the scanner a run would use now, as sourceNames() gives it; empty when none
    // is reachable. By default the first one.
    virtual QString currentSourceName();

    // Whether the scanner driver's own settings dialog is shown before a scan.
    virtual void setDriverDialogShown(bool shown);
    // Automatic contrast adjustment by the library or the device, when it offers one.
    virtual void setAutoContrast(bool on);

    // Opens the chosen scanner (or the first one). False when that fails; hasError() then
    // tells whether the user should be told.
    virtual bool open();
    virtual void setFeederEnabled(bool on);
    // With the feeder: both sides of every sheet, front before back.
    virtual void setDuplex(bool on);
    // Whether the scanner a run would use has a feeder that scans both sides.
    virtual bool offersDuplex();
    // 1 for one page, AllPages for every page the scanner delivers.
    virtual void setTransferCount(int count);
    // Companion of the transfer count: true when more than one page may be transferred.
    virtual void setMultipleTransfer(bool on);
    virtual void setResolution(double dpi);
    // The part of the glass to scan, in millimetres from its top left corner; an empty
    // rectangle scans all of it. A device that cannot scan a part scans all of it, and
    // scanAreaApplied() then says so after the first page.
    virtual void setScanArea(const QRectF &millimetres);
    virtual bool scanAreaApplied() const;

    // Acquires one page in the colour mode (1 black-and-white, 2 grey, 4 colour). The page
    // stays owned by the library until releasePage(); nullptr when nothing was acquired
    // (cancelled, feeder empty, device error).
    virtual const DibBuffer *acquirePage(int colourMode);
    virtual void releasePage(const DibBuffer *page);
    // True when no further page will come in this run.
    virtual bool transferEnded();
    // Called once after a feeder run.
    virtual void endFeederRun();
    // True when the run failed in a way the user should be told about.
    virtual bool hasError() const;
    // User wording of the last failure; empty when there was none.
    virtual QString errorText() const;

    // Asks the running acquisition to stop as soon as it can; it then acquires nothing.
    virtual void cancel();
    // Called during acquirePage() as the page arrives; may be empty.
    virtual void setProgressHandler(ProgressHandler handler);
};
