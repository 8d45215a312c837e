#pragma once

#include "ImageFileWriter.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class QTemporaryDir;

// Earlier and later versions of edited page files, so that edits can be taken back and made
// again. A version is a byte-for-byte copy of the page file, kept in a private folder of its
// own inside the program's temporary folder: never beside the pages, so a restore of the
// document never takes one for a page, and gone with the history.
//
// Each page keeps at most maxSteps earlier versions; beyond maxBytes for all pages together
// the oldest versions go first (the newest one of the page just edited always stays).
//
// GUI thread only. A page is named by the path of its image file.
class EditHistory : public QObject
{
    Q_OBJECT

public:
    static constexpr int DefaultSteps = 10;
    // The temporary folder may live in memory.
    static constexpr qint64 DefaultBytes = qint64(200) * 1024 * 1024;

    explicit EditHistory(QObject *parent = nullptr, int maxSteps = DefaultSteps,
                         qint64 maxBytes = DefaultBytes);
    ~EditHistory() override;

    // Runs write, which rewrites page, keeping the file as it was for undo when write
    // succeeds; later versions kept for redo then go. When no copy can be kept the page's
    // whole history goes instead, so that an undo never skips this edit. Returns write's
    // result.
    WriteResult rewrite(const QString &page, const std::function<WriteResult()> &write);

    bool canUndo(const QString &page) const;
    bool canRedo(const QString &page) const;
    // Puts the previous (next) version back into page and keeps the present one for redo
    // (undo). On failure page and history stay as they were and the message is for the user.
    WriteResult undo(const QString &page);
    WriteResult redo(const QString &page);

    // The pages were renumbered: the page that was before[i] is now after[i]. A page not in
    // before was removed and its history goes. A page kept aside for undo keeps its history
    // under the name it has there.
    void renumber(const QStringList &before, const QStringList &after);
    // Forgets the versions of pages that are gone for good.
    void forgetPages(const QStringList &pages);

    // The history's clock: every version kept, and every other step that shares the history
    // (DocumentHistory), takes the next tick, so the newest step can be found.
    quint64 tick() { return ++m_age; }
    // The tick of the version an undo (redo) of page would put back; 0 when there is none.
    quint64 newestAge(const QString &page, bool undo) const;
    // Forgets every version and removes their files.
    void clear();

    // The folder of the kept versions; empty while none was ever kept.
    QString folder() const;
    // Bytes of all kept versions.
    qint64 bytesKept() const { return m_bytes; }

signals:
    // Something may now be undone or redone that could not before, or the other way round.
    void changed();

private:
    struct Version
    {
        QString file;
        qint64 bytes = 0;
        quint64 age = 0; // larger is newer
    };
    struct Page
    {
        QList<Version> undo;
        QList<Version> redo;
    };

    // A copy of page as it is now; file empty when none could be made (error says why).
    Version keep(const QString &page, QString *error);
    void forget(const Version &version);
    void forgetPage(const QString &page);
    WriteResult step(const QString &page, bool back);
    void trim(const QString &page);

    std::unique_ptr<QTemporaryDir> m_folder;
    QHash<QString, Page> m_pages;
    int m_maxSteps;
    qint64 m_maxBytes;
    qint64 m_bytes = 0;
    quint64 m_age = 0;
};
