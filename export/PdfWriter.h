#pragma once

#include "OcrPage.h"
#include "PdfPageOptions.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <functional>

// Writes page image files into one PDF, one image per page, laid out by PdfLayout: JPEG
// pages are embedded byte for byte, Group 4 TIFF pages as their fax code unchanged, other
// 1-bit TIFF pages as 1-bit images. No widgets.
//
// Pages are streamed: each image goes to the file as soon as its page is done, so memory
// stays the same whatever the page count. The file is written through QSaveFile and
// replaces an existing one only when complete: a failed or cancelled export leaves the old
// file as it was and no partial file behind.
//
// With a PageText source every page also gets the recognised words as invisible text over
// its picture (PdfTextLayer); without one the file is the same as ever, byte for byte.
// Any thread, one write at a time per instance.
class PdfWriter
{
    Q_DECLARE_TR_FUNCTIONS(PdfWriter)

public:
    enum class Outcome
    {
        Written,
        NothingToWrite,  // no pages: no file touched
        Cancelled,       // pageStarted said stop
        UnsupportedPage, // a page file that is neither "jpg" nor "tiff"
        UnreadablePage,  // a page file the PDF library could not load
        CannotWrite,     // the output could not be created, written or put in place
    };

    struct Result
    {
        Outcome outcome = Outcome::NothingToWrite;
        // The output for Written and CannotWrite; the page file for the page failures.
        QString path;
        // Diagnostic detail, not for the user.
        QString detail;
        // For the user, for the page failures: which page could not be read and why.
        QString message;
    };

    // Called before page index (0-based) is written; returning false cancels the export.
    using PageStarted = std::function<bool(int index)>;

    // Gives the words of page index, waiting for them if need be; false cancels the export.
    using PageText = std::function<bool(int index, OcrPage *text)>;

    explicit PdfWriter(const PdfPageOptions &options);

    Result write(const QStringList &pages, const QString &outputPath,
                 const PageStarted &pageStarted = PageStarted(),
                 const PageText &pageText = PageText()) const;

private:
    PdfPageOptions m_options;
};
