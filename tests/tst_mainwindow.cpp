#include "MainWindow.h"
#include "OfficePopupWindow.h"
#include "OptionsDlg.h"
#include "PageListWidget.h"
#include "RibbonBar.h"
#include "RibbonGroup.h"
#include "RibbonPage.h"
#include "RibbonSliderPane.h"
#include "RibbonStyle.h"
#include "ScannerLibrary.h"
#include "SettingsKeys.h"
#include "SplashPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLabel>
#include <QMenu>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QtTest>

namespace {
class FakeScannerLibrary : public ScannerLibrary
{
public:
    explicit FakeScannerLibrary(QStringList names) : m_names(std::move(names)) {}
    QStringList sourceNames() override { return m_names; }

private:
    QStringList m_names;
};

std::unique_ptr<MainWindow> makeWindow(const QStringList &scanners = {})
{
    return std::make_unique<MainWindow>(MainWindow::NoSplash,
                                        std::make_unique<FakeScannerLibrary>(scanners));
}

QList<Ribbon::OfficePopupWindow *> notices(const MainWindow &window)
{
    return window.findChildren<Ribbon::OfficePopupWindow *>();
}

QString noticeText(Ribbon::OfficePopupWindow *popup)
{
    auto *label = popup->findChild<QLabel *>(QStringLiteral("noticeText"));
    return label ? label->text() : QString();
}
} // namespace

