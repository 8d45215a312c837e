// The ribbon: pages, groups, buttons, key tips, slider, notices, themes, palettes, narrow windows.
#include "ContrastChecks.h"
#include "OfficePopupWindow.h"
#include "RibbonBar.h"
#include "RibbonButton.h"
#include "RibbonGroup.h"
#include "RibbonMainWindow.h"
#include "RibbonPage.h"
#include "RibbonSliderPane.h"
#include "RibbonStyle.h"
#include "RibbonText.h"
#include "TestHelpers.h"
#include "ThemeColors.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

using namespace Ribbon;

namespace {
bool showActive(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

QAction *addLarge(RibbonGroup *group, const QString &text)
{
    return group->addAction(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon), text,
                            Qt::ToolButtonTextUnderIcon);
}

OfficePopupWindow *makePopup(QWidget *parent, int displayTime = 10000)
{
    auto *popup = new OfficePopupWindow(parent);
    popup->setTitleText(u"<h4>&nbsp;Quillary Message</h4>"_s);
    auto *content = new QLabel(u"Notice"_s);
    content->setMinimumSize(300, 100);
    popup->setCentralWidget(content);
    popup->setAnimation(OfficePopupWindow::NoAnimation);
    popup->setDisplayTime(displayTime);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    return popup;
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

// The desktop's light or dark colours until the returned guard goes.
[[nodiscard]] auto usePalette(bool dark)
{
    const QPalette before = QApplication::palette();
    QApplication::setPalette(dark ? darkPalette() : QApplication::style()->standardPalette());
    return qScopeGuard([before] { QApplication::setPalette(before); });
}
} // namespace

class TestRibbon : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void mnemonicText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("html");
        row("page title", "&Scan && PDF", "Scan & PDF", "<u>S</u>can &amp; PDF");
        row("no mnemonic", "Ready", "Ready", "Ready");
        row("escaped then marked", "&&&Both", "&Both", "&amp;<u>B</u>oth");
        row("second mark", "&Remove &All", "Remove All", "<u>R</u>emove All");
        row("trailing mark", "Trailing &", "Trailing ", "Trailing ");
        row("markup", "a<&b>", "a<b>", "a&lt;<u>b</u>&gt;");
        QTest::newRow("empty") << QString() << QString() << QString();
    }

    void mnemonicText()
    {
        QFETCH(QString, text);
        QFETCH(QString, plain);
        QFETCH(QString, html);
        QCOMPARE(plainText(text), plain);
        QCOMPARE(mnemonicToHtml(text), html);
    }

    void pagesAndGroupsKeepOrder()
    {
        RibbonMainWindow window;
        window.setWindowTitle(u"Quillary - Test"_s);
        RibbonBar *bar = window.ribbonBar();
        for (const QString &title : {u"&Scan && PDF"_s, u"&Editing"_s, u"&Composition"_s})
            bar->addPage(title);
        auto *tabs = bar->findChild<QTabBar *>();
        QCOMPARE(bar->pageCount(), 3);
        QCOMPARE(bar->page(3), nullptr);

        QSignalSpy changed(bar, &RibbonBar::currentPageChanged);
        bar->setCurrentPage(2);
        bar->setCurrentPage(7); // out of range: ignored
        QCOMPARE(bar->currentPage(), 2);
        QCOMPARE(changed.count(), 1);

        RibbonPage *page = bar->page(2);
        RibbonGroup *move = page->addGroup(u"&Move"_s);
        RibbonGroup *remove = page->addGroup(u"&Remove"_s);
        QAction *moveUp = addLarge(move, u"Move &Up"_s);
        moveUp->setShortcut(QKeySequence(Qt::Key_Space));
        addLarge(remove, u"&Remove Page"_s);
        QVERIFY(showActive(&window));
        QCOMPARE(page->groups(), (QList<RibbonGroup *>{move, remove}));
        QVERIFY(move->geometry().right() < remove->geometry().left());

        // The title bar follows the window title until it is hidden.
        auto *titleBar = bar->findChild<QLabel *>(u"titleBar"_s);
        QVERIFY(titleBar && titleBar->isVisible());
        QCOMPARE(titleBar->text(), u"Quillary - Test"_s);
        window.setWindowTitle(u"Renamed"_s);
        QCOMPARE(titleBar->text(), u"Renamed"_s);
        bar->setTitleBarVisible(false);
        QVERIFY(!titleBar->isVisible());

        // Assistive technology sees the pages as tabs, the shown one selected.
        QAccessibleInterface *tabList = QAccessible::queryAccessibleInterface(tabs);
        QVERIFY(tabList && tabList->childCount() >= 3);
        QCOMPARE(tabList->role(), QAccessible::PageTabList);
        const auto selectedTabs = [tabList] {
            QStringList names;
            for (int i = 0; i < tabList->childCount(); ++i) {
                QAccessibleInterface *tab = tabList->child(i);
                if (tab->role() == QAccessible::PageTab && tab->state().selectable &&
                    tab->state().selected)
                    names << tab->text(QAccessible::Name);
            }
            return names;
        };
        QCOMPARE(selectedTabs(), QStringList{u"Composition"_s});

        // Alt and a page's letter reach it; a command's shortcut works from another page.
        QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(bar->currentPage(), 0);
        QCOMPARE(selectedTabs(), QStringList{u"Scan & PDF"_s});
        QTest::keyClick(&window, Qt::Key_E, Qt::AltModifier);
        QCOMPARE(bar->currentPage(), 1);
        QSignalSpy triggered(moveUp, &QAction::triggered);
        QTest::keyClick(&window, Qt::Key_Space);
        QCOMPARE(triggered.count(), 1);

        // A tab pressed by assistive technology shows its page.
        QAccessibleInterface *third = tabList->child(2);
        QCOMPARE(tabList->indexOfChild(third), 2);
        QCOMPARE(third->parent(), tabList);
        third->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(bar->currentPage(), 2);
        QCOMPARE(selectedTabs(), QStringList{u"Composition"_s});

        // Groups wider than the window scroll sideways, and a command given focus comes into view.
        for (int i = 0; i < 6; ++i)
            addLarge(remove, u"Command %1"_s.arg(i));
        QWidget *far = remove->widgetFor(addLarge(remove, u"Far Away"_s));
        QVERIFY(window.minimumSizeHint().width() < 300);
        window.resize(300, 400);
        QToolButton *left = named<QToolButton>(*page, "Scroll ribbon left");
        QToolButton *right = named<QToolButton>(*page, "Scroll ribbon right");
        QTRY_VERIFY(left && right && !left->isVisible() && right->isVisible());
        const auto shown = [page](QWidget *widget) {
            return page->rect().contains(QRect(widget->mapTo(page, QPoint()), widget->size()));
        };
        QWidget *near = move->widgetFor(moveUp);
        QVERIFY(shown(near) && !shown(far));
        far->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(shown(far));
        QVERIFY(left->isVisible() && !right->isVisible());
        while (left->isVisible()) // back to the start with the arrow
            QTest::mouseClick(left, Qt::LeftButton);
        QVERIFY(shown(near) && !shown(far));
    }

    void keyTipsReachEveryCommand_data()
    {
        QTest::addColumn<QString>("keys");     // typed after Alt alone; '<' stands for Escape
        QTest::addColumn<QString>("expected"); // the command triggered or the row focused
        // "&Lighten" is disabled: it takes no key, so "Turn &Left" keeps a plain L.
        row("unique letter beside a disabled one", "EL", "Turn &Left");
        row("first of a clash", "ER1", "&Remove Page");
        row("second of a clash", "ER2", "&Remove All Pages");
        row("other page", "SP", "Scan &Page");
        row("group option button", "SR", "Restore Session");
        row("row", "EM", "Color &Mode:");
        row("escape twice", "E<<", "");
    }

    void keyTipsReachEveryCommand()
    {
        QFETCH(QString, keys);
        QFETCH(QString, expected);
        RibbonMainWindow window;
        RibbonBar *bar = window.ribbonBar();
        RibbonGroup *scan = bar->addPage(u"&Scan"_s)->addGroup(u"&Scan"_s);
        RibbonGroup *edit = bar->addPage(u"&Editing"_s)->addGroup(u"&Pages"_s);
        QList<QAction *> actions;
        for (const char *text : {"Scan &Page", "&Auto Scan"})
            actions << addLarge(scan, QString::fromLatin1(text));
        for (const char *text : {"&Remove Page", "&Remove All Pages", "&Lighten", "Turn &Left"})
            actions << addLarge(edit, QString::fromLatin1(text));
        actions[4]->setEnabled(false);
        scan->setOptionButtonVisible(true);
        scan->optionButtonAction()->setText(u"Restore Session"_s);
        actions << scan->optionButtonAction();
        auto *combo = new QComboBox;
        edit->addWidget(QIcon(), u"Color &Mode:"_s, false, combo);
        QStringList triggered;
        for (QAction *action : actions)
            connect(action, &QAction::triggered,
                    [&triggered, action] { triggered << action->text(); });
        const auto shownTips = [&window] {
            QStringList texts;
            for (QLabel *tip : window.findChildren<QLabel *>(u"keyTip"_s))
                if (tip->isVisible())
                    texts << tip->text();
            return texts;
        };
        // Words a tip must leave readable: page titles, row labels, large buttons' captions.
        const auto coveredWords = [&window, bar] {
            QList<QPair<QString, QRect>> words;
            auto *tabs = bar->findChild<QTabBar *>();
            const QPoint tabsAt = tabs->mapTo(&window, QPoint());
            for (int i = 0; i < tabs->count(); ++i)
                words.append({tabs->tabText(i), tabs->tabRect(i).translated(tabsAt)});
            for (QWidget *w : bar->findChildren<QWidget *>()) {
                if (!w->isVisible())
                    continue;
                auto *label = qobject_cast<QLabel *>(w);
                auto *button = qobject_cast<QToolButton *>(w);
                const int captionTop = button ? button->iconSize().height() + 9 : 0;
                if ((label && label->buddy()) ||
                    (button && button->toolButtonStyle() == Qt::ToolButtonTextUnderIcon))
                    words.append({label ? label->text() : button->text(),
                                  QRect(w->mapTo(&window, QPoint(0, captionTop)),
                                        QSize(w->width(), w->height() - captionTop))});
            }
            QStringList covered;
            for (QLabel *tip : window.findChildren<QLabel *>(u"keyTip"_s)) {
                for (const auto &[text, rect] : words) {
                    if (tip->isVisible() && tip->geometry().intersects(rect))
                        covered << tip->text() + " covers "_L1 + text;
                }
            }
            return covered;
        };
        QVERIFY(showActive(&window));

        QTest::keyClick(&window, Qt::Key_Alt);
        QCOMPARE(shownTips().size(), 2);
        QCOMPARE(coveredWords(), QStringList());
        for (qsizetype i = 0; i < keys.size(); ++i) {
            QTest::keyClick(&window, keys[i] == u'<' ? '\x1b' : char(keys[i].unicode()));
            const QStringList tips = shownTips();
            if (i == 0) { // the page's tips: one per command and row, all different
                QCOMPARE(QSet<QString>(tips.begin(), tips.end()).size(), keys[0] == u'E' ? 4 : 3);
                QCOMPARE(coveredWords(), QStringList());
            }
        }
        QVERIFY(shownTips().isEmpty());
        const bool isRow = expected == u"Color &Mode:"_s;
        QCOMPARE(triggered, expected.isEmpty() || isRow ? QStringList() : QStringList{expected});
        QCOMPARE(combo->hasFocus(), isRow);
    }

    void groupRowsAndButtons()
    {
        RibbonMainWindow window;
        RibbonGroup *group = window.ribbonBar()->addPage(u"&Scan"_s)->addGroup(u"Fast &Settings"_s);
        QAction *large = addLarge(group, u"&Settings"_s);
        auto *button = qobject_cast<QToolButton *>(group->widgetFor(large));
        // Wrapped or not, large buttons keep one height so a page's buttons line up.
        const QString title = u"Build PDF Document"_s;
        QCOMPARE(RibbonButton::wrappedText(title, button->fontMetrics()), u"Build PDF\nDocument"_s);
        QCOMPARE(group->widgetFor(addLarge(group, title))->sizeHint().height(),
                 button->sizeHint().height());
        QList<QAction *> rows;
        QList<QComboBox *> lists;
        for (const char *text : {"Scanner:", "C&olor Mode:", "Quality:"}) {
            lists << new QComboBox;
            rows << group->addWidget(QIcon(), QString::fromLatin1(text), true, lists.last());
        }
        QMenu menu;
        QAction *small = group->addAction(
            QApplication::style()->standardIcon(QStyle::SP_ComputerIcon), u"&Auto Scan"_s,
            Qt::ToolButtonTextBesideIcon, &menu, QToolButton::InstantPopup);
        QCOMPARE(qobject_cast<QToolButton *>(group->widgetFor(small))->menu(), &menu);
        group->setOptionButtonVisible(true);
        group->optionButtonAction()->setToolTip(u"Restore Session"_s);
        QVERIFY(showActive(&window));

        QSignalSpy triggered(large, &QAction::triggered);
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(triggered.count(), 1);
        // A renamed command is announced by its new name.
        large->setText(u"&Scan Again"_s);
        QCOMPARE(button->accessibleName(), u"Scan Again"_s);
        // The group's option button runs its own action and is named by its tooltip.
        auto *option = group->findChild<QToolButton *>(u"optionButton"_s);
        QVERIFY(option && option->isVisible());
        QCOMPARE(option->accessibleName(), u"Restore Session"_s);
        QSignalSpy optionTriggered(group->optionButtonAction(), &QAction::triggered);
        QTest::mouseClick(option, Qt::LeftButton);
        QCOMPARE(optionTriggered.count(), 1);

        auto *label = group->widgetFor(rows[1])->findChild<QLabel *>();
        QCOMPARE(label->accessibleName(), u"Color Mode:"_s);
        QTest::keyClick(&window, Qt::Key_O, Qt::AltModifier);
        QVERIFY(lists[1]->hasFocus());

        // Rows stack in one column, their widgets lined up behind the labels.
        const auto inGroup = [group](QWidget *w) {
            return QRect(w->mapTo(group, QPoint()), w->size());
        };
        for (int i = 1; i < rows.size(); ++i) {
            QVERIFY(inGroup(group->widgetFor(rows[i - 1])).bottom() <
                    inGroup(group->widgetFor(rows[i])).top());
            QCOMPARE(inGroup(lists[i]).x(), inGroup(lists[0]).x());
        }
        QVERIFY(inGroup(button).right() < inGroup(group->widgetFor(rows[0])).left());

        rows[1]->setEnabled(false);
        QVERIFY(!lists[1]->isEnabled() && lists[0]->isEnabled());
        rows[1]->setVisible(false);
        QVERIFY(!group->widgetFor(rows[1])->isVisible());
    }

    void sliderKeepsToSteps_data()
    {
        // "+" and "-" click the step buttons; a number is where the handle is dragged to.
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("expected");
        QTest::addColumn<int>("changes");
        row("one up", 300, 50, 200, "+", 250, 1);
        row("clamps at top", 300, 50, 200, "+++", 300, 2);
        row("clamps at bottom", 300, 50, 200, "-----", 100, 2);
        row("off-grid maximum", 110, 4, 108, "+", 110, 1);
        row("down from off-grid maximum", 110, 4, 108, "++-", 108, 2);
        row("drag rounds down", 300, 50, 200, "170", 150, 1);
        row("drag rounds up", 300, 50, 200, "180", 200, 0);
    }

    void sliderKeepsToSteps()
    {
        QFETCH(int, max);
        QFETCH(int, step);
        QFETCH(int, start);
        QFETCH(QString, input);
        QFETCH(int, expected);
        QFETCH(int, changes);
        RibbonSliderPane pane;
        pane.setScrollButtons(true);
        pane.setRange(100, max);
        pane.setSingleStep(step);
        pane.setSliderPosition(start);
        pane.show();
        auto *decrease = pane.findChild<QToolButton *>(u"decreaseButton"_s);
        auto *increase = pane.findChild<QToolButton *>(u"increaseButton"_s);
        auto *slider = pane.findChild<QSlider *>();
        QVERIFY(decrease && increase && slider && increase->isVisible());

        QSignalSpy changed(&pane, &RibbonSliderPane::valueChanged);
        bool dragged = false;
        const int dragTo = input.toInt(&dragged);
        if (dragged)
            slider->setValue(dragTo);
        for (const QChar click : dragged ? QString() : input)
            QTest::mouseClick(click == u'+' ? increase : decrease, Qt::LeftButton);
        QCOMPARE(pane.value(), expected);
        QCOMPARE(slider->value(), expected);
        QCOMPARE(changed.count(), changes);
        if (changes > 0)
            QCOMPARE(changed.last().first().toInt(), expected);
    }

    void popupCloses_data()
    {
        QTest::addColumn<bool>("byButton"); // else: after its display time
        QTest::addColumn<bool>("dark");
        row("display time over, light desktop", false, false);
        row("close button, dark desktop", true, true);
    }

    // Stacked notices: one closes by button or display time, the next takes the place it left.
    void popupCloses()
    {
        QFETCH(bool, byButton);
        QFETCH(bool, dark);
        const auto palette = usePalette(dark);
        QWidget window; // the notices' own, in a known place
        window.setGeometry(40, 20, 700, 560);
        window.show();
        OfficePopupWindow *below = makePopup(&window);
        below->showPopup();
        QPointer<OfficePopupWindow> popup = makePopup(&window, byButton ? 0 : 200);
        popup->setTitleCloseButtonVisible(byButton);
        QCOMPARE(popup->accessibleName(), u"Quillary Message"_s);
        QSignalSpy aboutToClose(popup.data(), &OfficePopupWindow::aboutToClose);
        popup->showPopup();
        QVERIFY(popup->isVisible());
        OfficePopupWindow *above = makePopup(&window);
        above->showPopup();
        const QRect area = window.geometry();
        const QList<QRect> stack{below->geometry(), popup->geometry(), above->geometry()};
        QVERIFY(area.right() - stack[0].right() < 50);
        QVERIFY(area.bottom() - stack[0].bottom() < 50);
        for (int i = 0; i < stack.size(); ++i) {
            QVERIFY(area.contains(stack[i]));
            QCOMPARE(stack[i].right(), stack[0].right());
            if (i > 0)
                QVERIFY(stack[i].bottom() < stack[i - 1].top());
        }

        auto *timer = popup->findChild<QTimer *>(u"displayTimer"_s);
        QCOMPARE(timer->isActive(), !byButton); // display time 0: stays until closed
        if (byButton) {
            auto *close = popup->findChild<QToolButton *>(u"closeButton"_s);
            QVERIFY(close && close->isVisible());
            QTest::mouseClick(close, Qt::LeftButton);
        } else {
            // The pointer over the popup pauses the countdown; it resumes with what was left.
            QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), popup->mapToGlobal(QPointF(5, 5)));
            QApplication::sendEvent(popup, &enter);
            QVERIFY(!timer->isActive());
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(popup, &leave);
            QVERIFY(timer->isActive() && timer->interval() <= 200);
        }
        QTRY_VERIFY(popup.isNull());
        QCOMPARE(aboutToClose.count(), 1);

        OfficePopupWindow *next = makePopup(&window);
        next->setTitleCloseButtonVisible(byButton);
        next->showPopup();
        QCOMPARE(next->geometry(), stack[1]);
        // Its title takes the desktop's colours and stays readable on them.
        QVERIFY(QTest::qWaitForWindowExposed(next));
        const QImage notice = next->grab().toImage();
        const QRect title = next->findChild<QLabel *>(u"titleLabel"_s)->geometry();
        QVERIFY(
            matchesPalette(notice.pixel(title.topLeft() + QPoint(1, 1)), QApplication::palette()));
        QVERIFY2(textContrast(notice, title) >= 4.5, "notice title");
        // New content replaces the old, which goes.
        QPointer<QWidget> first = next->centralWidget();
        next->setCentralWidget(new QLabel(u"second"_s));
        QVERIFY(first.isNull());
    }

    void themes_data()
    {
        QTest::addColumn<int>("theme");
        QTest::addColumn<bool>("dark");
        for (int theme = 0; theme <= 4; ++theme)
            QTest::addRow("theme %d", theme) << theme << false;
        row("dark desktop", int(ThemeColors::Sky), true);
    }

    // Each theme paints its own colours on a light desktop; a dark one's colours win over any.
    void themes()
    {
        QFETCH(int, theme);
        QFETCH(bool, dark);
        const auto palette = usePalette(dark);
        const QImage workspace = paintWorkspace(theme);
        QVERIFY(workspace.pixel(20, 0) != workspace.pixel(20, 119)); // painted, as a gradient
        QCOMPARE(paintWorkspace((theme + 1) % 5) != workspace, !dark);

        RibbonStyle style;
        style.setTheme((theme + 1) % 5);
        RibbonBar bar;
        bar.setStyle(&style);
        RibbonGroup *group = bar.addPage(u"&Scan"_s)->addGroup(u"&Pages"_s);
        addLarge(group, u"Scan &Page"_s);
        bar.resize(500, bar.sizeHint().height());
        QVERIFY(showActive(&bar));
        const QImage before = bar.grab().toImage();
        QSignalSpy changed(&style, &OfficeStyle::themeChanged);
        style.setTheme(theme);
        style.setTheme(theme); // same theme: nothing to do
        style.setTheme(99);    // unknown: ignored
        QCOMPARE(changed.count(), 1);
        QCOMPARE(style.theme(), theme);
        const QImage ribbon = bar.grab().toImage();
        QCOMPARE(ribbon != before, !dark);

        const auto areaOf = [&bar](const QWidget *widget) {
            return QRect(widget->mapTo(&bar, QPoint()), widget->size());
        };
        const QRect page = areaOf(bar.page(0));
        // The one dark theme keeps its dark tab row on a light desktop.
        if (dark || theme != ThemeColors::Slate)
            QVERIFY(matchesPalette(ribbon.pixel(2, 2), QApplication::palette()));
        QVERIFY(matchesPalette(ribbon.pixel(page.center().x() + 200, page.center().y()),
                               QApplication::palette()));
        QVERIFY2(textContrast(ribbon, areaOf(bar.findChild<QTabBar *>())) >= 4.5, "page titles");
        QVERIFY2(textContrast(ribbon, areaOf(group->findChild<QLabel *>(u"caption"_s))) >= 4.5,
                 "group caption");
        bar.setStyle(nullptr);
    }
};

QTEST_MAIN(TestRibbon)
#include "tst_ribbon.moc"
