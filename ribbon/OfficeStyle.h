#pragma once

#include <QProxyStyle>

namespace Ribbon {

// The application style of the program: Fusion with a numbered colour theme that the ribbon
// widgets and the work area take their colours from (see ThemeColors for the numbers).
// Install it with QApplication::setStyle(), which takes ownership. GUI thread only.
class OfficeStyle : public QProxyStyle
{
    Q_OBJECT

public:
    explicit OfficeStyle();

    // Switches to theme (a ThemeColors::Theme number) and repaints every widget using this
    // style. An unknown number is ignored, so a stale stored value cannot break the look.
    void setTheme(int theme);
    int theme() const;

    // The style of widget when it is one of ours, else the application's when that is,
    // else null.
    static OfficeStyle *of(const QWidget *widget);

signals:
    void themeChanged(int theme);

private:
    int m_theme;
};

} // namespace Ribbon
