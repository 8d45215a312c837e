#include "OfficePopupWindow.h"
#include "RibbonBar.h"
#include "RibbonButton.h"
#include "RibbonGroup.h"
#include "RibbonMainWindow.h"
#include "RibbonPage.h"
#include "RibbonSliderPane.h"
#include "RibbonStyle.h"
#include "RibbonText.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QStyleOption>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace Ribbon;

namespace {

QIcon redIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::red);
    return QIcon(pixmap);
}

bool showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

// The window the popups belong to, shown in a known place.
std::unique_ptr<QWidget> showHost()
{
    auto host = std::make_unique<QWidget>();
    host->setGeometry(40, 20, 700, 560);
    host->show();
    return host;
}

// A popup with content of a fixed size, shown at once, deleted when it closes.
OfficePopupWindow *makePopup(QWidget *parent, int displayTime = 10000)
{
    auto *popup = new OfficePopupWindow(parent);
    auto *content = new QLabel(QStringLiteral("Notice"));
    content->setMinimumSize(300, 100);
    popup->setCentralWidget(content);
    popup->setAnimation(OfficePopupWindow::NoAnimation);
    popup->setDisplayTime(displayTime);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    return popup;
}

void sendMouse(QEvent::Type type, QWidget *widget, QPoint local, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

QImage paintWorkspace(int theme)
{
    RibbonStyle style;
    style.setTheme(theme);
    QImage image(40, 120, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOption option;
    option.rect = image.rect();
    style.drawPrimitive(RibbonStyle::PE_Workspace, &option, &painter);
    return image;
}

} // namespace

class TestRibbon : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void plainTextDropsMnemonics_data();
    void plainTextDropsMnemonics();
    void mnemonicHtmlUnderlinesOneLetter();

    void pagesKeepOrderAndTitles();
    void altMnemonicSwitchesPage_data();
    void altMnemonicSwitchesPage();
    void shortcutWorksWhileAnotherPageIsShown();
    void titleBarShowsWindowTitleUnlessHidden();
    void groupsKeepOrder();

    void buttonShowsAction_data();
    void buttonShowsAction();
    void buttonFollowsAction();
    void largeButtonsWrapLabels_data();
    void largeButtonsWrapLabels();
    void menuOpensFromButton();
    void rowsLabelTheirWidgets();
    void rowMnemonicFocusesWidget();
    void optionButtonRunsItsAction();
    void controlsCentering_data();
    void controlsCentering();

    void sliderStepButtons_data();
    void sliderStepButtons();
    void sliderSnapsToSteps_data();
    void sliderSnapsToSteps();

    void popupClosesAfterDisplayTime();
    void popupHoverPausesCountdown();
    void popupCloseButtonCloses();
    void popupsStackWithoutOverlapping();
    void popupShowsTitleAndContent();
    void popupAnimationsEndInPlace_data();
    void popupAnimationsEndInPlace();
    void popupDrag_data();
    void popupDrag();

    void workspaceIsPaintedByTheme_data();
    void workspaceIsPaintedByTheme();
    void themeRecoloursRibbon();
};

void TestRibbon::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
}

void TestRibbon::plainTextDropsMnemonics_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("plain");
    QTest::newRow("page title") << QStringLiteral("&Scan && PDF") << QStringLiteral("Scan & PDF");
    QTest::newRow("inside a word")
        << QStringLiteral("Fast &Settings") << QStringLiteral("Fast Settings");
    QTest::newRow("no mnemonic") << QStringLiteral("Ready") << QStringLiteral("Ready");
    QTest::newRow("escaped then marked") << QStringLiteral("&&&Both") << QStringLiteral("&Both");
    QTest::newRow("second mark") << QStringLiteral("&Remove &All") << QStringLiteral("Remove All");
    QTest::newRow("trailing mark") << QStringLiteral("Trailing &") << QStringLiteral("Trailing ");
    QTest::newRow("empty") << QString() << QString();
}

