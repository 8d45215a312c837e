#pragma once

#include <QSplashScreen>

class QLabel;

// The picture with product name, version and a link to the vendor's site; shown while the
// window is built and again by "About". A click or Escape closes it. GUI thread; owner
// decides lifetime.
class SplashPanel : public QSplashScreen
{
    Q_OBJECT
public:
    SplashPanel();

    QString caption() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLabel *m_caption;
};
