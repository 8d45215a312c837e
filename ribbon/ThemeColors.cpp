#include "ThemeColors.h"

#include "OfficeStyle.h"

#include <QApplication>
#include <QWidget>

namespace Ribbon {

namespace {

QColor rgb(QRgb value)
{
    return QColor::fromRgb(value);
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
    return c;
}

ThemeColors ThemeColors::forWidget(const QWidget *widget)
{
    if (const OfficeStyle *style = OfficeStyle::of(widget))
        return forTheme(style->theme());
    return forTheme(Azure);
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
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, separator.darker(140));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, separator.darker(140));
    palette.setColor(QPalette::Disabled, QPalette::Text, separator.darker(140));
    return palette;
}

} // namespace Ribbon