void TestRibbon::plainTextDropsMnemonics()
{
    QFETCH(QString, text);
    QFETCH(QString, plain);
    QCOMPARE(plainText(text), plain);
}

void TestRibbon::mnemonicHtmlUnderlinesOneLetter()
{
    QCOMPARE(mnemonicToHtml(QStringLiteral("&Scan && PDF")),
             QStringLiteral("<u>S</u>can &amp; PDF"));
    QCOMPARE(mnemonicToHtml(QStringLiteral("a<&b>")), QStringLiteral("a&lt;<u>b</u>&gt;"));
}

void TestRibbon::pagesKeepOrderAndTitles()
{
    RibbonBar bar;
    const QStringList titles = {QStringLiteral("&Scan && PDF"), QStringLiteral("&Editing"),
                                QStringLiteral("&Composition")};
    for (const QString &title : titles)
        bar.addPage(title);

    QCOMPARE(bar.pageCount(), 3);
    auto *tabs = bar.findChild<QTabBar *>();
    QVERIFY(tabs);
    for (int i = 0; i < titles.size(); ++i) {
        QCOMPARE(bar.page(i)->title(), titles[i]);
        QCOMPARE(tabs->tabText(i), titles[i]);
        QCOMPARE(tabs->accessibleTabName(i), plainText(titles[i]));
    }
    QCOMPARE(bar.page(3), nullptr);
    QCOMPARE(bar.page(-1), nullptr);
    QCOMPARE(bar.currentPage(), 0);

    QSignalSpy changed(&bar, &RibbonBar::currentPageChanged);
    bar.setCurrentPage(2);
    QCOMPARE(bar.currentPage(), 2);
    bar.setCurrentPage(7); // out of range: ignored
    QCOMPARE(bar.currentPage(), 2);
    QCOMPARE(changed.count(), 1);
}

void TestRibbon::altMnemonicSwitchesPage_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("Alt+E") << 0 << int(Qt::Key_E) << 1;
    QTest::newRow("Alt+I") << 0 << int(Qt::Key_I) << 2;
    QTest::newRow("Alt+S back") << 2 << int(Qt::Key_S) << 0;
}

void TestRibbon::altMnemonicSwitchesPage()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    RibbonMainWindow window;
    RibbonBar *bar = window.ribbonBar();
    bar->addPage(QStringLiteral("&Scan && PDF"));
    bar->addPage(QStringLiteral("&Editing"));
    bar->addPage(QStringLiteral("&Information"));
    bar->setCurrentPage(start);
    QVERIFY(showActive(&window));

    QTest::keyClick(&window, Qt::Key(key), Qt::AltModifier);
    QCOMPARE(bar->currentPage(), expected);
}

void TestRibbon::shortcutWorksWhileAnotherPageIsShown()
{
    RibbonMainWindow window;
    RibbonBar *bar = window.ribbonBar();
    QAction *scan =
        bar->addPage(QStringLiteral("&Scan"))
            ->addGroup(QStringLiteral("&Scan"))
            ->addAction(redIcon(), QStringLiteral("Scan &Page"), Qt::ToolButtonTextUnderIcon);
    scan->setShortcut(QKeySequence(Qt::Key_Space));
    bar->addPage(QStringLiteral("&Editing"));
    bar->setCurrentPage(1);
    QVERIFY(showActive(&window));

    QSignalSpy triggered(scan, &QAction::triggered);
    QTest::keyClick(&window, Qt::Key_Space);
    QCOMPARE(triggered.count(), 1);

    scan->setEnabled(false); // a disabled command ignores its shortcut
    QTest::keyClick(&window, Qt::Key_Space);
    QCOMPARE(triggered.count(), 1);
}

