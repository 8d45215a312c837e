#include "EzPrevScan.h"
#include "FakeScannerLibrary.h"
#include "SettingsKeys.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

namespace {
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);

struct Session
{
    std::unique_ptr<EzPrevScan> frame;
    FakeScannerLibrary *library = nullptr;
    // Colours of the pages as the receiver saw them, in arrival order.
    QList<QRgb> received;
};

std::unique_ptr<Session> makeSession(const QList<std::optional<DibBuffer>> &pages)
{
    auto session = std::make_unique<Session>();
    auto library = std::make_unique<FakeScannerLibrary>();
    library->setPages(pages);
    session->library = library.get();
    session->frame = std::make_unique<EzPrevScan>(std::move(library));
    Session *raw = session.get();
    // Like the window: take the page over, then let the session release it.
    QObject::connect(raw->frame.get(), &EzPrevScan::pageScanned, raw->frame.get(), [raw] {
        const QImage *image = raw->frame->image();
        raw->received << (image && !image->isNull() ? image->pixel(0, 0) : 0);
    });
    return session;
}

QList<std::optional<DibBuffer>> pagesOf(const QList<QRgb> &colours)
{
    QList<std::optional<DibBuffer>> pages;
    for (const QRgb colour : colours)
        pages << FakeScannerLibrary::page(colour);
    return pages;
}

void setRunSettings(int paperSource, int acquireImage, bool preview = false,
                    bool autoContrast = true)
{
    writeSetting(Settings::PaperSource, paperSource);
    writeSetting(Settings::AcquireImage, acquireImage);
    writeSetting(Settings::Preview, preview);
    writeSetting(Settings::AutoContrast, autoContrast);
}

