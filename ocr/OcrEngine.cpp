#include "OcrEngine.h"

#include "OcrLanguages.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>

#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/ocrclass.h>
#include <tesseract/resultiterator.h>

Q_LOGGING_CATEGORY(lcOcr, "quillary.ocr")

namespace {
std::atomic<int> recognised{0};

// Tesseract parallelises inside a page with OpenMP; with one engine per core that only
// oversubscribes the machine (pages ran several times slower). No OpenMP region started from
// the calling thread becomes active after this: the setting belongs to each thread, so every
// thread that recognises makes it.
void singleThreaded()
{
    omp_set_max_active_levels(0);
}

bool isCancelled(void *flag, int)
{
    return static_cast<const std::atomic<bool> *>(flag)->load();
}

QString takeText(char *text)
{
    const QString result = QString::fromUtf8(text).trimmed();
    delete[] text;
    return result;
}
} // namespace

OcrEngine::OcrEngine() : m_api(std::make_unique<tesseract::TessBaseAPI>())
{
}

OcrEngine::~OcrEngine()
{
    m_api->End();
}

bool OcrEngine::load(const QString &languages, QString *error)
{
    m_loaded = false;
    const QStringList absent = OcrLanguages::missing(languages);
    if (!absent.isEmpty()) {
        if (error)
            *error = QCoreApplication::translate("OcrEngine", "no data for %1")
                         .arg(absent.join(QLatin1String(", ")));
        return false;
    }
    const QByteArray folder = QFile::encodeName(OcrLanguages::dataFolder());
    const QByteArray codes = languages.toUtf8();
    // The neural network alone: loading the older classifier as well costs memory and time
    // for no better text. Data that lack the network still load the way they can.
    if (m_api->Init(folder.constData(), codes.constData(), tesseract::OEM_LSTM_ONLY) != 0 &&
        m_api->Init(folder.constData(), codes.constData(), tesseract::OEM_DEFAULT) != 0) {
        if (error)
            *error = QCoreApplication::translate("OcrEngine", "the engine could not load %1")
                         .arg(languages);
        qCWarning(lcOcr) << "cannot load" << languages << "from" << folder;
        return false;
    }
    // The library's own default reads one block; pages have columns, headings and captions.
    m_api->SetPageSegMode(tesseract::PSM_AUTO);
    m_loaded = true;
    return true;
}

OcrPage OcrEngine::recognise(const QImage &image, int dpi, const std::atomic<bool> *cancelled)
{
    OcrPage page;
    page.imageSize = image.size();
    if (!m_loaded || image.isNull())
        return page;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    if (dpi <= 0)
        dpi = qRound(image.dotsPerMeterX() * 0.0254);
    m_api->SetImage(grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    // Without it the engine guesses the resolution from the text size and may misjudge it.
    if (dpi >= 70)
        m_api->SetSourceResolution(dpi);

    tesseract::ETEXT_DESC monitor;
    if (cancelled) {
        monitor.cancel = &isCancelled;
        monitor.cancel_this = const_cast<std::atomic<bool> *>(cancelled);
    }
    singleThreaded();
    recognised.fetch_add(1);
    const int status = m_api->Recognize(&monitor);
    if (status != 0 || (cancelled && cancelled->load())) {
        m_api->Clear();
        return page;
    }

    std::unique_ptr<tesseract::ResultIterator> it(m_api->GetIterator());
    if (it) {
        const tesseract::PageIteratorLevel level = tesseract::RIL_WORD;
        do {
            if (it->Empty(level))
                continue;
            OcrWord word;
            word.text = takeText(it->GetUTF8Text(level));
            int left = 0, top = 0, right = 0, bottom = 0;
            if (word.text.isEmpty() || !it->BoundingBox(level, &left, &top, &right, &bottom))
                continue;
            word.box = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
            int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
            if (it->Baseline(level, &x1, &y1, &x2, &y2))
                word.baseline = QLineF(x1, y1, x2, y2);
            float height = 0, descenders = 0, ascenders = 0;
            // The row's height runs from its descenders (negative) to its ascenders.
            it->RowAttributes(&height, &descenders, &ascenders);
            word.ascent = qMax(0.0f, height + descenders);
            word.descent = qMax(0.0f, -descenders);
            word.endsLine = it->IsAtFinalElement(tesseract::RIL_TEXTLINE, level);
            page.words.append(word);
        } while (it->Next(level));
    }
    m_api->Clear();
    return page;
}

int OcrEngine::recognitionCount()
{
    return recognised.load();
}
