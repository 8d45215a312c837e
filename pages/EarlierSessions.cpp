#include "EarlierSessions.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace {
const QStringList PageImagePatterns{QStringLiteral("*_o.jpg"), QStringLiteral("*_o.tiff")};

// The number of a session folder; 0 for a folder of an older version, named by date alone.
qint64 sequenceOf(const QString &folderName)
{
    static const QRegularExpression numbered(QStringLiteral("^Session (\\d+) "));
    const QRegularExpressionMatch match = numbered.match(folderName);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}
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
    // Thumbnails alone or a file manager's ".directory" are no session to keep.
    if (pageImageFiles(currentFolder).isEmpty())
        return {true, QString()};

    const QStringList existing = sessionFolders();
    const qint64 number =
        existing.isEmpty() ? 1 : sequenceOf(QFileInfo(existing.last()).fileName()) + 1;
    // The date is only for someone looking at the folders; the number tells the age.
    const QString session =
        m_folder +
        QStringLiteral("/Session %1 (%2)")
            .arg(number, 6, 10, QLatin1Char('0'))
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh-mm-ss")));
    if (!QDir().mkpath(m_folder))
        return {false, tr("Can't create the folder %1.").arg(QDir::toNativeSeparators(m_folder))};
    if (!QDir().rename(currentFolder, session))
        return {false, tr("Can't move the pages of the last session to %1.")
                           .arg(QDir::toNativeSeparators(session))};
    if (!QDir().mkpath(currentFolder))
        return {false,
                tr("Can't create the folder %1.").arg(QDir::toNativeSeparators(currentFolder))};
    prune(session);
    return {true, QString()};
}

QString EarlierSessions::newest() const
{
    const QList<Session> kept = sessions();
    return kept.isEmpty() ? QString() : kept.last().folder;
}

QList<EarlierSessions::Session> EarlierSessions::sessions() const
{
    QList<Session> kept;
    for (const QString &folder : sessionFolders()) {
        const QStringList pages = pageImageFiles(folder);
        if (pages.isEmpty())
            continue;
        Session session{folder, int(pages.size()), QDateTime()};
        for (const QString &page : pages)
            session.lastChanged = std::max(session.lastChanged, QFileInfo(page).lastModified());
        kept.append(session);
    }
    return kept;
}

QList<EarlierSessions::Session> EarlierSessions::removedByNextKeep() const
{
    const QList<Session> kept = sessions();
    return kept.mid(0, std::max<qsizetype>(0, kept.size() + 1 - KeptSessions));
}

void EarlierSessions::removeIfDone(const QString &sessionFolder)
{
    if (!pageImageFiles(sessionFolder).isEmpty())
        return;
    // What else came along with the pages is not ours to delete; it keeps the folder.
    QDir folder(sessionFolder);
    for (const QString &name : folder.entryList({QStringLiteral("*_s.jpg")}, QDir::Files))
        folder.remove(name);
    QDir().rmdir(sessionFolder);
}

QStringList EarlierSessions::sessionFolders() const
{
    const QDir dir(m_folder);
    QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    // Stable: folders named by date keep their date order among themselves.
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return sequenceOf(a) < sequenceOf(b);
    });
    QStringList paths;
    for (const QString &name : std::as_const(names))
        paths.append(dir.filePath(name));
    return paths;
}

void EarlierSessions::prune(const QString &keptNow) const
{
    const QList<Session> kept = sessions();
    for (int i = 0; i + KeptSessions < kept.size(); ++i) {
        if (kept.at(i).folder != keptNow)
            QDir(kept.at(i).folder).removeRecursively();
    }
}
