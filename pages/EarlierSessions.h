#pragma once

#include "ImageFileWriter.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Where the page files of an earlier run go when a new document starts before they were
// restored: root/"Earlier Sessions"/<date and time>, one sub-folder per session, the newest
// few kept. Files are moved there untouched (a rename on the same file system), so the
// pictures stay byte for byte what they were.
//
// Not tied to a thread; one instance per work folder, used from one thread at a time.
class EarlierSessions
{
    Q_DECLARE_TR_FUNCTIONS(EarlierSessions)

public:
    // How many earlier sessions are kept; the oldest beyond this are deleted.
    static constexpr int KeptSessions = 5;

    explicit EarlierSessions(const QString &workFolder);

    QString folder() const { return m_folder; }

    // Moves every file of currentFolder into a new session folder. Nothing is deleted but the
    // oldest kept sessions beyond KeptSessions. On failure the files already moved stay in the
    // new session folder and the rest in currentFolder: no file is lost or overwritten.
    WriteResult keep(const QString &currentFolder);

    // The newest kept session folder that still holds page files, or empty.
    QString newest() const;

    // Deletes a session folder that holds no page file any more (thumbnails of pages that
    // went back are derived data).
    static void removeIfDone(const QString &sessionFolder);

private:
    QStringList sessionFolders() const;
    void prune() const;

    QString m_folder;
};

// The page image files in folder ("*_o.jpg", "*_o.tiff"), in name order and so in page order.
QStringList pageImageFiles(const QString &folder);
