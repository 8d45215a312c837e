#pragma once

#include "ExportProgress.h"

#include <QElapsedTimer>
#include <QString>

#include <cstdio>

class QTimer;

// The command line's progress on standard error: a bar redrawn in place on a terminal, plain
// lines ("page 3 of 10") otherwise, nothing when quiet. A Ctrl+C (SIGINT) or SIGTERM counts as
// a cancel: the signal only sets a flag, which is looked at between pages and several times a
// second while an export waits for its tools. Main thread only.
class ConsoleProgress : public ExportProgress
{
    Q_OBJECT

public:
    ConsoleProgress(bool quiet, FILE *stream = stderr);
    ~ConsoleProgress() override;

    // Routes SIGINT and SIGTERM to the flag; call once, before any work.
    static void catchInterrupts();
    // The signal that came in, 0 for none.
    static int interruptSignal();

    // The pages an export writes.
    void setPageCount(int count) { m_count = count; }
    // A page was read from its input file (1-based, the document's count so far).
    void pageRead(int page, const QString &input);

    void setCreatingPhase() override;
    void setWritingPhase(int page) override;
    void setRecognisingPhase(int page) override;
    void finish() override;
    bool isCancelRequested() const override;

private:
    void show(const QString &what, int page, int count);

    bool m_quiet;
    FILE *m_stream;
    bool m_terminal;
    bool m_lineOpen = false;
    int m_count = 0;
    QTimer *m_watch;
    QElapsedTimer m_sinceShown;
};
