#include "EzPrevScan.h"
#include "SaneScannerLibrary.h"
#include "SaneStatusText.h"
#include "SettingsKeys.h"
#include "SourceSelectDlg.h"

#include <QApplication>
#include <QListWidget>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <sane/sane.h>

#include <cmath>

namespace {
// The test device's scan area (tests/sane/test.conf) and how it turns into pixels.
constexpr double AreaWidthMm = 40.0;
constexpr double AreaHeightMm = 50.0;

QSize pageSize(int dpi)
{
    return {int(dpi * AreaWidthMm / 25.4), int(dpi * AreaHeightMm / 25.4)};
}

struct Session
{
    std::unique_ptr<EzPrevScan> frame;
    SaneScannerLibrary *library = nullptr;
    QList<QImage> pages;
    // Runs once a page has arrived, with the number of pages so far.
    std::function<void(int)> afterPage;
};

std::unique_ptr<Session> makeSession(int colourMode, int dpi)
{
    auto session = std::make_unique<Session>();
    auto library = std::make_unique<SaneScannerLibrary>();
    session->library = library.get();
    session->frame = std::make_unique<EzPrevScan>(std::move(library));
    session->frame->setColorMode(colourMode);
    session->frame->setResolution(dpi);
    Session *raw = session.get();
    QObject::connect(raw->frame.get(), &EzPrevScan::pageScanned, raw->frame.get(), [raw] {
        raw->pages << raw->frame->image()->copy();
        raw->frame->releaseImage();
        if (raw->afterPage)
            raw->afterPage(int(raw->pages.size()));
    });
    // The test backend makes each page in a thread of its own, which it cancels
    // asynchronously at the end of the page; cancelled while still busy, it can leave a lock
    // taken for good. A short pause at every progress report lets it finish first.
    QObject::connect(raw->frame.get(), &EzPrevScan::percentScan, raw->frame.get(),
                     [] { QThread::msleep(2); });
    return session;
}

void setRunSettings(int paperSource, int acquireImage)
{
    writeSetting(Settings::PaperSource, paperSource);
    writeSetting(Settings::AcquireImage, acquireImage);
}
} // namespace

