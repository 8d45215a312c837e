#pragma once

#include "PageSettings.h"

#include <string>

// How the input is turned before anything else.
enum class Orientation
{
    None,
    Left,
    Right
};

// The processor's command line: options of the form --name=value, then the input file and
// the output folder.
struct Arguments
{
    int layout = 1;
    Orientation orientation = Orientation::None;
    PageSettings page;
    // Without --dpi the resolution stored in the input applies.
    bool dpiGiven = false;
    bool outputDpiGiven = false;
    std::string inputFile;
    std::string outputFolder;
};

struct ParsedArguments
{
    Arguments arguments;
    // Empty when the command line is valid; otherwise one line saying what is wrong.
    std::string error;
};

ParsedArguments parseArguments(int argc, const char *const *argv);
