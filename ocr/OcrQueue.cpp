#include "OcrQueue.h"

#include "OcrCache.h"
#include "OcrEngine.h"

#include <QImageReader>
#include <QThread>

#include <chrono>

OcrQueue::OcrQueue(const QStringList &pages, const QString &languages, int workers)
    : m_pages(pages), m_languages(languages)
{
    if (workers <= 0)
        workers = qMax(1, QThread::idealThreadCount());
    workers = qMin(workers, int(qMax(qsizetype(1), pages.size())));
    // Each worker's page plus one waiting for the writer: enough to keep every core busy.
    m_window = workers + 1;
    for (int i = 0; i < workers; ++i)
        m_threads.emplace_back([this] { work(); });
}

OcrQueue::~OcrQueue()
{
    cancel();
    for (std::thread &thread : m_threads)
        thread.join();
}

void OcrQueue::cancel()
{
    m_cancelled = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_changed.notify_all();
}

QString OcrQueue::error() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

OcrQueue::Status OcrQueue::take(int index, OcrPage *page, const std::function<bool()> &keepWaiting)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        if (!m_error.isEmpty())
            return Status::Failed;
        const auto it = m_done.find(index);
        if (it != m_done.end()) {
            *page = std::move(it->second);
            m_done.erase(it);
            m_taken = qMax(m_taken, index + 1);
            m_changed.notify_all();
            return Status::Ready;
        }
        if (m_cancelled)
            return Status::Cancelled;
        m_changed.wait_for(lock, std::chrono::milliseconds(30));
        lock.unlock();
        const bool goOn = !keepWaiting || keepWaiting();
        lock.lock();
        if (!goOn) {
            lock.unlock();
            cancel();
            return Status::Cancelled;
        }
    }
}

void OcrQueue::work()
{
    OcrEngine engine;
    for (;;) {
        int index = 0;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] {
                return m_cancelled || !m_error.isEmpty() || m_next >= m_pages.size() ||
                       m_next < m_taken + m_window;
            });
            if (m_cancelled || !m_error.isEmpty() || m_next >= m_pages.size())
                return;
            index = m_next++;
        }
        const QString path = m_pages.at(index);
        const OcrCache::Stamp stamp = OcrCache::stampOf(path);
        OcrPage page;
        if (!OcrCache::instance().find(path, m_languages, stamp, &page)) {
            QString error;
            // Loaded only when a page needs it: a fully cached export starts no engine.
            if (!engine.isLoaded() && !engine.load(m_languages, &error)) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_error = error;
                m_changed.notify_all();
                return;
            }
            QImageReader reader(path);
            const QImage image = reader.read();
            page = engine.recognise(image, 0, &m_cancelled);
            if (m_cancelled)
                return;
            // An unreadable page is left to the writer, which reports it.
            if (!image.isNull())
                OcrCache::instance().store(path, m_languages, stamp, page);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_done.emplace(index, std::move(page));
        m_changed.notify_all();
    }
}
