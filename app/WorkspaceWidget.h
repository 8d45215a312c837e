#pragma once

#include <QWidget>

// The main window's central widget: white, with the style's work-area background painted
// over it, behind the splitter with the work area and the page panel. A click on it takes the
// keyboard focus away from the page view and the fields. GUI thread only.
class WorkspaceWidget : public QWidget
{
    Q_OBJECT

public:
    explicit WorkspaceWidget(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
};
