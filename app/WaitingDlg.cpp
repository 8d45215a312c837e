#include "WaitingDlg.h"

#include "QProgressIndicator.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QTimer>

namespace {
constexpr int indicatorDelayMs = 50;
// Lets the last frame stay on screen briefly instead of freezing the wheel at once.
constexpr int stopAfterHideMs = 100;
} // namespace

WaitingDlg::WaitingDlg(QWidget *parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint), m_message(new QLabel),
      m_indicator(new QProgressIndicator)
{
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);

    m_indicator->setAnimationDelay(indicatorDelayMs);
    m_indicator->setDisplayedWhenStopped(true);

    QFont font = m_message->font();
    font.setBold(true);
    font.setPointSize(14);
    m_message->setFont(font);
    m_message->setAlignment(Qt::AlignCenter);

    auto *frame = new QFrame;
    frame->setFrameStyle(QFrame::NoFrame);
    auto *layout = new QHBoxLayout(frame);
    layout->addWidget(m_indicator);
    layout->addWidget(m_message);
    setCentralWidget(frame);

    setFixedSize(500, 100);
}

WaitingDlg::~WaitingDlg()
{
    m_mayClose = true;
}

void WaitingDlg::showMessage(const QString &text)
{
    m_message->setText(text);
    m_message->setAccessibleName(text);
    show();
    QCoreApplication::processEvents();
}

void WaitingDlg::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_indicator->startAnimation();
}

void WaitingDlg::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    // Bound to the indicator so a window destroyed meanwhile cancels the stop.
    QTimer::singleShot(stopAfterHideMs, m_indicator, &QProgressIndicator::stopAnimation);
}

void WaitingDlg::closeEvent(QCloseEvent *event)
{
    // The long step decides when the window goes, never the close key.
    if (m_mayClose)
        QMainWindow::closeEvent(event);
    else
        event->ignore();
}
