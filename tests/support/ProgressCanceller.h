#pragma once

#include "PdfProgress.h"

#include <QtWidgets>

#include <functional>

// Presses "Cancel" on an exporter's progress dialog, once shown, when its bar reaches page (0:
// never), as a user would; pressed, if given, runs just before the press.
class ProgressCanceller : public QObject
{
public:
    ProgressCanceller(const QWidget *dialog, int page, std::function<void()> pressed = {})
    {
        if (page <= 0)
            return;
        m_finder.callOnTimeout(this, [=, this] {
            auto *progress = dialog->findChild<PdfProgress *>();
            if (progress == nullptr || !progress->isVisible())
                return;
            m_finder.stop();
            auto *cancel = progress->findChild<QPushButton *>();
            connect(progress->findChild<QProgressBar *>(), &QProgressBar::valueChanged, cancel,
                    [=, this](int value) {
                        if (value != page || m_pressedAt != 0)
                            return;
                        m_pressedAt = value;
                        if (pressed)
                            pressed();
                        cancel->click();
                    });
        });
        m_finder.start(0);
    }

    // The page at which "Cancel" was pressed; 0 while it was not.
    int pressedAt() const { return m_pressedAt; }

private:
    QTimer m_finder;
    int m_pressedAt = 0;
};
