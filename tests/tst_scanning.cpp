#include "AutoScanWizard.h"
#include "EzPrevScan.h"
#include "FakeScannerLibrary.h"
#include "MainWindow.h"
#include "NoticeTexts.h"
#include "PageListWidget.h"
#include "RibbonStyle.h"
#include "SettingsKeys.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QtTest>

namespace {
struct Scanning
{
    FakeScannerLibrary *library = nullptr;
    std::unique_ptr<MainWindow> window;
};

Scanning makeWindow(const QList<std::optional<DibBuffer>> &pages)
{
    auto library = std::make_unique<FakeScannerLibrary>();
    library->setPages(pages);
    Scanning result;
    result.library = library.get();
    result.window = std::make_unique<MainWindow>(MainWindow::NoSplash, std::move(library));
    return result;
}

QRgb middleOf(const QString &path)
{
    const QImage image(path);
    return image.pixel(image.width() / 2, image.height() / 2);
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) < 40 && qAbs(qGreen(a) - qGreen(b)) < 40 &&
           qAbs(qBlue(a) - qBlue(b)) < 40;
}
} // namespace

class TestScanning : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
        QCoreApplication::setApplicationName(QStringLiteral("QuillaryScanningTest"));
        QApplication::setStyle(new Ribbon::RibbonStyle);
    }
    void init()
    {
        QSettings().clear();
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
             QStringLiteral("/Current"))
            .removeRecursively();
    }

    void singleScanAddsThePage_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("mask");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("depth");
        QTest::newRow("grey") << "Grayscale" << 2 << "jpg" << 8;
        QTest::newRow("colour") << "Photo Color" << 4 << "jpg" << 24;
        QTest::newRow("black and white") << "Black-White" << 1 << "tiff" << 1;
    }
    void singleScanAddsThePage()
    {
        QFETCH(QString, mode);
        QFETCH(int, mask);
        QFETCH(QString, suffix);
        QFETCH(int, depth);
        auto scanning = makeWindow({FakeScannerLibrary::page(qRgb(250, 250, 250), 40, 30)});
        MainWindow &window = *scanning.window;
        window.colorBox()->setCurrentIndex(window.colorBox()->findText(mode));
        window.qualityBox()->setCurrentIndex(2);
        window.action(Command::ScanPage)->trigger();

        QCOMPARE(window.pageStore()->count(), 1);
        const QString path = window.pageStore()->pagePaths().first();
        QCOMPARE(QFileInfo(path).suffix(), suffix);
        const QImage stored(path);
        QCOMPARE(stored.size(), QSize(40, 30));
        QCOMPARE(stored.depth() == 1, depth == 1);
        QCOMPARE(readSetting(Settings::Grayscale).toInt(), mask);
        QCOMPARE(readSetting(Settings::Resolution).toInt(), 300);
        QVERIFY(scanning.library->calls().contains(QStringLiteral("setResolution(300)")));
        QVERIFY(scanning.library->calls().contains(QStringLiteral("acquirePage(%1)").arg(mask)));
        QCOMPARE(scanning.library->pagesOutstanding(), 0);
        QCOMPARE(window.workAreaStack()->currentIndex(), int(MainWindow::EditorArea));
        QCOMPARE(window.pagePanelStack()->currentIndex(), int(MainWindow::PageStorePanel));
        QVERIFY(window.action(Command::RotateLeft)->isEnabled());
        QVERIFY(window.scannerSession()->image() == nullptr); // released after the hand-off
    }

    void feederBringsEveryPageInOrder()
    {
        writeSetting(Settings::PaperSource, 1);
        writeSetting(Settings::AcquireImage, 1);
        const QList<QRgb> colours = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255)};
        auto scanning = makeWindow({FakeScannerLibrary::page(colours[0], 20, 20),
                                    FakeScannerLibrary::page(colours[1], 20, 20),
                                    FakeScannerLibrary::page(colours[2], 20, 20)});
        MainWindow &window = *scanning.window;
        window.colorBox()->setCurrentIndex(
            window.colorBox()->findText(QStringLiteral("Photo Color")));
        window.scanPage();
        const QStringList paths = window.pageStore()->pagePaths();
        QCOMPARE(paths.size(), 3);
        for (int i = 0; i < 3; ++i)
            QVERIFY2(near(middleOf(paths[i]), colours[i]), qPrintable(paths[i]));
        QCOMPARE(window.pageStore()->currentIndex(), 2);
    }

    void failedScanKeepsEarlierPages()
    {
        auto scanning = makeWindow({FakeScannerLibrary::page(qRgb(200, 200, 200)), std::nullopt});
        MainWindow &window = *scanning.window;
        window.scanPage();
        QCOMPARE(window.pageStore()->count(), 1);
        window.scanPage(); // the scanner gives nothing this time
        QCOMPARE(window.pageStore()->count(), 1);
        QCOMPARE(noticeTexts(window),
                 QStringList{QStringLiteral("<h4>Scanning has cancelled.</h4>")});
        QCOMPARE(window.workAreaStack()->currentIndex(), int(MainWindow::EditorArea));
    }

    void secondScanRequestDuringAScanIsRefused()
    {
        auto scanning = makeWindow({FakeScannerLibrary::page(qRgb(10, 10, 10)),
                                    FakeScannerLibrary::page(qRgb(90, 90, 90))});
        MainWindow &window = *scanning.window;
        bool asked = false;
        scanning.library->setOnAcquire([&] {
            if (!asked) {
                asked = true;
                window.action(Command::ScanPage)->trigger(); // Space pressed again mid-scan
            }
        });
        window.scanPage();
        QVERIFY(asked);
        QCOMPARE(window.pageStore()->count(), 1);
        QCOMPARE(scanning.library->calls().count(QStringLiteral("open()")), 1);
    }

    void unreadableBitmapIsSkipped()
    {
        const DibBuffer whole = FakeScannerLibrary::page(qRgb(1, 2, 3));
        const DibBuffer broken(whole.bytes().left(DibBuffer::HeaderSize + 5)); // pixels cut off
        auto scanning = makeWindow({broken});
        scanning.window->scanPage();
        QCOMPARE(scanning.window->pageStore()->count(), 0);
        QCOMPARE(scanning.library->pagesOutstanding(), 0);
    }

    void selectScannerAsksTheLibrary()
    {
        auto scanning = makeWindow({});
        scanning.window->selectScannerButton()->click();
        QVERIFY(scanning.library->calls().contains(QStringLiteral("selectSource()")));
    }

    void autoScanRunsThroughTheWizard()
    {
        writeSetting(Settings::AutoScanNow, true);
        writeSetting(Settings::BookScan, true);
        auto scanning = makeWindow({FakeScannerLibrary::page(qRgb(240, 240, 240), 30, 20),
                                    FakeScannerLibrary::page(qRgb(20, 20, 20), 30, 20)});
        MainWindow &window = *scanning.window;
        AutoScanWizard *wizard = window.autoScanWizard();
        bool bookDuringRun = false;
        QTimer::singleShot(0, [&] {
            wizard->next(); // intro -> scan page, which asks for a scan after 100 ms
            QTRY_COMPARE(window.pageStore()->count(), 1);
            QTRY_COMPARE(wizard->currentId(), int(AutoScanWizard::TimerPageId));
            bookDuringRun = readSetting(Settings::BookScanning).toBool();
            wizard->close();
        });
        window.action(Command::AutoScan)->trigger();
        QVERIFY(bookDuringRun);
        QVERIFY(!readSetting(Settings::BookScanning).toBool());
        // A book spread that the processor could not split still goes in, as one page.
        QCOMPARE(window.pageStore()->count(), 1);
        // A manual scan afterwards cuts the wizard links: the wizard stays closed.
        window.scanPage();
        QCOMPARE(window.pageStore()->count(), 2);
        QVERIFY(!wizard->isVisible());
    }
};

QTEST_MAIN(TestScanning)
#include "tst_scanning.moc"
