#include "ImageFolderWriter.h"

#include "ExportProgress.h"
#include "ImageFileWriter.h"
#include "PageFileCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>

namespace {
// Quality for the writer: the user's for JPEG. PNG keeps the writer's default, since its
// "quality" 100 means no compression at all, with the same pixels at several times the size.
int writerQuality(const QString &format, int jpegQuality)
{
    if (format == QLatin1String("jpg"))
        return jpegQuality;
    if (format == QLatin1String("png"))
        return -1;
    return ImageFolderWriter::MaxQuality;
}
} // namespace

QStringList ImageFolderWriter::formats()
{
    return {QStringLiteral("jpg"), QStringLiteral("tiff"), QStringLiteral("png"),
            QStringLiteral("bmp")};
}

int ImageFolderWriter::counterWidth(int pageCount)
{
    return int(QString::number(qMax(pageCount, 1)).size());
}

ImageFolderWriter::Result ImageFolderWriter::write(const QStringList &pages, const QString &folder,
                                                   const QString &name, const QString &format,
                                                   int jpegQuality, ExportProgress &progress)
{
    Result result;
    const int total = int(pages.size());
    const int width = counterWidth(total);
    const int quality = writerQuality(format, jpegQuality);
    for (int k = 1; k <= total; ++k) {
        progress.setWritingPhase(k);
        QCoreApplication::processEvents();
        if (progress.isCancelRequested()) {
            result.cancelled = true;
            break;
        }
        const QString file = QDir(folder).filePath(
            QStringLiteral("%1_%2.%3").arg(name).arg(k, width, 10, QLatin1Char('0')).arg(format));
        // The decoder fills a page cut short with grey: such a page stops the export.
        const QString page = pages.at(k - 1);
        const PageFileCheck check = PageFileCheck::check(page);
        QImageReader reader(page);
        const QImage image = check ? reader.read() : QImage();
        if (image.isNull()) {
            result.unreadablePage = QDir::toNativeSeparators(page);
            result.unreadable = check
                                    ? PageFileCheck::pageMessage(k - 1, page, reader.errorString())
                                    : check.pageMessage(k - 1);
            break;
        }
        if (writeImageFile(image, file, format.toLatin1().constData(), quality))
            result.written.append(file);
        else if (result.firstFailed.isEmpty())
            result.firstFailed = QDir::toNativeSeparators(file);
    }
    // Nothing of a cancelled or incomplete export stays behind.
    if (result.cancelled || !result.unreadable.isEmpty()) {
        for (const QString &file : result.written)
            QFile::remove(file);
    }
    return result;
}