void TestRibbon::titleBarShowsWindowTitleUnlessHidden()
{
    RibbonMainWindow window;
    window.setWindowTitle(QStringLiteral("Quillary - Test"));
    window.ribbonBar()->addPage(QStringLiteral("&Scan"));
    window.show();
    auto *titleBar = window.ribbonBar()->findChild<QLabel *>(QStringLiteral("titleBar"));
    QVERIFY(titleBar);
    QVERIFY(window.ribbonBar()->isTitleBarVisible());
    QVERIFY(titleBar->isVisible());
    QCOMPARE(titleBar->text(), QStringLiteral("Quillary - Test"));

    window.setWindowTitle(QStringLiteral("Renamed"));
    QCOMPARE(titleBar->text(), QStringLiteral("Renamed"));

    const int tallHeight = window.ribbonBar()->sizeHint().height();
    window.ribbonBar()->setTitleBarVisible(false);
    QVERIFY(!window.ribbonBar()->isTitleBarVisible());
    QVERIFY(!titleBar->isVisible());
    QVERIFY(window.ribbonBar()->sizeHint().height() < tallHeight);
}

void TestRibbon::groupsKeepOrder()
{
    RibbonBar bar;
    RibbonPage *page = bar.addPage(QStringLiteral("&Composition"));
    RibbonGroup *move = page->addGroup(QStringLiteral("&Move"));
    RibbonGroup *remove = page->addGroup(QStringLiteral("&Remove"));
    move->addAction(redIcon(), QStringLiteral("Move &Up"), Qt::ToolButtonTextUnderIcon);
    remove->addAction(redIcon(), QStringLiteral("&Remove Page"), Qt::ToolButtonTextUnderIcon);
    bar.show();

    QCOMPARE(page->groups(), (QList<RibbonGroup *>{move, remove}));
    QCOMPARE(remove->title(), QStringLiteral("&Remove"));
    QCOMPARE(remove->accessibleName(), QStringLiteral("Remove"));
    QVERIFY(move->geometry().right() < remove->geometry().left());
}

void TestRibbon::buttonShowsAction_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("large");
    QTest::newRow("text under icon") << int(Qt::ToolButtonTextUnderIcon) << true;
    QTest::newRow("text beside icon") << int(Qt::ToolButtonTextBesideIcon) << false;
}

void TestRibbon::buttonShowsAction()
{
    QFETCH(int, style);
    QFETCH(bool, large);
    RibbonBar bar;
    RibbonGroup *group = bar.addPage(QStringLiteral("&Scan"))->addGroup(QStringLiteral("&Scan"));
    QAction *action =
        group->addAction(redIcon(), QStringLiteral("Scan &Page"), Qt::ToolButtonStyle(style));
    auto *button = qobject_cast<QToolButton *>(group->widgetFor(action));
    QVERIFY(button);
    QCOMPARE(action->parent(), group);
    QCOMPARE(action->text(), QStringLiteral("Scan &Page"));
    QCOMPARE(button->toolButtonStyle(), Qt::ToolButtonStyle(style));
    QCOMPARE(button->minimumWidth(), 72);
    QCOMPARE(button->accessibleName(), QStringLiteral("Scan Page"));
    QCOMPARE(button->iconSize() == QSize(32, 32), large);
    QCOMPARE(group->widgetFor(new QAction(group)), nullptr);
}

