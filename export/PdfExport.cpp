#include "PdfExport.h"

#include "ExportProgress.h"
#include "OcrQueue.h"

#include <QCoreApplication>

#include <memory>

PdfExport::Result PdfExport::write(const QStringList &pages, const QString &outputPath,
                                   const PdfPageOptions &options, ExportProgress &progress)
{
    // Recognition runs on worker threads ahead of the writer; this thread only waits for the
    // next page's words, handling events so that a cancel is heard.
    std::unique_ptr<OcrQueue> recognition;
    PdfWriter::PageText pageText;
    if (options.recognise) {
        recognition = std::make_unique<OcrQueue>(pages, options.languages);
        pageText = [&progress, &recognition](int index, OcrPage *text) {
            progress.setRecognisingPhase(index + 1);
            return recognition->take(index, text, [&progress] {
                QCoreApplication::processEvents();
                return !progress.isCancelRequested();
            }) == OcrQueue::Status::Ready;
        };
    }
    Result result;
    result.written = PdfWriter(options).write(
        pages, outputPath,
        [&progress](int index) {
            progress.setWritingPhase(index + 1);
            QCoreApplication::processEvents();
            return !progress.isCancelRequested();
        },
        pageText);
    result.recognitionError = recognition ? recognition->error() : QString();
    return result;
}
