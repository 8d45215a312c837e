#include "PageOrientation.h"

#include "OcrLanguages.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <cstring>

#include <leptonica/allheaders.h>
#include <omp.h>
#include <tesseract/baseapi.h>

Q_LOGGING_CATEGORY(lcOrientation, "quillary.ocr.orientation")

namespace {
const QLatin1String dataFile("osd.traineddata");

// A4's long side and A3's, in inches: what a page without a credible resolution is taken for,
// and the largest page a stored resolution may describe.
constexpr double a4Long = 11.69;
constexpr double a3Long = 16.54;

int credibleDpi(const QImage &page, int dpi)
{
    if (dpi <= 0)
        dpi = qRound(page.dotsPerMeterY() * 0.0254);
    const int longSide = qMax(page.width(), page.height());
    // Photographs and screenshots store 72 or 96 dpi whatever they show.
    if (dpi < 70 || longSide > a3Long * dpi)
        dpi = qMax(70, qRound(longSide / a4Long));
    return dpi;
}

// The engine reads the resolution from the picture itself when it looks for rules to set
// aside; given only through SetSourceResolution it takes 70 dpi there.
Pix *toPix(const QImage &grey, int dpi)
{
    Pix *pix = pixCreate(grey.width(), grey.height(), 8);
    l_uint32 *data = pixGetData(pix);
    const int wpl = pixGetWpl(pix);
    for (int y = 0; y < grey.height(); ++y)
        std::memcpy(data + y * wpl, grey.constScanLine(y), size_t(grey.width()));
    // Leptonica keeps the bytes of a row in the order of its 32-bit words.
    pixEndianByteSwap(pix);
    pixSetResolution(pix, dpi, dpi);
    return pix;
}
} // namespace

PageOrientation::PageOrientation(int workingDpi)
    : m_api(std::make_unique<tesseract::TessBaseAPI>()), m_workingDpi(workingDpi)
{
}

PageOrientation::~PageOrientation()
{
    m_api->End();
}

bool PageOrientation::available()
{
    return QFile::exists(QDir(OcrLanguages::dataFolder()).filePath(dataFile));
}

bool PageOrientation::load(QString *error)
{
    m_loaded = false;
    if (!available()) {
        if (error)
            *error = QStringLiteral("no orientation data (%1)").arg(dataFile);
        return false;
    }
    const QByteArray folder = QFile::encodeName(OcrLanguages::dataFolder());
    // The orientation data hold the older classifier only.
    if (m_api->Init(folder.constData(), "osd", tesseract::OEM_TESSERACT_ONLY) != 0) {
        if (error)
            *error = QStringLiteral("the engine could not load the orientation data");
        qCWarning(lcOrientation) << "cannot load osd from" << folder;
        return false;
    }
    m_api->SetPageSegMode(tesseract::PSM_OSD_ONLY);
    m_loaded = true;
    return true;
}

OrientationGuess PageOrientation::detect(const QImage &page, int dpi)
{
    OrientationGuess guess;
    if (!m_loaded || page.isNull())
        return guess;
    dpi = credibleDpi(page, dpi);
    QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    if (dpi > m_workingDpi) {
        grey = grey.scaled(qMax(1, grey.width() * m_workingDpi / dpi),
                           qMax(1, grey.height() * m_workingDpi / dpi), Qt::IgnoreAspectRatio,
                           Qt::SmoothTransformation);
        dpi = m_workingDpi;
    }
    Pix *pix = toPix(grey, dpi);
    m_api->SetImage(pix);
    pixDestroy(&pix); // the engine holds its own reference
    m_api->SetSourceResolution(dpi);
    // As for recognition: one thread per engine, pages in parallel instead.
    omp_set_max_active_levels(0);

    int degrees = 0;
    float confidence = 0, scriptConfidence = 0;
    const char *script = nullptr;
    // False for a page without enough letter-like shapes.
    const bool found =
        m_api->DetectOrientationScript(&degrees, &confidence, &script, &scriptConfidence);
    m_api->Clear();
    if (!found)
        return guess;
    guess.confidence = confidence;
    guess.sure = confidence >= sureConfidence;
    // The engine names the clockwise turn the page has; undoing it is the turn the other way.
    if (guess.sure)
        guess.turn = (360 - degrees % 360) % 360;
    return guess;
}

OrientationGuess detectOrientation(const QImage &page, int dpi)
{
    thread_local PageOrientation engine;
    thread_local bool tried = false;
    if (!tried) {
        tried = true;
        QString error;
        if (!engine.load(&error))
            qCWarning(lcOrientation) << "page orientation:" << error;
    }
    return engine.detect(page, dpi);
}
