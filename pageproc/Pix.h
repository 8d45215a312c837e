#pragma once

#include <leptonica/allheaders.h>

#include <memory>

// Owners for Leptonica objects, so every early return frees what it made.
struct PixDeleter
{
    void operator()(PIX *pix) const { pixDestroy(&pix); }
};
using PixPtr = std::unique_ptr<PIX, PixDeleter>;

struct BoxaDeleter
{
    void operator()(BOXA *boxa) const { boxaDestroy(&boxa); }
};
using BoxaPtr = std::unique_ptr<BOXA, BoxaDeleter>;

struct NumaDeleter
{
    void operator()(NUMA *numa) const { numaDestroy(&numa); }
};
using NumaPtr = std::unique_ptr<NUMA, NumaDeleter>;

// A rectangle in pixels; empty when width or height is not positive.
struct PixelRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool isEmpty() const { return width <= 0 || height <= 0; }
};

inline int millimetresToPixels(double millimetres, int dpi)
{
    return static_cast<int>(millimetres * dpi / 25.4 + 0.5);
}
