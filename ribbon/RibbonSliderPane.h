#pragma once

#include <QWidget>

class QSlider;
class QToolButton;

namespace Ribbon {

// A compact horizontal slider for a status bar, with optional "-" and "+" buttons that move
// it by one step. Values are kept on the grid minimum + k * singleStep (the maximum is
// always reachable too), whether set, dragged, stepped or typed. GUI thread only.
class RibbonSliderPane : public QWidget
{
    Q_OBJECT

public:
    explicit RibbonSliderPane(QWidget *parent = nullptr);

    void setRange(int min, int max);
    int minimum() const;
    int maximum() const;
    // A step below 1 counts as 1.
    void setSingleStep(int step);
    int singleStep() const;
    // The "-" and "+" buttons; hidden until switched on.
    void setScrollButtons(bool shown);
    // Moves to value, snapped to the grid and kept in range.
    void setSliderPosition(int value);
    int value() const;

signals:
    // Emitted once for every real change of value, never for a move that lands on the
    // same value.
    void valueChanged(int value);

protected:
    bool event(QEvent *event) override;

private:
    int snapped(int value) const;
    void stepBy(int steps);
    void onSliderValueChanged(int value);

    QSlider *m_slider;
    QToolButton *m_decrease;
    QToolButton *m_increase;
    int m_step;
    int m_value;
};

} // namespace Ribbon
