#pragma once

#include <QImage>

// Pages drawn for the benchmark: text lines of letter-like blocks, a picture and a rule line
// across the top of the text, so the result's skew can be measured on the rule.
struct DrawnPage
{
    QImage image;
    // Where the two pages of a spread meet, in pixels of the upright spread.
    int gutterX = 0;
};

// An A4 page at dpi, turned clockwise by degrees about its centre, with a slightly uneven
// paper tone and a dark strip along one edge like a scanner lid's shadow.
DrawnPage drawPage(int dpi, bool colour, double degrees, quint32 seed);

// Two A4 pages side by side with a shaded gutter at gutterFraction of the width, turned a
// quarter turn clockwise as a book lies on the glass.
DrawnPage drawSpread(int dpi, double gutterFraction, quint32 seed);
