#include "ConsoleProgress.h"

#include <QTimer>

#include <atomic>
#include <csignal>
#include <unistd.h>

namespace {
std::atomic<int> caughtSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

void interrupted(int signal)
{
    caughtSignal.store(signal);
}

// A terminal redraws the bar at most this often; lines go out for every page.
constexpr int RedrawMs = 100;
constexpr int BarWidth = 30;
} // namespace

ConsoleProgress::ConsoleProgress(bool quiet, FILE *stream)
    : m_quiet(quiet), m_stream(stream), m_terminal(isatty(fileno(stream)) != 0),
      m_watch(new QTimer(this))
{
    // An export waiting in an event loop for its tools hears of the signal from here.
    m_watch->setInterval(RedrawMs);
    connect(m_watch, &QTimer::timeout, this, [this] {
        if (isCancelRequested()) {
            m_watch->stop();
            emit cancelled();
        }
    });
    m_watch->start();
}

ConsoleProgress::~ConsoleProgress()
{
    finish();
}

void ConsoleProgress::catchInterrupts()
{
    struct sigaction action = {};
    action.sa_handler = interrupted;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int ConsoleProgress::interruptSignal()
{
    return caughtSignal.load();
}

void ConsoleProgress::pageRead(int page, const QString &input)
{
    if (m_terminal)
        show(tr("reading %1").arg(input), page, 0);
}

void ConsoleProgress::setCreatingPhase()
{
}

void ConsoleProgress::setWritingPhase(int page)
{
    if (page > 0)
        show(tr("page"), page, m_count);
}

void ConsoleProgress::setRecognisingPhase(int page)
{
    show(tr("recognising page"), page, m_count);
}

void ConsoleProgress::finish()
{
    if (m_lineOpen) {
        std::fputc('\n', m_stream);
        std::fflush(m_stream);
        m_lineOpen = false;
    }
}

bool ConsoleProgress::isCancelRequested() const
{
    return interruptSignal() != 0;
}

void ConsoleProgress::show(const QString &what, int page, int count)
{
    if (m_quiet)
        return;
    if (!m_terminal) {
        if (count > 0)
            std::fprintf(m_stream, "%s\n",
                         qPrintable(tr("%1 %2 of %3").arg(what).arg(page).arg(count)));
        return;
    }
    if (m_sinceShown.isValid() && m_sinceShown.elapsed() < RedrawMs && page != count)
        return;
    m_sinceShown.start();
    QString line;
    if (count > 0) {
        const int filled = BarWidth * qBound(0, page, count) / count;
        line = QStringLiteral("[%1%2] %3/%4 %5")
                   .arg(QString(filled, u'#'), QString(BarWidth - filled, u' '))
                   .arg(page)
                   .arg(count)
                   .arg(what);
    } else {
        line = QStringLiteral("%1 (%2)").arg(what).arg(page);
    }
    // Cleared to the end of the line, so that a shorter text leaves nothing of a longer one.
    std::fprintf(m_stream, "\r%s\033[K", qPrintable(line));
    std::fflush(m_stream);
    m_lineOpen = true;
}
