#pragma once

#include <QApplication>

// Marks a command that changes the document as running, for its whole length. Commands
// process events while they work, so the user can start another meanwhile; that one is
// refused (with a beep) instead of changing the pages under the running one.
class PageCommand
{
public:
    explicit PageCommand(bool &running) : m_running(running), m_accepted(!running)
    {
        if (m_accepted)
            m_running = true;
        else
            QApplication::beep();
    }
    ~PageCommand()
    {
        if (m_accepted)
            m_running = false;
    }
    PageCommand(const PageCommand &) = delete;
    PageCommand &operator=(const PageCommand &) = delete;

    explicit operator bool() const { return m_accepted; }

private:
    bool &m_running;
    bool m_accepted;
};
