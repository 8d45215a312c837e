#include "ImageFileWriter.h"

#include "Group4Tiff.h"
#include "SettingsKeys.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImageWriter>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace {
WriteResult failure(const QString &path, const QString &reason)
{
    // The whole path: on a full disk the folder tells which disk it is.
    return {false, QCoreApplication::translate("ImageFileWriter", "Can't write %1: %2")
                       .arg(QDir::toNativeSeparators(path), reason)};
}

// Qt leaves the error unset where the system reported one: a short write on a full disk, a
// close that fails in commit(). Its "Unknown error" then hides the reason that errno holds.
QString reasonOf(const QFileDevice &file, int systemError)
{
    // A device with no message of its own says what a fresh one says.
    if (file.error() != QFileDevice::NoError && file.errorString() != QFile().errorString())
        return file.errorString();
    if (systemError != 0)
        return QString::fromLocal8Bit(strerror(systemError));
    return QCoreApplication::translate("ImageFileWriter", "the file could not be completed");
}

// Writes all of bytes; a short write is retried, so a full disk ends in an error of its own.
bool writeAll(QSaveFile &file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += written;
    }
    return file.flush();
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
    if (image.isNull())
        return {false, QCoreApplication::translate("ImageFileWriter", "No picture to write to %1.")
                           .arg(QFileInfo(path).fileName())};
    // Encode in memory first: QSaveFile::commit() does not notice a short write (full disk),
    // so the byte count is checked before the old file is replaced.
    QByteArray chosen = format ? QByteArray(format) : formatForSuffix(path);
    if (chosen.isEmpty())
        chosen = QFileInfo(path).suffix().toLatin1(); // let the writer name what it lacks
    QByteArray bytes;
    if ((chosen.toUpper() == "TIFF" || chosen.toUpper() == "TIF") && Group4Tiff::canEncode(image)) {
        // Black and white as fax code: a text page in tens of kilobytes, not a megabyte.
        QString reason;
        bytes = Group4Tiff::encode(image, &reason);
        if (bytes.isEmpty())
            return failure(path, reason);
    } else {
        QBuffer encoded(&bytes);
        encoded.open(QIODevice::WriteOnly);
        QImageWriter writer(&encoded, chosen);
        if (quality >= 0)
            writer.setQuality(quality);
        if (!writer.write(image))
            return failure(path, writer.errorString());
    }
    return writeFileBytes(bytes, path);
}

WriteResult writeFileBytes(const QByteArray &bytes, const QString &path)
{
    QSaveFile file(path);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return failure(path, reasonOf(file, errno));
    errno = 0;
    if (!writeAll(file, bytes)) {
        const QString reason = reasonOf(file, errno);
        file.cancelWriting();
        return failure(path, reason);
    }
    errno = 0;
    if (!file.commit())
        return failure(path, reasonOf(file, errno));
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
