#include "PageOrientation.h"

#include "OcrLanguages.h"

#include <QCoreApplication>
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

// The page in grey at workingDpi, its resolution in the picture itself: the engine reads it
// from there when it looks for rules to set aside (given only through SetSourceResolution it
// takes 70 dpi there).
Pix *workingCopy(const QImage &page, int dpi, int workingDpi)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    Pix *pix = pixCreate(grey.width(), grey.height(), 8);
    l_uint32 *data = pixGetData(pix);
    const int wpl = pixGetWpl(pix);
    for (int y = 0; y < grey.height(); ++y)
        std::memcpy(data + y * wpl, grey.constScanLine(y), size_t(grey.width()));
    // Leptonica keeps the bytes of a row in the order of its 32-bit words.
    pixEndianByteSwap(pix);
    // Smaller pages are enlarged too: on 100 and 125 dpi pages as they were, the engine turned
    // a fifth of them the wrong way, some with confidence to spare; enlarged, none. Leptonica's
    // scaling costs a tenth of QImage's smooth one, which took more time than the detection
    // saved on the smaller page.
    if (qAbs(dpi - workingDpi) * 10 > workingDpi) {
        const float factor = float(workingDpi) / float(dpi);
        if (Pix *scaled = pixScale(pix, factor, factor)) {
            pixDestroy(&pix);
            pix = scaled;
            dpi = workingDpi;
        }
    }
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
            *error = QCoreApplication::translate("PageOrientation", "no orientation data (%1)")
                         .arg(dataFile);
        return false;
    }
    const QByteArray folder = QFile::encodeName(OcrLanguages::dataFolder());
    // The orientation data hold the older classifier only.
    if (m_api->Init(folder.constData(), "osd", tesseract::OEM_TESSERACT_ONLY) != 0) {
        if (error)
            *error = QCoreApplication::translate("PageOrientation",
                                                 "the engine could not load the orientation data");
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
    Pix *pix = workingCopy(page, credibleDpi(page, dpi), m_workingDpi);
    m_api->SetImage(pix);
    m_api->SetSourceResolution(pixGetYRes(pix));
    pixDestroy(&pix); // the engine holds its own reference
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
