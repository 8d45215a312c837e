#pragma once

#include <QMetaObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPropertyAnimation;
class QToolButton;
class QVBoxLayout;

namespace Ribbon {

// A small notice window: a title row (rich text) with a close button, and content below.
// showPopup() places it at the bottom-right corner of the parent's window (of the primary
// screen without a parent), above the other shown popups of the same parent, slides or
// fades it in and closes it after the display time; the countdown pauses while the mouse is
// over it. It never takes the keyboard focus from the window the user works in.
// Set Qt::WA_DeleteOnClose to have it deleted when it closes. GUI thread only.
class OfficePopupWindow : public QWidget
{
    Q_OBJECT

public:
    enum Animation
    {
        NoAnimation = 0,
        Fade = 1,
        Slide = 2
    };

    explicit OfficePopupWindow(QWidget *parent);

    // Takes ownership of widget; a previous content widget is deleted.
    void setCentralWidget(QWidget *widget);
    QWidget *centralWidget() const;

    void setTitleText(const QString &richText);
    QString titleText() const;
    void setTitleCloseButtonVisible(bool visible);

    // One of Animation; unknown numbers show the popup without animation.
    void setAnimation(int type);
    void setAnimationSpeed(int ms);
    // Time shown before it closes by itself; 0 or less keeps it open until closed.
    void setDisplayTime(int ms);
    int displayTime() const;
    void setDragDropEnabled(bool enabled);
    // Window opacity from 0 (invisible) to 1 (opaque).
    void setTransparency(double opacity);

    void showPopup();

signals:
    void aboutToClose();

protected:
    void closeEvent(QCloseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QRect anchorRect() const;
    QRect targetGeometry() const;
    void connectTheme();
    void applyTheme();

    QVBoxLayout *m_layout;
    QLabel *m_title;
    QToolButton *m_closeButton;
    QPointer<QWidget> m_central;
    QPropertyAnimation *m_animation;
    QTimer m_displayTimer;
    int m_animationType;
    int m_animationSpeed;
    int m_displayTime;
    int m_pausedRemaining; // -1 while the countdown is not paused
    bool m_dragEnabled;
    bool m_dragging;
    QPoint m_dragOffset;
    double m_opacity;
    QRect m_target;
    QMetaObject::Connection m_themeConnection;
};

} // namespace Ribbon
