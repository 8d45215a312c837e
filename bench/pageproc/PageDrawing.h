#pragma once

#include <QImage>

// Pages drawn for the benchmark as a flatbed delivers them: serif text set in a real font, a
// picture, a rule across the top of the text (so the result's skew can be measured on it),
// off-white paper under uneven lamp light, a soft grey shadow along the left edge, a little
// blur and sensor noise.
struct DrawnPage
{
    QImage image;
    // Where the two pages of a spread meet, in pixels of the upright, straightened spread.
    int gutterX = 0;
};

// An A4 page at dpi, turned clockwise by degrees about its centre.
DrawnPage drawPage(int dpi, bool colour, double degrees, quint32 seed);

// Two A4 pages side by side (grey), the binding's shadow at gutterFraction of the width and
// innerMarginMm of paper between it and each page's text, turned clockwise by degrees and then
// a quarter turn clockwise, as a book lies on the glass.
DrawnPage drawSpread(int dpi, double gutterFraction, double degrees, double innerMarginMm,
                     quint32 seed);
