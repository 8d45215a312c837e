#pragma once

#include "OcrPage.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <mutex>

// What pages were found to say, kept per page file for the life of the program, so that a
// second export of unchanged pages does not recognise them again. An entry holds only while
// the file keeps its size and modification time: an edited page is saved anew, which changes
// them, and a new page that reuses a removed page's file name differs in them as well.
// Any thread.
class OcrCache
{
public:
    // The file as it is now; read before the image so that a change during recognition makes
    // the stored entry stale rather than wrong.
    struct Stamp
    {
        qint64 size = -1;
        qint64 modified = 0; // ms since the epoch
        bool operator==(const Stamp &other) const
        {
            return size == other.size && modified == other.modified;
        }
    };

    static OcrCache &instance();
    static Stamp stampOf(const QString &path);

    bool find(const QString &path, const QString &languages, const Stamp &stamp,
              OcrPage *page) const;
    void store(const QString &path, const QString &languages, const Stamp &stamp,
               const OcrPage &page);
    void drop(const QString &path);
    // The document's pages were renumbered: the file before[i] is now after[i]. Entries of
    // files not in before belong to removed pages and go.
    void renumber(const QStringList &before, const QStringList &after);
    void clear();
    int size() const;

private:
    struct Entry
    {
        Stamp stamp;
        QString languages;
        OcrPage page;
    };

    mutable std::mutex m_mutex;
    QHash<QString, Entry> m_entries;
};
