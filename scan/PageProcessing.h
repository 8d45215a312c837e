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
    // After this long the processor is killed and whatever it wrote is used.
    int timeLimitMs = 180000;
};

// quillary-pageproc beside this program's executable if that file exists, else
// scantailor-cli on PATH (it takes the same arguments); empty when there is neither.
QString defaultPageProcessor();

// Cleans a scanned page with the page processor: deskew, margins, illumination (setting
// "AutoContrast", never for black and white), colour mode; in book mode the spread is turned
// a quarter turn left and split into its left and right page.
//
// Works in the "Processing" and "Processing/output" folders of the per-user data location,
// whose files are deleted at the start of every run (sub-folders stay); the files of a run
// stay there until the next one.
//
// Returns the processed page, or the left and then the right page of a spread (either may
// be missing when the processor wrote only one). Whenever the processor is missing, can't
// be started, runs out of time without a result or writes no result, the list holds the
// unprocessed page alone, so no scan is lost. Empty only for a null page.
//
// GUI thread only: waits for the processor in a local event loop, so the window (and the
// waiting dialog) stays alive and every other event is delivered meanwhile.
QList<QImage> processScannedPage(const QImage &page, bool book, bool blackAndWhite,
                                 const PageProcessingOptions &options = {});
