#pragma once

#include <QMainWindow>
#include <QMetaObject>

namespace Ribbon {

class RibbonBar;

// A main window with a ribbon above its central widget (in the menu bar's place).
// It always fits the available area of its screen: the minimum size asked for shrinks on a
// small (or strongly scaled) screen, and the size it comes up with stays within the area.
// GUI thread only.
class RibbonMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit RibbonMainWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // Owned by the window; never null.
    RibbonBar *ribbonBar() const;

    // The minimum size wished for; the window takes it where the screen's available area
    // holds it with the window frame, and as much of it as fits elsewhere.
    void setPreferredMinimumSize(const QSize &size);
    QSize preferredMinimumSize() const;

protected:
    bool event(QEvent *event) override;

private:
    void fitToScreen();
    void updateMinimum();
    // The available area of the window's screen less the window frame.
    QSize room() const;
    void watchScreen();
    QSize frameExtra() const;

    RibbonBar *m_ribbonBar;
    QSize m_preferredMinimum;
    QMetaObject::Connection m_screenConnection;
    QMetaObject::Connection m_geometryConnection;
};

} // namespace Ribbon