void TestRibbon::buttonFollowsAction()
{
    RibbonBar bar;
    RibbonGroup *group =
        bar.addPage(QStringLiteral("&Editing"))->addGroup(QStringLiteral("&Correction"));
    QAction *crop =
        group->addAction(redIcon(), QStringLiteral("&Crop Image"), Qt::ToolButtonTextUnderIcon);
    crop->setToolTip(QStringLiteral("Show Frame to Crop Image"));
    crop->setCheckable(true);
    auto *button = qobject_cast<QToolButton *>(group->widgetFor(crop));
    QVERIFY(button);
    bar.show();
    QCOMPARE(button->toolTip(), QStringLiteral("Show Frame to Crop Image"));

    QSignalSpy triggered(crop, &QAction::triggered);
    QSignalSpy toggled(crop, &QAction::toggled);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(toggled.count(), 1);
    QVERIFY(crop->isChecked());
    QVERIFY(button->isChecked());

    crop->setEnabled(false);
    QVERIFY(!button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(triggered.count(), 1);
    crop->setEnabled(true);
    QVERIFY(button->isEnabled());

    crop->setText(QStringLiteral("&Crop Again"));
    QCOMPARE(button->accessibleName(), QStringLiteral("Crop Again"));
}

void TestRibbon::largeButtonsWrapLabels_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("one word") << QStringLiteral("Settings") << QStringLiteral("Settings");
    QTest::newRow("two words") << QStringLiteral("Scan Page") << QStringLiteral("Scan\nPage");
    QTest::newRow("three words") << QStringLiteral("Build PDF Document")
                                 << QStringLiteral("Build PDF\nDocument");
    QTest::newRow("short last word")
        << QStringLiteral("Save As Pictures") << QStringLiteral("Save As\nPictures");
}

void TestRibbon::largeButtonsWrapLabels()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    RibbonBar bar;
    QCOMPARE(RibbonButton::wrappedText(text, bar.fontMetrics()), shown);

    // Wrapped or not, large buttons keep one height so a page's buttons line up.
    RibbonGroup *group = bar.addPage(QStringLiteral("&Scan"))->addGroup(QStringLiteral("&Scan"));
    QWidget *button =
        group->widgetFor(group->addAction(redIcon(), text, Qt::ToolButtonTextUnderIcon));
    QWidget *single = group->widgetFor(
        group->addAction(redIcon(), QStringLiteral("Help"), Qt::ToolButtonTextUnderIcon));
    QCOMPARE(button->sizeHint().height(), single->sizeHint().height());
    QCOMPARE(button->accessibleName(), text);
}

void TestRibbon::menuOpensFromButton()
{
    RibbonBar bar;
    QMenu menu;
    RibbonGroup *group = bar.addPage(QStringLiteral("&Scan"))->addGroup(QStringLiteral("&Scan"));
    QAction *action =
        group->addAction(redIcon(), QStringLiteral("&Auto Scan"), Qt::ToolButtonTextUnderIcon,
                         &menu, QToolButton::InstantPopup);
    auto *button = qobject_cast<QToolButton *>(group->widgetFor(action));
    QVERIFY(button);
    QCOMPARE(button->menu(), &menu);
    QCOMPARE(button->popupMode(), QToolButton::InstantPopup);
}

void TestRibbon::rowsLabelTheirWidgets()
{
    RibbonBar bar;
    RibbonGroup *group =
        bar.addPage(QStringLiteral("&Scan"))->addGroup(QStringLiteral("Fast &Settings"));
    auto *scanner = new QComboBox;
    auto *color = new QComboBox;
    QAction *scannerRow = group->addWidget(QIcon(), QStringLiteral("Scanner:"), true, scanner);
    QAction *colorRow = group->addWidget(QIcon(), QStringLiteral("C&olor Mode:"), true, color);
    bar.show();

    QWidget *row = group->widgetFor(colorRow);
    QVERIFY(row);
    QVERIFY(row->isAncestorOf(color));
    auto *label = row->findChild<QLabel *>();
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("C&olor Mode:"));
    QCOMPARE(label->buddy(), color);
    QCOMPARE(label->accessibleName(), QStringLiteral("Color Mode:"));

    // Rows stack in one column, their widgets lined up behind the labels.
    QWidget *firstRow = group->widgetFor(scannerRow);
    QVERIFY(firstRow->geometry().bottom() < row->geometry().top());
    QCOMPARE(scanner->mapTo(group, QPoint()).x(), color->mapTo(group, QPoint()).x());

    colorRow->setEnabled(false);
    QVERIFY(!color->isEnabled());
    QVERIFY(scanner->isEnabled());
    colorRow->setVisible(false);
    QVERIFY(!row->isVisible());
}

