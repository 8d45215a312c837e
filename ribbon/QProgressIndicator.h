#pragma once

#include <QColor>
#include <QWidget>

// A spinning wheel of twelve rounded capsules that fade around the circle and turn in 30-degree
// steps, telling the user the program is busy. The wheel only turns while the event loop runs.
// GUI thread only; the parent widget owns it.
class QProgressIndicator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int delay READ animationDelay WRITE setAnimationDelay)
    Q_PROPERTY(bool displayedWhenStopped READ isDisplayedWhenStopped WRITE setDisplayedWhenStopped)
    Q_PROPERTY(QColor color READ color WRITE setColor)

public:
    // Sizes of the wheel drawn in a square of a given side, in pixels.
    struct Geometry
    {
        int outerRadius;
        int innerRadius;
        int capsuleWidth;
        int capsuleHeight;
        int cornerRadius;
    };

    explicit QProgressIndicator(QWidget *parent = nullptr);

    static Geometry geometryFor(int side);

    int animationDelay() const { return m_delay; }
    bool isDisplayedWhenStopped() const { return m_displayedWhenStopped; }
    QColor color() const { return m_color; }
    // Degrees of the leading capsule, clockwise from straight up: 0, 30 .. 330.
    int angle() const { return m_angle; }
    bool isAnimated() const { return m_timerId != -1; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

public slots:
    void startAnimation();
    void stopAnimation();
    void setAnimationDelay(int delay);
    void setDisplayedWhenStopped(bool state);
    void setColor(const QColor &color);

protected:
    void timerEvent(QTimerEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int m_angle = 0;
    int m_timerId = -1;
    int m_delay = 40;
    bool m_displayedWhenStopped = false;
    QColor m_color = Qt::black;
};
