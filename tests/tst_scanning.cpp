#include "AutoScanWizard.h"
#include "EzPrevScan.h"
#include "FakeScannerLibrary.h"
#include "MainWindow.h"
#include "NoticeTexts.h"
#include "PageListWidget.h"
#include "ProcessExit.h"
#include "RibbonStyle.h"
#include "SaneScannerLibrary.h"
#include "ScanAreaView.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"
#include "TimerPage.h"
#include "Translations.h"
#include "TwoSidedStackDlg.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

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

void chooseColour(MainWindow &window, const QString &mode)
{
    window.colorBox()->setCurrentIndex(window.colorBox()->findText(mode));
}

QRgb middleOf(const QString &path)
{
    const QImage image(path);
    return image.pixel(image.width() / 2, image.height() / 2);
}

} // namespace

class TestScanning : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(u"Plenwick"_s);
        QCoreApplication::setApplicationName(u"QuillaryScanningTest"_s);
        QApplication::setStyle(new Ribbon::RibbonStyle);
        // The English singular forms ("1 blank page") come from the plural translation.
        installTranslators(QLocale(QLocale::English));
        // Only SANE's virtual test device, whatever is plugged into this machine.
        if (qEnvironmentVariableIsEmpty("SANE_CONFIG_DIR"))
            qputenv("SANE_CONFIG_DIR", QUILLARY_SANE_CONFIG_DIR);
    }
    void init()
    {
        QSettings().clear();
        const QString work = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(work + u"/Current"_s).removeRecursively();
        QDir(work + u"/Earlier Sessions"_s).removeRecursively();
    }

    void singleScanAddsThePage_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("mask");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("depth");
        row("grey", "Grayscale", 2, "jpg", 8);
        row("colour", "Photo Color", 4, "jpg", 24);
        row("black and white", "Black-White", 1, "tiff", 1);
    }
    void singleScanAddsThePage()
    {
        QFETCH(QString, mode);
        QFETCH(int, mask);
        QFETCH(QString, suffix);
        QFETCH(int, depth);
        auto scanning = makeWindow({FakeScannerLibrary::page(qRgb(250, 250, 250), 40, 30)});
        MainWindow &window = *scanning.window;
        chooseColour(window, mode);
        window.qualityBox()->setCurrentIndex(2);
        window.action(Command::ScanPage)->trigger();

        QCOMPARE(window.pageStore()->count(), 1);
        const QString path = window.pageStore()->pagePaths().first();
        QCOMPARE(QFileInfo(path).suffix(), suffix);
        const QImage stored(path);
        QCOMPARE(stored.size(), QSize(40, 30));
        QCOMPARE(stored.depth() == 1, depth == 1);
        QVERIFY(scanning.library->calls().contains(u"setResolution(300)"_s));
        QVERIFY(scanning.library->calls().contains(u"acquirePage(%1)"_s.arg(mask)));
        QCOMPARE(scanning.library->pagesOutstanding(), 0);
        QCOMPARE(window.workAreaStack()->currentIndex(), int(MainWindow::EditorArea));
        QVERIFY(window.action(Command::RotateLeft)->isEnabled());
        QVERIFY(window.scannerSession()->image() == nullptr); // released after the hand-off
    }

    // With "Scan with preview", Scan Page shows the glass, and Scan Page again takes the framed
    // part, which the program cuts when the device cannot.
    void previewChoosesThePartToScan_data()
    {
        QTest::addColumn<bool>("deviceCuts");
        QTest::addColumn<bool>("cancel");
        row("the device scans the part", true, false);
        row("the program cuts the whole glass", false, false);
        row("Cancel adds nothing", true, true);
    }
    void previewChoosesThePartToScan()
    {
        QFETCH(bool, deviceCuts);
        QFETCH(bool, cancel);
        writeSetting(Settings::Preview, true);
        // 400 pixels at 300 dpi: a glass of 33.9 mm, the part to scan red on white.
        const QRectF part(10, 5, 20, 25);
        const auto glassAt = [&](int dpi) {
            QImage glass(400 * dpi / 300, 400 * dpi / 300, QImage::Format_RGB32);
            glass.fill(Qt::white);
            glass.setDotsPerMeterX(qRound(dpi / 0.0254));
            glass.setDotsPerMeterY(qRound(dpi / 0.0254));
            QPainter(&glass).fillRect(QRectF(part.topLeft() * dpi / 25.4, part.size() * dpi / 25.4),
                                      Qt::red);
            return glass;
        };
        const QImage cut = glassAt(300).copy(
            QRectF(part.topLeft() * 300 / 25.4, part.size() * 300 / 25.4).toRect());
        const DibBuffer glass = FakeScannerLibrary::pageOf(glassAt(75));
        auto scanning =
            makeWindow({glass, FakeScannerLibrary::pageOf(deviceCuts ? cut : glassAt(300)), glass});
        scanning.library->setScanAreaApplied(deviceCuts);
        MainWindow &window = *scanning.window;
        chooseColour(window, u"Photo Color"_s);
        window.qualityBox()->setCurrentIndex(2);

        window.action(Command::ScanPage)->trigger();
        QCOMPARE(window.workAreaStack()->currentIndex(), int(MainWindow::GlassArea));
        QCOMPARE(window.pageStore()->count(), 0);
        QVERIFY(scanning.library->calls().contains(u"setResolution(75)"_s));
        QVERIFY(scanning.library->scanArea().isEmpty());
        window.scanAreaView()->setArea(part);
        if (cancel) {
            named<QPushButton>(*window.scanAreaView(), "Cancel")->click();
            QCOMPARE(window.pageStore()->count(), 0);
            QCOMPARE(window.workAreaStack()->currentIndex(), int(MainWindow::StartArea));
            return;
        }
        window.action(Command::ScanPage)->trigger();
        QCOMPARE(window.pageStore()->count(), 1);
        const QRectF asked = scanning.library->scanArea();
        QVERIFY2(qAbs(asked.left() - part.left()) < 0.5 &&
                     qAbs(asked.bottom() - part.bottom()) < 0.5,
                 qPrintable(u"%1 %2"_s.arg(asked.left()).arg(asked.bottom())));
        const QImage page(window.pageStore()->pagePaths().first());
        QVERIFY2(qAbs(page.width() - cut.width()) <= 1 && qAbs(page.height() - cut.height()) <= 1,
                 qPrintable(u"%1 x %2"_s.arg(page.width()).arg(page.height())));
        QVERIFY(near(page.pixel(2, 2), qRgb(255, 0, 0), 40));
        QVERIFY(near(page.pixel(page.width() - 3, page.height() - 3), qRgb(255, 0, 0), 40));

        window.action(Command::ScanPage)->trigger();
        const QRectF offered = window.scanAreaView()->area();
        QVERIFY(qAbs(offered.top() - part.top()) < 0.5 &&
                qAbs(offered.right() - part.right()) < 0.5);
    }

    // Blank sheets of a feeder run are flagged on their tiles; with "Leave out blank pages"
    // they go as one removal that Undo takes back, and a notice says how many.
    void feederRunFlagsBlankPages_data()
    {
        QTest::addColumn<bool>("leaveOut");
        row("flagged", false);
        row("left out", true);
    }
    void feederRunFlagsBlankPages()
    {
        QFETCH(bool, leaveOut);
        writeSetting(Settings::PaperSource, 1);
        writeSetting(Settings::AcquireImage, 1);
        writeSetting(Settings::SkipBlankPages, leaveOut);
        const QImage text = a4Page(100, true);
        QImage white = text.copy();
        white.fill(qRgb(246, 244, 240));
        auto scanning =
            makeWindow({FakeScannerLibrary::pageOf(text), FakeScannerLibrary::pageOf(white),
                        FakeScannerLibrary::pageOf(text)});
        MainWindow &window = *scanning.window;
        window.scanPage();
        PageListWidget *store = window.pageStore();
        QCOMPARE(store->count(), leaveOut ? 2 : 3);
        for (int i = 0; i < store->count(); ++i)
            QCOMPARE(store->pageNote(i), !leaveOut && i == 1 ? u"Blank page?"_s : QString());
        QCOMPARE(noticeTexts(window).size(), leaveOut ? 1 : 0);
        if (!leaveOut)
            return;
        QVERIFY(noticeTexts(window).first().contains(u"1 blank page was left out."_s));
        window.undo();
        QCOMPARE(store->count(), 3);
        QCOMPARE(store->pageNote(1), u"Blank page?"_s);
    }

    // A page scanned while a restore runs (the restore lets events through) waits for it:
    // it used to take a number the restore was about to give an earlier page. The earlier
    // pages come from one feeder run, in order.
    void pageScannedDuringARestoreComesAfterIt()
    {
        writeSetting(Settings::PaperSource, 1);
        writeSetting(Settings::AcquireImage, 1);
        const QList<QRgb> colours = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255)};
        {
            auto earlier = makeWindow({FakeScannerLibrary::page(colours[0], 20, 20),
                                       FakeScannerLibrary::page(colours[1], 20, 20)});
            chooseColour(*earlier.window, u"Photo Color"_s);
            earlier.window->scanPage();
            QCOMPARE(earlier.window->pageStore()->count(), 2);
            QCOMPARE(earlier.window->pageStore()->currentIndex(), 1);
        }
        auto scanning = makeWindow({FakeScannerLibrary::page(colours[2], 20, 20)});
        MainWindow &window = *scanning.window;
        chooseColour(window, u"Photo Color"_s);
        QTimer::singleShot(0, &window, &MainWindow::scanPage);
        window.restoreSession();
        QTRY_COMPARE(window.pageStore()->count(), 3);
        const QStringList paths = window.pageStore()->pagePaths();
        for (int i = 0; i < 3; ++i)
            QVERIFY2(near(middleOf(paths[i]), colours[i], 39), qPrintable(paths[i]));
        QCOMPARE(noticeTexts(window).filter(u"Can't"_s), QStringList());
    }

    void failedPageIsToldAndEarlierPagesKept_data()
    {
        QTest::addColumn<bool>("afterAGoodPage"); // in the same feeder run
        QTest::addColumn<bool>("unreadable");     // else the scanner gives nothing
        QTest::addColumn<QString>("notice");
        row("nothing acquired after a page", true, false, "Scanning was cancelled.");
        row("unreadable bitmap alone", false, true, "could not be read");
        row("unreadable bitmap as second page", true, true, "could not be read");
    }
    void failedPageIsToldAndEarlierPagesKept()
    {
        QFETCH(bool, afterAGoodPage);
        QFETCH(bool, unreadable);
        QFETCH(QString, notice);
        writeSetting(Settings::PaperSource, 1);
        writeSetting(Settings::AcquireImage, 1);
        const DibBuffer whole = FakeScannerLibrary::page(qRgb(1, 2, 3));
        const DibBuffer broken(whole.bytes().left(DibBuffer::HeaderSize + 5)); // pixels cut off
        QList<std::optional<DibBuffer>> pages{unreadable ? std::optional(broken) : std::nullopt};
        if (afterAGoodPage)
            pages.prepend(whole);
        auto scanning = makeWindow(pages);
        MainWindow &window = *scanning.window;
        window.scanPage();
        QCOMPARE(window.pageStore()->count(), afterAGoodPage ? 1 : 0);
        QCOMPARE(scanning.library->pagesOutstanding(), 0);
        const QStringList notices = noticeTexts(window);
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices.first().contains(notice), qPrintable(notices.first()));
        QCOMPARE(window.workAreaStack()->currentIndex(),
                 int(afterAGoodPage ? MainWindow::EditorArea : MainWindow::StartArea));
    }

    void cancelStopsAFeederRun_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("kept"); // pages taken before the cancel, which come while the
                                       // next one is read
        row("preview's Cancel", u"preview"_s, 2);
        row("wizard's Cancel during the first page", u"cancel"_s, 0);
        row("wizard's Scan Now during the run, then Cancel", u"scan now, cancel"_s, 1);
        row("wizard's Finish on the countdown", u"finish"_s, 2);
        row("wizard closed on the countdown", u"close"_s, 2);
    }
    void cancelStopsAFeederRun()
    {
        QFETCH(QString, how);
        QFETCH(int, kept);
        writeSetting(Settings::PaperSource, 1);
        writeSetting(Settings::AcquireImage, 1);
        writeSetting(Settings::AutoScanNow, true);
        writeSetting(Settings::AutoScanTime, 60);
        auto library = std::make_unique<SaneScannerLibrary>();
        SaneScannerLibrary *sane = library.get();
        // Slow pages: each arrives in several reads with progress reports between them.
        sane->setDeviceOption("read-delay", true);
        sane->setDeviceOption("read-delay-duration", 10000);
        MainWindow window(MainWindow::NoSplash, std::move(library));
        chooseColour(window, u"Grayscale"_s);
        EzPrevScan *session = window.scannerSession();
        AutoScanWizard *wizard = window.autoScanWizard();
        auto *previewCancel = session->findChild<QPushButton *>();
        QVERIFY(previewCancel);

        int pagesSeen = 0;
        bool acted = false;
        bool previewKept = true;
        connect(session, &EzPrevScan::pageScanned, session, [&] { ++pagesSeen; });
        connect(session, &EzPrevScan::percentScan, session, [&](int percent) {
            // As long as the run goes on, the preview and its Cancel stay in front.
            const bool previewShown =
                window.workAreaStack()->currentWidget() == session && previewCancel->isEnabled();
            previewKept = previewKept && previewShown;
            if (acted || percent == 0 || pagesSeen != kept)
                return;
            QAbstractButton *wizardCancel = wizard->button(QWizard::CancelButton);
            if (how == "preview"_L1) {
                acted = previewShown;
                previewCancel->click();
            } else if (how == "finish"_L1) {
                acted = true;
                wizard->button(QWizard::FinishButton)->click();
            } else if (how == "close"_L1) {
                acted = true;
                wizard->close();
            } else if (wizard->currentId() == AutoScanWizard::TimerPageId) {
                wizard->button(QWizard::CustomButton2)->click(); // Scan Now
            } else if (wizard->currentId() == AutoScanWizard::ScanPageId &&
                       wizardCancel->isEnabled()) {
                acted = true;
                wizardCancel->click();
            }
        });

        if (how == "preview"_L1) {
            window.scanPage();
        } else {
            QTimer::singleShot(0, wizard, [wizard] { wizard->next(); });
            // Only a guard against a wizard that would wait forever; the checks below decide.
            QTimer::singleShot(60000, wizard, &QWizard::reject);
            window.action(Command::AutoScan)->trigger();
        }

        // The pages taken stay; the run stopped before another one arrived.
        QCOMPARE(pagesSeen, kept);
        QCOMPARE(window.pageStore()->count(), kept);
        QVERIFY(acted);
        QVERIFY(previewKept);
        QVERIFY(!wizard->isVisible());
        QVERIFY(!session->isScanning());
        QVERIFY(!sane->hasError());
        QCOMPARE(noticeTexts(window), QStringList()); // a cancel is no failure
        QVERIFY(sane->openDevice().isEmpty());
        QCOMPARE(window.workAreaStack()->currentIndex(),
                 int(kept > 0 ? MainWindow::EditorArea : MainWindow::StartArea));
    }

    // A second request mid-scan: Scan Page is refused; the countdown ending while a feeder run
    // still brings pages used to leave the wizard waiting for a scan that never came.
    void scanRequestDuringAScan_data()
    {
        QTest::addColumn<bool>("autoScan");
        QTest::addColumn<int>("opens");
        row("Scan Page again is refused", false, 1);
        row("auto scan follows the feeder run", true, 2);
    }
    void scanRequestDuringAScan()
    {
        QFETCH(bool, autoScan);
        QFETCH(int, opens);
        writeSetting(Settings::PaperSource, int(autoScan));
        writeSetting(Settings::AcquireImage, int(autoScan));
        auto scanning = makeWindow({FakeScannerLibrary::page(qRgb(200, 0, 0)),
                                    FakeScannerLibrary::page(qRgb(0, 200, 0)),
                                    FakeScannerLibrary::page(qRgb(0, 0, 200))});
        MainWindow &window = *scanning.window;
        if (autoScan)
            window.autoScanWizard()->show();
        bool asked = false;
        scanning.library->setOnAcquire([&] {
            if (std::exchange(asked, true))
                return;
            if (autoScan)
                window.startAutoScan();
            else
                window.action(Command::ScanPage)->trigger(); // Space pressed again mid-scan
        });
        autoScan ? window.startAutoScan() : window.scanPage();
        QVERIFY(asked);
        QCOMPARE(window.pageStore()->count(), autoScan ? 3 : 1);
        QTRY_COMPARE(scanning.library->calls().count(u"open()"_s), opens);
        window.autoScanWizard()->close();
    }

    // A two-sided stack on a one-sided feeder: the fronts in one run, the stack turned over
    // for the backs in the next; the pages come out in reading order once the order is
    // confirmed, or as scanned when the backs do not pair up with the fronts. Book mode is on
    // for the run only, and plain sheets, which cannot be split, go in whole.
    void twoSidedStackThroughTheWizard_data()
    {
        QTest::addColumn<int>("backs");
        QTest::addColumn<QList<int>>("expected"); // sheet numbers, negative for backs
        row("three sheets", 3, QList<int>{1, -1, 2, -2, 3, -3});
        row("a back short", 2, QList<int>{1, 2, 3, -3, -2});
    }
    void twoSidedStackThroughTheWizard()
    {
        QFETCH(int, backs);
        QFETCH(QList<int>, expected);
        writeSetting(Settings::PaperSource, 1);
        writeSetting(Settings::AcquireImage, 1);
        writeSetting(Settings::AutoScanNow, true);
        writeSetting(Settings::TwoSidedStack, true);
        writeSetting(Settings::BookScan, true);
        // Grey levels tell the sheets apart: fronts dark, backs light.
        const auto level = [](int sheet) { return sheet > 0 ? 20 * sheet : 255 + 30 * sheet; };
        QList<std::optional<DibBuffer>> pages;
        const QList<int> scanned = QList<int>{1, 2, 3, -3, -2, -1}.mid(0, 3 + backs);
        for (const int sheet : scanned)
            pages << FakeScannerLibrary::page(qRgb(level(sheet), level(sheet), level(sheet)), 20,
                                              20);
        pages << FakeScannerLibrary::page(qRgb(128, 128, 128), 20, 20); // scanned afterwards
        auto scanning = makeWindow(pages);
        scanning.library->setFeederEmptyAfter({3, 3 + backs});
        MainWindow &window = *scanning.window;
        chooseColour(window, u"Grayscale"_s);
        AutoScanWizard *wizard = window.autoScanWizard();
        bool bookDuringRun = false;
        QTimer::singleShot(0, [&] {
            wizard->next();
            QTRY_COMPARE(window.pageStore()->count(), 3);
            QTRY_COMPARE(wizard->currentId(), int(AutoScanWizard::TimerPageId));
            bookDuringRun = readSetting(Settings::BookScanning).toBool();
            // Enter on the countdown: the backs now.
            qobject_cast<TimerPage *>(wizard->page(AutoScanWizard::TimerPageId))->toScan();
        });
        // The order is asked once the wizard has closed, in a loop of its own.
        bool orderAsked = false;
        QTimer confirm;
        connect(&confirm, &QTimer::timeout, [&] {
            if (auto *dialog =
                    qobject_cast<TwoSidedStackDlg *>(QApplication::activeModalWidget())) {
                orderAsked = true;
                dialog->accept();
            }
        });
        confirm.start(10);
        window.action(Command::AutoScan)->trigger();
        QCOMPARE(orderAsked, backs == 3);
        QVERIFY(bookDuringRun);
        QVERIFY(!readSetting(Settings::BookScanning).toBool());

        QList<int> order;
        for (const QString &path : window.pageStore()->pagePaths()) {
            const int grey = qGray(middleOf(path));
            order << (grey < 128 ? qRound(grey / 20.0) : -qRound((255 - grey) / 30.0));
        }
        QCOMPARE(order, expected);
        // A manual scan afterwards cuts the wizard links: the wizard stays closed.
        window.scanPage();
        QCOMPARE(window.pageStore()->count(), expected.size() + 1);
        QVERIFY(!wizard->isVisible());
    }
};

// Cancelled scans leave the SANE test backend's reader threads cancelled mid-call; the
// program leaves the same way the real one does (see leaveProcess).
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestScanning test;
    leaveProcess(QTest::qExec(&test, argc, argv));
}
#include "tst_scanning.moc"
