#include "Skew.h"

#include <cmath>

namespace {
constexpr double Pi = 3.14159265358979323846;
// Pages come off a flatbed or a feeder at a few degrees at most.
constexpr float SweepRange = 7.0f;
constexpr float SweepStep = 1.0f;
// Below this ratio of best to worst score there are no text lines to speak of.
constexpr float MinConfidence = 2.5f;
// Rotating by less than this moves no pixel on an A3 page at 600 dpi.
constexpr double MinDegrees = 0.005;
} // namespace

double findSkewDegrees(PIX *ink, int dpi)
{
    // Coarse sweep at about 75 dpi, then halving searches at about 150 dpi and a last
    // refinement at full resolution around the answer.
    const int search = dpi >= 250 ? 2 : 1;
    const int sweep = dpi >= 450 ? 8 : dpi >= 250 ? 4 : dpi >= 120 ? 2 : 1;
    l_float32 angle = 0.0f;
    l_float32 confidence = 0.0f;
    if (pixFindSkewSweepAndSearch(ink, &angle, &confidence, sweep, search, SweepRange, SweepStep,
                                  0.01f) != 0 ||
        confidence < MinConfidence)
        return 0.0;
    if (search > 1) {
        l_float32 fine = 0.0f;
        l_float32 fineConfidence = 0.0f;
        l_float32 score = 0.0f;
        if (pixFindSkewSweepAndSearchScore(ink, &fine, &fineConfidence, &score, 1, 1, angle, 0.15f,
                                           0.05f, 0.005f) == 0 &&
            std::fabs(fine - angle) < 0.15f)
            angle = fine;
    }
    return angle;
}

PixPtr rotateWithWhiteFill(PIX *pix, double degrees)
{
    if (std::fabs(degrees) < MinDegrees)
        return PixPtr(pixCopy(nullptr, pix));
    const auto radians = static_cast<l_float32>(degrees * Pi / 180.0);
    PixPtr embedded(
        pixEmbedForRotation(pix, radians, L_BRING_IN_WHITE, pixGetWidth(pix), pixGetHeight(pix)));
    if (!embedded)
        return nullptr;
    if (pixGetDepth(pix) == 1) {
        // Shear keeps strokes whole for small angles; sampling is exact enough beyond.
        if (std::fabs(radians) <= 0.06f)
            return PixPtr(pixRotateShearCenter(embedded.get(), radians, L_BRING_IN_WHITE));
        return PixPtr(pixRotateBySampling(embedded.get(), pixGetWidth(embedded.get()) / 2,
                                          pixGetHeight(embedded.get()) / 2, radians,
                                          L_BRING_IN_WHITE));
    }
    // Area mapping, called directly: the general entry skips angles under 0.06 degrees.
    if (pixGetDepth(pix) == 8)
        return PixPtr(pixRotateAMGray(embedded.get(), radians, 255));
    return PixPtr(pixRotateAMColor(embedded.get(), radians, 0xffffff00));
}
