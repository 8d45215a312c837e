#include "ScannerLibrary.h"

bool ScannerLibrary::selectSource(QWidget *)
{
    return false;
}

QString ScannerLibrary::currentSourceName()
{
    return sourceNames().value(0);
}

void ScannerLibrary::setDriverDialogShown(bool)
{
}

void ScannerLibrary::setAutoContrast(bool)
{
}

bool ScannerLibrary::open()
{
    return false;
}

void ScannerLibrary::setFeederEnabled(bool)
{
}

void ScannerLibrary::setDuplex(bool)
{
}

bool ScannerLibrary::offersDuplex()
{
    return false;
}

void ScannerLibrary::setTransferCount(int)
{
}

void ScannerLibrary::setMultipleTransfer(bool)
{
}

void ScannerLibrary::setScanArea(const QRectF &)
{
}

bool ScannerLibrary::scanAreaApplied() const
{
    return false;
}

void ScannerLibrary::setResolution(double)
{
}

const DibBuffer *ScannerLibrary::acquirePage(int)
{
    return nullptr;
}

void ScannerLibrary::releasePage(const DibBuffer *)
{
}

bool ScannerLibrary::transferEnded()
{
    return true;
}

void ScannerLibrary::endFeederRun()
{
}

bool ScannerLibrary::hasError() const
{
    return false;
}

QString ScannerLibrary::errorText() const
{
    return {};
}

void ScannerLibrary::cancel()
{
}

void ScannerLibrary::setProgressHandler(ProgressHandler)
{
}
