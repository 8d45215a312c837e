#include "Arguments.h"

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {
bool parseInt(const std::string &text, int minimum, int maximum, int *value)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    errno = 0;
    const long parsed = std::strtol(text.c_str(), nullptr, 10);
    if (errno != 0 || parsed < minimum || parsed > maximum)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool parseMillimetres(const std::string &text, double *value)
{
    if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    char *end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (*end != '\0' || parsed < 0.0 || parsed > 1000.0)
        return false;
    *value = parsed;
    return true;
}

std::string badValue(const std::string &argument)
{
    return "invalid value in '" + argument + "'";
}

// Applies one --name[=value] option; returns an error line or an empty string.
std::string applyOption(const std::string &argument, Arguments *out)
{
    const std::size_t equals = argument.find('=');
    const std::string name = argument.substr(0, equals);
    const bool hasValue = equals != std::string::npos;
    const std::string value = hasValue ? argument.substr(equals + 1) : std::string();

    const auto flag = [&](bool *target) {
        if (hasValue)
            return "option '" + name + "' takes no value";
        *target = true;
        return std::string();
    };
    const auto needValue = [&]() { return "option '" + name + "' needs a value"; };

    if (name == "-l") {
        if (!hasValue)
            return needValue();
        if (value != "1" && value != "2")
            return badValue(argument) + ": the layout is 1 or 2";
        out->layout = value == "1" ? 1 : 2;
    } else if (name == "--orientation") {
        if (value == "left")
            out->orientation = Orientation::Left;
        else if (value == "right")
            out->orientation = Orientation::Right;
        else if (value == "none")
            out->orientation = Orientation::None;
        else
            return hasValue ? badValue(argument) + ": left, right or none" : needValue();
    } else if (name == "--color-mode") {
        if (value == "black_and_white")
            out->page.blackAndWhite = true;
        else if (value == "color_grayscale")
            out->page.blackAndWhite = false;
        else
            return hasValue ? badValue(argument) + ": black_and_white or color_grayscale"
                            : needValue();
    } else if (name == "--normalize-illumination") {
        return flag(&out->page.normalizeIllumination);
    } else if (name == "--white-margins") {
        return flag(&out->page.whiteMargins);
    } else if (name == "--margins") {
        if (!hasValue)
            return needValue();
        if (!parseMillimetres(value, &out->page.marginsMm))
            return badValue(argument) + ": millimetres from 0 to 1000";
    } else if (name == "--dpi" || name == "--output-dpi") {
        if (!hasValue)
            return needValue();
        const bool input = name == "--dpi";
        int dpi = 0;
        if (!parseInt(value, 10, 9600, &dpi))
            return badValue(argument) + ": a resolution from 10 to 9600";
        (input ? out->page.dpi : out->page.outputDpi) = dpi;
        (input ? out->dpiGiven : out->outputDpiGiven) = true;
    } else {
        return "unknown option '" + argument + "'";
    }
    return std::string();
}
} // namespace

ParsedArguments parseArguments(int argc, const char *const *argv)
{
    ParsedArguments result;
    std::vector<std::string> paths;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
            result.error = applyOption(argument, &result.arguments);
            if (!result.error.empty())
                return result;
        } else {
            paths.push_back(argument);
        }
    }
    if (paths.size() != 2) {
        result.error = paths.size() < 2 ? "expected an input file and an output folder"
                                        : "unexpected argument '" + paths[2] + "'";
        return result;
    }
    result.arguments.inputFile = paths[0];
    result.arguments.outputFolder = paths[1];
    if (!result.arguments.outputDpiGiven && result.arguments.dpiGiven)
        result.arguments.page.outputDpi = result.arguments.page.dpi;
    return result;
}
