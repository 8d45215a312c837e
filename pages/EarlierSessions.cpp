#include "EarlierSessions.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {
const QStringList PageImagePatterns{QStringLiteral("*_o.jpg"), QStringLiteral("*_o.tiff")};
} // namespace

QStringList pageImageFiles(const QString &folder)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString &name : dir.entryList(PageImagePatterns, QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

EarlierSessions::EarlierSessions(const QString &workFolder)
    : m_folder(workFolder + QLatin1String("/Earlier Sessions"))
{
}

WriteResult EarlierSessions::keep(const QString &currentFolder)
{
    const QDir current(currentFolder);
    const QStringList names = current.entryList(QDir::Files | QDir::Hidden | QDir::System);
    if (names.isEmpty())
        return {true, QString()};

    // Named by time so that name order is age order; a second run within the same second
    // gets its own folder all the same.
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh-mm-ss.zzz"));
    QString session = m_folder + QLatin1Char('/') + stamp;
    for (int n = 2; QFileInfo::exists(session); ++n)
        session = m_folder + QLatin1Char('/') + stamp + QStringLiteral(" (%1)").arg(n);
    if (!QDir().mkpath(session))
        return {false, tr("Can't create the folder %1.").arg(QDir::toNativeSeparators(session))};

    for (const QString &name : names) {
        if (!QFile::rename(current.filePath(name), session + QLatin1Char('/') + name))
            return {false, tr("Can't move %1 of the last session to %2.")
                               .arg(name, QDir::toNativeSeparators(session))};
    }
    prune();
    return {true, QString()};
}

QString EarlierSessions::newest() const
{
    const QStringList sessions = sessionFolders();
    for (auto it = sessions.crbegin(); it != sessions.crend(); ++it) {
        if (!pageImageFiles(*it).isEmpty())
            return *it;
    }
    return QString();
}

void EarlierSessions::removeIfDone(const QString &sessionFolder)
{
    if (pageImageFiles(sessionFolder).isEmpty())
        QDir(sessionFolder).removeRecursively();
}

QStringList EarlierSessions::sessionFolders() const
{
    const QDir dir(m_folder);
    QStringList paths;
    for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

void EarlierSessions::prune() const
{
    const QStringList sessions = sessionFolders();
    for (int i = 0; i + KeptSessions < sessions.size(); ++i)
        QDir(sessions.at(i)).removeRecursively();
}
