#pragma once

#include <QImage>
#include <QString>

#include <memory>

namespace tesseract {
class TessBaseAPI;
}

// Which way up a page lies, judged from the shapes of its letters.
struct OrientationGuess
{
    // Clockwise degrees, 0, 90, 180 or 270, that make the page upright
    // (QTransform().rotate(turn) applied to the page).
    int turn = 0;
    // False for a picture, a page with too little text, or a doubtful guess; turn is then 0 and
    // the page is best left as it is.
    bool sure = false;
    // The engine's margin of the best way up over the next one (arbitrary units; 0 without
    // text). Kept for diagnostics even when not sure.
    double confidence = 0;
};

// One Tesseract engine with the orientation data ("osd", Debian package tesseract-ocr-osd)
// loaded. Loading takes a while, so a thread keeps its engine for every page it looks at. An
// engine is never shared between threads: one per thread, used by that thread only.
class PageOrientation
{
public:
    // Pages are brought to this resolution, up or down, before the engine looks at them: at
    // 150 dpi small type comes out unsure, 300 dpi costs 1.4 times as much for the same
    // guesses (bench/orientation).
    static constexpr int defaultWorkingDpi = 200;
    // Below this the guess is not sure. At 150 dpi and over no wrong guess came near it; right
    // ones on full text pages went down to 11.5.
    static constexpr double sureConfidence = 10.0;

    // workingDpi other than the default: for measuring only.
    explicit PageOrientation(int workingDpi = defaultWorkingDpi);
    ~PageOrientation();
    PageOrientation(const PageOrientation &) = delete;
    PageOrientation &operator=(const PageOrientation &) = delete;

    // Whether the orientation data are installed in the data folder (any thread).
    static bool available();

    // False with a diagnostic in error when the data cannot be loaded.
    bool load(QString *error = nullptr);
    bool isLoaded() const { return m_loaded; }

    // Any image format. dpi is the page's resolution; 0 takes the one stored in the image.
    // When that is missing, or would make the page larger than A3, the page is taken for an A4
    // one. Not sure when the engine is not loaded or the page is empty.
    OrientationGuess detect(const QImage &page, int dpi = 0);

private:
    std::unique_ptr<tesseract::TessBaseAPI> m_api;
    const int m_workingDpi;
    bool m_loaded = false;
};

// Any thread: detects with an engine of the calling thread's own, loaded at the thread's first
// call and kept until the thread ends. Not sure (turn 0) when the data are missing.
OrientationGuess detectOrientation(const QImage &page, int dpi = 0);
