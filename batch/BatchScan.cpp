#include "BatchScan.h"

#include "ConsoleProgress.h"
#include "DibBuffer.h"
#include "HImage.h"
#include "SaneScannerLibrary.h"

#include <QCoreApplication>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("BatchScan", text);
}

bool interrupted()
{
    return ConsoleProgress::interruptSignal() != 0;
}
} // namespace

BatchFailure scanPages(const ScanRequest &request,
                       const std::function<bool(const QImage &page, BatchFailure *failure)> &take)
{
    const QString subject = request.device.isEmpty() ? tr("scanner") : request.device;
    SaneScannerLibrary library;
    library.setDevice(request.device);
    if (!library.open())
        return BatchFailure::failed(subject, library.errorText());
    const int wanted =
        request.pages > 0 ? request.pages : (request.feeder ? ScannerLibrary::AllPages : 1);
    library.setFeederEnabled(request.feeder);
    library.setTransferCount(wanted);
    library.setMultipleTransfer(wanted != 1);
    library.setResolution(request.resolution);
    // Called while a page arrives: a Ctrl+C stops it there, not at the end of the sheet.
    library.setProgressHandler([&library](int) {
        if (interrupted())
            library.cancel();
    });

    int scanned = 0;
    BatchFailure failure;
    while (!failure) {
        if (interrupted())
            library.cancel();
        const DibBuffer *dib = library.acquirePage(request.colourMode);
        if (!dib)
            break;
        const HImage page(*dib);
        library.releasePage(dib);
        if (page.isNull()) {
            failure =
                BatchFailure::failed(subject, tr("the scanner sent a page that cannot be read"));
        } else if (take(page, &failure)) {
            ++scanned;
        }
        if (failure)
            library.cancel();
        // Asked after a cancel too: that is where the library lets go of the device.
        if (library.transferEnded())
            break;
    }
    if (request.feeder)
        library.endFeederRun();
    if (failure)
        return failure;
    if (interrupted())
        return {BatchFailure::Interrupted, QString(), tr("interrupted")};
    if (library.hasError())
        return BatchFailure::failed(subject, library.errorText());
    if (scanned == 0)
        return BatchFailure::failed(subject, tr("no page was scanned"));
    return {};
}
