// quillary-pageproc: cleans one scanned page, or splits a two-page spread, for Quillary.
//
//   quillary-pageproc [-l=1|-l=2] [--orientation=left|right|none]
//       [--color-mode=black_and_white|color_grayscale] [--normalize-illumination]
//       [--white-margins] [--margins=MM] [--dpi=N] [--output-dpi=N] INPUT OUTPUT_FOLDER
//
// --orientation turns the input a quarter turn first (left: counter-clockwise).
// --margins cuts the page to its content plus MM millimetres; --white-margins makes
// everything outside the content white. Without --dpi the input's stored resolution counts
// (300 when it has none); without --output-dpi the output keeps the input's.
//
// Writes OUTPUT_FOLDER/proc.tif, or proc_1L.tif and proc_2R.tif for -l=2. Exit status 0
// when every file was written, 1 when the input can't be used or writing fails (no result
// file is left then), 2 for a bad command line; each failure says why in one line on
// standard error.

#include "Arguments.h"
#include "PageInput.h"
#include "PageProcessor.h"
#include "TiffOutput.h"

#include <tiffio.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <malloc.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {
constexpr int BadArguments = 2;
constexpr int Failed = 1;

int fail(int status, const std::string &message)
{
    std::fprintf(stderr, "quillary-pageproc: %s\n", message.c_str());
    return status;
}

bool isWritableFolder(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           access(path.c_str(), W_OK | X_OK) == 0;
}

PixPtr turned(PixPtr page, Orientation orientation)
{
    if (orientation == Orientation::None)
        return page;
    // Leptonica: 1 turns clockwise, -1 counter-clockwise.
    return PixPtr(pixRotate90(page.get(), orientation == Orientation::Left ? -1 : 1));
}
} // namespace

int main(int argc, char **argv)
{
    // Our own one-line messages are the only output.
    setMsgSeverity(L_SEVERITY_NONE);
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    // Past a file-size limit a write should fail with EFBIG, like on a full disk, instead of
    // killing us with a half-written file left behind.
    signal(SIGXFSZ, SIG_IGN);
    // A page's images are tens of megabytes each, made and dropped one after another. Kept
    // on the heap instead of each in a fresh mapping, their memory is reused rather than
    // zeroed again page by page by the kernel.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, INT_MAX);

    const ParsedArguments parsed = parseArguments(argc, argv);
    if (!parsed.error.empty())
        return fail(BadArguments, parsed.error);
    Arguments arguments = parsed.arguments;
    if (!isWritableFolder(arguments.outputFolder))
        return fail(BadArguments,
                    "the output folder '" + arguments.outputFolder + "' is not a writable folder");

    PageInputResult input = readPageImage(arguments.inputFile);
    if (!input.error.empty())
        return fail(Failed, input.error);
    PageSettings &settings = arguments.page;
    if (!arguments.dpiGiven && input.page.storedDpi > 0)
        settings.dpi = input.page.storedDpi;
    if (!arguments.outputDpiGiven)
        settings.outputDpi = settings.dpi;

    PixPtr page = turned(std::move(input.page.pix), arguments.orientation);
    if (!page)
        return fail(Failed, "not enough memory to turn the page");

    std::vector<std::pair<PIX *, std::string>> pages;
    SpreadHalves halves;
    if (arguments.layout == 2) {
        if (pixGetWidth(page.get()) < 2)
            return fail(Failed, "the input is too narrow to split into two pages");
        halves = splitSpread(page.get(), settings.dpi);
        if (!halves.left || !halves.right)
            return fail(Failed, "not enough memory to split the spread");
        pages = {{halves.left.get(), "proc_1L.tif"}, {halves.right.get(), "proc_2R.tif"}};
    } else {
        pages = {{page.get(), "proc.tif"}};
    }

    // Either every promised page is there or none: half a spread must not pass for a result.
    std::vector<std::string> written;
    const auto failWriting = [&written](const std::string &message) {
        for (const std::string &path : written)
            std::remove(path.c_str());
        return fail(Failed, message);
    };
    for (const auto &[pix, name] : pages) {
        PixPtr processed = processPage(pix, settings);
        if (!processed)
            return failWriting("not enough memory to process " + name);
        const std::string error = writeTiff(processed.get(), arguments.outputFolder, name);
        if (!error.empty())
            return failWriting(error);
        written.push_back(arguments.outputFolder + "/" + name);
    }
    return 0;
}
