#include "FakeScannerLibrary.h"

DibBuffer FakeScannerLibrary::page(QRgb colour, int width, int height)
{
    DibBuffer::Header header;
    header.width = width;
    header.height = height;
    header.bitCount = 24;
    const qint64 stride = DibBuffer::bytesPerLine(width, 24);
    QByteArray pixels(stride * height, '\0');
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            char *pixel = pixels.data() + y * stride + 3 * x;
            pixel[0] = char(qBlue(colour));
            pixel[1] = char(qGreen(colour));
            pixel[2] = char(qRed(colour));
        }
    }
    return DibBuffer::create(header, {}, {}, pixels);
}

DibBuffer FakeScannerLibrary::pageOf(const QImage &picture)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    DibBuffer::Header header;
    header.width = rgb.width();
    header.height = rgb.height();
    header.bitCount = 24;
    header.xPixelsPerMeter = rgb.dotsPerMeterX();
    header.yPixelsPerMeter = rgb.dotsPerMeterY();
    const qint64 stride = DibBuffer::bytesPerLine(rgb.width(), 24);
    QByteArray pixels(stride * rgb.height(), '\0');
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar *line = rgb.constScanLine(rgb.height() - 1 - y);
        char *row = pixels.data() + y * stride;
        for (int x = 0; x < rgb.width(); ++x) {
            row[3 * x] = char(line[3 * x + 2]);
            row[3 * x + 1] = char(line[3 * x + 1]);
            row[3 * x + 2] = char(line[3 * x]);
        }
    }
    return DibBuffer::create(header, {}, {}, pixels);
}

FakeScannerLibrary::FakeScannerLibrary(QStringList names) : m_names(std::move(names))
{
}

void FakeScannerLibrary::setPages(const QList<std::optional<DibBuffer>> &pages)
{
    m_script = pages;
    m_next = 0;
}

void FakeScannerLibrary::reportProgress(int percent)
{
    if (m_progress)
        m_progress(percent);
}

QStringList FakeScannerLibrary::sourceNames()
{
    record(QStringLiteral("sourceNames()"));
    return m_names;
}

bool FakeScannerLibrary::selectSource(QWidget *)
{
    record(QStringLiteral("selectSource()"));
    return m_selectResult;
}

void FakeScannerLibrary::setDriverDialogShown(bool shown)
{
    record(QStringLiteral("setDriverDialogShown(%1)").arg(int(shown)));
}

void FakeScannerLibrary::setAutoContrast(bool on)
{
    record(QStringLiteral("setAutoContrast(%1)").arg(int(on)));
}

bool FakeScannerLibrary::open()
{
    record(QStringLiteral("open()"));
    return m_opens;
}

void FakeScannerLibrary::setFeederEnabled(bool on)
{
    record(QStringLiteral("setFeederEnabled(%1)").arg(int(on)));
}

void FakeScannerLibrary::setDuplex(bool on)
{
    record(QStringLiteral("setDuplex(%1)").arg(int(on)));
}

void FakeScannerLibrary::setTransferCount(int count)
{
    record(QStringLiteral("setTransferCount(%1)").arg(count));
}

void FakeScannerLibrary::setMultipleTransfer(bool on)
{
    record(QStringLiteral("setMultipleTransfer(%1)").arg(int(on)));
}

void FakeScannerLibrary::setResolution(double dpi)
{
    record(QStringLiteral("setResolution(%1)").arg(dpi));
}

const DibBuffer *FakeScannerLibrary::acquirePage(int colourMode)
{
    record(QStringLiteral("acquirePage(%1)").arg(colourMode));
    if (m_onAcquire)
        m_onAcquire();
    if (m_next >= m_script.size())
        return nullptr;
    const std::optional<DibBuffer> &scripted = m_script.at(m_next++);
    if (!scripted)
        return nullptr;
    m_handedOut << std::make_shared<DibBuffer>(*scripted);
    m_released << false;
    ++m_outstanding;
    return m_handedOut.last().get();
}

void FakeScannerLibrary::releasePage(const DibBuffer *page)
{
    int number = 0;
    for (int i = 0; i < m_handedOut.size(); ++i) {
        if (m_handedOut.at(i).get() == page)
            number = i + 1;
    }
    record(QStringLiteral("releasePage(%1)").arg(number));
    if (number > 0 && !m_released.at(number - 1)) {
        m_released[number - 1] = true;
        --m_outstanding;
    }
}

bool FakeScannerLibrary::transferEnded()
{
    record(QStringLiteral("transferEnded()"));
    return m_next >= m_script.size() || m_emptyAfter.contains(m_next);
}

void FakeScannerLibrary::endFeederRun()
{
    record(QStringLiteral("endFeederRun()"));
}

bool FakeScannerLibrary::hasError() const
{
    record(QStringLiteral("hasError()"));
    return m_error;
}

QString FakeScannerLibrary::errorText() const
{
    return m_error ? QStringLiteral("Fake scanner failure.") : QString();
}

void FakeScannerLibrary::cancel()
{
    record(QStringLiteral("cancel()"));
}

void FakeScannerLibrary::setProgressHandler(ProgressHandler handler)
{
    m_progress = std::move(handler);
}
