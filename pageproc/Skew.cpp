#include "Skew.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

namespace {
// Leptonica's area-mapped colour rotation about the part's centre (sixteenths of a pixel,
// the same arithmetic, so the same pixels), but only for rows top..bottom and columns
// left..right of the turned part, written straight to canvas at an offset: no turned copy
// of the whole part, no call per pixel. The arithmetic follows Leptonica's rotateAMColorLow
// (Copyright (C) 2001 Leptonica, BSD 2-clause licence; see its copyright notice).
void rotateColourOnto(PIX *part, l_float32 radians, const PixelRect &kept, PIX *canvas, int dx,
                      int dy)
{
    const int width = pixGetWidth(part);
    const int height = pixGetHeight(part);
    const int xCentre = width / 2;
    const int yCentre = height / 2;
    const l_float32 sine = static_cast<l_float32>(16.0 * std::sin(radians));
    const l_float32 cosine = static_cast<l_float32>(16.0 * std::cos(radians));
    const l_uint32 *source = pixGetData(part);
    const int sourceWpl = pixGetWpl(part);
    l_uint32 *target = pixGetData(canvas);
    const int targetWpl = pixGetWpl(canvas);
    constexpr l_uint32 White = 0xffffff00;
    std::vector<l_int32> xms(static_cast<size_t>(kept.width));
    std::vector<l_int32> yms(static_cast<size_t>(kept.width));
    for (int i = kept.y; i < kept.y + kept.height; ++i) {
        const int yDiff = yCentre - i;
        // The positions first, in a loop the compiler can vectorise; the float arithmetic
        // is Leptonica's, term for term.
        for (int k = 0; k < kept.width; ++k) {
            const int xDiff = xCentre - (kept.x + k);
            xms[k] = static_cast<l_int32>(-xDiff * cosine - yDiff * sine);
            yms[k] = static_cast<l_int32>(-yDiff * cosine + xDiff * sine);
        }
        l_uint32 *out = target + static_cast<size_t>(i + dy) * targetWpl + dx + kept.x;
        for (int k = 0; k < kept.width; ++k) {
            const int xp = xCentre + (xms[k] >> 4);
            const int yp = yCentre + (yms[k] >> 4);
            if (xp < 0 || yp < 0 || xp > width - 2 || yp > height - 2) {
                out[k] = White;
                continue;
            }
            const l_uint32 xf = static_cast<l_uint32>(xms[k] & 0x0f);
            const l_uint32 yf = static_cast<l_uint32>(yms[k] & 0x0f);
            const l_uint32 w00 = (16 - xf) * (16 - yf);
            const l_uint32 w10 = xf * (16 - yf);
            const l_uint32 w01 = (16 - xf) * yf;
            const l_uint32 w11 = xf * yf;
            const l_uint32 *line = source + static_cast<size_t>(yp) * sourceWpl + xp;
            const l_uint32 p00 = line[0];
            const l_uint32 p10 = line[1];
            const l_uint32 p01 = line[sourceWpl];
            const l_uint32 p11 = line[sourceWpl + 1];
            // Red with blue and green alone, each in a 16-bit lane: the weights add up to
            // 256, so no lane overflows into the next.
            constexpr l_uint32 Lanes = 0x00ff00ff;
            const l_uint32 redBlue = w00 * ((p00 >> 8) & Lanes) + w10 * ((p10 >> 8) & Lanes) +
                                     w01 * ((p01 >> 8) & Lanes) + w11 * ((p11 >> 8) & Lanes) +
                                     0x00800080;
            const l_uint32 green = w00 * ((p00 >> 16) & 0xff) + w10 * ((p10 >> 16) & 0xff) +
                                   w01 * ((p01 >> 16) & 0xff) + w11 * ((p11 >> 16) & 0xff) + 128;
            out[k] = (((redBlue >> 8) & Lanes) << 8) | ((green >> 8) << L_GREEN_SHIFT);
        }
    }
}

// Below this Leptonica's area-mapped rotation leaves an image as it is.
constexpr l_float32 MinAreaMapRadians = 0.001f;
} // namespace

bool rotatePartOnto(PIX *part, const PixelRect &source, const Rotation &rotation,
                    const PixelRect &area, PIX *canvas, int canvasX, int canvasY)
{
    const auto radians = static_cast<l_float32>(rotation.degrees * Pi / 180.0);
    Point shift{0.0, 0.0};
    if (negligible(rotation)) {
        const Point page = pageCentre(rotation);
        const Point centre = rotatedCentre(rotation);
        shift = {page.x - centre.x - source.x, page.y - centre.y - source.y};
    } else {
        // The part turns about its own centre; the whole page would turn about the enlarged
        // image's. The difference is a shift of the part's centre.
        const Point partCentre{double(source.width / 2), double(source.height / 2)};
        const Point page = pageCentre(rotation);
        const Point centre = rotatedCentre(rotation);
        const Point offCentre =
            turn({page.x - source.x - partCentre.x, page.y - source.y - partCentre.y},
                 rotation.degrees * Pi / 180.0);
        shift = {partCentre.x - centre.x + offCentre.x, partCentre.y - centre.y + offCentre.y};
    }
    // The area in the turned part's coordinates (the part's size), clipped to it and to the
    // canvas.
    const int ax = area.x + static_cast<int>(std::lround(shift.x));
    const int ay = area.y + static_cast<int>(std::lround(shift.y));
    const int dx = canvasX - ax;
    const int dy = canvasY - ay;
    const int left = std::max({0, ax, -dx});
    const int top = std::max({0, ay, -dy});
    const int right = std::min({pixGetWidth(part), ax + area.width, pixGetWidth(canvas) - dx});
    const int bottom = std::min({pixGetHeight(part), ay + area.height, pixGetHeight(canvas) - dy});
    if (right <= left || bottom <= top)
        return true;
    const bool turns = !negligible(rotation) && std::fabs(radians) >= MinAreaMapRadians;
    if (turns && pixGetDepth(part) == 32 && pixGetDepth(canvas) == 32) {
        rotateColourOnto(part, radians, {left, top, right - left, bottom - top}, canvas, dx, dy);
        return true;
    }
    PixPtr turned(turns ? pixGetDepth(part) == 8 ? pixRotateAMGray(part, radians, 255)
                                                 : pixRotateAMColor(part, radians, 0xffffff00)
                        : pixClone(part));
    if (!turned)
        return false;
    pixRasterop(canvas, left + dx, top + dy, right - left, bottom - top, PIX_SRC, turned.get(),
                left, top);
    return true;
}

PixPtr rotatePart(PIX *part, const PixelRect &source, const Rotation &rotation,
                  const PixelRect &area)
{
    PixPtr result(pixCreate(area.width, area.height, pixGetDepth(part)));
    if (!result)
        return nullptr;
    pixCopySpp(result.get(), part);
    pixSetBlackOrWhite(result.get(), L_SET_WHITE);
    if (!rotatePartOnto(part, source, rotation, area, result.get(), 0, 0))
        return nullptr;
    return result;
}
