#pragma once

#include "OcrPage.h"

#include <QImage>
#include <QString>

#include <atomic>
#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// One Tesseract engine with its languages loaded. Loading takes a while, so a worker keeps
// its engine for every page it takes. An engine is never shared between threads: one per
// thread, used by that thread only.
class OcrEngine
{
public:
    OcrEngine();
    ~OcrEngine();
    OcrEngine(const OcrEngine &) = delete;
    OcrEngine &operator=(const OcrEngine &) = delete;

    // languages as "eng+rus". False with a diagnostic in error when the data cannot be loaded.
    bool load(const QString &languages, QString *error = nullptr);
    bool isLoaded() const { return m_loaded; }

    // Recognises the whole image at its own resolution (dpi as stored in the image when 0).
    // cancelled is polled while the engine works; a cancelled page comes back empty.
    OcrPage recognise(const QImage &image, int dpi = 0,
                      const std::atomic<bool> *cancelled = nullptr);

    // How many pages all engines of the process have recognised; the cache is measured by it.
    static int recognitionCount();

private:
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    bool m_loaded = false;
};
