#include "RibbonMainWindow.h"

#include "RibbonBar.h"

namespace Ribbon {

RibbonMainWindow::RibbonMainWindow(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags), m_ribbonBar(new RibbonBar(this))
{
    setMenuWidget(m_ribbonBar);
}

RibbonBar *RibbonMainWindow::ribbonBar() const
{
    return m_ribbonBar;
}

} // namespace Ribbon
