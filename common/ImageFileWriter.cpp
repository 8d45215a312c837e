#include "ImageFileWriter.h"

#include "SettingsKeys.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

namespace {
WriteResult failure(const QString &name, const QString &reason)
{
    return {false,
            QCoreApplication::translate("ImageFileWriter", "Can't write %1: %2").arg(name, reason)};
}

QByteArray formatForSuffix(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return "JPG";
    if (suffix == QLatin1String("tif") || suffix == QLatin1String("tiff"))
        return "TIFF";
    const QByteArray other = suffix.toLatin1();
    return QImageWriter::supportedImageFormats().contains(other) ? other : QByteArray();
}
} // namespace

WriteResult writeImageFile(const QImage &image, const QString &path, const char *format,
                           int quality)
{
    const QString name = QFileInfo(path).fileName();
    if (image.isNull())
        return {
            false,
            QCoreApplication::translate("ImageFileWriter", "No picture to write to %1.").arg(name)};
    // Encode in memory first: QSaveFile::commit() does not notice a short write (full disk),
    // so the byte count is checked before the old file is replaced.
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QByteArray chosen = format ? QByteArray(format) : formatForSuffix(path);
    if (chosen.isEmpty())
        chosen = QFileInfo(path).suffix().toLatin1(); // let the writer name what it lacks
    QImageWriter writer(&encoded, chosen);
    if (quality >= 0)
        writer.setQuality(quality);
    if (!writer.write(image))
        return failure(name, writer.errorString());

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(name, file.errorString());
    const QByteArray &bytes = encoded.data();
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failure(name, reason);
    }
    if (!file.commit())
        return failure(name, file.errorString());
    return {true, QString()};
}

WriteResult writePageImage(const QImage &image, const QString &path)
{
    // A file's content always matches its name: the rule picks the format only where the
    // suffix does not name one (or agrees with it).
    QByteArray format = formatForSuffix(path);
    if (format.isEmpty())
        format = image.depth() == 1 ? "TIFF" : "JPG";
    const int quality = format == "JPG" ? readSetting(Settings::JpegQuality).toInt() : -1;
    return writeImageFile(image, path, format.constData(), quality);
}
