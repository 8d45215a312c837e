#include "InstCnt.h"

#include "SettingsKeys.h"
#include "StartUp.h"

#include <QDateTime>
#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSysInfo>
#include <QTimer>
#include <QUrlQuery>

InstCnt::InstCnt(QObject *parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    connect(m_network, &QNetworkAccessManager::finished, this, &InstCnt::replyFinished);
}

QUrl InstCnt::reportUrl(const QString &host, const QString &identifier)
{
    const QList<QPair<QString, QString>> values = {
        {QStringLiteral("ip"), identifier},
        {QStringLiteral("date"), QDateTime::currentDateTime().toString(Qt::ISODate)},
        {QStringLiteral("win"), QSysInfo::prettyProductName()},
        {QStringLiteral("ver"), readSetting(Settings::Version).toString()},
        {QStringLiteral("scan"), readSetting(Settings::Scanners).toString()},
        {QStringLiteral("loc"), QLocale::system().name()},
        {QStringLiteral("event"), QStringLiteral("Installed")},
    };
    // QUrlQuery leaves '+' alone, which web servers read as a blank: encode every value fully.
    QUrlQuery query;
    for (const auto &[key, value] : values)
        query.addQueryItem(key, QString::fromLatin1(QUrl::toPercentEncoding(value)));
    QUrl url(QStringLiteral("http://%1/instcnt/inst.php").arg(host), QUrl::TolerantMode);
    url.setQuery(query);
    return url;
}

void InstCnt::reportInstall()
{
    if (m_sent)
        return;
    m_sent = true;
    const QString identifier = QString::number(QDateTime::currentMSecsSinceEpoch(), 16);
    writeSetting(Settings::UniqueID, identifier);
    QNetworkRequest request(reportUrl(StartUp::vendorHost(), identifier));
    request.setTransferTimeout(m_timeoutMs);
    QNetworkReply *reply = m_network->get(request);
    // Nothing in the answer is used: drop what a server sends instead of collecting it.
    connect(reply, &QNetworkReply::readyRead, reply,
            [reply] { reply->skip(reply->bytesAvailable()); });
    // The transfer timeout starts again with every byte; a trickling server gets one deadline.
    QTimer::singleShot(m_timeoutMs, reply, &QNetworkReply::abort);
}

void InstCnt::replyFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    emit reported();
    deleteLater();
}
