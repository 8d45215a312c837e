#include "DocxGenerator.h"

#include "DialogProgress.h"
#include "DocxTemplate.h"
#include "FolderHelpers.h"
#include "FolderRemoval.h"
#include "ImageHeader.h"
#include "PageFileCheck.h"
#include "WordProgress.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>

Q_LOGGING_CATEGORY(lcDocx, "quillary.export.docx")

namespace {
const QString DocumentPart = QStringLiteral("word/document.xml");
const QString RelationshipsPart = QStringLiteral("word/_rels/document.xml.rels");

// Adds the entry name holding everything data gives. Pictures are stored as they are: they
// are compressed already, and deflating them again only costs time.
bool addEntry(QuaZip &zip, const QString &name, QIODevice &data, bool deflate)
{
    QuaZipFile entry(&zip);
    if (!entry.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, deflate ? Z_DEFLATED : 0,
                    deflate ? Z_DEFAULT_COMPRESSION : 0)) {
        return false;
    }
    bool written = true;
    while (written && !data.atEnd()) {
        const QByteArray chunk = data.read(1 << 16);
        written = !chunk.isEmpty() && entry.write(chunk) == chunk.size();
    }
    entry.close();
    return written && entry.getZipError() == ZIP_OK;
}

bool addEntry(QuaZip &zip, const QString &name, const QByteArray &bytes, bool deflate)
{
    QBuffer buffer;
    buffer.setData(bytes);
    return buffer.open(QIODevice::ReadOnly) && addEntry(zip, name, buffer, deflate);
}

// A media name for the page: its base name when that is safe in a part name and a relationship
// target, else "page<n>"; never one taken before.
QString mediaName(const QString &path, int n, const QString &extension, QSet<QString> &used)
{
    static const QRegularExpression safe(QStringLiteral("^[A-Za-z0-9_-]+$"));
    QString base = QFileInfo(path).completeBaseName();
    if (!safe.match(base).hasMatch())
        base = QStringLiteral("page%1").arg(n + 1);
    QString name = base + QLatin1Char('.') + extension;
    for (int copy = 2; used.contains(name); ++copy)
        name = QStringLiteral("%1_%2.%3").arg(base).arg(copy).arg(extension);
    used.insert(name);
    return name;
}
} // namespace

DocxGenerator::DocxGenerator() = default;

DocxGenerator::~DocxGenerator()
{
    // QTemporaryDir's own removal gives up on read-only entries; ours makes them writable.
    if (m_workFolder && m_workFolder->isValid())
        removeFolderRecursively(m_workFolder->path());
}

QString DocxGenerator::workFolder()
{
    if (!m_workFolder) {
        const QString pattern = runFolderPattern(QStringLiteral("export"));
        if (pattern.isEmpty())
            return QString();
        m_workFolder = std::make_unique<QTemporaryDir>(pattern);
    }
    return m_workFolder->isValid() ? m_workFolder->path() : QString();
}

bool DocxGenerator::run(const QString &outputPath)
{
    DialogProgress progress(std::make_unique<WordProgress>(int(m_pages.size()), m_progressWindow));
    return write(outputPath, progress);
}

