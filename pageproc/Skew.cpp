#include "Skew.h"

#include <algorithm>
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

namespace {
struct Point
{
    double x;
    double y;
};

// Clockwise by radians in image coordinates (y downwards).
Point turn(const Point &p, double radians)
{
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return {p.x * c - p.y * s, p.x * s + p.y * c};
}

bool negligible(const Rotation &rotation)
{
    return std::fabs(rotation.degrees) < MinDegrees;
}

// Where the page's centre lies, and the centre the rotation turns about, in the rotated image.
Point rotatedCentre(const Rotation &rotation)
{
    return {double(rotation.rotatedWidth / 2), double(rotation.rotatedHeight / 2)};
}

Point pageCentre(const Rotation &rotation)
{
    // The page sits in the middle of the enlarged image, shifted by whole pixels.
    const Point centre = rotatedCentre(rotation);
    return {centre.x - (rotation.rotatedWidth - rotation.width) / 2,
            centre.y - (rotation.rotatedHeight - rotation.height) / 2};
}
} // namespace

PixelRect rotationSource(const Rotation &rotation, const PixelRect &area, int alignX, int alignY)
{
    const double radians = negligible(rotation) ? 0.0 : -rotation.degrees * Pi / 180.0;
    const Point centre = rotatedCentre(rotation);
    const Point page = pageCentre(rotation);
    // The area's corners carried back onto the page, with room for the interpolation.
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    for (const int cx : {area.x, area.x + area.width}) {
        for (const int cy : {area.y, area.y + area.height}) {
            const Point back = turn({cx - centre.x, cy - centre.y}, radians);
            left = std::min(left, back.x + page.x - 2);
            right = std::max(right, back.x + page.x + 2);
            top = std::min(top, back.y + page.y - 2);
            bottom = std::max(bottom, back.y + page.y + 2);
        }
    }
    int x = std::max(0, static_cast<int>(std::floor(left)));
    int y = std::max(0, static_cast<int>(std::floor(top)));
    x -= x % std::max(1, alignX);
    y -= y % std::max(1, alignY);
    const int xEnd = std::min(rotation.width, static_cast<int>(std::ceil(right)));
    const int yEnd = std::min(rotation.height, static_cast<int>(std::ceil(bottom)));
    if (xEnd <= x || yEnd <= y)
        return {};
    return {x, y, xEnd - x, yEnd - y};
}

PixPtr rotatePart(PIX *part, const PixelRect &source, const Rotation &rotation,
                  const PixelRect &area)
{
    PixPtr turned;
    Point shift{0.0, 0.0};
    if (negligible(rotation)) {
        turned.reset(pixClone(part));
        const Point page = pageCentre(rotation);
        const Point centre = rotatedCentre(rotation);
        shift = {page.x - centre.x - source.x, page.y - centre.y - source.y};
    } else {
        // The part turns about its own centre; the whole page would turn about the enlarged
        // image's. The difference is a shift of the part's centre.
        const auto radians = static_cast<l_float32>(rotation.degrees * Pi / 180.0);
        turned.reset(pixGetDepth(part) == 8 ? pixRotateAMGray(part, radians, 255)
                                            : pixRotateAMColor(part, radians, 0xffffff00));
        const Point partCentre{double(source.width / 2), double(source.height / 2)};
        const Point page = pageCentre(rotation);
        const Point centre = rotatedCentre(rotation);
        const Point offCentre =
            turn({page.x - source.x - partCentre.x, page.y - source.y - partCentre.y},
                 rotation.degrees * Pi / 180.0);
        shift = {partCentre.x - centre.x + offCentre.x, partCentre.y - centre.y + offCentre.y};
    }
    if (!turned)
        return nullptr;
    PixPtr result(pixCreate(area.width, area.height, pixGetDepth(part)));
    if (!result)
        return nullptr;
    pixCopySpp(result.get(), part);
    pixSetBlackOrWhite(result.get(), L_SET_WHITE);
    // The area in the turned part's coordinates, clipped to it.
    const int ax = area.x + static_cast<int>(std::lround(shift.x));
    const int ay = area.y + static_cast<int>(std::lround(shift.y));
    const int left = std::max(0, ax);
    const int top = std::max(0, ay);
    const int right = std::min(pixGetWidth(turned.get()), ax + area.width);
    const int bottom = std::min(pixGetHeight(turned.get()), ay + area.height);
    if (right > left && bottom > top)
        pixRasterop(result.get(), left - ax, top - ay, right - left, bottom - top, PIX_SRC,
                    turned.get(), left, top);
    return result;
}
