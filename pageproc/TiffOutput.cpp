#include "TiffOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string writeTiff(PIX *pix, const std::string &folder, const std::string &name)
{
    const std::string target = folder + "/" + name;
    std::string pattern = folder + "/." + name + ".XXXXXX";
    std::vector<char> temporary(pattern.begin(), pattern.end());
    temporary.push_back('\0');
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0)
        return "can't write in the output folder '" + folder + "': " + std::strerror(errno);
    // mkstemp makes the file private; a page is an ordinary document.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);

    const l_int32 compression = pixGetDepth(pix) == 1 ? IFF_TIFF_G4 : IFF_TIFF_ZIP;
    struct stat written;
    if (pixWriteTiff(temporary.data(), pix, compression, "w") != 0 ||
        stat(temporary.data(), &written) != 0 || written.st_size == 0) {
        std::remove(temporary.data());
        return "can't write '" + target + "'";
    }
    if (std::rename(temporary.data(), target.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.data());
        return "can't write '" + target + "': " + reason;
    }
    return std::string();
}
