#include "RibbonPage.h"

#include "RibbonGroup.h"
#include "RibbonText.h"
#include "ThemeColors.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QToolButton>
#include <QWheelEvent>

namespace Ribbon {

RibbonPage::RibbonPage(const QString &title, QWidget *parent)
    : QWidget(parent), m_title(title), m_row(new QWidget(this)), m_layout(new QHBoxLayout(m_row)),
      m_scrollLeft(makeScrollButton(Qt::LeftArrow, tr("Scroll ribbon left"))),
      m_scrollRight(makeScrollButton(Qt::RightArrow, tr("Scroll ribbon right"))), m_offset(0)
{
    setAccessibleName(plainText(title));
    const int gap = fontMetrics().height() / 4;
    m_layout->setContentsMargins(gap, gap, gap, gap);
    m_layout->setSpacing(0);
    m_layout->addStretch(1);
    // Groups added or resized change the row's width.
    m_row->installEventFilter(this);

    connect(m_scrollLeft, &QToolButton::clicked, this, [this] { scrollBy(-width() / 2); });
    connect(m_scrollRight, &QToolButton::clicked, this, [this] { scrollBy(width() / 2); });
    // Tab, a key tip or a mnemonic may focus a control scrolled out of sight.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && m_row->isAncestorOf(now))
            ensureVisible(now);
    });
}

RibbonGroup *RibbonPage::addGroup(const QString &title)
{
    auto *group = new RibbonGroup(title, m_row);
    // Before the trailing stretch, so groups pack to the left.
    m_layout->insertWidget(m_layout->count() - 1, group);
    m_groups.append(group);
    return group;
}

QString RibbonPage::title() const
{
    return m_title;
}

QList<RibbonGroup *> RibbonPage::groups() const
{
    return m_groups;
}

QSize RibbonPage::sizeHint() const
{
    return m_row->sizeHint();
}

QSize RibbonPage::minimumSizeHint() const
{
    return QSize(m_scrollLeft->sizeHint().width() + m_scrollRight->sizeHint().width(),
                 m_row->sizeHint().height());
}

void RibbonPage::ensureVisible(const QWidget *widget)
{
    if (!widget || !m_row->isAncestorOf(widget))
        return;
    const QRect rect(widget->mapTo(m_row, QPoint()), widget->size());
    // Keep clear of the arrow buttons, which cover the ends while they are shown.
    const int margin = m_scrollLeft->sizeHint().width();
    int offset = m_offset;
    if (rect.right() > offset + width() - margin)
        offset = rect.right() - width() + margin + 1;
    if (rect.left() < offset + margin)
        offset = rect.left() - margin;
    scrollBy(offset - m_offset);
}

bool RibbonPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_row && event->type() == QEvent::LayoutRequest) {
        updateGeometry();
        layoutRow();
    }
    return QWidget::eventFilter(watched, event);
}

void RibbonPage::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const ThemeColors colors = ThemeColors::forWidget(this);
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, colors.pageTop);
    gradient.setColorAt(1.0, colors.pageBottom);
    painter.fillRect(rect(), gradient);
    painter.setPen(colors.border);
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

void RibbonPage::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutRow();
}

void RibbonPage::wheelEvent(QWheelEvent *event)
{
    // Either wheel direction moves the row: it can only go sideways.
    const QPoint delta = event->angleDelta();
    const int steps = qAbs(delta.x()) > qAbs(delta.y()) ? delta.x() : delta.y();
    const int before = m_offset;
    scrollBy(-steps * fontMetrics().height() / 40);
    event->setAccepted(m_offset != before);
}

QToolButton *RibbonPage::makeScrollButton(Qt::ArrowType arrow, const QString &name)
{
    auto *button = new QToolButton(this);
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setAutoRepeat(true);
    // Opaque, so the groups pass underneath instead of showing through.
    button->setAutoFillBackground(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(name);
    button->setAccessibleName(name);
    button->setFixedWidth(fontMetrics().height());
    button->hide();
    return button;
}

void RibbonPage::scrollBy(int dx)
{
    m_offset += dx;
    layoutRow();
}

void RibbonPage::layoutRow()
{
    const int rowWidth = qMax(m_row->sizeHint().width(), width());
    m_offset = qBound(0, m_offset, rowWidth - width());
    m_row->setGeometry(-m_offset, 0, rowWidth, height());
    m_scrollLeft->setGeometry(0, 1, m_scrollLeft->width(), height() - 2);
    m_scrollRight->setGeometry(width() - m_scrollRight->width(), 1, m_scrollRight->width(),
                               height() - 2);
    m_scrollLeft->setVisible(m_offset > 0);
    m_scrollRight->setVisible(m_offset < rowWidth - width());
    m_scrollLeft->raise();
    m_scrollRight->raise();
}

} // namespace Ribbon
