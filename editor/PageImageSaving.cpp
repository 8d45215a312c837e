#include "PageImageSaving.h"

#include "SettingsKeys.h"

#include <QFileInfo>
#include <QImageWriter>

namespace {
QByteArray formatForSuffix(const QString &path)
{
    const QByteArray suffix = QFileInfo(path).suffix().toLower().toLatin1();
    if (suffix == "jpg" || suffix == "jpeg")
        return "JPG";
    if (suffix == "tif" || suffix == "tiff")
        return "TIFF";
    if (!suffix.isEmpty() && QImageWriter::supportedImageFormats().contains(suffix))
        return suffix;
    return QByteArray();
}
} // namespace

WriteResult savePageImage(const QImage &image, const QString &path)
{
    const QByteArray bySuffix = formatForSuffix(path);
    const QByteArray byRule = image.depth() == 1 ? "TIFF" : "JPG";
    if (bySuffix.isEmpty() || bySuffix == byRule)
        return writePageImage(image, path);
    const int quality = bySuffix == "JPG" ? readSetting(Settings::JpegQuality).toInt() : -1;
    return writeImageFile(image, path, bySuffix.constData(), quality);
}
