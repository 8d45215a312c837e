#pragma once

#include "PdfPageOptions.h"
#include "PdfWriter.h"

class ExportProgress;

// One PDF export as the PDF dialog and the command line run it: PdfWriter with the options'
// layout, and, when they ask for it, recognition on worker threads ahead of the writer, the
// progress told page by page and a cancel heard between pages and while waiting for text.
// Same thread as progress.
class PdfExport
{
public:
    struct Result
    {
        PdfWriter::Result written;
        // Why the engine could not recognise text (then written says Cancelled); empty if it
        // could.
        QString recognitionError;
    };

    static Result write(const QStringList &pages, const QString &outputPath,
                        const PdfPageOptions &options, ExportProgress &progress);
};
