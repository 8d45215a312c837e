#include "TiffOutput.h"

#include "DeflateTiff.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
struct LeptonicaFree
{
    void operator()(l_uint8 *data) const { lept_free(data); }
};

// 0 when all of data reached the file, else the errno of the failing write.
int writeAll(int descriptor, const l_uint8 *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 0;
}

// 0 when the whole of an open file is on the disk and closed; the descriptor is closed
// either way.
int finish(int descriptor, size_t expectedSize)
{
    struct stat info;
    int error = 0;
    if (fsync(descriptor) != 0 && errno != EINVAL)
        error = errno;
    else if (fstat(descriptor, &info) != 0)
        error = errno;
    else if (static_cast<size_t>(info.st_size) != expectedSize)
        error = EIO;
    if (close(descriptor) != 0 && error == 0)
        error = errno;
    return error;
}

// 1 bpp pages through Leptonica's G4 writer; grey and colour through our own deflate writer.
bool encode(PIX *pix, std::vector<l_uint8> &encoded)
{
    if (pixGetDepth(pix) != 1)
        return encodeDeflateTiff(pix, encoded);
    l_uint8 *data = nullptr;
    size_t size = 0;
    const bool ok = pixWriteMemTiff(&data, &size, pix, IFF_TIFF_G4) == 0 && data && size > 0;
    const std::unique_ptr<l_uint8, LeptonicaFree> bytes(data);
    if (!ok)
        return false;
    encoded.assign(data, data + size);
    return true;
}

// True when what is on the disk reads back as a TIFF of pix's size.
bool readsBack(const char *path, PIX *pix)
{
    l_int32 format = 0, width = 0, height = 0, bps = 0, spp = 0, colormap = 0;
    return pixReadHeader(path, &format, &width, &height, &bps, &spp, &colormap) == 0 &&
           (format == IFF_TIFF_G4 || format == IFF_TIFF_ZIP) && width == pixGetWidth(pix) &&
           height == pixGetHeight(pix);
}
} // namespace

std::string writeTiff(PIX *pix, const std::string &folder, const std::string &name)
{
    const std::string target = folder + "/" + name;
    std::vector<l_uint8> bytes;
    if (!encode(pix, bytes) || bytes.empty())
        return "can't encode '" + target + "' as TIFF";

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

    int error = writeAll(descriptor, bytes.data(), bytes.size());
    if (error != 0)
        close(descriptor);
    else
        error = finish(descriptor, bytes.size());
    if (error == 0 && !readsBack(temporary.data(), pix))
        error = EIO;
    if (error == 0 && std::rename(temporary.data(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        std::remove(temporary.data());
        return "can't write '" + target + "': " + std::strerror(error);
    }
    return std::string();
}