bool DocxGenerator::write(const QString &outputPath, ExportProgress &progress)
{
    m_cancelled = false;
    m_failureReason.clear();
    progress.setCreatingPhase();
    QCoreApplication::processEvents();

    // The save file is declared first so that the package is closed before it goes.
    QSaveFile output(outputPath);
    QuaZip package(&output);
    QFile templateFile(QStringLiteral(":/template/docx.zip"));
    QuaZip source(&templateFile);
    QString document;
    QString relationshipsPart;
    QString relationships;
    QString pageText;
    DocxTemplate fragments;

    const auto finish = [&](bool written, const QString &why) {
        if (!written) {
            if (!why.isEmpty())
                qCWarning(lcDocx).noquote() << why;
            // Nothing reaches outputPath: the half-written package is thrown away on close.
            output.cancelWriting();
        }
        if (source.isOpen())
            source.close();
        if (package.isOpen())
            package.close();
        written = written && package.getZipError() == ZIP_OK;
        progress.finish();
        return written;
    };

    if (!fragments.load() || !source.open(QuaZip::mdUnzip))
        return finish(false, tr("The Word template cannot be read."));
    QDir().mkpath(QFileInfo(outputPath).absolutePath());
    if (!package.open(QuaZip::mdCreate)) {
        return finish(false, tr("Cannot write %1: %2")
                                 .arg(QDir::toNativeSeparators(outputPath), output.errorString()));
    }

    // The template's parts, but for the two that take the pages, go in as they are.
    for (bool more = source.goToFirstFile(); more; more = source.goToNextFile()) {
        const QString name = source.getCurrentFileName();
        if (name.endsWith(QLatin1Char('/')))
            continue; // a folder entry: the package holds parts only
        QuaZipFile entry(&source);
        if (!entry.open(QIODevice::ReadOnly))
            return finish(false, tr("The Word template part %1 is damaged.").arg(name));
        const QByteArray bytes = entry.readAll();
        entry.close();
        if (entry.getZipError() != UNZ_OK)
            return finish(false, tr("The Word template part %1 is damaged.").arg(name));
        if (name == DocumentPart)
            document = QString::fromUtf8(bytes);
        else if (name == RelationshipsPart)
            relationshipsPart = QString::fromUtf8(bytes);
        else if (!addEntry(package, name, bytes, true))
            return finish(false, tr("Cannot write %1.").arg(outputPath));
    }
    if (document.isEmpty() || relationshipsPart.isEmpty())
        return finish(false, tr("The Word template lacks its document."));

    QSet<QString> usedNames;
    int n = 0;
    for (int i = 0; i < m_pages.size(); ++i) {
        const QString &path = m_pages.at(i);
        if (QFileInfo(path).isFile()) {
            // Pictures go in byte for byte: a page cut short would make a document that shows
            // a broken picture.
            const auto unreadable = [&](const QString &message) {
                m_failureReason = message;
                return finish(false, message);
            };
            const PageFileCheck check = PageFileCheck::check(path);
            if (!check)
                return unreadable(check.pageMessage(i));
            const ImageHeader header = ImageHeader::read(path);
            QImageReader reader(path);
            reader.setDecideFormatFromContent(true);
            const QByteArray format = reader.format();
            if (!header.isValid() || format.isEmpty()) {
                return unreadable(PageFileCheck::pageMessage(
                    i, path, PageFileCheck::reasonFor(PageFileCheck::Problem::Damaged)));
            }

            bool added = false;
            QString target;
            if (format == "jpeg" || format == "png") {
                target = mediaName(path, n, QString::fromLatin1(format), usedNames);
                QFile page(path);
                added = page.open(QIODevice::ReadOnly) &&
                        addEntry(package, QStringLiteral("word/media/") + target, page, false);
            } else {
                // Word processors show JPEG and PNG pictures everywhere; a TIFF page becomes PNG.
                const QImage image = reader.read();
                QByteArray png;
                QBuffer buffer(&png);
                if (image.isNull())
                    return unreadable(PageFileCheck::pageMessage(i, path, reader.errorString()));
                if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
                    return finish(false, tr("The page %1 cannot be converted.").arg(path));
                target = mediaName(path, n, QStringLiteral("png"), usedNames);
                added = addEntry(package, QStringLiteral("word/media/") + target, png, false);
            }
            if (!added)
                return finish(false, tr("Cannot add the page %1 to %2.").arg(path, outputPath));

            relationships += fragments.relationship(n, target);
            if (n > 0)
                pageText += fragments.pageBreak();
            pageText +=
                fragments.page(n, DocxTemplate::pictureExtent(header.size(), header.dpiX()));
            ++n;
        }
        progress.setWritingPhase(i + 1);
        QCoreApplication::processEvents();
        if (progress.isCancelRequested()) {
            // Stops after the page in hand; nothing of the package is kept.
            m_cancelled = true;
            return finish(false, QString());
        }
    }

    if (!addEntry(package, DocumentPart, DocxTemplate::fillDocument(document, pageText).toUtf8(),
                  true) ||
        !addEntry(package, RelationshipsPart,
                  DocxTemplate::fillRelationships(relationshipsPart, relationships).toUtf8(),
                  true)) {
        return finish(false, tr("Cannot write %1.").arg(outputPath));
    }
    // Closing the package commits the save file: only now is an earlier file replaced.
    return finish(true, QString());
}
