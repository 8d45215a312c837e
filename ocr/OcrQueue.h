#pragma once

#include "OcrPage.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Recognises the pages of an export on worker threads, one engine each, while the caller
// takes the results in page order. Workers run at most a few pages ahead of the page taken
// last, so memory stays the same whatever the page count. Pages found in OcrCache are not
// recognised again; new results go into it.
// Created, used and destroyed by one thread; destroying it stops and joins the workers.
class OcrQueue
{
public:
    enum class Status
    {
        Ready,
        Cancelled, // keepWaiting said stop
        Failed,    // no engine could load the languages; see error()
    };

    // workers 0: one per core.
    OcrQueue(const QStringList &pages, const QString &languages, int workers = 0);
    ~OcrQueue();
    OcrQueue(const OcrQueue &) = delete;
    OcrQueue &operator=(const OcrQueue &) = delete;

    // Waits for page index, calling keepWaiting every few hundredths of a second; pages are
    // taken in increasing order.
    Status take(int index, OcrPage *page, const std::function<bool()> &keepWaiting);
    void cancel();
    QString error() const;

private:
    void work();

    const QStringList m_pages;
    const QString m_languages;
    int m_window = 1;
    std::vector<std::thread> m_threads;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_next = 0;  // the next page a worker takes
    int m_taken = 0; // pages before this one were taken by the caller
    std::map<int, OcrPage> m_done;
    QString m_error;
    std::atomic<bool> m_cancelled{false};
};
