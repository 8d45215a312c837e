#pragma once

#include <QImage>
#include <QList>
#include <QString>

// How a processing run finds the page processor and how long it waits for it. The defaults
// are the program's; tests put in a fake processor and a short limit.
struct PageProcessingOptions
{
    // The processor to run; empty: defaultPageProcessor().
    QString processor;
    // After this long the processor is killed and the page goes in unprocessed.
    int timeLimitMs = 180000;
    // The folder the run works in; empty: "Processing" in the per-user data location. The
    // command line gives its own, so that it never meets a window's files.
    QString workFolder = QString();
    // Cut to the content with white margins, as scanned pages always are.
    bool margins = true;
    // Even out the illumination: -1 as the "AutoContrast" setting says, else 0 or 1.
    int illumination = -1;
};

// quillary-pageproc beside this program's executable if that file exists, else
// scantailor-cli on PATH (it takes the same arguments); empty when there is neither.
QString defaultPageProcessor();

// What a processing run gives back.
struct ProcessedPages
{
    // The pages for the document, in order.
    QList<QImage> pages;
    // Empty when the processor did its work (or there is none); else one short sentence for
    // the user saying why the scan went in unprocessed.
    QString problem;
};

// Cleans a scanned page with the page processor: deskew, margins, illumination (setting
// "AutoContrast", never for black and white), colour mode; in book mode the spread is turned
// a quarter turn left and split into its left and right page.
//
// Works in the "Processing" and "Processing/output" folders of the per-user data location,
// whose files are deleted at the start of every run (sub-folders stay); the files of a run
// stay there until the next one. A run whose old files can't be deleted doesn't start the
// processor, so an earlier result is never taken for this one.
//
// The processor's pages count only when it exits 0 and every page it promised (the page, or
// both halves of a spread) can be read. In every other case (it is missing, can't be started,
// fails, crashes, runs out of time, writes too little) pages holds the unprocessed page alone,
// a spread as one page, so no scan and no half of one is lost; problem says why, except for a
// missing processor. pages is empty only for a null page.
//
// GUI thread only: waits for the processor in a local event loop, so the window (and the
// waiting dialog) stays alive and every other event is delivered meanwhile.
ProcessedPages processScannedPage(const QImage &page, bool book, bool blackAndWhite,
                                  const PageProcessingOptions &options = {});
