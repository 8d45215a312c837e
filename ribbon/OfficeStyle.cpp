#include "OfficeStyle.h"

#include "ThemeColors.h"

#include <QApplication>
#include <QWidget>

namespace Ribbon {

OfficeStyle::OfficeStyle() : QProxyStyle(QStringLiteral("Fusion")), m_theme(ThemeColors::Azure)
{
}

void OfficeStyle::setTheme(int theme)
{
    if (!ThemeColors::isValid(theme) || theme == m_theme)
        return;
    m_theme = theme;
    emit themeChanged(theme);
    // Widgets that paint straight from the theme (the work area) have no other way to learn.
    const QList<QWidget *> widgets = QApplication::allWidgets();
    for (QWidget *widget : widgets) {
        if (widget->style() == this)
            widget->update();
    }
}

int OfficeStyle::theme() const
{
    return m_theme;
}

OfficeStyle *OfficeStyle::of(const QWidget *widget)
{
    if (widget) {
        if (auto *style = qobject_cast<OfficeStyle *>(widget->style()))
            return style;
    }
    // A widget with a style sheet of its own reports a wrapper style; the theme is the
    // application's either way.
    return qobject_cast<OfficeStyle *>(QApplication::style());
}

} // namespace Ribbon
