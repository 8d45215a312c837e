#pragma once

#include <QObject>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Reports this installation to the vendor's host with one request, then deletes itself.
// Short-lived: made for one report, never reused. GUI thread only; parented to its caller.
class InstCnt : public QObject
{
    Q_OBJECT
public:
    // Without an answer the request gives up after this long.
    static constexpr int DefaultTimeoutMs = 15000;

    explicit InstCnt(QObject *parent = nullptr);

    void setTransferTimeout(int milliseconds) { m_timeoutMs = milliseconds; }

    // Stores a new identifier under UniqueID and sends it with the installation's details.
    void reportInstall();

    // The report's address: every value is percent-encoded, so a scanner name holding '&',
    // '#', '=' or '+' stays one value. The keys keep their order.
    static QUrl reportUrl(const QString &host, const QString &identifier);

signals:
    // The request is over, answered or not; the reporter deletes itself next.
    void reported();

private slots:
    void replyFinished(QNetworkReply *reply);

private:
    QNetworkAccessManager *m_network;
    int m_timeoutMs = DefaultTimeoutMs;
    bool m_sent = false;
};
