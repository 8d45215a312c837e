#include "RibbonStyle.h"

#include "ThemeColors.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QStyleOption>

namespace Ribbon {

RibbonStyle::RibbonStyle() = default;

void RibbonStyle::drawPrimitive(QStyle::PrimitiveElement element, const QStyleOption *option,
                                QPainter *painter, const QWidget *widget) const
{
    if (element != PE_Workspace || !option || !painter) {
        OfficeStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // A soft vertical gradient: light under the ribbon (or dark under a dark palette), a
    // little deeper towards the status bar, so the white pages in the work area stand out.
    const ThemeColors colors = ThemeColors::forTheme(theme(), QGuiApplication::palette());
    const QRect r = option->rect;
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0.0, colors.workspaceTop);
    gradient.setColorAt(1.0, colors.workspaceBottom);
    painter->save();
    painter->fillRect(r, gradient);
    painter->restore();
}

} // namespace Ribbon
