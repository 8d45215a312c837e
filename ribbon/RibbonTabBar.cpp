#include "RibbonTabBar.h"

#include "RibbonTabBarAccessible.h"
#include "ThemeColors.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionFocusRect>

#include <utility>

namespace Ribbon {

RibbonTabBar::RibbonTabBar(QWidget *parent) : QTabBar(parent), m_hovered(-1)
{
    setDrawBase(false);
    setExpanding(false);
    setDocumentMode(true);
    setElideMode(Qt::ElideNone);
    setUsesScrollButtons(true);
    setMouseTracking(true);
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(&RibbonTabBarAccessible::factory);
        return true;
    }();
    Q_UNUSED(accessibleFactoryInstalled)
    // Assistive technology learns of the newly selected tab.
    connect(this, &QTabBar::currentChanged, this, [this, previous = -1](int index) mutable {
        const int before = std::exchange(previous, index);
        if (!QAccessible::isActive())
            return;
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(this);
        for (const int tabIndex : {before, index}) {
            if (QAccessibleInterface *tab = bar ? bar->child(tabIndex) : nullptr;
                tab && tabIndex < count()) {
                QAccessible::State changed;
                changed.selected = true;
                QAccessibleStateChangeEvent event(tab, changed);
                QAccessible::updateAccessibility(&event);
            }
        }
    });
}

QSize RibbonTabBar::tabSizeHint(int index) const
{
    // Padding follows the font so the tabs scale with the screen's text size.
    const QFontMetrics metrics = fontMetrics();
    const QSize text = metrics.size(Qt::TextShowMnemonic, tabText(index));
    const int padX = metrics.averageCharWidth() * 2;
    const int padY = metrics.height() / 3;
    return QSize(text.width() + 2 * padX, text.height() + 2 * padY);
}

QSize RibbonTabBar::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

int RibbonTabBar::textFlags() const
{
    int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
    if (!style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, this))
        flags |= Qt::TextHideMnemonic;
    return flags;
}

void RibbonTabBar::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const ThemeColors colors = ThemeColors::forWidget(this);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = fontMetrics().height() / 4.0;

    for (int i = 0; i < count(); ++i) {
        const QRectF rect = QRectF(tabRect(i)).adjusted(0.5, 0.5, -0.5, 0.5);
        const bool current = i == currentIndex();
        if (current || i == m_hovered) {
            // Rounded on top, open at the bottom so the current tab flows into the panel.
            QPainterPath path;
            path.moveTo(rect.bottomLeft());
            path.lineTo(rect.left(), rect.top() + radius);
            path.quadTo(rect.topLeft(), QPointF(rect.left() + radius, rect.top()));
            path.lineTo(rect.right() - radius, rect.top());
            path.quadTo(rect.topRight(), QPointF(rect.right(), rect.top() + radius));
            path.lineTo(rect.bottomRight());
            painter.fillPath(path, current ? colors.pageTop : colors.hover);
            painter.setPen(QPen(current ? colors.border : colors.separator, 1.0));
            painter.drawPath(path);
        }
        painter.setPen(current ? colors.pageText : colors.barText);
        if (!isTabEnabled(i))
            painter.setPen(colors.disabledText);
        painter.drawText(tabRect(i), textFlags(), tabText(i));

        if (current && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            const int inset = fontMetrics().height() / 6;
            focus.rect = tabRect(i).adjusted(inset, inset, -inset, -inset);
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

void RibbonTabBar::mouseMoveEvent(QMouseEvent *event)
{
    const int hovered = tabAt(event->position().toPoint());
    if (hovered != m_hovered) {
        m_hovered = hovered;
        update();
    }
    QTabBar::mouseMoveEvent(event);
}

void RibbonTabBar::leaveEvent(QEvent *event)
{
    if (m_hovered != -1) {
        m_hovered = -1;
        update();
    }
    QTabBar::leaveEvent(event);
}

} // namespace Ribbon
