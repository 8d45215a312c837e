#pragma once

#include <QSplashScreen>

class QLabel;

// The picture with product name, version and a link to the vendor's site; shown while the
// window is built and again by "About". A click closes it. GUI thread; owner decides lifetime.
class SplashPanel : public QSplashScreen
{
    Q_OBJECT
public:
    SplashPanel();

    QString caption() const;

private:
    QLabel *m_caption;
};
