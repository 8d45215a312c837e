#include "OfficePopupWindow.h"

#include "OfficeStyle.h"
#include "ThemeColors.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QVBoxLayout>

namespace Ribbon {

OfficePopupWindow::OfficePopupWindow(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      m_layout(new QVBoxLayout(this)), m_title(new QLabel(this)),
      m_closeButton(new QToolButton(this)),
      m_animation(new QPropertyAnimation(this, QByteArray(), this)), m_displayTimer(this),
      m_animationType(NoAnimation), m_animationSpeed(250), m_displayTime(10000),
      m_pausedRemaining(-1), m_dragEnabled(false), m_dragging(false), m_opacity(1.0)
{
    // A notice must not pull the keyboard away from what the user is typing into.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_X11DoNotAcceptFocus);

    m_title->setObjectName(QStringLiteral("titleLabel"));
    m_title->setTextFormat(Qt::RichText);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    m_closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this));
    m_closeButton->setToolTip(tr("Close"));
    m_closeButton->setAccessibleName(tr("Close"));
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);

    const int gap = fontMetrics().height() / 3;
    m_layout->setContentsMargins(gap, gap / 2, gap, gap);
    m_layout->setSpacing(gap);
    auto *titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(0, 0, 0, 0);
    titleRow->addWidget(m_title, 1);
    titleRow->addWidget(m_closeButton, 0, Qt::AlignTop);
    m_layout->addLayout(titleRow);

    m_displayTimer.setObjectName(QStringLiteral("displayTimer"));
    m_displayTimer.setSingleShot(true);
    connect(&m_displayTimer, &QTimer::timeout, this, &QWidget::close);

    connectTheme();
}

void OfficePopupWindow::setCentralWidget(QWidget *widget)
{
    if (widget == m_central)
        return;
    delete m_central;
    m_central = widget;
    if (widget)
        m_layout->addWidget(widget, 1);
}

QWidget *OfficePopupWindow::centralWidget() const
{
    return m_central;
}

void OfficePopupWindow::setTitleText(const QString &richText)
{
    m_title->setText(richText);
    const QString plain = QTextDocumentFragment::fromHtml(richText).toPlainText().simplified();
    setWindowTitle(plain);
    setAccessibleName(plain);
}

QString OfficePopupWindow::titleText() const
{
    return m_title->text();
}

void OfficePopupWindow::setTitleCloseButtonVisible(bool visible)
{
    m_closeButton->setVisible(visible);
}

void OfficePopupWindow::setAnimation(int type)
{
    m_animationType = type;
}

void OfficePopupWindow::setAnimationSpeed(int ms)
{
    m_animationSpeed = qMax(0, ms);
}

void OfficePopupWindow::setDisplayTime(int ms)
{
    m_displayTime = ms;
}

int OfficePopupWindow::displayTime() const
{
    return m_displayTime;
}

void OfficePopupWindow::setDragDropEnabled(bool enabled)
{
    m_dragEnabled = enabled;
}

void OfficePopupWindow::setTransparency(double opacity)
{
    m_opacity = qBound(0.0, opacity, 1.0);
    setWindowOpacity(m_opacity);
}

void OfficePopupWindow::showPopup()
{
    ensurePolished();
    adjustSize();
    m_target = targetGeometry();
    m_animation->stop();
    setWindowOpacity(m_opacity);

    if (m_animationType == Slide) {
        // Rises by its own height into place.
        setGeometry(m_target.translated(0, m_target.height()));
        m_animation->setPropertyName("pos");
        m_animation->setStartValue(pos());
        m_animation->setEndValue(m_target.topLeft());
    } else {
        setGeometry(m_target);
        if (m_animationType == Fade) {
            setWindowOpacity(0.0);
            m_animation->setPropertyName("windowOpacity");
            m_animation->setStartValue(0.0);
            m_animation->setEndValue(m_opacity);
        }
    }
    show();
    raise();
    if (m_animationType == Slide || m_animationType == Fade) {
        m_animation->setDuration(m_animationSpeed);
        m_animation->start();
    }

    m_pausedRemaining = -1;
    if (m_displayTime > 0)
        m_displayTimer.start(m_displayTime);
    else
        m_displayTimer.stop();
}

void OfficePopupWindow::closeEvent(QCloseEvent *event)
{
    emit aboutToClose();
    m_displayTimer.stop();
    m_animation->stop();
    QWidget::closeEvent(event);
}

