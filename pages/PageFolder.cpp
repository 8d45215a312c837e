#include "PageFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QStandardPaths>
#include <QTransform>

namespace {
QString fileName(const QString &path)
{
    return QFileInfo(path).fileName();
}
} // namespace

PageFolder::PageFolder(const QString &root)
    : m_workFolder(root.isEmpty()
                       ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                       : root),
      m_currentFolder(m_workFolder + QLatin1String("/Current")),
      m_configFolder(m_workFolder + QLatin1String("/Config"))
{
    // A failure here shows up as a write failure of the first page, with its reason.
    QDir().mkpath(m_workFolder);
    QDir().mkpath(m_currentFolder);
    QDir().mkpath(m_configFolder);
}

PageFolder::Files PageFolder::filesFor(int number, bool asTiff) const
{
    const QString base = m_currentFolder + QLatin1Char('/') + numberText(number);
    return {base + (asTiff ? QLatin1String("_o.tiff") : QLatin1String("_o.jpg")),
            base + QLatin1String("_s.jpg")};
}

QString PageFolder::numberText(int number)
{
    return QStringLiteral("%1").arg(number, 8, 10, QLatin1Char('0'));
}

QImage PageFolder::makeThumbnail(const QImage &image, const QSize &box)
{
    if (image.width() <= box.width() && image.height() <= box.height())
        return image;
    return image.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

WriteResult PageFolder::writePage(const QImage &image, bool asTiff, int number, const QSize &box,
                                  Files *files, QImage *thumbnail, const QByteArray &jpeg) const
{
    if (image.isNull())
        return {false, tr("The page has no picture.")};
    // The folder may have been removed while the program ran; a page needs it back.
    QDir().mkpath(m_currentFolder);

    const Files names = filesFor(number, asTiff);
    // The file's name must tell its content: 1 bit only under .tiff, never under .jpg.
    QImage page = image;
    if (asTiff)
        page = image.convertToFormat(QImage::Format_Mono);
    else if (image.depth() == 1)
        page = image.convertToFormat(QImage::Format_Grayscale8);

    WriteResult result = jpeg.isEmpty() || asTiff ? writePageImage(page, names.image)
                                                  : writeFileBytes(jpeg, names.image);
    if (!result)
        return result;
    const QImage thumb = makeThumbnail(image, box);
    result = writeThumbnail(thumb, names.thumbnail);
    if (!result) {
        QFile::remove(names.image);
        return result;
    }
    if (files)
        *files = names;
    if (thumbnail)
        *thumbnail = thumb;
    return result;
}

WriteResult PageFolder::writeThumbnail(const QImage &thumbnail, const QString &path)
{
    return writeImageFile(thumbnail, path, "JPG");
}

WriteResult PageFolder::rotateThumbnail(const QString &path, int angle)
{
    QImageReader reader(path);
    QImage thumbnail;
    if (!reader.read(&thumbnail))
        return {false, tr("Can't read %1: %2").arg(fileName(path), reader.errorString())};
    return writeThumbnail(
        thumbnail.transformed(QTransform().rotate(angle), Qt::SmoothTransformation), path);
}

WriteResult PageFolder::removeFiles(const Files &files)
{
    QStringList failed;
    for (const QString &path : {files.image, files.thumbnail}) {
        if (!path.isEmpty() && QFileInfo::exists(path) && !QFile::remove(path))
            failed.append(fileName(path));
    }
    if (failed.isEmpty())
        return {true, QString()};
    return {false, tr("Can't delete %1.").arg(failed.join(QLatin1String(", ")))};
}

WriteResult PageFolder::renumber(QList<Files> &pages) const
{
    for (int i = 0; i < pages.size(); ++i) {
        const Files target = filesFor(i + 1, false);
        const QString imageTarget = m_currentFolder + QLatin1Char('/') + numberText(i + 1) +
                                    QLatin1String("_o.") + QFileInfo(pages[i].image).suffix();
        QString error;
        if (!renameInto(pages, &Files::image, i, imageTarget, &error) ||
            !renameInto(pages, &Files::thumbnail, i, target.thumbnail, &error))
            return {false, error};
    }
    return {true, QString()};
}

bool PageFolder::renameInto(QList<Files> &pages, QString Files::*member, int index,
                            const QString &target, QString *error) const
{
    QString &path = pages[index].*member;
    if (path.isEmpty() || path == target)
        return true;

    // Pages after this one may still hold the target name (after moves); only they can,
    // since the pages before already hold their final names.
    for (int other = index + 1; other < pages.size(); ++other) {
        for (QString Files::*kind : {&Files::image, &Files::thumbnail}) {
            QString &held = pages[other].*kind;
            if (held != target)
                continue;
            const QString aside = asideName(target, QStringLiteral("moving-"));
            if (!QFile::rename(target, aside)) {
                *error = tr("Can't rename %1 to %2.").arg(fileName(target), fileName(aside));
                return false;
            }
            held = aside;
        }
    }
    // Not held by a page of the document: a page file that is still waiting to be restored
    // is kept under another name, a stray thumbnail (remade on demand) may go.
    if (QFileInfo::exists(target) && !QFileInfo(target).isDir()) {
        const bool pageImage = target.contains(QLatin1String("_o."));
        if (pageImage ? moveAside(target, QStringLiteral("restore-")).isEmpty()
                      : !QFile::remove(target)) {
            *error = tr("Can't move %1 out of the way.").arg(fileName(target));
            return false;
        }
    }
    if (!QFile::rename(path, target)) {
        *error = tr("Can't rename %1 to %2.").arg(fileName(path), fileName(target));
        return false;
    }
    path = target;
    return true;
}

QString PageFolder::asideName(const QString &path, const QString &prefix) const
{
    // Still matches the page-image pattern and sorts after every numbered page, so a session
    // restored after a crash in the middle of renumbering keeps every picture.
    const QString name = fileName(path);
    QString aside = m_currentFolder + QLatin1Char('/') + prefix + name;
    for (int n = 2; QFileInfo::exists(aside) || QFileInfo::exists(thumbnailFor(aside)); ++n)
        aside = m_currentFolder + QLatin1Char('/') + prefix + QString::number(n) +
                QLatin1Char('-') + name;
    return aside;
}

QString PageFolder::moveAside(const QString &path, const QString &prefix) const
{
    const QString aside = asideName(path, prefix);
    if (!QFile::rename(path, aside))
        return QString();
    // The thumbnail is derived data: if it can't follow, it is remade when needed.
    const QString thumbnail = thumbnailFor(path);
    if (QFileInfo::exists(thumbnail))
        QFile::rename(thumbnail, thumbnailFor(aside));
    return aside;
}

QString PageFolder::thumbnailFor(const QString &pageImage)
{
    const int cut = pageImage.lastIndexOf(QLatin1String("_o."));
    if (cut < 0)
        return QString();
    return pageImage.left(cut) + QLatin1String("_s.jpg");
}

bool PageFolder::isPageFileOfItsKind(const QString &path)
{
    QImageReader reader(path);
    const bool tiff = QFileInfo(path).suffix() == QLatin1String("tiff");
    if (reader.format() != (tiff ? QByteArray("tiff") : QByteArray("jpeg")) ||
        !reader.size().isValid())
        return false;
    return !tiff || reader.imageFormat() == QImage::Format_Mono ||
           reader.imageFormat() == QImage::Format_MonoLSB;
}

WriteResult PageFolder::makeWay(int number, bool asTiff, QStringList &queue) const
{
    const Files target = filesFor(number, asTiff);
    if (QFileInfo(target.image).isFile()) {
        const QString aside = moveAside(target.image, QStringLiteral("restore-"));
        if (aside.isEmpty())
            return {false, tr("Can't move %1 out of the way.").arg(fileName(target.image))};
        const qsizetype waiting = queue.indexOf(target.image);
        if (waiting >= 0)
            queue[waiting] = aside;
    }
    // Left by a page image of the other kind under the same number; remade when needed.
    if (QFileInfo(target.thumbnail).isFile() && !QFile::remove(target.thumbnail))
        return {false, tr("Can't delete %1.").arg(fileName(target.thumbnail))};
    return {true, QString()};
}

WriteResult PageFolder::adoptPage(const QString &source, int number, QStringList &queue,
                                  Files *files) const
{
    const bool asTiff = QFileInfo(source).suffix() == QLatin1String("tiff");
    const Files target = filesFor(number, asTiff);
    const QString thumbnail = thumbnailFor(source);
    if (source != target.image) {
        const WriteResult way = makeWay(number, asTiff, queue);
        if (!way)
            return way;
        if (!QFile::rename(source, target.image))
            return {false,
                    tr("Can't rename %1 to %2.").arg(fileName(source), fileName(target.image))};
        // A thumbnail that can't follow is remade by the caller.
        if (QFileInfo::exists(thumbnail))
            QFile::rename(thumbnail, target.thumbnail);
    }
    if (files)
        *files = target;
    return {true, QString()};
}
