#pragma once

#include <QByteArray>
#include <QImage>

// A colour or grey page taken apart for a compact PDF: the text as a full-resolution
// black-and-white mask, the text's colours as a small picture painted through that mask, and
// everything else (paper, pictures, photographs) as a background picture at reduced
// resolution in which the text's pixels are filled from their surroundings, so that JPEG
// spends nothing on text edges. Pure computation; any thread.
namespace MixedRaster {

// How much of the pictures and photographs the background keeps; the text is always kept
// at full resolution.
enum class PictureLevel
{
    Small = 0,    // a quarter of the resolution: pictures only to recognise them
    Balanced = 1, // a third: pictures as on screen
    Fine = 2,     // half: pictures fit for printing
};

struct Layers
{
    // The page's size, 1 bit: 1 where text is (colour table index 1 is black).
    QImage mask;
    // Reduced by backgroundFactor, grey for a grey page, else RGB888.
    QImage background;
    // The text's colours, reduced by ForegroundFactor; same format as the background.
    QImage foreground;
    int backgroundFactor = 3;
    int jpegQuality = 50;
};

constexpr int ForegroundFactor = 8;
constexpr int ForegroundQuality = 40;

// Empty layers for a null page.
Layers separate(const QImage &page, PictureLevel level);

// A layer as the PDF stores it.
QByteArray jpeg(const QImage &layer, int quality);

// The page as a reader draws the stored layers (after their JPEG compression), at the page's
// size: for the preview.
QImage compose(const Layers &layers);

} // namespace MixedRaster
