#include "ImageFileWriter.h"

#include "SettingsKeys.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace {
QByteArray formatForSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "JPG";
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return "TIFF";
    return suffix.toLatin1();
}
} // namespace

WriteResult writeImageFile(const QImage &image, const QString &path, const char *format,
                           int quality)
{
    const QString name = QFileInfo(path).fileName();
    if (image.isNull())
        return {false, QStringLiteral("No picture to write to %1.").arg(name)};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, QStringLiteral("Can't write %1: %2").arg(name, file.errorString())};
    QImageWriter writer(&file, format ? QByteArray(format) : formatForSuffix(path));
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image)) {
        file.cancelWriting();
        return {false, QStringLiteral("Can't write %1: %2").arg(name, writer.errorString())};
    }
    if (!file.commit())
        return {false, QStringLiteral("Can't write %1: %2").arg(name, file.errorString())};
    return {true, QString()};
}

WriteResult writePageImage(const QImage &image, const QString &path)
{
    if (image.depth() == 1)
        return writeImageFile(image, path, "TIFF");
    return writeImageFile(image, path, "JPG", readSetting(Settings::JpegQuality).toInt());
}
