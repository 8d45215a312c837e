#pragma once

#include "DocGenerator.h"

#include <QCoreApplication>
#include <QStringList>

#include <memory>

class ExportProgress;
class QTemporaryDir;
class QWidget;

// Writes the pages as a Word document: one picture per A4 page, centred, page breaks between
// them. The package is the template ":/template/docx.zip" with the picture relationships and
// the page paragraphs spliced in and the pictures added under "word/media/". JPEG and PNG
// pages go in byte for byte; any other page (a black-and-white TIFF) is converted to PNG, so
// that each picture's content matches its declared type. Missing page files are skipped; a
// page file that is there but damaged (PageFileCheck) fails the export.
//
// The package is streamed straight into the output, one page at a time, and replaces an
// earlier file only when complete: a failure or a cancel leaves that file as it was.
//
// Also the base of DjvuGenerator, which assembles its output from intermediate files.
//
// The intermediate files go to a private temporary folder of the generator, never into the
// user's destination folder, so nothing of the user's (a folder called "tmp" in Documents,
// say) can be touched. The folder is deleted with the generator, whatever run() returned.
// GUI thread, like run().
class DocxGenerator : public DocGenerator
{
    Q_DECLARE_TR_FUNCTIONS(DocxGenerator)

public:
    DocxGenerator();
    ~DocxGenerator() override;

    // The page image files in export order; the list is shared with the caller's, not copied.
    void setPages(const QStringList &pages) { m_pages = pages; }
    const QStringList &pages() const { return m_pages; }

    // Writes the Word document to outputPath with a WordProgress; true only when the complete
    // file was written.
    bool run(const QString &outputPath) override;
    // The same, telling progress instead of showing a dialog (the command line).
    virtual bool write(const QString &outputPath, ExportProgress &progress);
    // Whether the last run() stopped because the user cancelled it.
    virtual bool wasCancelled() const { return m_cancelled; }
    // The window the progress dialog belongs to; none by default.
    void setProgressWindow(QWidget *window) { m_progressWindow = window; }
    // Why the last run() failed, for the user, when it was not the output that could not be
    // written (a damaged page, a missing tool); empty otherwise.
    const QString &failureReason() const { return m_failureReason; }

protected:
    void setFailureReason(const QString &reason) { m_failureReason = reason; }
    QWidget *progressWindow() const { return m_progressWindow; }
    // The private temporary folder, created empty on first use; an empty text when it cannot
    // be created (then run() fails).
    QString workFolder();

private:
    QStringList m_pages;
    QWidget *m_progressWindow = nullptr;
    bool m_cancelled = false;
    QString m_failureReason;
    std::unique_ptr<QTemporaryDir> m_workFolder;
};
