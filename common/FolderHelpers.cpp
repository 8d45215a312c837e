#include "FolderHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QStandardPaths>

QString applicationTempFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString user = qEnvironmentVariable("USER", QStringLiteral("user"));
    const QString folder = base + QStringLiteral("/quillary-") + user;
    QDir().mkpath(folder);
    return folder;
}

void removeStaleTempFiles()
{
    QDir folder(applicationTempFolder());
    const QStringList names =
        folder.entryList({QStringLiteral("Temp*")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (name.size() > 32)
            folder.remove(name);
    }
}

bool removeFolderContents(const QString &folder)
{
    bool allRemoved = true;
    QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        const QString path = entry.absoluteFilePath();
        QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner |
                                        QFile::ReadOwner |
                                        (entry.isDir() ? QFile::ExeOwner : QFile::Permissions()));
        if (entry.isDir() && !entry.isSymLink()) {
            allRemoved = QDir(path).removeRecursively() && allRemoved;
        } else {
            allRemoved = QFile::remove(path) && allRemoved;
        }
    }
    return allRemoved;
}
