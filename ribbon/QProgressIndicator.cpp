#include "QProgressIndicator.h"

#include <QPainter>
#include <QTimerEvent>

namespace {
constexpr int capsuleCount = 12;
constexpr int stepDegrees = 360 / capsuleCount;
} // namespace

QProgressIndicator::QProgressIndicator(QWidget *parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(tr("Working"));
}

QProgressIndicator::Geometry QProgressIndicator::geometryFor(int side)
{
    Geometry g{};
    g.outerRadius = static_cast<int>((side - 1) * 0.5);
    g.innerRadius = static_cast<int>((side - 1) * 0.5 * 0.38);
    g.capsuleHeight = g.outerRadius - g.innerRadius;
    // Small wheels get relatively wider capsules so they stay visible.
    g.capsuleWidth = static_cast<int>(g.capsuleHeight * (side > 32 ? 0.23 : 0.35));
    g.cornerRadius = g.capsuleWidth / 2;
    return g;
}

QSize QProgressIndicator::sizeHint() const
{
    return QSize(100, 100);
}

bool QProgressIndicator::hasHeightForWidth() const
{
    return true;
}

int QProgressIndicator::heightForWidth(int width) const
{
    return width;
}

void QProgressIndicator::startAnimation()
{
    m_angle = 0;
    if (m_timerId == -1)
        m_timerId = startTimer(m_delay);
}

void QProgressIndicator::stopAnimation()
{
    if (m_timerId != -1)
        killTimer(m_timerId);
    m_timerId = -1;
    update();
}

void QProgressIndicator::setAnimationDelay(int delay)
{
    const bool running = m_timerId != -1;
    if (running)
        killTimer(m_timerId);
    m_timerId = -1;
    m_delay = delay;
    // A running wheel goes on turning at the new speed.
    if (running)
        m_timerId = startTimer(m_delay);
}

void QProgressIndicator::setDisplayedWhenStopped(bool state)
{
    m_displayedWhenStopped = state;
    update();
}

void QProgressIndicator::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void QProgressIndicator::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_timerId) {
        QWidget::timerEvent(event);
        return;
    }
    m_angle = (m_angle + stepDegrees) % 360;
    update();
}

void QProgressIndicator::paintEvent(QPaintEvent *)
{
    if (!m_displayedWhenStopped && !isAnimated())
        return;

    const Geometry g = geometryFor(qMin(width(), height()));

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    const QRect capsule(static_cast<int>(-g.capsuleWidth * 0.5), -(g.innerRadius + g.capsuleHeight),
                        g.capsuleWidth, g.capsuleHeight);
    for (int i = 0; i < capsuleCount; ++i) {
        // The leading capsule is opaque; each one behind it is a twelfth fainter.
        QColor c = m_color;
        c.setAlphaF(1.0 - i / double(capsuleCount));
        p.setBrush(c);

        p.save();
        p.translate(rect().center());
        p.rotate(m_angle - stepDegrees * i);
        p.drawRoundedRect(capsule, g.cornerRadius, g.cornerRadius, Qt::AbsoluteSize);
        p.restore();
    }
}