void TestRibbon::rowMnemonicFocusesWidget()
{
    RibbonMainWindow window;
    RibbonGroup *group = window.ribbonBar()
                             ->addPage(QStringLiteral("&Scan"))
                             ->addGroup(QStringLiteral("Fast &Settings"));
    auto *quality = new QComboBox;
    group->addWidget(QIcon(), QStringLiteral("&Quality:"), false, quality);
    QVERIFY(showActive(&window));

    QTest::keyClick(&window, Qt::Key_Q, Qt::AltModifier);
    QVERIFY(quality->hasFocus());
}

void TestRibbon::optionButtonRunsItsAction()
{
    RibbonBar bar;
    RibbonGroup *group = bar.addPage(QStringLiteral("&Scan"))->addGroup(QStringLiteral("&Scan"));
    group->addAction(redIcon(), QStringLiteral("Scan &Page"), Qt::ToolButtonTextUnderIcon);
    QVERIFY(!group->isOptionButtonVisible());
    group->setOptionButtonVisible(true);
    QAction *option = group->optionButtonAction();
    QVERIFY(option);
    option->setToolTip(QStringLiteral("Restore Session"));
    bar.show();

    auto *button = group->findChild<QToolButton *>(QStringLiteral("optionButton"));
    QVERIFY(button);
    QVERIFY(button->isVisible());
    QCOMPARE(button->toolTip(), QStringLiteral("Restore Session"));
    QCOMPARE(button->accessibleName(), QStringLiteral("Restore Session"));
    QSignalSpy triggered(option, &QAction::triggered);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(triggered.count(), 1);
}

void TestRibbon::controlsCentering_data()
{
    QTest::addColumn<bool>("centre");
    QTest::newRow("packed") << false;
    QTest::newRow("centred") << true;
}

void TestRibbon::controlsCentering()
{
    QFETCH(bool, centre);
    RibbonBar bar;
    RibbonGroup *group =
        bar.addPage(QStringLiteral("&Scan"))->addGroup(QStringLiteral("Fast &Settings"));
    group->setControlsCentering(centre);
    QCOMPARE(group->controlsCentering(), centre);
    QWidget *button = group->widgetFor(
        group->addAction(redIcon(), QStringLiteral("&Settings"), Qt::ToolButtonTextUnderIcon));
    QList<QWidget *> rows;
    for (const QString &text :
         {QStringLiteral("Scanner:"), QStringLiteral("Color Mode:"), QStringLiteral("Quality:")})
        rows << group->widgetFor(group->addWidget(QIcon(), text, true, new QComboBox));
    group->setMinimumWidth(group->sizeHint().width() + 200);
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));

    const auto inGroup = [group](QWidget *w) {
        return QRect(w->mapTo(group, QPoint()), w->size());
    };
    const QRect column = inGroup(rows.first()).united(inGroup(rows.last()));
    const QRect buttonRect = inGroup(button);
    const QRect controls = column.united(buttonRect);
    const int leftSpace = controls.left();
    const int rightSpace = group->width() - controls.right();
    if (centre) {
        QVERIFY(qAbs(buttonRect.center().y() - column.center().y()) <= 1);
        QVERIFY(qAbs(leftSpace - rightSpace) <= 2);
    } else {
        QCOMPARE(buttonRect.top(), column.top());
        QVERIFY(rightSpace > leftSpace + 100);
    }
}

