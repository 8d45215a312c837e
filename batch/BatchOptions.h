#pragma once

#include "BatchScan.h"
#include "PdfPageOptions.h"

#include <QString>
#include <QStringList>

// What one run of the command line is asked to do, read from its arguments. Any thread.
struct BatchOptions
{
    enum class Format
    {
        Pdf,
        Docx,
        Djvu,
        Images,
    };

    QStringList inputs;
    // Pages from a scanner, after those of the inputs.
    ScanRequest scan;
    QString output;
    Format format = Format::Pdf;

    // PDF: paper, orientation, fit, margins and text recognition, as the PDF dialog has them.
    PdfPageOptions pdf;
    // Image folder: one of ImageFolderWriter::formats(), and the JPEG quality.
    QString imageFormat = QStringLiteral("jpg");
    int imageQuality = 0;
    // DjVu: the wavelet encoder's size target in percent; 0 the stored setting.
    int djvuPercent = 0;

    // The page processor: whether it runs, and with what.
    bool process = false;
    bool split = false;
    bool blackAndWhite = false;
    bool margins = false;
    int illumination = 0; // as PageProcessingOptions::illumination

    bool quiet = false;
    bool json = false;

    static QString formatName(Format format);
};

struct ParsedBatchOptions
{
    BatchOptions options;
    bool help = false;
    bool version = false;
    // Empty when the arguments are valid; else one line saying what is wrong.
    QString error;
    QString helpText;
};

// arguments: the whole command line, the program name first.
ParsedBatchOptions parseBatchOptions(const QStringList &arguments);
