#include "OcrCache.h"

#include <QFileInfo>

namespace {
// A few thousand pages of words are a few megabytes; beyond that start again rather than grow.
constexpr int maxEntries = 5000;
} // namespace

OcrCache &OcrCache::instance()
{
    static OcrCache cache;
    return cache;
}

OcrCache::Stamp OcrCache::stampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return Stamp();
    return {info.size(), info.lastModified().toMSecsSinceEpoch()};
}

bool OcrCache::find(const QString &path, const QString &languages, const Stamp &stamp,
                    OcrPage *page) const
{
    if (stamp.size < 0)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_entries.constFind(path);
    if (it == m_entries.cend() || !(it->stamp == stamp) || it->languages != languages)
        return false;
    *page = it->page;
    return true;
}

void OcrCache::store(const QString &path, const QString &languages, const Stamp &stamp,
                     const OcrPage &page)
{
    if (stamp.size < 0)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_entries.size() >= maxEntries && !m_entries.contains(path))
        m_entries.clear();
    m_entries.insert(path, {stamp, languages, page});
}

void OcrCache::drop(const QString &path)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.remove(path);
}

void OcrCache::renumber(const QStringList &before, const QStringList &after)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // Built anew, since renumbering may swap names.
    QHash<QString, Entry> kept;
    for (int i = 0; i < before.size() && i < after.size(); ++i) {
        const auto it = m_entries.constFind(before.at(i));
        if (it != m_entries.cend())
            kept.insert(after.at(i), *it);
    }
    m_entries.swap(kept);
}

void OcrCache::clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.clear();
}

int OcrCache::size() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return int(m_entries.size());
}
