#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

namespace Ribbon {

// The colours of one numbered theme of the ribbon widgets and the work area.
// Plain value; any thread.
struct ThemeColors
{
    enum Theme
    {
        Azure = 0,
        Slate = 1,
        Pearl = 2,
        Mint = 3,
        Sky = 4, // calm light blue, the program's own choice
        ThemeCount
    };

    QColor barTop;       // ribbon background behind the tabs, top edge
    QColor barBottom;    // ... and bottom edge
    QColor barText;      // tab titles and the title strip
    QColor pageTop;      // the panel holding the groups, top edge
    QColor pageBottom;   // ... and bottom edge
    QColor pageText;     // labels and captions on the panel
    QColor border;       // outline of the panel, the selected tab and popups
    QColor hover;        // tab under the mouse
    QColor separator;    // thin line between groups
    QColor workspaceTop; // work area background, top edge
    QColor workspaceBottom;
    QColor accent;       // selection and focus inside the ribbon
    QColor accentText;   // text on the accent colour
    QColor disabledText; // commands and tabs that cannot be used

    static bool isValid(int theme) { return theme >= 0 && theme < ThemeCount; }
    static ThemeColors forTheme(int theme);
    // The numbered themes are all light: under a dark palette they would glare amid dark
    // dialogs, so there the colours are blended from the palette's own roles instead.
    static ThemeColors forTheme(int theme, const QPalette &palette);
    static ThemeColors fromPalette(const QPalette &palette);
    // Whether palette draws light text on dark windows.
    static bool isDark(const QPalette &palette);

    // The colours for widget under the application palette: those of its style's theme when
    // the style is ours, otherwise those of the default theme, so the ribbon also looks right
    // under any other style. The application palette, not the widget's, since the ribbon sets
    // panel palettes of its own.
    static ThemeColors forWidget(const QWidget *widget);

    // base with the window, button and selection roles taken from the theme, for widgets
    // that sit on the ribbon panel (labels and combo boxes must stay readable on it).
    QPalette panelPalette(const QPalette &base) const;
};

} // namespace Ribbon
