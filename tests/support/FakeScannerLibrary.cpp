#include "FakeScannerLibrary.h"

namespace {
// A driver's bitmap: Qt's BMP file without its file header, rows bottom-up, 24 bits a pixel.
DibBuffer dibOf(const QImage &picture, bool withResolution)
{
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    picture.convertToFormat(QImage::Format_RGB32).save(&file, "BMP");
    QByteArray dib = file.data().mid(14);
    if (!withResolution)
        dib.replace(24, 8, QByteArray(8, '\0'));
    return DibBuffer(dib);
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
    return m_handedOut.last().get();
}

void FakeScannerLibrary::releasePage(const DibBuffer *page)
{
    const auto found = std::find_if(m_handedOut.cbegin(), m_handedOut.cend(),
                                    [page](const auto &given) { return given.get() == page; });
    const int number = found == m_handedOut.cend() ? 0 : int(found - m_handedOut.cbegin()) + 1;
    record("releasePage", number);
    if (number > 0)
        m_released[number - 1] = true;
}

bool FakeScannerLibrary::transferEnded()
{
    record("transferEnded()");
    return m_next >= m_script.size() || m_emptyAfter.contains(m_next);
}
