#include "FolderRemoval.h"

#include "FolderHelpers.h"

#include <QDir>
#include <QFileInfo>

bool removeFolderRecursively(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        return true;
    if (!info.isDir() || info.isSymLink())
        return false;
    // The contents' own result does not count: whatever is left makes the removal fail.
    removeFolderContents(folder);
    return QDir().rmdir(info.absoluteFilePath());
}
