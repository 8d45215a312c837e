#pragma once

#include <QtCore>

// Receives the addresses the program asks the desktop to open (a QDesktopServices handler).
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};
