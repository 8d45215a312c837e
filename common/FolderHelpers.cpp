#include "FolderHelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMutex>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString describedError(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, qt_error_string(error));
}
} // namespace

WriteResult makePrivateFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {false, describedError(path, errno)};
    // lstat: a link planted under the expected name is refused, not followed.
    struct stat info;
    if (lstat(native.constData(), &info) != 0)
        return {false, describedError(path, errno)};
    if (!S_ISDIR(info.st_mode))
        return {false,
                QCoreApplication::translate("FolderHelpers", "%1 is not a folder").arg(path)};
    if (info.st_uid != geteuid())
        return {
            false,
            QCoreApplication::translate("FolderHelpers", "%1 belongs to another user").arg(path)};
    if ((info.st_mode & 0077) != 0)
        return {
            false,
            QCoreApplication::translate("FolderHelpers", "%1 is open to other users").arg(path)};
    return {true, QString()};
}

QString applicationTempFolder()
{
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty()) {
        const QString folder = runtime + QStringLiteral("/quillary");
        if (makePrivateFolder(folder))
            return folder;
    }
    const QString temp = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    const QString folder = temp + QStringLiteral("/quillary-%1").arg(geteuid());
    if (makePrivateFolder(folder))
        return folder;

    // The usual names are taken (perhaps by someone else): one unpredictable folder for the
    // rest of this run, made again should it vanish; mkdtemp makes it 0700.
    static QMutex mutex;
    static QString fresh;
    const QMutexLocker locker(&mutex);
    if (fresh.isEmpty() || !makePrivateFolder(fresh)) {
        QByteArray pattern = QFile::encodeName(temp + QStringLiteral("/quillary-XXXXXX"));
        fresh = mkdtemp(pattern.data()) ? QFile::decodeName(pattern) : QString();
    }
    return fresh;
}

QString runFolderPattern(const QString &kind, const QString &parent)
{
    const QString folder = parent.isEmpty() ? applicationTempFolder() : parent;
    if (folder.isEmpty())
        return QString();
    return QStringLiteral("%1/%2-%3-XXXXXX").arg(folder, kind).arg(getpid());
}

namespace {
// A run folder's owner is gone when its process id names no process; a reused id only
// keeps the folder until a later start.
bool ownerIsGone(const QString &folderName)
{
    const QStringList parts = folderName.split(QLatin1Char('-'));
    bool isNumber = false;
    const qint64 pid = parts.size() == 3 ? parts.at(1).toLongLong(&isNumber) : 0;
    if (!isNumber || pid <= 0 || pid == getpid())
        return false;
    return kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}
} // namespace

void removeStaleRunFolders(const QString &parent, const QString &kind)
{
    if (parent.isEmpty())
        return;
    QDir folder(parent);
    const QStringList runFolders =
        folder.entryList({kind + QStringLiteral("-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : runFolders) {
        if (ownerIsGone(name) && removeFolderContents(folder.filePath(name)))
            folder.rmdir(name);
    }
}

void removeStaleTempFiles()
{
    const QString path = applicationTempFolder();
    if (path.isEmpty())
        return; // an empty path would mean the working folder
    QDir folder(path);
    const QStringList names =
        folder.entryList({QStringLiteral("Temp*")}, QDir::Files | QDir::Hidden);
    for (const QString &name : names) {
        if (name.size() > 32)
            folder.remove(name);
    }
    const QStringList runFolders = folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : runFolders) {
        if (ownerIsGone(name) && removeFolderContents(folder.filePath(name)))
            folder.rmdir(name);
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
