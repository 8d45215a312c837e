#include "TiffOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// libtiff's pseudo-tag for the deflate level (TIFFTAG_ZIPQUALITY), set like a tag.
constexpr l_int32 ZipLevelTag = 65557;

struct SarrayDeleter
{
    void operator()(SARRAY *sarray) const { sarrayDestroy(&sarray); }
};
using SarrayPtr = std::unique_ptr<SARRAY, SarrayDeleter>;

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

// Deflate at zlib's level 3 instead of 6: half the time on a scanned page, whose sensor
// noise no level squeezes, for a file a few per cent larger.
l_int32 encode(PIX *pix, l_int32 compression, l_uint8 **encoded, size_t *size)
{
    if (compression != IFF_TIFF_ZIP)
        return pixWriteMemTiff(encoded, size, pix, compression);
    NumaPtr tags(numaCreate(1));
    SarrayPtr values(sarrayCreate(1));
    SarrayPtr types(sarrayCreate(1));
    if (!tags || !values || !types)
        return 1;
    numaAddNumber(tags.get(), ZipLevelTag);
    sarrayAddString(values.get(), "3", L_COPY);
    sarrayAddString(types.get(), "l_int32", L_COPY);
    return pixWriteMemTiffCustom(encoded, size, pix, compression, tags.get(), values.get(),
                                 types.get(), nullptr);
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
    const l_int32 compression = pixGetDepth(pix) == 1 ? IFF_TIFF_G4 : IFF_TIFF_ZIP;
    l_uint8 *encoded = nullptr;
    size_t size = 0;
    if (encode(pix, compression, &encoded, &size) != 0 || !encoded || size == 0) {
        lept_free(encoded);
        return "can't encode '" + target + "' as TIFF";
    }
    const std::unique_ptr<l_uint8, LeptonicaFree> bytes(encoded);

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

    int error = writeAll(descriptor, bytes.get(), size);
    if (error != 0)
        close(descriptor);
    else
        error = finish(descriptor, size);
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
