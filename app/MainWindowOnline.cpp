// The update check and the first-start report.
#include "MainWindow.h"

#include "InstCnt.h"
#include "SettingsKeys.h"
#include "StartUp.h"
#include "UpdateDlg.h"
#include "UpdateFile.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {
// Set on a reply dropped for sending more than an update file can be.
constexpr char OversizedProperty[] = "quillaryOversized";
// Set on a reply dropped at the check's deadline.
constexpr char OverdueProperty[] = "quillaryOverdue";
} // namespace

void MainWindow::createNetwork()
{
    m_network = new QNetworkAccessManager(this);
    connect(m_network, &QNetworkAccessManager::finished, this, &MainWindow::replyFinished);
}

void MainWindow::update()
{
    // One check at a time: a second answer would stack a second dialog on the first.
    if (m_updateReply)
        return;
    if (m_updateDialog) {
        m_updateDialog->raise();
        m_updateDialog->activateWindow();
        return;
    }
    QString host = readSetting(Settings::AppUrl).toString();
    if (host.isEmpty())
        host = StartUp::vendorHost();
    QNetworkRequest request(
        QUrl(QStringLiteral("http://%1/update/update.xml").arg(host), QUrl::TolerantMode));
    request.setTransferTimeout(m_transferTimeoutMs);
    QNetworkReply *reply = m_network->get(request);
    m_updateReply = reply;
    // Stop reading a body that cannot be an update file rather than holding all of it.
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64 total) {
        if (received > UpdateFile::MaximumSize || total > UpdateFile::MaximumSize) {
            reply->setProperty(OversizedProperty, true);
            reply->abort();
        }
    });
    // One deadline for the whole check: the transfer timeout starts again with every byte, so
    // a server that trickles its answer would keep the check running for ever.
    QTimer::singleShot(m_transferTimeoutMs, reply, [reply] {
        reply->setProperty(OverdueProperty, true);
        reply->abort();
    });
    showNotice(tr("Checking for update"));
}

void MainWindow::replyFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply == m_updateReply)
        m_updateReply = nullptr;
    // Whether the server answered at all: then a failure is in what it sent.
    const bool answered = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200;
    const QString unreadable = tr("The answer of the update server could not be read.");
    if (reply->property(OversizedProperty).toBool() ||
        (answered && reply->property(OverdueProperty).toBool())) {
        showNotice(unreadable);
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        showNotice(tr("ERROR!<br>Can't connect to the update server. Please check network "
                      "settings."));
        return;
    }
    const std::optional<UpdateFile> offer =
        UpdateFile::parse(reply->read(UpdateFile::MaximumSize + 1));
    if (!offer) {
        showNotice(unreadable);
        return;
    }
    if (!offer->isNewerThan(QLatin1String(StartUp::ProductVersion))) {
        showNotice(tr("You are using the latest version of Quillary."));
        return;
    }
    // Not exec(): a nested event loop here would hold up whoever waits for this answer,
    // such as the first-start report.
    m_updateDialog = new UpdateDlg(this);
    m_updateDialog->setAttribute(Qt::WA_DeleteOnClose);
    m_updateDialog->setUpdate(offer->version(), offer->address());
    connect(m_updateDialog, &QDialog::accepted, this, [this] {
        showNotice(tr("Thank you for updating Quillary.<p>Please close the program and run the "
                      "install file."));
    });
    m_updateDialog->open();
}

void MainWindow::checkInstall()
{
    // The mark is written once the report is out, so a first start that ends before that
    // reports on the next start; other keys in the store say nothing about it.
    if (readSetting(Settings::FirstRunDone).toBool())
        return;
    auto *counter = new InstCnt(this);
    counter->setTransferTimeout(m_transferTimeoutMs);
    connect(counter, &InstCnt::reported, this, [] { writeSetting(Settings::FirstRunDone, true); });
    counter->reportInstall();
    update();
}