void TestRibbon::sliderStepButtons_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("changes");
    QTest::newRow("one up") << 100 << 300 << 50 << 200 << QStringLiteral("+") << 250 << 1;
    QTest::newRow("one down") << 100 << 300 << 50 << 200 << QStringLiteral("-") << 150 << 1;
    QTest::newRow("up and back") << 100 << 300 << 50 << 200 << QStringLiteral("+-") << 200 << 2;
    QTest::newRow("clamps at top") << 100 << 300 << 50 << 200 << QStringLiteral("+++") << 300 << 2;
    QTest::newRow("clamps at bottom")
        << 100 << 300 << 50 << 200 << QStringLiteral("-----") << 100 << 2;
    QTest::newRow("off-grid maximum") << 0 << 10 << 4 << 8 << QStringLiteral("+") << 10 << 1;
    QTest::newRow("down from off-grid maximum")
        << 0 << 10 << 4 << 8 << QStringLiteral("++-") << 8 << 2;
}

void TestRibbon::sliderStepButtons()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, step);
    QFETCH(int, start);
    QFETCH(QString, clicks);
    QFETCH(int, expected);
    QFETCH(int, changes);
    RibbonSliderPane pane;
    pane.setScrollButtons(true);
    pane.setRange(min, max);
    pane.setSingleStep(step);
    pane.setSliderPosition(start);
    pane.show();
    QCOMPARE(pane.value(), start);

    auto *decrease = pane.findChild<QToolButton *>(QStringLiteral("decreaseButton"));
    auto *increase = pane.findChild<QToolButton *>(QStringLiteral("increaseButton"));
    QVERIFY(decrease && increase);
    QVERIFY(decrease->isVisible() && increase->isVisible());
    QVERIFY(!decrease->accessibleName().isEmpty());

    QSignalSpy changed(&pane, &RibbonSliderPane::valueChanged);
    for (const QChar click : clicks)
        QTest::mouseClick(click == QLatin1Char('+') ? increase : decrease, Qt::LeftButton);
    QCOMPARE(pane.value(), expected);
    QCOMPARE(changed.count(), changes);
    QCOMPARE(changed.last().first().toInt(), expected);
}

void TestRibbon::sliderSnapsToSteps_data()
{
    QTest::addColumn<int>("dragTo");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("changes");
    QTest::newRow("rounds down") << 170 << 150 << 1;
    QTest::newRow("rounds up") << 180 << 200 << 0;
    QTest::newRow("near the bottom") << 124 << 100 << 1;
    QTest::newRow("near the top") << 299 << 300 << 1;
    QTest::newRow("on the grid") << 250 << 250 << 1;
}

void TestRibbon::sliderSnapsToSteps()
{
    QFETCH(int, dragTo);
    QFETCH(int, expected);
    QFETCH(int, changes);
    RibbonSliderPane pane;
    pane.setRange(100, 300);
    pane.setSingleStep(50);
    pane.setSliderPosition(200);
    auto *slider = pane.findChild<QSlider *>();
    QVERIFY(slider);
    pane.setToolTip(QStringLiteral("Thumbnail size"));
    QCOMPARE(slider->accessibleName(), QStringLiteral("Thumbnail size"));

    QSignalSpy changed(&pane, &RibbonSliderPane::valueChanged);
    slider->setValue(dragTo); // what dragging the handle does
    QCOMPARE(pane.value(), expected);
    QCOMPARE(slider->value(), expected);
    QCOMPARE(changed.count(), changes);
    QCOMPARE(pane.minimum(), 100);
    QCOMPARE(pane.maximum(), 300);

    pane.setSliderPosition(dragTo); // the same spot again changes nothing
    QCOMPARE(changed.count(), changes);
}

void TestRibbon::popupClosesAfterDisplayTime()
{
    const auto window = showHost();
    QPointer<OfficePopupWindow> popup = makePopup(window.get(), 50);
    QSignalSpy aboutToClose(popup.data(), &OfficePopupWindow::aboutToClose);
    popup->showPopup();
    QVERIFY(popup->isVisible());
    auto *timer = popup->findChild<QTimer *>(QStringLiteral("displayTimer"));
    QVERIFY(timer && timer->isActive());
    QTRY_VERIFY(popup.isNull());
    QCOMPARE(aboutToClose.count(), 1);

    QPointer<OfficePopupWindow> lasting = makePopup(window.get(), 0); // stays until closed
    lasting->showPopup();
    QVERIFY(!lasting->findChild<QTimer *>(QStringLiteral("displayTimer"))->isActive());
    lasting->close();
    QTRY_VERIFY(lasting.isNull());
}

