#pragma once

#include "Jbig2Bitmap.h"

#include <vector>

// The marks of a page that JBIG2 can code once and place many times: connected marks
// (8-connected black pixels) of text size whose pixels are identical to another mark's. Only
// identical marks share a symbol, never similar ones: placing the symbols and adding the rest
// gives the page's pixels exactly.
struct Jbig2Symbols
{
    struct Instance
    {
        int x = 0;      // left column
        int bottom = 0; // bottom row
        int symbol = 0;
    };

    std::vector<Jbig2Bitmap> symbols; // by height, then width
    std::vector<Instance> instances;  // by bottom row, then x
    Jbig2Bitmap rest;                 // the page without the instances' pixels

    static Jbig2Symbols find(const Jbig2Bitmap &page);
};
