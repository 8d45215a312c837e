#include "BatchExport.h"

#include "ConsoleProgress.h"
#include "DjvuGenerator.h"
#include "FolderRemoval.h"
#include "ImageFolderWriter.h"
#include "PageFileCheck.h"
#include "PdfExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <cstdio>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("BatchExport", text);
}

// The writers learn of a full disk only as a short write: tell it as what it is.
QString cannotWrite(const QString &output, const QString &detail)
{
    const QStorageInfo storage(QFileInfo(output).absolutePath());
    constexpr qint64 AlmostFull = 1 << 20;
    if (storage.isValid() && storage.bytesAvailable() < AlmostFull)
        return tr("cannot be written: the disk is full");
    return detail.isEmpty() ? tr("cannot be written") : tr("cannot be written: %1").arg(detail);
}

BatchFailure interruption()
{
    return {BatchFailure::Interrupted, QString(), tr("interrupted")};
}

// The output's own name, without the slash a folder may be given with.
QString outputPath(const QString &output)
{
    QString path = QDir::cleanPath(output);
    return path.isEmpty() ? output : path;
}
} // namespace

BatchExport::BatchExport(const BatchOptions &options, ConsoleProgress &progress,
                         const std::function<QString(const QString &)> &inputOf)
    : m_options(options), m_progress(progress), m_inputOf(inputOf)
{
}

BatchFailure BatchExport::write(const QStringList &pages)
{
    if (ConsoleProgress::interruptSignal() != 0)
        return interruption();
    m_progress.setPageCount(int(pages.size()));
    switch (m_options.format) {
    case BatchOptions::Format::Pdf:
        return writePdf(pages);
    case BatchOptions::Format::Docx:
        return writeDocx(pages);
    case BatchOptions::Format::Djvu:
        return writeDjvu(pages);
    case BatchOptions::Format::Images:
        return writeImages(pages);
    }
    return {};
}

BatchFailure BatchExport::writePdf(const QStringList &pages)
{
    const PdfExport::Result exported =
        PdfExport::write(pages, m_options.output, m_options.pdf, m_progress);
    const PdfWriter::Result &result = exported.written;
    switch (result.outcome) {
    case PdfWriter::Outcome::Written:
        return {};
    case PdfWriter::Outcome::Cancelled:
        if (!exported.recognitionError.isEmpty())
            return BatchFailure::failed(m_options.pdf.languages,
                                        tr("recognition data could not be loaded"));
        return interruption();
    case PdfWriter::Outcome::NothingToWrite:
        return BatchFailure::failed(m_options.output, tr("no pages to write"));
    case PdfWriter::Outcome::UnsupportedPage:
    case PdfWriter::Outcome::UnreadablePage: {
        // Told of the input the page came from, as a failure of reading it would be.
        const PageFileCheck check = PageFileCheck::check(result.path);
        return BatchFailure::failed(m_inputOf(result.path),
                                    check ? tr("cannot be read: %1").arg(result.detail)
                                          : check.reason());
    }
    case PdfWriter::Outcome::CannotWrite:
        break;
    }
    return BatchFailure::failed(m_options.output, cannotWrite(m_options.output, result.detail));
}

BatchFailure BatchExport::writeDocx(const QStringList &pages)
{
    DocxGenerator generator;
    generator.setPages(pages);
    if (generator.write(m_options.output, m_progress))
        return {};
    if (generator.wasCancelled())
        return interruption();
    const QString reason = generator.failureReason();
    return BatchFailure::failed(
        m_options.output, reason.isEmpty() ? cannotWrite(m_options.output, QString()) : reason);
}

BatchFailure BatchExport::writeDjvu(const QStringList &pages)
{
    DjvuGenerator generator;
    generator.setPages(pages);
    if (m_options.djvuPercent > 0)
        generator.setPercent(m_options.djvuPercent);
    if (generator.write(m_options.output, m_progress))
        return {};
    if (generator.wasCancelled())
        return interruption();
    const QString reason =
        generator.failureReason().isEmpty() ? generator.error() : generator.failureReason();
    return BatchFailure::failed(m_options.output, reason);
}

BatchFailure BatchExport::writeImages(const QStringList &pages)
{
    const QFileInfo output(outputPath(m_options.output));
    const QString name = output.fileName();
    // Beside the output, so that the files move in by renaming on the same file system.
    QTemporaryDir staging(output.absolutePath() + QStringLiteral("/.") + name +
                          QStringLiteral(".part-XXXXXX"));
    if (!staging.isValid())
        return BatchFailure::failed(m_options.output,
                                    tr("cannot be written: %1").arg(staging.errorString()));
    const ImageFolderWriter::Result result = ImageFolderWriter::write(
        pages, staging.path(), name, m_options.imageFormat, m_options.imageQuality, m_progress);
    m_progress.finish();
    if (result.cancelled)
        return interruption();
    if (!result.unreadable.isEmpty())
        return BatchFailure::failed(m_options.output, result.unreadable);
    if (!result.firstFailed.isEmpty())
        return BatchFailure::failed(result.firstFailed, tr("cannot be written"));

    if (!output.exists()) {
        if (!QDir().rename(staging.path(), output.absoluteFilePath()))
            return BatchFailure::failed(m_options.output, tr("cannot be written"));
        staging.setAutoRemove(false);
        return {};
    }
    // An existing folder keeps what else it holds; files of the same names are replaced.
    QDir target(output.absoluteFilePath());
    for (const QString &file : result.written) {
        const QString moved = target.filePath(QFileInfo(file).fileName());
        if (::rename(QFile::encodeName(file).constData(), QFile::encodeName(moved).constData()) !=
            0)
            return BatchFailure::failed(moved, tr("cannot be written"));
    }
    return {};
}