void OfficePopupWindow::enterEvent(QEnterEvent *event)
{
    // The user is reading it: hold the countdown until the mouse leaves.
    if (m_displayTimer.isActive()) {
        m_pausedRemaining = qBound(0, m_displayTimer.remainingTime(), m_displayTime);
        m_displayTimer.stop();
    }
    QWidget::enterEvent(event);
}

void OfficePopupWindow::leaveEvent(QEvent *event)
{
    if (m_pausedRemaining >= 0 && isVisible()) {
        m_displayTimer.start(m_pausedRemaining);
        m_pausedRemaining = -1;
    }
    QWidget::leaveEvent(event);
}

void OfficePopupWindow::mousePressEvent(QMouseEvent *event)
{
    if (m_dragEnabled && event->button() == Qt::LeftButton) {
        // Jump to the end of an animation still running so it does not fight the drag.
        if (m_animation->state() == QAbstractAnimation::Running) {
            m_animation->setCurrentTime(m_animation->duration());
            m_animation->stop();
        }
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - pos();
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void OfficePopupWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        m_target = geometry();
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void OfficePopupWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        event->accept();
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void OfficePopupWindow::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const ThemeColors colors = ThemeColors::forWidget(this);
    QPainter painter(this);
    QLinearGradient body(0, 0, 0, height());
    body.setColorAt(0.0, colors.pageTop);
    body.setColorAt(1.0, colors.pageBottom);
    painter.fillRect(rect(), body);

    const int bandBottom = qMax(m_title->geometry().bottom(), m_closeButton->geometry().bottom()) +
                           m_layout->spacing() / 2;
    QLinearGradient band(0, 0, 0, bandBottom);
    band.setColorAt(0.0, colors.barTop);
    band.setColorAt(1.0, colors.barBottom);
    painter.fillRect(QRect(0, 0, width(), bandBottom), band);

    painter.setPen(colors.border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void OfficePopupWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::StyleChange)
        connectTheme();
    // A dark or light desktop palette switched at run time. Not on PaletteChange: applying
    // the theme sets the palette and would come back here.
    else if (event->type() == QEvent::ApplicationPaletteChange)
        applyTheme();
    QWidget::changeEvent(event);
}

QRect OfficePopupWindow::anchorRect() const
{
    // A window still being built has no real place yet: anchor to the screen instead.
    const QWidget *parent = parentWidget();
    if (parent && parent->window()->isVisible()) {
        const QWidget *window = parent->window();
        QRect rect = window->geometry();
        // Keep it on screen when the window hangs over the screen's edge.
        if (const QScreen *screen = window->screen()) {
            const QRect visible = rect.intersected(screen->availableGeometry());
            if (!visible.isEmpty())
                rect = visible;
        }
        return rect;
    }
    if (const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        return screen->availableGeometry();
    return QRect();
}

QRect OfficePopupWindow::targetGeometry() const
{
    const int gap = fontMetrics().height() / 2;
    QRect rect(QPoint(0, 0), size());
    rect.moveBottomRight(anchorRect().bottomRight() - QPoint(gap, gap));

    // Above the popups already shown for the same parent; a gap left by a closed one is
    // filled again.
    QList<QRect> taken;
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        const auto *other = qobject_cast<OfficePopupWindow *>(window);
        if (other && other != this && other->isVisible() && other->parentWidget() == parentWidget())
            taken.append(other->m_target);
    }
    // Each pass moves the rectangle strictly upwards past one popup, so this ends.
    bool moved = true;
    while (moved) {
        moved = false;
        for (const QRect &other : std::as_const(taken)) {
            if (other.adjusted(0, -gap, 0, gap).intersects(rect)) {
                rect.moveBottom(other.top() - gap - 1);
                moved = true;
            }
        }
    }
    return rect;
}

void OfficePopupWindow::connectTheme()
{
    disconnect(m_themeConnection);
    if (OfficeStyle *style = OfficeStyle::of(this))
        m_themeConnection =
            connect(style, &OfficeStyle::themeChanged, this, &OfficePopupWindow::applyTheme);
    applyTheme();
}

void OfficePopupWindow::applyTheme()
{
    const ThemeColors colors = ThemeColors::forWidget(this);
    setPalette(colors.panelPalette(QPalette()));
    // The title sits on the band, which has the colours of the ribbon's tab row.
    QPalette titlePalette = palette();
    titlePalette.setColor(QPalette::WindowText, colors.barText);
    m_title->setPalette(titlePalette);
    update();
}

} // namespace Ribbon
