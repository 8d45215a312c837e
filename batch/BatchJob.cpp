#include "BatchJob.h"

#include "BatchExport.h"
#include "BatchPages.h"
#include "BatchScan.h"
#include "ConsoleProgress.h"
#include "FolderHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <memory>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("BatchJob", text);
}

qint64 sizeOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return info.size();
    qint64 bytes = 0;
    for (QDirIterator it(path, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        bytes += QFileInfo(it.next()).size();
    return bytes;
}
} // namespace

BatchJob::BatchJob(const BatchOptions &options) : m_options(options)
{
}

BatchFailure BatchJob::checkOutput() const
{
    const bool folder = m_options.format == BatchOptions::Format::Images;
    const QFileInfo output(QDir::cleanPath(m_options.output));
    const QFileInfo parent(output.absolutePath());
    if (!parent.isDir())
        return BatchFailure::failed(
            m_options.output, tr("no folder %1").arg(QDir::toNativeSeparators(parent.filePath())));
    if (output.exists() && output.isDir() != folder)
        return BatchFailure::failed(m_options.output,
                                    folder ? tr("is a file, not a folder") : tr("is a folder"));
    // Known before any page is read: nothing can be written there.
    QTemporaryFile probe(parent.absoluteFilePath() + QStringLiteral("/.quillary-batch-XXXXXX"));
    if (!probe.open())
        return BatchFailure::failed(m_options.output,
                                    tr("cannot be written: %1").arg(probe.errorString()));
    return {};
}

BatchFailure BatchJob::run()
{
    QElapsedTimer clock;
    clock.start();
    if (const BatchFailure failure = checkOutput())
        return failure;

    BatchPages::Cleaning cleaning;
    cleaning.enabled = m_options.process;
    cleaning.split = m_options.split;
    cleaning.blackAndWhite = m_options.blackAndWhite;
    cleaning.options.margins = m_options.margins;
    cleaning.options.illumination = m_options.illumination;
    if (cleaning.enabled) {
        cleaning.options.processor = defaultPageProcessor();
        if (cleaning.options.processor.isEmpty())
            return BatchFailure::failed(QStringLiteral("quillary-pageproc"),
                                        tr("the page processor is not installed"));
    }

    // Inside the program's temporary folder, named after this process, so that a window
    // started later clears what a killed run left there.
    const QString pattern = runFolderPattern(QStringLiteral("batch"));
    const auto work = pattern.isEmpty() ? std::make_unique<QTemporaryDir>()
                                        : std::make_unique<QTemporaryDir>(pattern);
    if (!work->isValid())
        return BatchFailure::failed(QDir::tempPath(),
                                    tr("no temporary folder: %1").arg(work->errorString()));
    cleaning.options.workFolder = work->filePath(QStringLiteral("processing"));
    const QString pageFolder = work->filePath(QStringLiteral("pages"));
    QDir().mkpath(pageFolder);

    ConsoleProgress progress(m_options.quiet);
    BatchPages pages(pageFolder, cleaning, progress);
    // The PDF writer checks every page itself: a JPEG is read once less.
    pages.setCheckingJpeg(m_options.format != BatchOptions::Format::Pdf);
    BatchFailure failure = pages.read(m_options.inputs);
    if (!failure && m_options.scan.enabled) {
        failure = scanPages(m_options.scan, [&pages](const QImage &page, BatchFailure *failed) {
            return pages.addScanned(page, failed);
        });
    }
    progress.finish();
    m_warnings = pages.warnings();
    if (!failure) {
        m_pages = int(pages.files().size());
        failure = BatchExport(m_options, progress, [&pages](const QString &file) {
                      return pages.inputOf(file);
                  }).write(pages.files());
        progress.finish();
    }
    if (!failure)
        m_bytes = sizeOf(m_options.output);
    m_seconds = double(clock.nsecsElapsed()) / 1e9;
    return failure;
}

QJsonObject BatchJob::summary(const BatchFailure &failure) const
{
    QJsonObject object{
        {QStringLiteral("output"), m_options.output},
        {QStringLiteral("format"), BatchOptions::formatName(m_options.format)},
        {QStringLiteral("status"), failure.status},
        {QStringLiteral("pages"), failure ? 0 : m_pages},
        {QStringLiteral("bytes"), failure ? 0 : m_bytes},
        {QStringLiteral("seconds"), m_seconds},
        {QStringLiteral("warnings"), QJsonArray::fromStringList(m_warnings)},
    };
    if (failure)
        object.insert(QStringLiteral("error"), failure.reason);
    return object;
}