void TestRibbon::popupHoverPausesCountdown()
{
    const auto window = showHost();
    OfficePopupWindow *popup = makePopup(window.get(), 10000);
    popup->showPopup();
    auto *timer = popup->findChild<QTimer *>(QStringLiteral("displayTimer"));
    QVERIFY(timer->isActive());

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), popup->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(popup, &enter);
    QVERIFY(!timer->isActive());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(popup, &leave);
    QVERIFY(timer->isActive());
    QVERIFY(timer->interval() <= 10000); // resumes with what was left
    popup->close();
}

void TestRibbon::popupCloseButtonCloses()
{
    const auto window = showHost();
    QPointer<OfficePopupWindow> popup = makePopup(window.get());
    popup->setTitleCloseButtonVisible(true);
    QSignalSpy aboutToClose(popup.data(), &OfficePopupWindow::aboutToClose);
    popup->showPopup();
    auto *close = popup->findChild<QToolButton *>(QStringLiteral("closeButton"));
    QVERIFY(close && close->isVisible());
    QCOMPARE(close->accessibleName(), QStringLiteral("Close"));
    QTest::mouseClick(close, Qt::LeftButton);
    QTRY_VERIFY(popup.isNull());
    QCOMPARE(aboutToClose.count(), 1);
}

void TestRibbon::popupsStackWithoutOverlapping()
{
    const auto window = showHost();
    QList<OfficePopupWindow *> popups;
    for (int i = 0; i < 3; ++i) {
        popups << makePopup(window.get());
        popups.last()->showPopup();
    }
    const QRect area = window->geometry();
    const QRect first = popups[0]->geometry();
    QVERIFY(area.contains(first));
    QVERIFY(area.right() - first.right() < 50);
    QVERIFY(area.bottom() - first.bottom() < 50);
    for (int i = 1; i < popups.size(); ++i) {
        QVERIFY(area.contains(popups[i]->geometry()));
        QCOMPARE(popups[i]->geometry().right(), first.right());
        QVERIFY(popups[i]->geometry().bottom() < popups[i - 1]->geometry().top());
    }

    // A new popup takes the place a closed one left.
    const QRect freed = popups[1]->geometry();
    popups[1]->close();
    OfficePopupWindow *next = makePopup(window.get());
    next->showPopup();
    QCOMPARE(next->geometry(), freed);
    for (OfficePopupWindow *popup : {popups[0], popups[2], next})
        popup->close();
}

void TestRibbon::popupShowsTitleAndContent()
{
    QWidget window;
    OfficePopupWindow popup(&window);
    popup.setTitleText(QStringLiteral("<h4>&nbsp;Quillary Message</h4>"));
    auto *title = popup.findChild<QLabel *>(QStringLiteral("titleLabel"));
    QVERIFY(title);
    QCOMPARE(title->text(), QStringLiteral("<h4>&nbsp;Quillary Message</h4>"));
    QCOMPARE(popup.accessibleName(), QStringLiteral("Quillary Message"));

    QPointer<QLabel> first = new QLabel(QStringLiteral("first"));
    popup.setCentralWidget(first);
    QCOMPARE(popup.centralWidget(), first.data());
    QCOMPARE(first->parentWidget(), &popup);
    auto *second = new QLabel(QStringLiteral("second"));
    popup.setCentralWidget(second);
    QCOMPARE(popup.centralWidget(), second);
    QVERIFY(first.isNull());
    QVERIFY(popup.windowFlags() & Qt::FramelessWindowHint);
}

