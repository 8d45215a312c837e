#include "ThemeColors.h"

#include "OfficeStyle.h"

#include <QGuiApplication>
#include <QWidget>

namespace Ribbon {

namespace {

QColor rgb(QRgb value)
{
    return QColor::fromRgb(value);
}

// a moved by the fraction t towards b.
QColor mixed(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

} // namespace

ThemeColors ThemeColors::forTheme(int theme)
{
    ThemeColors c;
    switch (isValid(theme) ? theme : Azure) {
    case Slate:
        c.barTop = rgb(0x4a4f57);
        c.barBottom = rgb(0x3b3f45);
        c.barText = rgb(0xf2f2f2);
        c.pageTop = rgb(0xf4f5f6);
        c.pageBottom = rgb(0xdfe2e6);
        c.pageText = rgb(0x202327);
        c.border = rgb(0x8b9098);
        c.hover = rgb(0x5c626b);
        c.separator = rgb(0xbcc1c8);
        c.workspaceTop = rgb(0x70757d);
        c.workspaceBottom = rgb(0x474b51);
        c.accent = rgb(0x4f86c6);
        break;
    case Pearl:
        c.barTop = rgb(0xeceef1);
        c.barBottom = rgb(0xdde1e6);
        c.barText = rgb(0x2b2f36);
        c.pageTop = rgb(0xfcfcfd);
        c.pageBottom = rgb(0xe9ebef);
        c.pageText = rgb(0x2b2f36);
        c.border = rgb(0xb3b8c1);
        c.hover = rgb(0xf6f7f9);
        c.separator = rgb(0xcdd1d8);
        c.workspaceTop = rgb(0xd7dbe1);
        c.workspaceBottom = rgb(0xb5bcc6);
        c.accent = rgb(0x5b84b8);
        break;
    case Mint:
        c.barTop = rgb(0xdcefe4);
        c.barBottom = rgb(0xc9e5d4);
        c.barText = rgb(0x1d4a33);
        c.pageTop = rgb(0xf8fdfa);
        c.pageBottom = rgb(0xe2f2e8);
        c.pageText = rgb(0x1d4a33);
        c.border = rgb(0x98c8ab);
        c.hover = rgb(0xeef8f2);
        c.separator = rgb(0xbcdcc8);
        c.workspaceTop = rgb(0xcfe8d9);
        c.workspaceBottom = rgb(0x92c5a7);
        c.accent = rgb(0x2e8b57);
        break;
    case Sky:
        c.barTop = rgb(0xe3ecf7);
        c.barBottom = rgb(0xd5e2f2);
        c.barText = rgb(0x1e395b);
        c.pageTop = rgb(0xfbfdff);
        c.pageBottom = rgb(0xe7eff9);
        c.pageText = rgb(0x1e395b);
        c.border = rgb(0xa9bdd6);
        c.hover = rgb(0xf1f6fc);
        c.separator = rgb(0xc6d5e8);
        c.workspaceTop = rgb(0xe9f1fa);
        c.workspaceBottom = rgb(0xbfd3ea);
        c.accent = rgb(0x3d7cc9);
        break;
    case Azure:
    default:
        c.barTop = rgb(0xcfe0f5);
        c.barBottom = rgb(0xb9d1ee);
        c.barText = rgb(0x15345c);
        c.pageTop = rgb(0xf5f9fe);
        c.pageBottom = rgb(0xd9e6f6);
        c.pageText = rgb(0x15345c);
        c.border = rgb(0x8db2e3);
        c.hover = rgb(0xe3eefb);
        c.separator = rgb(0xaec7e8);
        c.workspaceTop = rgb(0xa9c5ea);
        c.workspaceBottom = rgb(0x6f97cf);
        c.accent = rgb(0x2a6bc0);
        break;
    }
    c.accentText = Qt::white;
    c.disabledText = c.separator.darker(140);
    return c;
}

ThemeColors ThemeColors::forTheme(int theme, const QPalette &palette)
{
    return isDark(palette) ? fromPalette(palette) : forTheme(theme);
}

ThemeColors ThemeColors::fromPalette(const QPalette &palette)
{
    // The same layering as the light themes: the tab row a little deeper than the window, the
    // panel raised towards the text colour, lines between the two.
    const QColor window = palette.color(QPalette::Window);
    const QColor text = palette.color(QPalette::WindowText);
    ThemeColors c;
    c.barTop = window;
    c.barBottom = mixed(window, Qt::black, 0.15);
    c.barText = text;
    c.pageTop = mixed(window, text, 0.10);
    c.pageBottom = mixed(window, text, 0.05);
    c.pageText = text;
    c.border = mixed(window, text, 0.30);
    c.hover = mixed(window, text, 0.16);
    c.separator = mixed(window, text, 0.22);
    c.workspaceTop = mixed(window, text, 0.06);
    c.workspaceBottom = mixed(window, Qt::black, 0.35);
    c.accent = palette.color(QPalette::Highlight);
    c.accentText = palette.color(QPalette::HighlightedText);
    c.disabledText = mixed(c.pageTop, text, 0.45);
    return c;
}

bool ThemeColors::isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() <
           palette.color(QPalette::WindowText).lightnessF();
}

ThemeColors ThemeColors::forWidget(const QWidget *widget)
{
    const OfficeStyle *style = OfficeStyle::of(widget);
    return forTheme(style ? style->theme() : Azure, QGuiApplication::palette());
}

QPalette ThemeColors::panelPalette(const QPalette &base) const
{
    QPalette palette = base;
    palette.setColor(QPalette::Window, pageTop);
    palette.setColor(QPalette::WindowText, pageText);
    palette.setColor(QPalette::Button, pageTop);
    palette.setColor(QPalette::ButtonText, pageText);
    palette.setColor(QPalette::Base, pageTop.lighter(103));
    palette.setColor(QPalette::Text, pageText);
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, accentText);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabledText);
    palette.setColor(QPalette::Disabled, QPalette::Text, disabledText);
    return palette;
}

} // namespace Ribbon