class TestSane : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
        QCoreApplication::setApplicationName(QStringLiteral("QuillarySaneTest"));
        // Only SANE's virtual test device, whatever is plugged into this machine.
        if (qEnvironmentVariableIsEmpty("SANE_CONFIG_DIR"))
            qputenv("SANE_CONFIG_DIR", QUILLARY_SANE_CONFIG_DIR);
        QLoggingCategory::setFilterRules(
            QStringLiteral("quillary.scan.*.debug=false\nquillary.scan.*.info=false"));
    }

    void init() { QSettings().clear(); }

    void deviceListContainsTheTestDevice()
    {
        SaneScannerLibrary library;
        QVERIFY(library.sourceNames().contains(QStringLiteral("Noname frontend-tester")));
        QStringList names;
        for (const ScannerSource &source : library.sources())
            names << source.name;
        QCOMPARE(names, (QStringList{QStringLiteral("test:0"), QStringLiteral("test:1")}));
    }

    void pageArrivesWithSizeAndDepth_data()
    {
        QTest::addColumn<int>("colourMode");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("format");
        QTest::addColumn<QRgb>("colour");
        const int indexed = QImage::Format_Indexed8;
        const int rgb = QImage::Format_RGB888;
        const QRgb black = qRgb(0, 0, 0);
        const QRgb white = qRgb(255, 255, 255);
        const QString solidBlack = QStringLiteral("Solid black");
        const QString solidWhite = QStringLiteral("Solid white");
        QTest::newRow("black-white, black page") << 1 << 50 << solidBlack << indexed << black;
        QTest::newRow("black-white, white page") << 1 << 50 << solidWhite << indexed << white;
        QTest::newRow("grey 50 dpi") << 2 << 50 << solidBlack << indexed << black;
        QTest::newRow("grey 100 dpi") << 2 << 100 << solidWhite << indexed << white;
        QTest::newRow("colour 50 dpi") << 4 << 50 << solidWhite << rgb << white;
        QTest::newRow("colour 100 dpi") << 4 << 100 << solidBlack << rgb << black;
    }

    void pageArrivesWithSizeAndDepth()
    {
        QFETCH(int, colourMode);
        QFETCH(int, dpi);
        QFETCH(QString, picture);
        QFETCH(int, format);
        QFETCH(QRgb, colour);
        setRunSettings(0, 0);
        auto session = makeSession(colourMode, dpi);
        session->library->setDeviceOption("test-picture", picture);
        QSignalSpy failed(session->frame.get(), &EzPrevScan::failedScan);
        QSignalSpy percent(session->frame.get(), &EzPrevScan::percentScan);

        session->frame->scan();

        QCOMPARE(failed.count(), 0);
        QCOMPARE(session->pages.size(), 1);
        const QImage &page = session->pages.first();
        QCOMPARE(page.size(), pageSize(dpi));
        QCOMPARE(int(page.format()), format);
        QCOMPARE(page.pixel(0, 0), colour);
        QCOMPARE(page.pixel(page.width() - 1, page.height() - 1), colour);
        QCOMPARE(page.dotsPerMeterX(), int(std::lround(dpi / 0.0254)));
        QVERIFY(percent.count() >= 2);
        QCOMPARE(percent.first().first().toInt(), 0);
        QCOMPARE(percent.last().first().toInt(), 100);
        QVERIFY(session->library->openDevice().isEmpty());
    }

    void colourFramesAndDeepSamplesAreCombined_data()
    {
        QTest::addColumn<QByteArray>("option");
        QTest::addColumn<QVariant>("value");
        QTest::newRow("one frame per colour") << QByteArray("three-pass") << QVariant(true);
        QTest::newRow("16-bit samples") << QByteArray("depth") << QVariant(16);
    }

    void colourFramesAndDeepSamplesAreCombined()
    {
        QFETCH(QByteArray, option);
        QFETCH(QVariant, value);
        setRunSettings(0, 0);
        auto session = makeSession(4, 50);
        session->library->setDeviceOption("test-picture", QStringLiteral("Solid white"));
        session->library->setDeviceOption(option, value);

        session->frame->scan();

        QCOMPARE(session->pages.size(), 1);
        QCOMPARE(session->pages.first().size(), pageSize(50));
        QCOMPARE(session->pages.first().format(), QImage::Format_RGB888);
        QCOMPARE(session->pages.first().pixel(3, 3), qRgb(255, 255, 255));
    }

    void feederRun_data()
    {
        QTest::addColumn<int>("paperSource");
        QTest::addColumn<int>("acquireImage");
        QTest::addColumn<int>("expected");
        QTest::newRow("feeder, all images: ten pages, then empty") << 1 << 1 << 10;
        QTest::newRow("feeder, one image") << 1 << 0 << 1;
        QTest::newRow("flatbed, all images: one page") << 0 << 1 << 1;
    }

    void feederRun()
    {
        QFETCH(int, paperSource);
        QFETCH(int, acquireImage);
        QFETCH(int, expected);
        setRunSettings(paperSource, acquireImage);
        auto session = makeSession(2, 50);
        QSignalSpy failed(session->frame.get(), &EzPrevScan::failedScan);

        session->frame->scan();

        QCOMPARE(session->pages.size(), expected);
        QCOMPARE(failed.count(), 0);
        QVERIFY(!session->library->hasError());
        if (expected == 10)
            QCOMPARE(session->library->errorText(), saneStatusText(SANE_STATUS_NO_DOCS));
        for (const QImage &page : std::as_const(session->pages))
            QCOMPARE(page.size(), pageSize(50));
    }

    void injectedFailureEndsTheRun_data()
    {
        QTest::addColumn<QString>("status");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("fails");
        QTest::newRow("jammed") << QStringLiteral("SANE_STATUS_JAMMED") << int(SANE_STATUS_JAMMED)
                                << true;
        QTest::newRow("cover open")
            << QStringLiteral("SANE_STATUS_COVER_OPEN") << int(SANE_STATUS_COVER_OPEN) << true;
        QTest::newRow("device gone")
            << QStringLiteral("SANE_STATUS_IO_ERROR") << int(SANE_STATUS_IO_ERROR) << true;
        QTest::newRow("feeder empty while reading")
            << QStringLiteral("SANE_STATUS_NO_DOCS") << int(SANE_STATUS_NO_DOCS) << false;
    }

    void injectedFailureEndsTheRun()
    {
        QFETCH(QString, status);
        QFETCH(int, code);
        QFETCH(bool, fails);
        setRunSettings(1, 1);
        auto session = makeSession(4, 50);
        Session *raw = session.get();
        session->afterPage = [raw, status](int pages) {
            if (pages == 2)
                raw->library->setDeviceOption("read-return-value", status);
        };
        QSignalSpy failed(session->frame.get(), &EzPrevScan::failedScan);

        session->frame->scan();

        QCOMPARE(session->pages.size(), 2);
        QCOMPARE(failed.count(), fails ? 1 : 0);
        QCOMPARE(session->library->hasError(), fails);
        QCOMPARE(session->library->errorText(), saneStatusText(code));
        QVERIFY(session->library->openDevice().isEmpty());
    }

    void failureOnTheFirstPageAcquiresNothing()
    {
        setRunSettings(0, 0);
        auto session = makeSession(2, 50);
        session->library->setDeviceOption("read-return-value",
                                          QStringLiteral("SANE_STATUS_JAMMED"));
        QSignalSpy failed(session->frame.get(), &EzPrevScan::failedScan);

        session->frame->scan();

        QVERIFY(session->pages.isEmpty());
        QCOMPARE(failed.count(), 1);

        // The next run starts afresh once the paper is free again.
        session->library->setDeviceOption("read-return-value", QStringLiteral("Default"));
        session->frame->scan();
        QCOMPARE(session->pages.size(), 1);
        QCOMPARE(failed.count(), 1);
    }

    void cancelWhileReadingEndsQuietly()
    {
        setRunSettings(1, 1);
        auto session = makeSession(4, 50);
        EzPrevScan *frame = session->frame.get();
        connect(frame, &EzPrevScan::percentScan, frame, [frame](int percent) {
            if (percent > 30)
                frame->cancelScan();
        });
        QSignalSpy failed(frame, &EzPrevScan::failedScan);
        QSignalSpy cancelled(frame, &EzPrevScan::scanCancelled);

        frame->scan();

        QVERIFY(session->pages.isEmpty());
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(failed.count(), 0);
        QVERIFY(!session->library->hasError());
    }

    void selectedSourceIsRememberedAndOpened()
    {
        SaneScannerLibrary library;
        QString preselected;
        QTimer::singleShot(0, this, [&preselected] {
            auto *dialog = qobject_cast<SourceSelectDlg *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            preselected = dialog->selectedSource();
            auto *list = dialog->findChild<QListWidget *>();
            list->setCurrentRow(1);
            dialog->accept();
        });
        QVERIFY(library.selectSource(nullptr));
        QCOMPARE(preselected, QStringLiteral("test:0"));
        QCOMPARE(readSetting(Settings::ScannerDevice).toString(), QStringLiteral("test:1"));

        QVERIFY(library.open());
        QCOMPARE(library.openDevice(), QStringLiteral("test:1"));
        library.endFeederRun();
        QVERIFY(library.openDevice().isEmpty());

        // The dialog opens on the remembered device; cancelling keeps it.
        QTimer::singleShot(0, this, [&preselected] {
            auto *dialog = qobject_cast<SourceSelectDlg *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            preselected = dialog->selectedSource();
            dialog->reject();
        });
        QVERIFY(!library.selectSource(nullptr));
        QCOMPARE(preselected, QStringLiteral("test:1"));
        QCOMPARE(readSetting(Settings::ScannerDevice).toString(), QStringLiteral("test:1"));
    }

    void vanishedRememberedSourceFallsBackToTheFirst()
    {
        writeSetting(Settings::ScannerDevice, QStringLiteral("test:9"));
        SaneScannerLibrary library;
        QVERIFY(library.open());
        QCOMPARE(library.openDevice(), QStringLiteral("test:0"));
        library.endFeederRun();
    }

    void everyStatusHasItsOwnWording()
    {
        QStringList texts;
        for (int status = SANE_STATUS_GOOD; status <= 13; ++status) {
            const QString text = saneStatusText(status);
            QVERIFY(!text.isEmpty());
            QVERIFY2(!texts.contains(text), qPrintable(text));
            texts << text;
        }
        QVERIFY(saneStatusText(99).contains(QStringLiteral("99")));
    }
};

QTEST_MAIN(TestSane)
#include "tst_sane.moc"
