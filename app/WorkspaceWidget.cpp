#include "WorkspaceWidget.h"

#include "RibbonStyle.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOption>

WorkspaceWidget::WorkspaceWidget(QWidget *parent) : QWidget(parent)
{
    setMouseTracking(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, QColor(255, 255, 255));
    setPalette(white);
    setAutoFillBackground(true);
}

void WorkspaceWidget::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    QWidget::mousePressEvent(event);
}

void WorkspaceWidget::paintEvent(QPaintEvent *event)
{
    if (!event->region().intersects(rect()))
        return;
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    // Styles other than the ribbon's do not know the element and draw nothing.
    style()->drawPrimitive(Ribbon::RibbonStyle::PE_Workspace, &option, &painter, this);
}
