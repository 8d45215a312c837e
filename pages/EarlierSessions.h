#pragma once

#include "ImageFileWriter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>

// Where the page files of an earlier run go when a new document starts before they were
// restored: root/"Earlier Sessions"/"Session <number> (<date and time>)", one sub-folder per
// session, the newest few kept. The "Current" folder is renamed there as a whole (one rename
// on the same file system), so a session is never split and its pictures stay byte for byte
// what they were.
//
// Age is the number in the folder name, one more than any before it, never the clock: a
// clock set back must not make the session just put aside the oldest. Folders of older
// versions are named by date alone and count as older than every numbered one. Only folders
// holding page images are sessions; others are left alone.
//
// Not tied to a thread; one instance per work folder, used from one thread at a time.
class EarlierSessions
{
    Q_DECLARE_TR_FUNCTIONS(EarlierSessions)

public:
    // How many earlier sessions are kept; the oldest beyond this are deleted.
    static constexpr int KeptSessions = 5;

    // A kept session as the user is told about it.
    struct Session
    {
        QString folder;
        int pages = 0;
        // The last change of any of its page files: when that session was worked on.
        QDateTime lastChanged;
    };

    explicit EarlierSessions(const QString &workFolder);

    QString folder() const { return m_folder; }

    // When currentFolder holds page images, renames it into a new session folder and makes a
    // fresh, empty currentFolder; then deletes the oldest sessions beyond KeptSessions, never
    // the one just put aside. A kill at any point leaves the session whole either in
    // currentFolder or in its new place (currentFolder then missing until it is made again).
    WriteResult keep(const QString &currentFolder);

    // The newest kept session folder that still holds page files, or empty.
    QString newest() const;

    // The kept sessions, oldest first.
    QList<Session> sessions() const;
    // The sessions that putting one more aside would delete, oldest first.
    QList<Session> removedByNextKeep() const;

    // Deletes a session folder that holds no page file any more (thumbnails of pages that
    // went back are derived data); a folder holding anything else stays.
    static void removeIfDone(const QString &sessionFolder);

private:
    // Every sub-folder, oldest first, with or without pages.
    QStringList sessionFolders() const;
    void prune(const QString &keptNow) const;

    QString m_folder;
};

// The page image files in folder ("*_o.jpg", "*_o.tiff"), in name order and so in page order.
QStringList pageImageFiles(const QString &folder);
