#pragma once

#include <QMainWindow>

namespace Ribbon {

class RibbonBar;

// A main window with a ribbon above its central widget (in the menu bar's place).
// GUI thread only.
class RibbonMainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit RibbonMainWindow(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    // Owned by the window; never null.
    RibbonBar *ribbonBar() const;

private:
    RibbonBar *m_ribbonBar;
};

} // namespace Ribbon