// Receives the addresses the window asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened << url; }
};

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QApplication::setStyle(new Ribbon::RibbonStyle);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &m_urls, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_urls, "open");
    }
    void init()
    {
        QSettings().clear();
        m_urls.opened.clear();
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    void ribbonPagesAndGroups()
    {
        auto window = makeWindow({QStringLiteral("Test scanner")});
        Ribbon::RibbonBar *bar = window->ribbonBar();
        QCOMPARE(bar->pageCount(), 4);
        const QStringList titles = {QStringLiteral("&Scan && PDF"), QStringLiteral("&Editing"),
                                    QStringLiteral("&Composition"), QStringLiteral("&Information")};
        const QList<QStringList> groups = {
            {QStringLiteral("Fast &Settings"), QStringLiteral("&Scan"), QStringLiteral("&Export")},
            {QStringLiteral("&Rotate"), QStringLiteral("&Zoom"), QStringLiteral("&Correction")},
            {QStringLiteral("&Move"), QStringLiteral("&Remove")},
            {QStringLiteral("&Help")}};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(bar->page(i)->title(), titles[i]);
            QStringList groupTitles;
            for (Ribbon::RibbonGroup *group : bar->page(i)->groups())
                groupTitles << group->title();
            QCOMPARE(groupTitles, groups[i]);
        }
        QVERIFY(!bar->isTitleBarVisible());
        QCOMPARE(window->windowTitle(),
                 QStringLiteral("Quillary - Automatic Scan to PDF, DjVu, JPEG, TIFF, BMP, PNG"));
        QCOMPARE(window->minimumSize(), QSize(1024, 768));
        QVERIFY(window->windowState() & Qt::WindowMaximized);
    }

    void commands_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::addColumn<bool>("pageAction");
        QTest::addColumn<bool>("scanAction");
        QTest::newRow("settings") << int(Command::Settings) << "&Settings"
                                  << "Change the application settings." << false << false;
        QTest::newRow("scan page") << int(Command::ScanPage) << "Scan &Page"
                                   << "Scan whole page. Press Space to start scanning." << false
                                   << true;
        QTest::newRow("auto scan")
            << int(Command::AutoScan) << "&Auto Scan"
            << "Start automatic scanning. The next scanning will start after a time." << false
            << true;
        QTest::newRow("from file") << int(Command::LoadFile) << "From &File"
                                   << "Load an image from a file." << false << false;
        QTest::newRow("word") << int(Command::BuildWord) << "Build &Word Document"
                              << "Build the MS Word (docx) document from scanned pages." << true
                              << false;
        QTest::newRow("flip") << int(Command::RotateFlip) << "&Flip Image" << "Flip the Image"
                              << true << false;
        QTest::newRow("crop") << int(Command::Crop) << "&Crop Image" << "Show Frame to Crop Image"
                              << true << false;
        QTest::newRow("bottom") << int(Command::MoveBottom) << "Move to &Bottom"
                                << "Move current page to bottom of the list." << true << false;
        QTest::newRow("unchecked") << int(Command::RemoveAllUnchecked) << "&Remove All Unchecked"
                                   << "Delete all unchecked pages from the list." << true << false;
        QTest::newRow("updates") << int(Command::Update) << "Check &Updates"
                                 << "Check for updates in Internet." << false << false;
    }
    void commands()
    {
        QFETCH(int, command);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        QFETCH(bool, pageAction);
        QFETCH(bool, scanAction);
        auto window = makeWindow({QStringLiteral("Test scanner")});
        QAction *action = window->action(Command(command));
        QVERIFY(action);
        QCOMPARE(action->text(), text);
        QCOMPARE(action->toolTip(), toolTip);
        QVERIFY(!action->icon().isNull());
        QCOMPARE(window->pageActions().contains(action), pageAction);
        QCOMPARE(window->scanActions().contains(action), scanAction);
        QCOMPARE(action->isCheckable(), Command(command) == Command::Crop);
        QCOMPARE(action->shortcut().isEmpty(), Command(command) != Command::ScanPage);
        if (pageAction)
            QVERIFY(!action->isEnabled()); // no pages yet
    }

    void everyCommandHasAnIconAndAWideButton()
    {
        auto window = makeWindow();
        QCOMPARE(window->pageActions().size(), 21);
        QCOMPARE(window->scanActions().size(), 2);
        QCOMPARE(window->action(Command::ScanPage)->shortcut(), QKeySequence(Qt::Key_Space));
        for (const CommandInfo &info : commandTable()) {
            QAction *action = window->action(info.id);
            QVERIFY2(!action->icon().pixmap(32, 32).isNull(), info.icon);
            bool hasWideButton = false;
            for (QObject *shown : action->associatedObjects()) {
                if (auto *widget = qobject_cast<QWidget *>(shown))
                    hasWideButton = hasWideButton || widget->minimumWidth() >= 72;
            }
            QVERIFY2(hasWideButton, info.text);
        }
    }

    void contextMenus()
    {
        auto window = makeWindow();
        const auto texts = [](QMenu *menu) {
            QStringList result;
            for (QAction *action : menu->actions())
                result << (action->isSeparator() ? QStringLiteral("|") : action->text());
            return result.join(QLatin1Char(','));
        };
        QCOMPARE(texts(window->editorMenu()),
                 QStringLiteral("Turn &Left,&Turn Right,&Flip Image,|,Zoom &In,Zoom &Out,&Fit to "
                                "Window,|,&Crop Image,&Image Contrast,|,&Remove Page"));
        QCOMPARE(texts(window->pageMenu()),
                 QStringLiteral("Move &Up,Move &Down,Move to &Top,Move to &Bottom,|,&Remove "
                                "Page,&Remove All But Current"));
    }

    void noScannerNoticeAndDisabledScanning()
    {
        auto window = makeWindow();
        const auto shown = notices(*window);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(noticeText(shown.first()),
                 QStringLiteral("<h4>Scanners not found.<br>Please plug a scanner.</h4>"));
        QVERIFY(!window->action(Command::ScanPage)->isEnabled());
        QVERIFY(!window->action(Command::AutoScan)->isEnabled());
        QCOMPARE(readSetting(Settings::Scanners).toString(), QString());
    }

    void scannersFoundAreStored()
    {
        auto window = makeWindow({QStringLiteral("Flatbed"), QStringLiteral("Feeder")});
        QVERIFY(notices(*window).isEmpty());
        QCOMPARE(readSetting(Settings::Scanners).toString(), QStringLiteral("Flatbed--Feeder"));
    }

    void startStoresVersionAndJpegQuality()
    {
        writeSetting(Settings::JpegQuality, 60);
        auto window = makeWindow();
        QCOMPARE(readSetting(Settings::JpegQuality).toInt(), 85);
        QCOMPARE(readSetting(Settings::Version).toString(), QStringLiteral("14.1"));
    }

    void colourChoiceIsStoredAndRestored()
    {
        {
            auto window = makeWindow();
            QCOMPARE(window->colorBox()->count(), 3);
            QCOMPARE(window->colorBox()->currentData().toInt(), 2); // default Grayscale
            window->colorBox()->setCurrentIndex(window->colorBox()->findText(QStringLiteral("Photo Color")));
            QCOMPARE(readSetting(Settings::Grayscale).toInt(), 4);
        }
        auto restarted = makeWindow();
        QCOMPARE(restarted->colorBox()->currentText(), QStringLiteral("Photo Color"));
        writeSetting(Settings::Grayscale, 3); // matches no item exactly
        auto oddValue = makeWindow();
        QCOMPARE(oddValue->colorBox()->currentData().toInt(), 2);
    }

    void qualityBoxFollowsStoredResolutions()
    {
        writeSetting(Settings::MiddleQuality, 150);
        writeSetting(Settings::QualityIndex, 2);
        auto window = makeWindow();
        QComboBox *box = window->qualityBox();
        QCOMPARE(box->count(), 3);
        QCOMPARE(box->itemText(0), QStringLiteral("Middle"));
        QCOMPARE(box->itemData(0).toInt(), 150);
        QCOMPARE(box->itemData(1).toInt(), 200);
        QCOMPARE(box->itemData(2).toInt(), 300);
        QCOMPARE(box->currentIndex(), 2);
        box->setCurrentIndex(0);
        QCOMPARE(readSetting(Settings::Resolution).toInt(), 150);
        QCOMPARE(readSetting(Settings::QualityIndex).toInt(), 0);
    }

    void settingsChangeWhatTheQualitiesScanAt_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("ok") << true;
        QTest::newRow("cancel") << false;
    }
    void settingsChangeWhatTheQualitiesScanAt()
    {
        QFETCH(bool, accept);
        writeSetting(Settings::JpegQuality, 50);
        auto window = makeWindow();
        writeSetting(Settings::JpegQuality, 50);
        QTimer::singleShot(0, [accept] {
            auto *dialog = qobject_cast<OptionsDlg *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QComboBox *middle = nullptr;
            for (QComboBox *box : dialog->findChildren<QComboBox *>()) {
                if (box->accessibleName() == QLatin1String("Middle:"))
                    middle = box;
            }
            QVERIFY(middle);
            middle->setCurrentIndex(middle->findData(150));
            auto *buttons = dialog->findChild<QDialogButtonBox *>();
            buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        window->action(Command::Settings)->trigger();
        QCOMPARE(window->qualityBox()->itemData(0).toInt(), accept ? 150 : 100);
        QCOMPARE(window->qualityBox()->itemData(1).toInt(), 200);
        QCOMPARE(readSetting(Settings::JpegQuality).toInt(), accept ? 85 : 50);
    }

    void thumbnailSlider()
    {
        auto window = makeWindow();
        Ribbon::RibbonSliderPane *slider = window->sliderPane();
        QCOMPARE(slider->value(), 200);
        QCOMPARE(window->pageStore()->thumbnailBox(), QSize(220, 220)); // untouched until moved
        slider->setSliderPosition(250);
        QCOMPARE(window->pageStore()->thumbnailBox(), QSize(250, 250));
        slider->setSliderPosition(400);
        QCOMPARE(slider->value(), 300);
    }

    void pagePanelFollowsWorkArea()
    {
        auto window = makeWindow();
        window->setWindowState(Qt::WindowNoState);
        window->resize(1200, 800);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->workAreaStack()->currentIndex(), 0);
        QCOMPARE(window->pagePanelStack()->currentIndex(), 0);
        QCOMPARE(window->splitter()->sizes().at(1), 0);

        const int panelWidth = window->pagePanel()->sizeHint().width();
        const int total = window->splitter()->sizes().at(0);
        window->workAreaStack()->setCurrentIndex(MainWindow::EditorArea);
        QCOMPARE(window->splitter()->sizes().at(1), panelWidth);
        window->workAreaStack()->setCurrentIndex(MainWindow::ScannerArea);
        QCOMPARE(window->splitter()->sizes().at(1), panelWidth);
        QCOMPARE(window->splitter()->sizes().at(0) + panelWidth, total);
        window->workAreaStack()->setCurrentIndex(MainWindow::StartArea);
        QCOMPARE(window->splitter()->sizes().at(1), 0);
    }

    void exportOutcomes_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("openKey");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("opens");
        QTest::newRow("pdf with odd name")
            << "exported" << "/tmp/My docs/a#1 & <b>.pdf" << "NeedOpen"
            << "<h4>PDF file was created.<br>Open <a "
               "href=\"file:///tmp/My%20docs/a%231%20&amp;%20%3Cb%3E.pdf\">a#1 &amp; "
               "&lt;b&gt;.pdf</a></h4>"
            << true;
        QTest::newRow("word") << "exportedWord" << "/tmp/out/Document.docx" << "WordNeedOpen"
                              << "<h4>Word file was created.<br>Open <a "
                                 "href=\"file:///tmp/out/Document.docx\">Document.docx</a></h4>"
                              << true;
        QTest::newRow("djvu") << "exportedDjvu" << "/tmp/out/50%.djvu" << "DjvuNeedOpen"
                              << "<h4>DjVu file was created.<br>Open <a "
                                 "href=\"file:///tmp/out/50%25.djvu\">50%.djvu</a></h4>"
                              << true;
        QTest::newRow("images name the folder")
            << "exportedImages" << "/tmp/out/Document" << "ImageNeedOpen"
            << "<h4>Images was saved.<br>Open folder <a "
               "href=\"file:///tmp/out/Document\">Document</a></h4>"
            << true;
        QTest::newRow("pdf failure names only the file")
            << "exportFailed" << "/tmp/secret folder/x.pdf" << ""
            << "<h4>Error while PDF file creating.<br>Can't write file x.pdf. Probably, file is "
               "opened or you can't write to folder.</h4>"
            << false;
        QTest::newRow("image failure")
            << "exportImageFailed" << "/tmp/out/Document/1_1.jpg" << ""
            << "<h4>Error while Image file creating.<br>Can't write file 1_1.jpg. Probably, file "
               "is opened.</h4>"
            << false;
    }
    void exportOutcomes()
    {
        QFETCH(QString, slot);
        QFETCH(QString, path);
        QFETCH(QString, openKey);
        QFETCH(QString, expected);
        QFETCH(bool, opens);
        auto window = makeWindow({QStringLiteral("Test scanner")});

        // Absent means "don't open".
        QVERIFY(QMetaObject::invokeMethod(window.get(), qPrintable(slot), Q_ARG(QString, path)));
        QCOMPARE(notices(*window).size(), 1);
        QCOMPARE(noticeText(notices(*window).first()), expected);
        QVERIFY(m_urls.opened.isEmpty());

        if (openKey.isEmpty())
            return;
        QSettings().setValue(openKey, true);
        QVERIFY(QMetaObject::invokeMethod(window.get(), qPrintable(slot), Q_ARG(QString, path)));
        QCOMPARE(notices(*window).size(), 2);
        QCOMPARE(m_urls.opened.size(), opens ? 1 : 0);
        QCOMPARE(m_urls.opened.first(), QUrl::fromLocalFile(path));
    }

    void noticeLooksAndCloses()
    {
        auto window = makeWindow({QStringLiteral("Test scanner")});
        QPointer<Ribbon::OfficePopupWindow> popup = window->showNotice(QStringLiteral("Hello"));
        QVERIFY(popup);
        QVERIFY(popup->isVisible());
        bool hasTitle = false;
        for (QLabel *label : popup->findChildren<QLabel *>())
            hasTitle = hasTitle || label->text().contains(QLatin1String("Quillary Message"));
        QVERIFY(hasTitle);
        QVERIFY(popup->testAttribute(Qt::WA_DeleteOnClose));
        popup->close();
        QTRY_VERIFY(popup.isNull());
    }

    void helpOpensTheVendorPage()
    {
        writeSetting(Settings::AppUrl, QStringLiteral("help.example.org"));
        auto window = makeWindow();
        window->help();
        QCOMPARE(m_urls.opened, QList<QUrl>{QUrl(QStringLiteral("http://help.example.org/help.html"))});
    }

    void aboutShowsProductAndVersion()
    {
        auto window = makeWindow();
        window->about();
        SplashPanel *panel = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *candidate = qobject_cast<SplashPanel *>(top); candidate && candidate->isVisible())
                panel = candidate;
        }
        QVERIFY(panel);
        QVERIFY(panel->caption().contains(QLatin1String("Quillary 14.1")));
        QVERIFY(!panel->pixmap().isNull());
        QPointer<SplashPanel> guard(panel);
        QTest::mouseClick(panel, Qt::LeftButton);
        QTRY_VERIFY(guard.isNull() || !guard->isVisible());
    }

private:
    UrlCatcher m_urls;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
