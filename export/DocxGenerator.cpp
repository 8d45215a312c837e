#include "DocxGenerator.h"

#include "FolderHelpers.h"
#include "FolderRemoval.h"

#include <QTemporaryDir>

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
        m_workFolder = std::make_unique<QTemporaryDir>(applicationTempFolder() +
                                                       QStringLiteral("/export-XXXXXX"));
    }
    return m_workFolder->isValid() ? m_workFolder->path() : QString();
}
