#include "RibbonMainWindow.h"

#include "RibbonBar.h"

#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWindow>

namespace Ribbon {

RibbonMainWindow::RibbonMainWindow(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), m_ribbonBar(new RibbonBar(this))
{
    setMenuWidget(m_ribbonBar);
}

RibbonBar *RibbonMainWindow::ribbonBar() const
{
    return m_ribbonBar;
}

void RibbonMainWindow::setPreferredMinimumSize(const QSize &size)
{
    m_preferredMinimum = size;
    fitToScreen();
}

QSize RibbonMainWindow::preferredMinimumSize() const
{
    return m_preferredMinimum;
}

bool RibbonMainWindow::event(QEvent *event)
{
    const bool result = QMainWindow::event(event);
    if (!isWindow())
        return result;
    // Shown: the native window, its screen and (mostly) its frame are known now.
    if (event->type() == QEvent::Show) {
        watchScreen();
        fitToScreen();
    } else if (event->type() == QEvent::Move || event->type() == QEvent::WindowStateChange) {
        // Some window managers tell the frame only once they have placed the window, and
        // change it between maximised and restored.
        updateMinimum();
    }
    return result;
}

void RibbonMainWindow::fitToScreen()
{
    const QScreen *screen = this->screen();
    if (!screen || !isWindow())
        return;
    updateMinimum();
    const QRect available = screen->availableGeometry();
    const QSize room = this->room();
    // A shown maximised or full-screen window is sized by the window manager. Before the first
    // show the size is the one it comes back to when restored, which must fit as well.
    const Qt::WindowStates managed =
        Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized;
    if (isVisible() && (windowState() & managed))
        return;
    if (size().width() > room.width() || size().height() > room.height())
        resize(size().boundedTo(room));
    if (isVisible() && !available.contains(frameGeometry())) {
        QRect frame = frameGeometry();
        frame.moveRight(qMin(frame.right(), available.right()));
        frame.moveBottom(qMin(frame.bottom(), available.bottom()));
        frame.moveLeft(qMax(frame.left(), available.left()));
        frame.moveTop(qMax(frame.top(), available.top()));
        move(frame.topLeft());
    }
}

void RibbonMainWindow::updateMinimum()
{
    if (m_preferredMinimum.isValid() && screen())
        setMinimumSize(m_preferredMinimum.boundedTo(room()));
}

QSize RibbonMainWindow::room() const
{
    const QScreen *screen = this->screen();
    if (!screen)
        return QSize();
    return (screen->availableGeometry().size() - frameExtra()).expandedTo(QSize(1, 1));
}

void RibbonMainWindow::watchScreen()
{
    QWindow *window = windowHandle();
    if (!window)
        return;
    disconnect(m_screenConnection);
    m_screenConnection = connect(window, &QWindow::screenChanged, this, [this] {
        watchScreen();
        fitToScreen();
    });
    disconnect(m_geometryConnection);
    if (QScreen *screen = window->screen())
        m_geometryConnection = connect(screen, &QScreen::availableGeometryChanged, this,
                                       &RibbonMainWindow::fitToScreen);
}

QSize RibbonMainWindow::frameExtra() const
{
    // Before the window manager has told its frame (and when maximised, where it often drops
    // the borders) the real frame of a restored window is not known: assume at least a title
    // bar and thin borders, so the restored window fits too.
    const int border = qMax(1, fontMetrics().height() / 4);
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const QSize assumed(2 * border, title + 2 * border);
    return (frameGeometry().size() - geometry().size()).expandedTo(assumed);
}

} // namespace Ribbon
