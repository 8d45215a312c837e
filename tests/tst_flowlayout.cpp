// The thumbnail strip's flow layout: where tiles land, the strip's height, and order changes.
#include "FlowLayout.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

using Points = QList<QPoint>;
using Move = void (FlowLayout::*)(int);
Q_DECLARE_METATYPE(Move)

namespace {
// count tiles of 200 x 200; items lists them in order.
void fill(FlowLayout &layout, int count, QList<QLayoutItem *> *items = nullptr)
{
    for (int i = 0; i < count; ++i) {
        layout.addItem(new QSpacerItem(200, 200));
        if (items)
            items->append(layout.itemAt(i));
    }
}
} // namespace

class TestFlowLayout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void placesTiles_data()
    {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<Points>("expected");
        QTest::addColumn<int>("height"); // what the strip asks for at the rectangle's width
        const QRect wide(0, 0, 700, 1000);
        row("empty", wide, Points{}, 0);
        row("two tiles centred", wide, Points{{150, 0}, {356, 0}}, 200);
        row("three columns, fourth wraps", wide, Points{{50, 0}, {256, 0}, {462, 0}, {50, 206}},
            406);
        row("narrower than a tile: one column, negative offset", QRect(0, 0, 150, 1000),
            Points{{-25, 0}, {-25, 206}, {-25, 412}}, 612);
        row("rectangle away from the origin", QRect(6, 10, 700, 1000),
            Points{{56, 10}, {262, 10}, {468, 10}, {56, 216}}, 406);
        row("exactly two columns", QRect(0, 0, 424, 1000), Points{{12, 0}, {218, 0}, {12, 206}},
            406);
    }

    void placesTiles()
    {
        QFETCH(QRect, rect);
        QFETCH(Points, expected);
        QFETCH(int, height);
        FlowLayout layout(6);
        fill(layout, int(expected.size()));
        QCOMPARE(layout.heightForWidth(rect.width()), height);
        layout.setGeometry(rect);
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(layout.itemAt(i)->geometry(), QRect(expected.at(i), QSize(200, 200)));
    }

    // Moves within the order; a taken item leaves a gap nothing moves across until it is closed.
    void orderOperations_data()
    {
        QTest::addColumn<int>("gap"); // taken first; -1: none
        QTest::addColumn<Move>("move");
        QTest::addColumn<int>("index");
        QTest::addColumn<QList<int>>("expected");
        const QList<int> same{0, 1, 2, 3, 4};
        row("up", -1, &FlowLayout::moveItemUp, 2, QList<int>{0, 2, 1, 3, 4});
        row("up at first", -1, &FlowLayout::moveItemUp, 0, same);
        row("down", -1, &FlowLayout::moveItemDown, 1, QList<int>{0, 2, 1, 3, 4});
        row("to first", -1, &FlowLayout::moveItemToFirst, 3, QList<int>{3, 0, 1, 2, 4});
        row("to first at first", -1, &FlowLayout::moveItemToFirst, 0, same);
        row("to last", -1, &FlowLayout::moveItemToLast, 1, QList<int>{0, 2, 3, 4, 1});
        row("out of range", -1, &FlowLayout::moveItemUp, 9, same);
        row("up with a gap before", 1, &FlowLayout::moveItemUp, 3, QList<int>{0, 2, 3, 4});
    }

    void orderOperations()
    {
        QFETCH(int, gap);
        QFETCH(Move, move);
        QFETCH(int, index);
        QFETCH(QList<int>, expected);
        FlowLayout layout(6);
        QList<QLayoutItem *> items;
        fill(layout, 5, &items);
        if (gap >= 0) {
            delete layout.takeAt(gap);
            QCOMPARE(layout.count(), 4);
            QCOMPARE(layout.itemAt(gap), nullptr);
        }
        (layout.*move)(index);
        if (gap >= 0)
            layout.closeGap(gap);
        // Without a gap nothing moves and nothing is lost.
        layout.closeGap(1);
        layout.closeGap(0);
        QList<int> order; // of the original items
        for (int key = 0; key < layout.count(); ++key)
            order.append(int(items.indexOf(layout.itemAt(key))));
        QCOMPARE(order, expected);
    }
};

QTEST_MAIN(TestFlowLayout)
#include "tst_flowlayout.moc"
