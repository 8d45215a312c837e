#include "FakeScannerLibrary.h"
#include "InstCnt.h"
#include "MainWindow.h"
#include "NoticeTexts.h"
#include "RibbonStyle.h"
#include "SettingsKeys.h"
#include "StartUp.h"
#include "TestHelpers.h"
#include "UpdateDlg.h"
#include "UrlCatcher.h"

#include <QtNetwork>
#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {
const QString Checking = u"Checking for update"_s;
const QString Latest = u"You are using the latest version of Quillary."_s;
const QString ThankYou = QStringLiteral(
    "Thank you for updating Quillary.<p>Please close the program and run the install file.");
const QString NoConnection =
    u"ERROR!<br>Can't connect to the update server. Please check network settings."_s;
const QString Unreadable = u"The answer of the update server could not be read."_s;
const QString UpdatePath = u"/update/update.xml"_s;
const QString ReportPath = u"/instcnt/inst.php"_s;

enum class Answer
{
    Serve,   // status and body, then the connection closes
    Close,   // closes the connection without a word
    Silent,  // keeps the connection open and never answers
    Trickle, // status, then the body a byte at a time, each in time for a transfer timeout
};

// An HTTP server on the loopback interface, answering each path as told.
class LoopbackServer : public QObject
{
public:
    LoopbackServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        });
    }
    QString host() const { return u"127.0.0.1:%1"_s.arg(m_server.serverPort()); }
    void answer(const QString &path, Answer kind, int status = 200, const QByteArray &body = {})
    {
        m_answers.insert(path, {kind, status, body});
    }
    QList<QUrl> requests(const QString &path) const { return m_requests.value(path); }

private:
    struct Reply
    {
        Answer kind;
        int status;
        QByteArray body;
    };
    void read(QTcpSocket *socket)
    {
        QByteArray &pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        pending.clear();
        const QUrl target(QString::fromLatin1(requestLine.value(1)), QUrl::StrictMode);
        m_requests[target.path()] << target;
        const Reply reply = m_answers.value(target.path(), {Answer::Serve, 404, "missing"});
        switch (reply.kind) {
        case Answer::Silent:
            return;
        case Answer::Close:
            socket->close();
            return;
        case Answer::Trickle: {
            socket->write(
                QByteArrayLiteral("HTTP/1.1 200 Answer\r\nContent-Length: 100000\r\n\r\n"));
            auto *drip = new QTimer(socket);
            connect(drip, &QTimer::timeout, socket, [socket] { socket->write(" "); });
            drip->start(50);
            return;
        }
        case Answer::Serve:
            socket->write(QStringLiteral("HTTP/1.1 %1 Answer\r\nContent-Type: text/xml\r\n"
                                         "Content-Length: %2\r\nConnection: close\r\n\r\n")
                              .arg(reply.status)
                              .arg(reply.body.size())
                              .toLatin1());
            socket->write(reply.body);
            break;
        }
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, Reply> m_answers;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QHash<QString, QList<QUrl>> m_requests;
};

QByteArray updateFile(const QString &version, const QString &path)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<update><version>%1</version>"
                          "<path>%2</path></update>")
        .arg(version.toHtmlEscaped(), path.toHtmlEscaped())
        .toUtf8();
}

QStringList notices(const MainWindow &window)
{
    QStringList texts = noticeTexts(window);
    for (QString &text : texts)
        text = text.mid(4).chopped(5); // without <h4>...</h4>
    return texts;
}

std::unique_ptr<MainWindow> makeWindow(MainWindow::StartOption option = MainWindow::NoSplash)
{
    StartUp::storeWebHost();
    const QStringList scanners{u"Canon LiDE 110"_s, u"HP Scan & Copy #2=1+1"_s};
    return std::make_unique<MainWindow>(option, std::make_unique<FakeScannerLibrary>(scanners));
}
} // namespace

