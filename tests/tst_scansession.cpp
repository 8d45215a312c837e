#include "EzPrevScan.h"
#include "FakeScannerLibrary.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

namespace {
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);

QString hex(QRgb colour)
{
    return QString::number(colour, 16);
}

QString describe(const QImage *image)
{
    if (!image)
        return QStringLiteral("none");
    return image->isNull() ? QStringLiteral("null") : hex(image->pixel(0, 0));
}

struct Session
{
    std::unique_ptr<EzPrevScan> frame;
    FakeScannerLibrary *library = nullptr;
    // Pages (as described) and outcome signals, in the order they came.
    QStringList events;
};

std::unique_ptr<Session> makeSession(const QList<std::optional<DibBuffer>> &pages)
{
    auto session = std::make_unique<Session>();
    auto library = std::make_unique<FakeScannerLibrary>();
    library->setPages(pages);
    session->library = library.get();
    session->frame = std::make_unique<EzPrevScan>(std::move(library));
    Session *raw = session.get();
    EzPrevScan *frame = raw->frame.get();
    // Like the window: take the page over (the one announced is the one the frame holds),
    // then let the session release it.
    QObject::connect(frame, &EzPrevScan::pageScanned, frame, [raw](QImage *image) {
        raw->events << (image == raw->frame->image() ? describe(image) : QStringLiteral("other"));
    });
    QObject::connect(frame, &EzPrevScan::failedScan, frame,
                     [raw] { raw->events << QStringLiteral("failed"); });
    QObject::connect(frame, &EzPrevScan::scanCancelled, frame,
                     [raw] { raw->events << QStringLiteral("cancelled"); });
    return session;
}

// R, G, B: pages of that colour; '-': nothing acquired; 'x': an unreadable bitmap.
QList<std::optional<DibBuffer>> pagesOf(const QString &script)
{
    QList<std::optional<DibBuffer>> pages;
    for (const char c : script.toLatin1()) {
        if (c == '-')
            pages << std::nullopt;
        else if (c == 'x')
            pages << DibBuffer(QByteArray(12, 'x'));
        else
            pages << FakeScannerLibrary::page(c == 'R' ? Red : c == 'G' ? Green : Blue);
    }
    return pages;
}

void setRunSettings(int paperSource, int acquireImage, bool preview = false)
{
    writeSetting(Settings::PaperSource, paperSource);
    writeSetting(Settings::AcquireImage, acquireImage);
    writeSetting(Settings::Preview, preview);
    writeSetting(Settings::AutoContrast, !preview);
}

QStringList split(const char *calls)
{
    return QString::fromLatin1(calls).split(QLatin1Char(' '));
}

QStringList pageCalls(int pages)
{
    QStringList calls;
    for (int i = 1; i <= pages; ++i)
        calls << QStringLiteral("acquirePage(2)") << QStringLiteral("releasePage(%1)").arg(i)
              << QStringLiteral("transferEnded()");
    return calls;
}
} // namespace

class TestScanSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
        QCoreApplication::setApplicationName(QStringLiteral("QuillaryScanSessionTest"));
    }

    void init() { QSettings().clear(); }

    void callOrder_data()
    {
        QTest::addColumn<int>("paperSource");
        QTest::addColumn<int>("acquireImage");
        QTest::addColumn<bool>("preview"); // also turns auto contrast off
        QTest::addColumn<QStringList>("expected");

        const QStringList one =
            split("setTransferCount(1) setMultipleTransfer(0) setResolution(300)");
        const QStringList all =
            split("setTransferCount(-1) setMultipleTransfer(1) setResolution(300)");
        const QStringList open = split("setDriverDialogShown(0) setAutoContrast(1) open()");
        const QStringList flatbed = split("setFeederEnabled(0)");
        const QStringList feeder = split("setFeederEnabled(1)");
        const QStringList feederEnd = split("endFeederRun()");
        const QStringList error = split("hasError()");

        row("one image, flatbed", 0, 0, false, open + flatbed + one + pageCalls(1) + error);
        row("one image, feeder: one page, then the feeder end", 1, 0, false,
            open + feeder + one + pageCalls(1) + feederEnd + error);
        row("all images, feeder: until the transfer ends", 1, 1, false,
            open + feeder + all + pageCalls(3) + feederEnd + error);
        row("all images, flatbed: no feeder end", 0, 1, false,
            open + flatbed + all + pageCalls(3) + error);
        row("feeder, both sides", 2, 1, false,
            open + feeder + split("setDuplex(1)") + all + pageCalls(3) + feederEnd + error);
        row("preview shows the driver dialog, auto contrast off", 0, 0, true,
            split("setDriverDialogShown(1) setAutoContrast(0) open()") + flatbed + one +
                pageCalls(1) + error);
    }

    void callOrder()
    {
        QFETCH(int, paperSource);
        QFETCH(int, acquireImage);
        QFETCH(bool, preview);
        QFETCH(QStringList, expected);
        setRunSettings(paperSource, acquireImage, preview);
        // Scripted pages to spare: the run must stop by itself.
        auto session = makeSession(pagesOf(QStringLiteral("RGB")));
        session->frame->setColorMode(2);

        session->frame->scan();

        QCOMPARE(session->library->calls(), expected);
        const QStringList inOrder{hex(Red), hex(Green), hex(Blue)};
        QCOMPARE(session->events, inOrder.mid(0, expected.count(QStringLiteral("acquirePage(2)"))));
        QCOMPARE(session->library->pagesOutstanding(), 0);
    }

    void outcomes_data()
    {
        QTest::addColumn<QString>("pages");
        QTest::addColumn<bool>("feeder"); // else one image from the flatbed
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("errorState");
        QTest::addColumn<int>("cancelAfter"); // pages announced when Cancel comes; 0: mid-page
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("acquired");
        QTest::addColumn<QString>("lastCalls");
        QTest::addColumn<QString>("held"); // the page the frame holds at the end
        const QString red = hex(Red);
        const QString null = QStringLiteral("null");
        const QString none = QStringLiteral("none");
        const QString failed = QStringLiteral("failed");
        const QString cancelled = QStringLiteral("cancelled");
        const QString hasError = QStringLiteral("hasError()");
        // The run ends at the failed acquisition: no release, no feeder end, no error query.
        row("nothing acquired: earlier pages kept, then failed", QStringLiteral("RG-B"), true, true,
            false, -1, QStringList{red, hex(Green), failed}, 3, QStringLiteral("acquirePage(0)"),
            hex(Green));
        row("error after a page: page, then one failure", QStringLiteral("R"), false, true, true,
            -1, QStringList{red, failed}, 1, hasError, red);
        row("unreadable bitmap: announced as a null image", QStringLiteral("x"), false, true, false,
            -1, QStringList{null}, 1, hasError, null);
        row("open fails, no error: quiet", QStringLiteral("R"), true, false, false, -1,
            QStringList(), 0, hasError, none);
        row("open fails with an error: failed", QStringLiteral("R"), true, false, true, -1,
            QStringList{failed}, 0, hasError, none);
        row("cancel during the first page: nothing, cancelled", QStringLiteral("-RG"), true, true,
            false, 0, QStringList{cancelled}, 1, QStringLiteral("acquirePage(0) cancel()"), none);
        // The library may still hold pages; the session asks for none after a cancel.
        row("cancel between feeder pages: the page kept, no further page", QStringLiteral("RGB"),
            true, true, false, 1, QStringList{red, cancelled}, 1,
            QStringLiteral("cancel() releasePage(1) transferEnded() endFeederRun() hasError()"),
            red);
    }

    void outcomes()
    {
        QFETCH(QString, pages);
        QFETCH(bool, feeder);
        QFETCH(bool, opens);
        QFETCH(bool, errorState);
        QFETCH(int, cancelAfter);
        QFETCH(QStringList, events);
        QFETCH(int, acquired);
        QFETCH(QString, lastCalls);
        QFETCH(QString, held);
        setRunSettings(feeder, feeder);
        auto session = makeSession(pagesOf(pages));
        session->library->setOpenResult(opens);
        session->library->setErrorState(errorState);
        EzPrevScan *frame = session->frame.get();
        frame->cancelScan(); // outside a scan it does nothing
        QVERIFY(session->library->calls().isEmpty());
        if (cancelAfter == 0)
            session->library->setOnAcquire([frame] { frame->cancelScan(); });
        connect(frame, &EzPrevScan::pageScanned, frame, [&] {
            if (session->events.count() == cancelAfter)
                frame->cancelScan();
        });

        frame->scan();

        QCOMPARE(session->events, events);
        const QStringList calls = session->library->calls();
        QCOMPARE(calls.filter(QStringLiteral("acquirePage")).size(), acquired);
        const QStringList tail = split(qPrintable(lastCalls));
        QCOMPARE(calls.mid(calls.size() - tail.size()), tail);
        if (!opens) // nothing is set up or acquired after a failed open
            QCOMPARE(calls, split("setDriverDialogShown(0) setAutoContrast(1) open() hasError()"));
        QCOMPARE(describe(frame->image()), held);
        QVERIFY(!frame->isScanning());
    }

    void secondScanRequestDuringAScanIsRefused()
    {
        setRunSettings(1, 1);
        auto session = makeSession(pagesOf(QStringLiteral("RG")));
        EzPrevScan *frame = session->frame.get();
        int nested = 0;
        session->library->setOnAcquire([&] {
            QVERIFY(frame->isScanning());
            ++nested;
            frame->scan();
        });

        frame->scan();

        QCOMPARE(nested, 2);
        QCOMPARE(session->library->calls().count(QStringLiteral("open()")), 1);
        QCOMPARE(session->events, (QStringList{hex(Red), hex(Green)}));
        QVERIFY(!frame->isScanning());
    }

    void progressAndWorkFolder()
    {
        setRunSettings(0, 0);
        auto session = makeSession(pagesOf(QStringLiteral("R")));
        EzPrevScan *frame = session->frame.get();
        QVERIFY(QDir(frame->workFolder()).exists());
        auto *bar = frame->findChild<QProgressBar *>();
        QVERIFY(bar);
        int shown = -1;
        session->library->setOnAcquire([&] {
            session->library->reportProgress(40);
            shown = bar->value();
        });
        QSignalSpy percent(frame, &EzPrevScan::percentScan);

        frame->scan();

        QCOMPARE(percent.count(), 1);
        QCOMPARE(percent.first().first().toInt(), 40);
        QCOMPARE(shown, 40);
    }
};

QTEST_MAIN(TestScanSession)
#include "tst_scansession.moc"
