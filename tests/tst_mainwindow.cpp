#include "NoticeTexts.h"
#include "OfficePopupWindow.h"
#include "OptionsDlg.h"
#include "PageListWidget.h"
#include "RibbonSliderPane.h"
#include "SettingsKeys.h"
#include "SplashPanel.h"
#include "TestHelpers.h"
#include "UrlCatcher.h"
#include "WindowFixture.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        setUpWindowTests();
        QDesktopServices::setUrlHandler(u"file"_s, &m_urls, "open");
        QDesktopServices::setUrlHandler(u"http"_s, &m_urls, "open");
    }
    void init()
    {
        startAfresh();
        m_urls.opened.clear();
    }
    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(u"file"_s);
        QDesktopServices::unsetUrlHandler(u"http"_s);
    }

    void scanners_data()
    {
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("notice");
        row("none: notice, scanning off", QStringList(),
            u"<h4>Scanners not found.<br>Please plug a scanner.</h4>"_s);
        row("two: stored, no notice", QStringList{u"Flatbed"_s, u"Feeder"_s}, QString());
    }
    void scanners()
    {
        QFETCH(QStringList, found);
        QFETCH(QString, notice);
        auto window = makeWindow(found);
        // Every command has its icon; page commands wait for a page, Undo and Redo for an edit.
        for (const CommandInfo &info : commandTable()) {
            QAction *action = window->action(info.id);
            QVERIFY2(!action->icon().pixmap(32, 32).isNull(), info.icon);
            if (window->pageActions().contains(action) || info.id == Command::Undo ||
                info.id == Command::Redo)
                QVERIFY2(!action->isEnabled(), info.text);
        }
        QCOMPARE(noticeTexts(*window), notice.isEmpty() ? QStringList() : QStringList{notice});
        QCOMPARE(window->action(Command::ScanPage)->isEnabled(), !found.isEmpty());
        QCOMPARE(window->action(Command::AutoScan)->isEnabled(), !found.isEmpty());
        QCOMPARE(readSetting(Settings::Scanners).toString(), found.join(u"--"_s));

        // The button names the scanner in use: the first found, then the one chosen (the last).
        QPushButton *button = window->selectScannerButton();
        QCOMPARE(button->text(), found.value(0, u"Select Scanner"_s));
        QCOMPARE(button->accessibleName(), u"Select Scanner"_s);
        button->click();
        QCOMPARE(button->text(), found.isEmpty() ? u"Select Scanner"_s : found.last());
    }

    // Colour mode and quality (its resolutions from the scan options) come back at the next start.
    void fastSettingsAreStoredAndRestored_data()
    {
        QTest::addColumn<bool>("accept");
        row("ok", true);
        row("cancel", false);
    }
    void fastSettingsAreStoredAndRestored()
    {
        QFETCH(bool, accept);
        writeSetting(Settings::QualityIndex, 2);
        auto window = makeWindow();
        QComboBox *box = window->qualityBox();
        QCOMPARE(box->currentIndex(), 2);
        writeSetting(Settings::JpegQuality, 50);
        QTimer::singleShot(0, [accept] {
            auto *dialog = qobject_cast<OptionsDlg *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QComboBox *middle = named<QComboBox>(*dialog, "Middle:");
            QVERIFY(middle);
            middle->setCurrentIndex(middle->findData(150));
            auto *buttons = dialog->findChild<QDialogButtonBox *>();
            buttons->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
        });
        window->action(Command::Settings)->trigger();
        const int middle = accept ? 150 : 100;
        QCOMPARE(box->itemData(0).toInt(), middle);
        QCOMPARE(readSetting(Settings::JpegQuality).toInt(), accept ? 85 : 50);
        box->setCurrentIndex(0);
        QCOMPARE(readSetting(Settings::Resolution).toInt(), middle);
        QCOMPARE(readSetting(Settings::QualityIndex).toInt(), 0);
        window->colorBox()->setCurrentIndex(window->colorBox()->findText(u"Photo Color"_s));
        QCOMPARE(readSetting(Settings::Grayscale).toInt(), 4);
        window.reset();
        auto restarted = makeWindow();
        QCOMPARE(restarted->qualityBox()->itemData(0).toInt(), middle);
        QCOMPARE(restarted->qualityBox()->currentIndex(), 0);
        QCOMPARE(restarted->colorBox()->currentText(), u"Photo Color"_s);
        writeSetting(Settings::Grayscale, 3); // matches no item exactly
        QCOMPARE(makeWindow()->colorBox()->currentData().toInt(), 2);
    }

    void thumbnailSlider_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("box");
        // Nothing stored: the strip keeps its own box until the slider moves.
        row("first start", QVariant(), 200, 220);
        row("remembered", QVariant(150), 150, 150);
        row("out of range", QVariant(900), 300, 300);
        row("not a number", QVariant(u"big"_s), 200, 220);
    }
    void thumbnailSlider()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, position);
        QFETCH(int, box);
        if (stored.isValid())
            writeSetting(Settings::ThumbnailSize, stored);
        {
            auto window = makeWindow();
            Ribbon::RibbonSliderPane *slider = window->sliderPane();
            QCOMPARE(slider->value(), position);
            QCOMPARE(window->pageStore()->thumbnailBox(), QSize(box, box));
            slider->setSliderPosition(250);
            QCOMPARE(window->pageStore()->thumbnailBox(), QSize(250, 250));
            slider->setSliderPosition(400);
            QCOMPARE(slider->value(), 300);
        }
        auto restarted = makeWindow();
        QCOMPARE(restarted->sliderPane()->value(), 300);
        QCOMPARE(restarted->pageStore()->thumbnailBox(), QSize(300, 300));
    }

    // On the small (800 x 800) test screen: fits, and the page panel follows the work area.
    void shownWindow()
    {
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const QRect available = window->screen()->availableGeometry();
        QVERIFY(available.width() < 1024);
        const QSize frame = window->frameGeometry().size() - window->size();
        const QSize smallest = window->minimumSize() + frame;
        QVERIFY(smallest.width() <= available.width() && smallest.height() <= available.height());
        QVERIFY(available.contains(window->frameGeometry()));
        window->showNormal();
        QTRY_VERIFY(available.contains(window->frameGeometry()));
        const QWidget *slider = window->sliderPane();
        QVERIFY(slider->isVisible());
        QVERIFY(
            window->rect().contains(QRect(slider->mapTo(window.get(), QPoint()), slider->size())));

        window->resize(1200, 800);
        QCOMPARE(window->workAreaStack()->currentIndex(), 0);
        QTRY_COMPARE(window->splitter()->sizes().at(1), 0);
        const int panelWidth = window->pagePanel()->sizeHint().width();
        const int total = window->splitter()->sizes().at(0);
        for (const int area : {MainWindow::EditorArea, MainWindow::ScannerArea,
                               MainWindow::StartArea, MainWindow::EditorArea}) {
            window->workAreaStack()->setCurrentIndex(area);
            const int panel = area == MainWindow::StartArea ? 0 : panelWidth;
            QCOMPARE(window->splitter()->sizes(), (QList<int>{total - panel, panel}));
        }
        window->pagePanelStack()->setCurrentIndex(MainWindow::PageStorePanel);
        for (const int side : {200, 300}) {
            window->sliderPane()->setSliderPosition(side);
            QTRY_VERIFY(window->pageStore()->viewport()->width() >= side + 12);
        }
    }

    void exportOutcomes_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("openKey"); // empty: never opens
        QTest::addColumn<QString>("expected");
        row("pdf with odd name", "exported", "/tmp/My docs/a#1 & <b>.pdf", "NeedOpen",
            "<h4>PDF file was created.<br>Open <a "
            "href=\"file:///tmp/My%20docs/a%231%20&amp;%20%3Cb%3E.pdf\">a#1 &amp; "
            "&lt;b&gt;.pdf</a><br>In folder <a href=\"file:///tmp/My%20docs\">/tmp/My "
            "docs</a></h4>");
        row("word", "exportedWord", "/tmp/out/Document.docx", "WordNeedOpen",
            "<h4>Word file was created.<br>Open <a "
            "href=\"file:///tmp/out/Document.docx\">Document.docx</a><br>In folder <a "
            "href=\"file:///tmp/out\">/tmp/out</a></h4>");
        row("djvu", "exportedDjvu", "/tmp/out/50%.djvu", "DjvuNeedOpen",
            "<h4>DjVu file was created.<br>Open <a "
            "href=\"file:///tmp/out/50%25.djvu\">50%.djvu</a><br>In folder <a "
            "href=\"file:///tmp/out\">/tmp/out</a></h4>");
        row("images name the folder", "exportedImages", "/tmp/out/Document/", "ImageNeedOpen",
            "<h4>Images were saved.<br>Open folder <a "
            "href=\"file:///tmp/out/Document\">Document</a><br>In folder <a "
            "href=\"file:///tmp/out\">/tmp/out</a></h4>");
        row("pdf failure names only the file", "exportFailed", "/tmp/secret folder/x.pdf", "",
            "<h4>Error while PDF file creating.<br>Can't write file x.pdf. Probably, file is "
            "opened or you can't write to folder.</h4>");
        row("image failure", "exportImageFailed", "/tmp/out/Document/1_1.jpg", "",
            "<h4>Error while Image file creating.<br>Can't write file 1_1.jpg. Probably, file "
            "is opened.</h4>");
    }
    void exportOutcomes()
    {
        QFETCH(QString, slot);
        QFETCH(QString, path);
        QFETCH(QString, openKey);
        QFETCH(QString, expected);
        auto window = makeWindow();

        // Absent means "don't open".
        QVERIFY(QMetaObject::invokeMethod(window.get(), qPrintable(slot), Q_ARG(QString, path)));
        QCOMPARE(noticeTexts(*window), QStringList{expected});
        QVERIFY(m_urls.opened.isEmpty());
        // Closed, a notice goes for good.
        QPointer<QWidget> notice = window->findChild<Ribbon::OfficePopupWindow *>();
        QVERIFY(notice->isVisible());
        notice->close();
        QTRY_VERIFY(notice.isNull());

        if (openKey.isEmpty())
            return;
        QSettings().setValue(openKey, true);
        QVERIFY(QMetaObject::invokeMethod(window.get(), qPrintable(slot), Q_ARG(QString, path)));
        QCOMPARE(noticeTexts(*window).size(), 1);
        QCOMPARE(m_urls.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
    }

    void aboutAndHelpFollowTheVendor()
    {
        writeSetting(Settings::AppUrl, u"vendor.example.org"_s);
        auto window = makeWindow();
        const auto shownPanel = [] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *panel = qobject_cast<SplashPanel *>(top); panel && panel->isVisible())
                    return panel;
            return static_cast<SplashPanel *>(nullptr);
        };
        // Every time, not only the first; a click closes it, then Escape.
        for (const bool escape : {false, true}) {
            window->about();
            SplashPanel *panel = shownPanel();
            QVERIFY(panel);
            QVERIFY(panel->caption().contains("Quillary 14.1"_L1));
            QVERIFY(!panel->pixmap().isNull());
            // Read out as plain words, never as markup.
            QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(panel);
            QCOMPARE(spoken->text(QAccessible::Name), u"Quillary 14.1"_s);
            QVERIFY(
                spoken->text(QAccessible::Description).contains("http://vendor.example.org"_L1));
            for (int i = 0; i < spoken->childCount(); ++i)
                QVERIFY(!spoken->child(i)->text(QAccessible::Name).contains(u'<'));

            if (escape)
                QTest::keyClick(panel, Qt::Key_Escape);
            else
                QTest::mouseClick(panel, Qt::LeftButton);
            QTRY_VERIFY(!shownPanel());
        }
        window->help();
        QCOMPARE(m_urls.opened, QList<QUrl>{QUrl(u"http://vendor.example.org/help.html"_s)});
    }

private:
    UrlCatcher m_urls;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