void TestRibbon::popupAnimationsEndInPlace_data()
{
    QTest::addColumn<int>("animation");
    QTest::newRow("fade") << int(OfficePopupWindow::Fade);
    QTest::newRow("slide") << int(OfficePopupWindow::Slide);
}

void TestRibbon::popupAnimationsEndInPlace()
{
    QFETCH(int, animation);
    const auto window = showHost();
    OfficePopupWindow *still = makePopup(window.get());
    still->showPopup();
    const QRect place = still->geometry();
    still->close();

    OfficePopupWindow *popup = makePopup(window.get());
    popup->setAnimation(animation);
    popup->setAnimationSpeed(40);
    popup->setTransparency(0.8);
    popup->showPopup();
    if (animation == OfficePopupWindow::Slide)
        QVERIFY(popup->y() > place.y());
    else
        QVERIFY(popup->windowOpacity() < 0.5);
    QTRY_COMPARE(popup->geometry(), place);
    QTRY_VERIFY(qAbs(popup->windowOpacity() - 0.8) < 0.01);
    popup->close();
}

void TestRibbon::popupDrag_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::newRow("drag enabled") << true;
    QTest::newRow("drag disabled") << false;
}

void TestRibbon::popupDrag()
{
    QFETCH(bool, enabled);
    const auto window = showHost();
    OfficePopupWindow *popup = makePopup(window.get());
    popup->setDragDropEnabled(enabled);
    popup->showPopup();
    const QPoint before = popup->pos();

    const QPoint grip(10, 10);
    const QPoint moved = grip + QPoint(-40, -30);
    sendMouse(QEvent::MouseButtonPress, popup, grip, Qt::LeftButton);
    sendMouse(QEvent::MouseMove, popup, moved, Qt::LeftButton);
    sendMouse(QEvent::MouseButtonRelease, popup, moved, Qt::NoButton);

    QCOMPARE(popup->pos(), enabled ? before + QPoint(-40, -30) : before);
    popup->close();
}

void TestRibbon::workspaceIsPaintedByTheme_data()
{
    QTest::addColumn<int>("theme");
    for (int theme = 0; theme <= 4; ++theme)
        QTest::addRow("theme %d", theme) << theme;
}

void TestRibbon::workspaceIsPaintedByTheme()
{
    QFETCH(int, theme);
    QCOMPARE(int(RibbonStyle::PE_Workspace), 0x0F000001); // the number the work area asks for
    const QImage workspace = paintWorkspace(theme);
    QImage plain(workspace.size(), workspace.format());
    plain.fill(Qt::white);
    QVERIFY(workspace != plain);
    QVERIFY(workspace.pixel(20, 0) != workspace.pixel(20, 119)); // a gradient, not a fill
    QVERIFY(paintWorkspace((theme + 1) % 5) != workspace);       // each theme its own
}

void TestRibbon::themeRecoloursRibbon()
{
    RibbonStyle style;
    RibbonBar bar;
    bar.setStyle(&style);
    RibbonGroup *group = bar.addPage(QStringLiteral("&Scan"))->addGroup(QStringLiteral("&Scan"));
    group->addAction(redIcon(), QStringLiteral("Scan &Page"), Qt::ToolButtonTextUnderIcon);
    bar.resize(400, bar.sizeHint().height());
    const QImage before = bar.grab().toImage();

    QSignalSpy changed(&style, &OfficeStyle::themeChanged);
    style.setTheme(4);
    style.setTheme(4);  // same theme: nothing to do
    style.setTheme(99); // unknown: ignored
    QCOMPARE(changed.count(), 1);
    QCOMPARE(style.theme(), 4);
    QVERIFY(bar.grab().toImage() != before);
    bar.setStyle(nullptr);
}

QTEST_MAIN(TestRibbon)
#include "tst_ribbon.moc"
