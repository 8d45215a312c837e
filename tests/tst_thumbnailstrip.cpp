// The thumbnail strip and its tiles: limits, check marks, current tile, order, keyboard, access.
#include "ContrastChecks.h"
#include "FlowLayout.h"
#include "ImageEditor.h"
#include "ImageListWidget.h"
#include "KSlabWidget.h"
#include "PageListWidget.h"
#include "PhotoGraphicsView.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

class TestThumbnailStrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    // Sizes, turns and check marks a tile accepts; it follows the desktop palette readably, and
    // a white page keeps a visible edge.
    void tiles_data()
    {
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("expectedAngle");
        QTest::addColumn<bool>("dark");
        row("width below 100, above a full turn", QSize(99, 200), QSize(220, 220), 361, 0, false);
        row("height above 1001, turned left, dark", QSize(200, 1002), QSize(220, 220), 270, 270,
            true);
        row("largest, full turn", QSize(1001, 1001), QSize(1001, 1001), 360, 360, false);
        row("smallest, dark", QSize(100, 100), QSize(100, 100), 90, 90, true);
    }

    void tiles()
    {
        QFETCH(QSize, requested);
        QFETCH(QSize, expected);
        QFETCH(int, angle);
        QFETCH(int, expectedAngle);
        QFETCH(bool, dark);
        const QPalette palette = dark ? darkPalette() : QApplication::style()->standardPalette();
        const QPalette before = QApplication::palette();
        QApplication::setPalette(palette);
        const auto restore = qScopeGuard([before] { QApplication::setPalette(before); });
        KSlabWidget tile(220, 220, u"Page 1"_s);
        QImage page(400, 100, QImage::Format_RGB32);
        page.fill(Qt::white);
        tile.setImage(page);
        tile.setThumbSize(requested.width(), requested.height());
        QCOMPARE(tile.size(), expected);
        // The thumbnail is fitted to the tile's view again.
        auto *view = tile.findChild<QGraphicsView *>();
        const QRect shown = view->mapFromScene(view->sceneRect()).boundingRect();
        QVERIFY(view->rect().contains(shown));
        QVERIFY(shown.width() >= qMin(view->width(), view->height()) - 2);

        tile.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tile));
        const QRect caption = tile.findChild<QLabel *>()->geometry();
        // The current tile's caption has the palette's selection colours.
        QVERIFY2(textContrast(tile.grab().toImage(), caption) >= 3, "current caption");
        tile.setUnfocused();
        const QImage drawn = tile.grab().toImage();
        QVERIFY2(textContrast(drawn, caption) >= 4.5, "caption");
        const QRect area = view->geometry();
        QVERIFY(matchesPalette(drawn.pixel(area.center().x(), area.bottom() - 4), palette));
        int y = area.center().y();
        while (y > area.top() && drawn.pixel(area.center().x(), y) == QColor(Qt::white).rgb())
            --y;
        QVERIFY2(contrast(drawn.pixel(area.center().x(), y), QColor(Qt::white).rgb()) >= 1.5,
                 "page edge");

        tile.setRotation(quint16(angle));
        QCOMPARE(tile.rotation(), expectedAngle);
        QVERIFY(tile.clearImage());
        QCOMPARE(tile.rotation(), 0);
        QCOMPARE(tile.image(), nullptr);

        QSignalSpy checked(&tile, &KSlabWidget::checked);
        for (const int state : {Qt::Checked, Qt::PartiallyChecked, Qt::Unchecked})
            tile.wasChecked(state);
        // A partial mark says nothing.
        QCOMPARE(QList<QVariantList>(checked), (QList<QVariantList>{{true}, {false}}));
        // Without a check box a tile is never checked.
        KSlabWidget plain(220, 220, u"Page 2"_s, nullptr, false);
        plain.setChecked(true);
        QVERIFY(!plain.isChecked());
        tile.setTitle(u"Page 12"_s);
        QCOMPARE(tile.findChild<QLabel *>()->text(), u"Page 12"_s);
        QCOMPARE(tile.accessibleName(), u"Page 12"_s);
    }

    // Which tile is current, the order after removals, and a cleared strip that keeps nothing.
    void currentTileAndRemovals()
    {
        ImageListWidget strip;
        QCOMPARE(strip.currentSlabIndex(), -1);
        QList<KSlabWidget *> tiles;
        for (int i = 0; i < 4; ++i) {
            tiles.append(new KSlabWidget(220, 220, u"T%1"_s.arg(i), &strip, true));
            strip.addSlab(tiles.last());
        }
        QCOMPARE(strip.currentSlabIndex(), -1);
        QSignalSpy selected(&strip, &ImageListWidget::selected);
        const QList<QPointer<KSlabWidget>> guards(tiles.cbegin(), tiles.cend());
        // Assistive technology's view of a tile must go with the tile, not outlive it.
        QList<QAccessible::Id> ids;
        for (KSlabWidget *tile : tiles)
            ids.append(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(tile)));

        tiles.at(1)->findChild<QCheckBox *>()->click();
        QVERIFY(tiles.at(1)->isChecked());
        QVERIFY(!tiles.at(0)->isChecked());
        QCOMPARE(strip.currentSlabIndex(), 1);
        QCOMPARE(selected.takeFirst().at(0).toInt(), 1);
        strip.setCurrentSlab(tiles.at(3));
        QCOMPARE(selected.takeFirst().at(0).toInt(), 3);
        strip.setCurrentIndex(2, 1);
        QCOMPARE(strip.currentSlabIndex(), 2);
        QCOMPARE(selected.takeFirst().at(0).toInt(), 2);
        // The current tile again, or a position equal to the count: nothing happens.
        strip.setCurrentIndex(2, 1);
        strip.setCurrentIndex(4, 1);
        QCOMPARE(strip.currentSlabIndex(), 2);
        QCOMPARE(selected.count(), 0);

        KSlabWidget stranger(220, 220, u"Elsewhere"_s);
        strip.removeSlab(&stranger, true);
        strip.removeSlab(tiles.at(2), true);
        QCOMPARE(strip.currentSlabIndex(), -1);
        QVERIFY(guards.at(2).isNull());
        QCOMPARE(strip.slabCount(), 3);
        // The scrolled container's box layout holds the flow layout as its only item.
        const auto *flow = static_cast<FlowLayout *>(strip.widget()->layout()->itemAt(0)->layout());
        QCOMPARE(flow->count(), 3);
        const QList<KSlabWidget *> expected{tiles.at(0), tiles.at(1), tiles.at(3)};
        for (int position = 0; position < 3; ++position) {
            QCOMPARE(strip.slabAt(position), expected.at(position));
            QCOMPARE(flow->itemAt(position)->widget(), expected.at(position));
        }

        strip.setCurrentIndex(2, 1);
        strip.clearSlabs();
        QCOMPARE(strip.slabCount(), 0);
        QCOMPARE(strip.currentSlabIndex(), -1);
        QCOMPARE(flow->count(), 0);
        for (const QPointer<KSlabWidget> &guard : guards)
            QVERIFY(guard.isNull());
        for (const QAccessible::Id id : ids)
            QCOMPARE(QAccessible::accessibleInterface(id), nullptr);
    }

    void pagesForKeyboardAndAssistiveTechnology_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("current");
        QTest::addColumn<bool>("checks");
        // Actions start with page 1 current, keys with the tile at "at" current and focused.
        // Five pages lie in two columns: 1 2 / 3 4 / 5.
        row("press makes a page current", u"press"_s, 2, 2, false);
        row("focus makes a page current", u"focus"_s, 4, 4, false);
        row("toggle checks, current stays", u"toggle"_s, 1, 0, true);
        row("Ctrl+Space checks the focused tile", u"Ctrl+Space"_s, 3, 3, true);
        row("Space on a focused tile scans", u"Space"_s, 3, 3, false);
        row("Right: next tile", u"Right"_s, 1, 2, false);
        row("Left at the first tile", u"Left"_s, 0, 0, false);
        row("Down: a row down", u"Down"_s, 1, 3, false);
        row("Down onto a shorter last row", u"Down"_s, 3, 4, false);
        row("Down in the last row", u"Down"_s, 4, 4, false);
        row("Up: a row up", u"Up"_s, 3, 1, false);
    }

    void pagesForKeyboardAndAssistiveTechnology()
    {
        QFETCH(QString, what);
        QFETCH(int, at);
        QFETCH(int, current);
        QFETCH(bool, checks);
        const QHash<QString, QString> actions{
            {u"press"_s, QAccessibleActionInterface::pressAction()},
            {u"focus"_s, QAccessibleActionInterface::setFocusAction()},
            {u"toggle"_s, QAccessibleActionInterface::toggleAction()}};

        // As in the main window, Space is also a window shortcut (it scans).
        QTemporaryDir root;
        QWidget window;
        auto *store = new PageListWidget(&window, root.path());
        (new QVBoxLayout(&window))->addWidget(store);
        QAction scan(&window);
        scan.setShortcut(Qt::Key_Space);
        window.addAction(&scan);
        QSignalSpy scanned(&scan, &QAction::triggered);
        window.resize(600, 900);
        for (int i = 0; i < 5; ++i)
            QVERIFY(store->addPage(a4Page(36, false), false));
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(store->slabAt(1)->y(), store->slabAt(0)->y());
        QVERIFY(store->slabAt(2)->y() > store->slabAt(1)->y());

        const bool key = !actions.contains(what);
        const int start = key ? at : 0;
        store->activateSlab(store->slabAt(start));
        QCOMPARE(store->currentIndex(), start);
        QSignalSpy selected(store, qOverload<const QString &>(&PageListWidget::pageSelected));

        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(store);
        QCOMPARE(list->role(), QAccessible::List);
        if (key) {
            const QKeyCombination keys = QKeySequence::fromString(what)[0];
            QTest::keyClick(store->slabAt(at), keys.key(), keys.keyboardModifiers());
        } else {
            list->child(at)->actionInterface()->doAction(actions.value(what));
        }

        QCOMPARE(store->currentIndex(), current);
        QCOMPARE(store->isChecked(at), checks);
        QCOMPARE(scanned.count(), what == "Space"_L1 ? 1 : 0);
        if (current != start) {
            QCOMPARE(selected.count(), 1);
            QCOMPARE(selected.at(0).at(0).toString(), store->pagePaths().at(current));
            QVERIFY(store->slabAt(current)->hasFocus());
        } else {
            QCOMPARE(selected.count(), 0);
        }
        QCOMPARE(list->childCount(), 5);
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface *item = list->child(i);
            QCOMPARE(item->role(), QAccessible::ListItem);
            QCOMPARE(item->text(QAccessible::Name), u"Page %1"_s.arg(i + 1));
            QCOMPARE(item->parent(), list);
            QCOMPARE(list->indexOfChild(item), i);
            QVERIFY(item->state().checkable);
            QCOMPARE(bool(item->state().checked), store->isChecked(i));
            QCOMPARE(bool(item->state().selected), i == current);
        }

        // The page view is an image named after the page it shows.
        ImageEditor editor;
        QVERIFY(editor.showPage(store->pagePaths().at(current)));
        QAccessibleInterface *view = QAccessible::queryAccessibleInterface(editor.view());
        QCOMPARE(view->role(), QAccessible::Graphic);
        QCOMPARE(view->text(QAccessible::Name), u"Page %1"_s.arg(current + 1));
    }
};

QTEST_MAIN(TestThumbnailStrip)
#include "tst_thumbnailstrip.moc"