QStringList pageCalls(int pages, int colourMode)
{
    QStringList calls;
    for (int i = 1; i <= pages; ++i) {
        calls << QStringLiteral("acquirePage(%1)").arg(colourMode)
              << QStringLiteral("releasePage(%1)").arg(i) << QStringLiteral("transferEnded()");
    }
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
        QTest::addColumn<bool>("preview");
        QTest::addColumn<bool>("autoContrast");
        QTest::addColumn<int>("scripted");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("announced");

        const QStringList oneImage = {QStringLiteral("setTransferCount(1)"),
                                      QStringLiteral("setMultipleTransfer(0)"),
                                      QStringLiteral("setResolution(300)")};
        const QStringList allImages = {QStringLiteral("setTransferCount(-1)"),
                                       QStringLiteral("setMultipleTransfer(1)"),
                                       QStringLiteral("setResolution(300)")};
        const QStringList start = {QStringLiteral("setDriverDialogShown(0)"),
                                   QStringLiteral("setAutoContrast(1)"), QStringLiteral("open()")};
        const QString flatbed = QStringLiteral("setFeederEnabled(0)");
        const QString feeder = QStringLiteral("setFeederEnabled(1)");
        const QString feederEnd = QStringLiteral("endFeederRun()");
        const QString error = QStringLiteral("hasError()");

        QTest::newRow("one image, flatbed")
            << 0 << 0 << false << true << 2
            << (start + QStringList{flatbed} + oneImage + pageCalls(1, 2) + QStringList{error})
            << 1;
        QTest::newRow("one image, feeder: one page, then the feeder end")
            << 1 << 0 << false << true << 3
            << (start + QStringList{feeder} + oneImage + pageCalls(1, 2) +
                QStringList{feederEnd, error})
            << 1;
        QTest::newRow("all images, feeder: until the transfer ends")
            << 1 << 1 << false << true << 3
            << (start + QStringList{feeder} + allImages + pageCalls(3, 2) +
                QStringList{feederEnd, error})
            << 3;
        QTest::newRow("all images, flatbed: no feeder end")
            << 0 << 1 << false << true << 2
            << (start + QStringList{flatbed} + allImages + pageCalls(2, 2) + QStringList{error})
            << 2;
        QTest::newRow("feeder source other than 1: feeder on, no feeder end")
            << 2 << 0 << false << true << 1
            << (start + QStringList{feeder} + oneImage + pageCalls(1, 2) + QStringList{error}) << 1;
        QTest::newRow("preview shows the driver dialog, auto contrast off")
            << 0 << 0 << true << false << 1
            << (QStringList{QStringLiteral("setDriverDialogShown(1)"),
                            QStringLiteral("setAutoContrast(0)"), QStringLiteral("open()"),
                            flatbed} +
                oneImage + pageCalls(1, 2) + QStringList{error})
            << 1;
    }

    void callOrder()
    {
        QFETCH(int, paperSource);
        QFETCH(int, acquireImage);
        QFETCH(bool, preview);
        QFETCH(bool, autoContrast);
        QFETCH(int, scripted);
        QFETCH(QStringList, expected);
        QFETCH(int, announced);
        setRunSettings(paperSource, acquireImage, preview, autoContrast);
        auto session = makeSession(pagesOf(QList<QRgb>(scripted, Red)));
        session->frame->setColorMode(2);
        QSignalSpy failed(session->frame.get(), &EzPrevScan::failedScan);

        session->frame->scan();

        QCOMPARE(session->library->calls(), expected);
        QCOMPARE(session->received.size(), announced);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(session->library->pagesOutstanding(), 0);
    }

    void openFailure_data()
    {
        QTest::addColumn<bool>("errorState");
        QTest::newRow("no error reported: quiet") << false;
        QTest::newRow("error reported: failedScan") << true;
    }

    void openFailure()
    {
        QFETCH(bool, errorState);
        setRunSettings(1, 1);
        auto session = makeSession(pagesOf({Red}));
        session->library->setOpenResult(false);
        session->library->setErrorState(errorState);
        QSignalSpy failed(session->frame.get(), &EzPrevScan::failedScan);

        session->frame->scan();

        const QStringList expected = {QStringLiteral("setDriverDialogShown(0)"),
                                      QStringLiteral("setAutoContrast(1)"),
                                      QStringLiteral("open()"), QStringLiteral("hasError()")};
        QCOMPARE(session->library->calls(), expected);
        QCOMPARE(failed.count(), errorState ? 1 : 0);
        QVERIFY(session->received.isEmpty());
    }

    void nothingAcquiredEndsTheRunAndKeepsEarlierPages()
    {
        setRunSettings(1, 1);
        auto session = makeSession({FakeScannerLibrary::page(Red), FakeScannerLibrary::page(Green),
                                    std::nullopt, FakeScannerLibrary::page(Blue)});
        QSignalSpy failed(session->frame.get(), &EzPrevScan::failedScan);
        QSignalSpy cancelled(session->frame.get(), &EzPrevScan::scanCancelled);

        session->frame->scan();

        QCOMPARE(session->received, (QList<QRgb>{Red, Green}));
        QCOMPARE(failed.count(), 1);
        QCOMPARE(cancelled.count(), 0);
        // The run ends at the failed acquisition: no release, no feeder end, no error query.
        QCOMPARE(session->library->calls().last(), QStringLiteral("acquirePage(0)"));
        QCOMPARE(session->library->calls().count(QStringLiteral("acquirePage(0)")), 3);
        QVERIFY(session->frame->image());
        QCOMPARE(session->frame->image()->pixel(0, 0), Green);
        QVERIFY(!session->frame->isScanning());
    }

    void errorAfterPagesIsReportedOnce()
    {
        setRunSettings(0, 0);
        auto session = makeSession(pagesOf({Red}));
        session->library->setErrorState(true);
        QStringList order;
        connect(session->frame.get(), &EzPrevScan::pageScanned, this,
                [&order] { order << QStringLiteral("page"); });
        connect(session->frame.get(), &EzPrevScan::failedScan, this,
                [&order] { order << QStringLiteral("failed"); });

        session->frame->scan();

        QCOMPARE(order, (QStringList{QStringLiteral("page"), QStringLiteral("failed")}));
    }

    void pagesAreAnnouncedOnceInOrder()
    {
        setRunSettings(1, 1);
        auto session = makeSession(pagesOf({Red, Green, Blue}));
        QList<QImage *> arguments;
        QList<QImage *> current;
        connect(session->frame.get(), &EzPrevScan::pageScanned, this, [&](QImage *image) {
            arguments << image;
            current << session->frame->image();
            session->frame->releaseImage();
        });

        session->frame->scan();

        QCOMPARE(session->received, (QList<QRgb>{Red, Green, Blue}));
        QCOMPARE(arguments, current);
        QVERIFY(!arguments.contains(nullptr));
        QCOMPARE(session->frame->image(), nullptr);
        QCOMPARE(session->library->pagesOutstanding(), 0);
    }

    void unreadableBitmapIsAnnouncedAsNullImage()
    {
        setRunSettings(0, 0);
        auto session = makeSession({DibBuffer(QByteArray(12, 'x'))});
        QSignalSpy scanned(session->frame.get(), &EzPrevScan::pageScanned);
        QSignalSpy failed(session->frame.get(), &EzPrevScan::failedScan);

        session->frame->scan();

        QCOMPARE(scanned.count(), 1);
        QVERIFY(session->frame->image());
        QVERIFY(session->frame->image()->isNull());
        QCOMPARE(failed.count(), 0);
    }

    void secondScanRequestDuringAScanIsRefused()
    {
        setRunSettings(1, 1);
        auto session = makeSession(pagesOf({Red, Green}));
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
        QCOMPARE(session->received, (QList<QRgb>{Red, Green}));
        QVERIFY(!frame->isScanning());

        // Once the run is over, the next request runs again.
        session->library->setOnAcquire({});
        session->library->setPages(pagesOf({Blue}));
        frame->scan();
        QCOMPARE(session->library->calls().count(QStringLiteral("open()")), 2);
        QCOMPARE(session->received.last(), Blue);
    }

    void cancelDuringAcquisitionEndsWithScanCancelled()
    {
        setRunSettings(0, 0);
        auto session = makeSession({std::nullopt});
        EzPrevScan *frame = session->frame.get();
        session->library->setOnAcquire([frame] { frame->cancelScan(); });
        QSignalSpy failed(frame, &EzPrevScan::failedScan);
        QSignalSpy cancelled(frame, &EzPrevScan::scanCancelled);

        frame->scan();

        QVERIFY(session->library->calls().contains(QStringLiteral("cancel()")));
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(failed.count(), 0);
    }

    void cancelOutsideAScanDoesNothing()
    {
        auto session = makeSession({});
        session->frame->cancelScan();
        QVERIFY(session->library->calls().isEmpty());
    }

    void optionsReachTheLibrary()
    {
        setRunSettings(0, 0);
        auto session = makeSession(pagesOf({Red}));
        EzPrevScan *frame = session->frame.get();
        QCOMPARE(frame->image(), nullptr);
        frame->setSingleScan(1);
        frame->setInteractive(0);
        frame->setColorMode(4);
        frame->setResolution(150);
        QCOMPARE(frame->resolution(), 150.0);

        frame->scan();

        const QStringList calls = session->library->calls();
        QVERIFY(calls.contains(QStringLiteral("setResolution(150)")));
        QVERIFY(calls.contains(QStringLiteral("acquirePage(4)")));
        QVERIFY(frame->image());
        frame->releaseImage();
        QCOMPARE(frame->image(), nullptr);
    }

    void progressIsShownAndForwarded()
    {
        setRunSettings(0, 0);
        auto session = makeSession(pagesOf({Red}));
        EzPrevScan *frame = session->frame.get();
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

    void frameIsAccessibleAndKeepsItsWorkFolder()
    {
        auto session = makeSession({});
        EzPrevScan *frame = session->frame.get();
        const QStringList labels = [frame] {
            QStringList texts;
            for (const QLabel *label : frame->findChildren<QLabel *>())
                texts << label->text();
            return texts;
        }();
        QVERIFY(labels.contains(QStringLiteral("Scanning...")));
        for (const QWidget *widget : frame->findChildren<QWidget *>())
            QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
        auto *cancel = frame->findChild<QPushButton *>();
        QVERIFY(cancel);
        QVERIFY(!cancel->isEnabled());
        QVERIFY(frame->workFolder().endsWith(QStringLiteral("/eztwain")));
        QVERIFY(QDir(frame->workFolder()).exists());
        QVERIFY(frame->library() == session->library);
    }
};

QTEST_MAIN(TestScanSession)
#include "tst_scansession.moc"
