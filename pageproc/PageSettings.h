#pragma once

// What to do with each page, taken from the command line.
struct PageSettings
{
    bool blackAndWhite = false;
    bool normalizeIllumination = false;
    bool whiteMargins = false;
    // Negative: the page is not cut to its content.
    double marginsMm = -1.0;
    // Resolution of the input, for every millimetre measure.
    int dpi = 300;
    // Resolution written to the output; the page is resampled when it differs from dpi.
    int outputDpi = 300;
};
