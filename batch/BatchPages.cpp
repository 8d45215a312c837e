#include "BatchPages.h"

#include "ConsoleProgress.h"
#include "ImageFileWriter.h"
#include "ImageLoading.h"
#include "PageFileCheck.h"

#include <QCollator>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSet>

#include <algorithm>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("BatchPages", text);
}

// The file suffixes a folder's pictures have: every image format this build reads, and PDF.
const QSet<QString> &pictureSuffixes()
{
    static const QSet<QString> suffixes = [] {
        QSet<QString> known{QStringLiteral("pdf"), QStringLiteral("jpg"), QStringLiteral("tif")};
        for (const QByteArray &format : QImageReader::supportedImageFormats())
            known.insert(QString::fromLatin1(format).toLower());
        return known;
    }();
    return suffixes;
}

bool interrupted()
{
    return ConsoleProgress::interruptSignal() != 0;
}

BatchFailure interruption()
{
    return {BatchFailure::Interrupted, QString(), tr("interrupted")};
}
} // namespace

BatchPages::BatchPages(const QString &folder, const Cleaning &cleaning, ConsoleProgress &progress)
    : m_folder(folder), m_cleaning(cleaning), m_progress(progress)
{
}

QStringList BatchPages::expand(const QString &input)
{
    const QFileInfo info(input);
    if (!info.isDir())
        return {input};
    QDir folder(input);
    QStringList names = folder.entryList(QDir::Files);
    // The C locale's collator compares code points only, numbers included: English's orders
    // numbers by value.
    const QLocale locale =
        QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    QStringList files;
    for (const QString &name : names) {
        const QString path = folder.filePath(name);
        if (pictureSuffixes().contains(QFileInfo(name).suffix().toLower()))
            files << path;
        else
            m_warnings << tr("%1: skipped, not a picture").arg(path);
    }
    return files;
}

BatchFailure BatchPages::read(const QStringList &inputs)
{
    for (const QString &input : inputs) {
        const QFileInfo info(input);
        if (!info.exists())
            return BatchFailure::failed(input, loadFailureReason(LoadFailure::Missing));
        const QStringList files = expand(input);
        if (info.isDir() && files.isEmpty())
            return BatchFailure::failed(input, tr("no pictures in this folder"));
        for (const QString &file : files) {
            if (const BatchFailure failure = readFile(file))
                return failure;
        }
    }
    return {};
}

BatchFailure BatchPages::readFile(const QString &input)
{
    if (interrupted())
        return interruption();
    BatchFailure failure;
    if (takeAsItIs(input, &failure) || failure)
        return failure;
    const int before = int(m_files.size());
    const LoadedFile loaded = readImageFilePages(input, [&](LoadedPage &&page) {
        if (interrupted()) {
            failure = interruption();
            return false;
        }
        if (!page.jpeg.isEmpty() && !m_cleaning.enabled) {
            // A picture taken out of a PDF as its JPEG data: kept byte for byte.
            return addFile(input, QStringLiteral("jpg"), &failure, [&page](const QString &path) {
                return writeFileBytes(page.jpeg, path);
            });
        }
        QImage image = page.jpeg.isEmpty() ? std::move(page.image) : QImage::fromData(page.jpeg);
        return addImage(image, input, &failure);
    });
    if (!failure && !loaded)
        failure = BatchFailure::failed(input, loadFailureReason(loaded.failure));
    if (failure) {
        // Nothing of a file that failed half-way goes into the document.
        for (int i = before; i < m_files.size(); ++i) {
            QFile::remove(m_files.at(i));
            m_inputs.remove(m_files.at(i));
        }
        m_files.resize(before);
    }
    return failure;
}

bool BatchPages::addScanned(const QImage &page, BatchFailure *failure)
{
    return addImage(page, tr("scanned page %1").arg(m_files.size() + 1), failure);
}

bool BatchPages::takeAsItIs(const QString &input, BatchFailure *failure)
{
    if (m_cleaning.enabled)
        return false;
    QImageReader reader(input);
    if (reader.format() != "jpeg" || reader.transformation() != QImageIOHandler::TransformationNone)
        return false;
    // A file cut short is refused as the loader refuses it; any other doubt goes to the loader.
    if (m_checkJpeg) {
        const PageFileCheck check = PageFileCheck::check(input);
        if (check.problem() == PageFileCheck::Problem::Incomplete) {
            *failure = BatchFailure::failed(input, check.reason());
            return true;
        }
        if (!check)
            return false;
    }
    const QString absolute = QFileInfo(input).absoluteFilePath();
    return addFile(input, QStringLiteral("jpg"), failure, [&absolute](const QString &path) {
        WriteResult linked;
        linked.ok = QFile::link(absolute, path);
        if (!linked.ok)
            linked.error = tr("cannot link %1").arg(path);
        return linked;
    });
}

bool BatchPages::addImage(const QImage &image, const QString &input, BatchFailure *failure)
{
    QList<QImage> pages{image};
    if (m_cleaning.enabled) {
        ProcessedPages processed = processScannedPage(image, m_cleaning.split,
                                                      m_cleaning.blackAndWhite, m_cleaning.options);
        // As in the window: a page the processor could not clean goes in as it was.
        if (!processed.problem.isEmpty())
            m_warnings << tr("%1: page %2 not cleaned: %3")
                              .arg(input)
                              .arg(m_files.size() + 1)
                              .arg(processed.problem);
        pages = std::move(processed.pages);
    }
    for (const QImage &page : pages) {
        // The page file rule: black and white as TIFF, anything else as JPEG.
        const QString suffix = page.depth() == 1 ? QStringLiteral("tiff") : QStringLiteral("jpg");
        const bool added = addFile(input, suffix, failure, [&page](const QString &path) {
            return writePageImage(page, path);
        });
        if (!added)
            return false;
    }
    return true;
}

bool BatchPages::addFile(const QString &input, const QString &suffix, BatchFailure *failure,
                         const std::function<WriteResult(const QString &)> &write)
{
    const QString path = nextName(suffix);
    const WriteResult written = write(path);
    if (!written) {
        *failure = BatchFailure::failed(input, written.error);
        return false;
    }
    m_files << path;
    m_inputs.insert(path, input);
    m_progress.pageRead(int(m_files.size()), input);
    return true;
}

QString BatchPages::nextName(const QString &suffix) const
{
    return QStringLiteral("%1/%2.%3")
        .arg(m_folder)
        .arg(m_files.size() + 1, 6, 10, QLatin1Char('0'))
        .arg(suffix);
}
