#pragma once

#include <QTabBar>

namespace Ribbon {

// The row of page titles on top of the ribbon. A QTabBar, so titles keep their mnemonics
// (Alt+letter switches pages) and the accessibility of tabs; only the look is ours: flat
// titles on the ribbon background, the current one joined to the panel below.
// Owned by its RibbonBar. GUI thread only.
class RibbonTabBar : public QTabBar
{
    Q_OBJECT

public:
    explicit RibbonTabBar(QWidget *parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int textFlags() const;

    int m_hovered;
};

} // namespace Ribbon
