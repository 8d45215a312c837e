#include "FakeScannerLibrary.h"

namespace {
DibBuffer dibOf(const QImage &picture, bool withResolution)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    DibBuffer::Header header;
    header.width = rgb.width();
    header.height = rgb.height();
    header.bitCount = 24;
    if (withResolution) {
        header.xPixelsPerMeter = rgb.dotsPerMeterX();
        header.yPixelsPerMeter = rgb.dotsPerMeterY();
    }
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
} // namespace

DibBuffer FakeScannerLibrary::page(QRgb colour, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB888);
    picture.fill(colour);
    return dibOf(picture, false);
}

DibBuffer FakeScannerLibrary::pageOf(const QImage &picture)
{
    return dibOf(picture, true);
}

const DibBuffer *FakeScannerLibrary::acquirePage(int colourMode)
{
    record("acquirePage", colourMode);
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
    record("releasePage", number);
    if (number > 0 && !m_released.at(number - 1)) {
        m_released[number - 1] = true;
        --m_outstanding;
    }
}

bool FakeScannerLibrary::transferEnded()
{
    record("transferEnded()");
    return m_next >= m_script.size() || m_emptyAfter.contains(m_next);
}