class TestOnline : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setStyle(new Ribbon::RibbonStyle);
        for (const char *scheme : {"http", "https", "file", "javascript"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), &m_urls, "open");
        // The update dialog is window-modal: read it, then press "Download".
        connect(&m_dialogWatcher, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<UpdateDlg *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_dialogText = dialog->findChild<QLabel *>(u"newVersion"_s)->text();
            dialog->findChild<QPushButton *>()->click();
        });
        m_dialogWatcher.start(20);
    }
    void cleanupTestCase()
    {
        for (const char *scheme : {"http", "https", "file", "javascript"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    void init()
    {
        QSettings().clear();
        m_urls.opened.clear();
        m_server = std::make_unique<LoopbackServer>();
        qputenv("QUILLARY_WEB_HOST", m_server->host().toLatin1());
        m_dialogText.clear();
    }

    void updateCheck_data()
    {
        QTest::addColumn<Answer>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("offered"); // version and path in the dialog, else empty
        const auto file = [](const char *name, const char *version, const char *path,
                             const QString &said) {
            const QStringList offered{QString::fromLatin1(version), QString::fromLatin1(path)};
            row(name, Answer::Serve, 200, updateFile(offered.at(0), offered.at(1)), said,
                said == ThankYou ? offered : QStringList());
        };
        const char *deb = "https://dl.example.org/quillary.deb";
        file("same", "14.1", deb, Latest);
        file("same, trailing zero", "14.1.0", deb, Latest);
        file("older patch", "14.0.9", deb, Latest);
        file("newer minor", "14.2", deb, ThankYou);
        file("newer major", "15", deb, ThankYou);
        file("two-digit minor", "14.10", deb, ThankYou);
        file("patch", "14.1.1", deb, ThankYou);
        file("markup in path", "14.2", "http://dl.example.org/get?v=2&x=&lt;b&gt;", ThankYou);
        file("not a number", "abc", deb, Unreadable);
        file("number with text", "14.2b", deb, Unreadable);
        file("empty path", "14.2", "", Unreadable);
        file("script path", "14.2", "javascript:alert(1)", Unreadable);
        file("file path", "14.2", "file:///etc/passwd", Unreadable);
        file("relative path", "14.2", "quillary.deb", Unreadable);
        // An update file offering 14.2, padded past any update file's size.
        row("ten megabytes", Answer::Serve, 200,
            updateFile(u"14.2"_s, QString::fromLatin1(deb))
                .replace("</update>", "<!--" + QByteArray(10 << 20, 'x') + "--></update>"),
            Unreadable, QStringList());
        row("not xml", Answer::Serve, 200, QByteArray("<html><p>hi"), Unreadable, QStringList());
        row("connection closed", Answer::Close, 0, QByteArray(), NoConnection, QStringList());
        row("not found", Answer::Serve, 404, QByteArray("gone"), NoConnection, QStringList());
        row("no answer", Answer::Silent, 0, QByteArray(), NoConnection, QStringList());
        row("a byte at a time", Answer::Trickle, 0, QByteArray(), Unreadable, QStringList());
    }
    void updateCheck()
    {
        QFETCH(Answer, kind);
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, said);
        QFETCH(QStringList, offered);
        m_server->answer(UpdatePath, kind, status, body);
        auto window = makeWindow();
        window->setTransferTimeout(300);
        QSignalSpy finished(window->findChild<QNetworkAccessManager *>(),
                            &QNetworkAccessManager::finished);

        // A second click, while the check runs or queued as it starts, sends nothing.
        QTimer::singleShot(0, window.get(), &MainWindow::update);
        window->update();
        window->update();
        QTRY_COMPARE(finished.size(), 1);
        // Qt itself sends a GET once more when the connection closes unanswered.
        if (kind != Answer::Close)
            QCOMPARE(m_server->requests(UpdatePath).size(), 1);
        QTRY_COMPARE(notices(*window), (QStringList{Checking, said}));
        QCOMPARE(m_dialogText.isEmpty(), offered.isEmpty());
        if (offered.isEmpty()) {
            QVERIFY(m_urls.opened.isEmpty());
        } else {
            const QUrl address(offered.at(1), QUrl::TolerantMode);
            QCOMPARE(m_urls.opened, QList<QUrl>{address});
            // Shown as words: markup from the file never becomes formatting or a second link.
            QCOMPARE(
                QTextDocumentFragment::fromHtml(m_dialogText).toPlainText(),
                u"New Version: %1\nDownload: %2"_s.arg(offered.at(0), address.toDisplayString()));
        }
        // Over: the next check is sent.
        const qsizetype sent = m_server->requests(UpdatePath).size();
        window->update();
        QTRY_VERIFY(m_server->requests(UpdatePath).size() > sent);
    }

    // A first start cut off before its report reports on the next start; no later start does.
    void firstStartReportsOnce()
    {
        m_server->answer(UpdatePath, Answer::Serve, 200,
                         updateFile(u"14.1"_s, u"http://a.example.org/"_s));
        m_server->answer(ReportPath, Answer::Silent);
        auto window = makeWindow(MainWindow::ShowSplash);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->requests(ReportPath).size(), 1, 15000);
        // Both requests go out side by side; either may arrive first.
        QTRY_COMPARE(m_server->requests(UpdatePath).size(), 1);
        QVERIFY(!QSettings().contains(QLatin1String(Settings::FirstRunDone.name)));
        window.reset();

        m_server->answer(ReportPath, Answer::Serve, 200, "thanks");
        window = makeWindow(MainWindow::ShowSplash);
        QTRY_COMPARE_WITH_TIMEOUT(m_server->requests(ReportPath).size(), 2, 15000);
        QTRY_VERIFY(readSetting(Settings::FirstRunDone).toBool());
        QTRY_COMPARE(notices(*window), (QStringList{Checking, Latest}));
        QCOMPARE(m_server->requests(UpdatePath).size(), 2);
        // Read as a web server does ('+' a blank), every value arrives whole ('+', '&' in names).
        const QString query =
            m_server->requests(ReportPath).last().query(QUrl::FullyEncoded).replace(u'+', "%20"_L1);
        const QList<QPair<QString, QString>> items =
            QUrlQuery(query).queryItems(QUrl::FullyDecoded);
        QVERIFY(QDateTime::fromString(items.value(1).second, Qt::ISODate).isValid());
        const QList<QPair<QString, QString>> expected = {
            {u"ip"_s, readSetting(Settings::UniqueID).toString()},
            {u"date"_s, items.value(1).second},
            {u"win"_s, QSysInfo::prettyProductName()},
            {u"ver"_s, QString::fromLatin1(StartUp::ProductVersion)},
            {u"scan"_s, u"Canon LiDE 110--HP Scan & Copy #2=1+1"_s},
            {u"loc"_s, QLocale::system().name()},
            {u"event"_s, u"Installed"_s}};
        QCOMPARE(items, expected);
        bool hex = false;
        QVERIFY(expected.first().second.toLongLong(&hex, 16) > 0 && hex);
        window.reset();

        window = makeWindow(MainWindow::ShowSplash);
        window->checkInstall();
        QVERIFY(window->findChildren<InstCnt *>().isEmpty());
        QVERIFY(notices(*window).isEmpty());
    }

private:
    UrlCatcher m_urls;
    std::unique_ptr<LoopbackServer> m_server;
    QTimer m_dialogWatcher;
    QString m_dialogText;
};

QTEST_MAIN(TestOnline)
#include "tst_online.moc"
