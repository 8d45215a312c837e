#pragma once

#include "DocGenerator.h"

#include <QStringList>

#include <memory>

class QTemporaryDir;

// Base of the generators that assemble their output from intermediate files (the Word
// document, and the DjVu file through DjvuGenerator). The Word exporter gives run().
//
// The intermediate files go to a private temporary folder of the generator, never into the
// user's destination folder, so nothing of the user's (a folder called "tmp" in Documents,
// say) can be touched. The folder is deleted with the generator, whatever run() returned.
// GUI thread, like run().
class DocxGenerator : public DocGenerator
{
public:
    DocxGenerator();
    ~DocxGenerator() override;

    // The page image files in export order; the list is shared with the caller's, not copied.
    void setPages(const QStringList &pages) { m_pages = pages; }
    const QStringList &pages() const { return m_pages; }

protected:
    // The private temporary folder, created empty on first use; an empty text when it cannot
    // be created (then run() fails).
    QString workFolder();

private:
    QStringList m_pages;
    std::unique_ptr<QTemporaryDir> m_workFolder;
};
