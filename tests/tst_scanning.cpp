#include "AutoScanWizard.h"
#include "EzPrevScan.h"
#include "FakeScannerLibrary.h"
#include "MainWindow.h"
#include "NoticeTexts.h"
#include "PageListWidget.h"
#include "ProcessExit.h"
#include "SaneScannerLibrary.h"
#include "ScanAreaView.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"
#include "TimerPage.h"
#include "Translations.h"
#include "TwoSidedStackDlg.h"
#include "WindowFixture.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {
struct Scanning
{
    FakeScannerLibrary *library = nullptr;
    std::unique_ptr<MainWindow> window;
};

// feeder: every page of the feeder in one run, else one from the glass; mode: the colour box's.
Scanning makeWindow(const QList<std::optional<DibBuffer>> &pages, bool feeder = false,
                    const QString &mode = {})
{
    writeSetting(Settings::PaperSource, int(feeder));
    writeSetting(Settings::AcquireImage, int(feeder));
    auto library = std::make_unique<FakeScannerLibrary>();
    library->setPages(pages);
    Scanning result;
    result.library = library.get();
    result.window = std::make_unique<MainWindow>(MainWindow::NoSplash, std::move(library));
    if (!mode.isEmpty())
        result.window->colorBox()->setCurrentIndex(result.window->colorBox()->findText(mode));
    return result;
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
        setUpWindowTests();
        QCoreApplication::setOrganizationName(u"Plenwick"_s);
        QCoreApplication::setApplicationName(u"QuillaryScanningTest"_s);
        // The English singular forms ("1 blank page") come from the plural translation.
        installTranslators(QLocale(QLocale::English));
        // Only SANE's virtual test device, whatever is plugged into this machine.
        if (qEnvironmentVariableIsEmpty("SANE_CONFIG_DIR"))
            qputenv("SANE_CONFIG_DIR", QUILLARY_SANE_CONFIG_DIR);
    }
    void init() { startAfresh(); }

    // A second Scan Page (Space pressed again) mid-scan is refused.
    void singleScanAddsThePage_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("mask"); // 1: black and white, kept as a 1-bit TIFF
        row("grey", "Grayscale", 2);
        row("colour", "Photo Color", 4);
        row("black and white", "Black-White", 1);
    }
    void singleScanAddsThePage()
    {
        QFETCH(QString, mode);
        QFETCH(int, mask);
        const DibBuffer page = FakeScannerLibrary::page(qRgb(250, 250, 250), 40, 30);
        auto scanning = makeWindow({page, page}, false, mode);
        MainWindow &window = *scanning.window;
        window.qualityBox()->setCurrentIndex(2);
        bool asked = false;
        scanning.library->setOnAcquire([&] {
            if (!std::exchange(asked, true))
                window.action(Command::ScanPage)->trigger();
        });
        window.action(Command::ScanPage)->trigger();

        QVERIFY(asked);
        QCOMPARE(window.pageStore()->count(), 1);
        QCOMPARE(scanning.library->calls().count(u"open()"_s), 1);
        const QString path = window.pageStore()->pagePaths().first();
        QCOMPARE(QFileInfo(path).suffix(), mask == 1 ? u"tiff"_s : u"jpg"_s);
        const QImage stored(path);
        QCOMPARE(stored.size(), QSize(40, 30));
        QCOMPARE(stored.depth() == 1, mask == 1);
        QVERIFY(scanning.library->calls().contains(u"setResolution(300)"_s));
        QVERIFY(scanning.library->calls().contains(u"acquirePage(%1)"_s.arg(mask)));
        QCOMPARE(scanning.library->pagesOutstanding(), 0);
        QCOMPARE(window.workAreaStack()->currentIndex(), int(MainWindow::EditorArea));
        QVERIFY(window.action(Command::RotateLeft)->isEnabled());
        QVERIFY(window.scannerSession()->image() == nullptr); // released after the hand-off
    }

    // With preview, Scan Page again takes the framed part, cut by us when the device cannot.
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
            QImage glass =
                atDpi(QImage(400 * dpi / 300, 400 * dpi / 300, QImage::Format_RGB32), dpi);
            glass.fill(Qt::white);
            QPainter(&glass).fillRect(QRectF(part.topLeft() * dpi / 25.4, part.size() * dpi / 25.4),
                                      Qt::red);
            return glass;
        };
        const QImage cut = glassAt(300).copy(
            QRectF(part.topLeft() * 300 / 25.4, part.size() * 300 / 25.4).toRect());
        const DibBuffer glass = FakeScannerLibrary::pageOf(glassAt(75));
        auto scanning =
            makeWindow({glass, FakeScannerLibrary::pageOf(deviceCuts ? cut : glassAt(300)), glass},
                       false, u"Photo Color"_s);
        scanning.library->setScanAreaApplied(deviceCuts);
        MainWindow &window = *scanning.window;
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

    // Blank sheets are flagged or left out in one removal that Undo takes back; failures told.
    void feederRunKeepsItsGoodPages_data()
    {
        QTest::addColumn<QList<std::optional<DibBuffer>>>("pages");
        QTest::addColumn<bool>("leaveOut");
        QTest::addColumn<QStringList>("notes"); // of the pages kept
        QTest::addColumn<QString>("notice");
        using Pages = QList<std::optional<DibBuffer>>;
        const QImage text = a4Page(100, true);
        QImage white = text.copy();
        white.fill(qRgb(246, 244, 240));
        const DibBuffer t = FakeScannerLibrary::pageOf(text);
        const DibBuffer w = FakeScannerLibrary::pageOf(white);
        const DibBuffer whole = FakeScannerLibrary::page(qRgb(1, 2, 3));
        const DibBuffer broken(whole.bytes().left(DibBuffer::HeaderSize + 5)); // pixels cut off
        const QString blank = u"Blank page?"_s;
        row("blank page flagged", Pages{t, w, t}, false, QStringList{{}, blank, {}}, QString());
        row("blank page left out", Pages{t, w, t}, true, QStringList{{}, {}},
            u"1 blank page was left out."_s);
        row("nothing acquired after a page", Pages{whole, std::nullopt}, false, QStringList{{}},
            u"Scanning was cancelled."_s);
        row("unreadable bitmap alone", Pages{broken}, false, QStringList(), u"could not be read"_s);
        row("unreadable bitmap as second page", Pages{whole, broken}, false, QStringList{{}},
            u"could not be read"_s);
    }
    void feederRunKeepsItsGoodPages()
    {
        QFETCH(QList<std::optional<DibBuffer>>, pages);
        QFETCH(bool, leaveOut);
        QFETCH(QStringList, notes);
        QFETCH(QString, notice);
        writeSetting(Settings::SkipBlankPages, leaveOut);
        auto scanning = makeWindow(pages, true);
        MainWindow &window = *scanning.window;
        window.scanPage();
        PageListWidget *store = window.pageStore();
        QCOMPARE(store->count(), notes.size());
        for (int i = 0; i < store->count(); ++i)
            QCOMPARE(store->pageNote(i), notes.at(i));
        QCOMPARE(scanning.library->pagesOutstanding(), 0);
        const QStringList notices = noticeTexts(window);
        QCOMPARE(notices.size(), notice.isEmpty() ? 0 : 1);
        if (!notice.isEmpty())
            QVERIFY2(notices.first().contains(notice), qPrintable(notices.first()));
        QCOMPARE(window.workAreaStack()->currentIndex(),
                 int(notes.isEmpty() ? MainWindow::StartArea : MainWindow::EditorArea));
        if (!leaveOut)
            return;
        window.undo();
        QCOMPARE(store->count(), 3);
        QCOMPARE(store->pageNote(1), u"Blank page?"_s);
    }

    // A page scanned while a restore lets events through used to take an earlier page's number.
    void pageScannedDuringARestoreComesAfterIt()
    {
        const QList<QRgb> colours = {qRgb(255, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 255)};
        {
            auto earlier = makeWindow({FakeScannerLibrary::page(colours[0], 20, 20),
                                       FakeScannerLibrary::page(colours[1], 20, 20)},
                                      true, u"Photo Color"_s);
            earlier.window->scanPage();
            QCOMPARE(earlier.window->pageStore()->count(), 2);
            QCOMPARE(earlier.window->pageStore()->currentIndex(), 1);
        }
        auto scanning =
            makeWindow({FakeScannerLibrary::page(colours[2], 20, 20)}, true, u"Photo Color"_s);
        MainWindow &window = *scanning.window;
        QTimer::singleShot(0, &window, &MainWindow::scanPage);
        window.restoreSession();
        QTRY_COMPARE(window.pageStore()->count(), 3);
        const QStringList paths = window.pageStore()->pagePaths();
        for (int i = 0; i < 3; ++i)
            QVERIFY2(near(middleOf(paths[i]), colours[i], 39), qPrintable(paths[i]));
        QCOMPARE(noticeTexts(window).filter(u"Can't"_s), QStringList());
    }

    void cancelStopsAFeederRun_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("kept"); // pages in before the cancel, made while the next is read
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
        window.colorBox()->setCurrentIndex(window.colorBox()->findText(u"Grayscale"_s));
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

    // The countdown ending mid-run used to leave the wizard waiting for a scan that never came.
    void autoScanDuringAFeederRunFollowsIt()
    {
        auto scanning = makeWindow({FakeScannerLibrary::page(qRgb(200, 0, 0)),
                                    FakeScannerLibrary::page(qRgb(0, 200, 0)),
                                    FakeScannerLibrary::page(qRgb(0, 0, 200))},
                                   true);
        MainWindow &window = *scanning.window;
        window.autoScanWizard()->show();
        bool asked = false;
        scanning.library->setOnAcquire([&] {
            if (!std::exchange(asked, true))
                window.startAutoScan();
        });
        window.startAutoScan();
        QVERIFY(asked);
        QCOMPARE(window.pageStore()->count(), 3);
        QTRY_COMPARE(scanning.library->calls().count(u"open()"_s), 2);
        window.autoScanWizard()->close();
    }

    // Fronts, then the stack turned over for the backs: reading order once confirmed, or as
    // scanned when the backs do not pair up. Book mode is on for the run only.
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
        writeSetting(Settings::AutoScanNow, true);
        writeSetting(Settings::TwoSidedStack, true);
        writeSetting(Settings::BookScan, true);
        // Grey levels tell the sheets apart: fronts dark, backs light.
        const auto level = [](int sheet) { return sheet > 0 ? 20 * sheet : 255 + 30 * sheet; };
        QList<std::optional<DibBuffer>> pages;
        for (const int sheet : QList<int>{1, 2, 3, -3, -2, -1}.mid(0, 3 + backs))
            pages << FakeScannerLibrary::page(qRgb(level(sheet), level(sheet), level(sheet)), 20,
                                              20);
        pages << FakeScannerLibrary::page(qRgb(128, 128, 128), 20, 20); // scanned afterwards
        auto scanning = makeWindow(pages, true, u"Grayscale"_s);
        scanning.library->setFeederEmptyAfter({3, 3 + backs});
        MainWindow &window = *scanning.window;
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
            auto *dialog = qobject_cast<TwoSidedStackDlg *>(QApplication::activeModalWidget());
            orderAsked = orderAsked || dialog;
            if (dialog)
                dialog->accept();
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

// Cancelled scans leave the test backend's reader threads mid-call: leave as the program does.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestScanning test;
    leaveProcess(QTest::qExec(&test, argc, argv));
}
#include "tst_scanning.moc"
