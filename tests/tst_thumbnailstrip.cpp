// The thumbnail strip and its tiles: sizes and turns a tile accepts, check marks, which tile
// is current, and the order of tiles after removals.
#include "FlowLayout.h"
#include "ImageListWidget.h"
#include "KSlabWidget.h"

#include <QCheckBox>
#include <QGraphicsView>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

class TestThumbnailStrip : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void thumbSizeLimits_data();
    void thumbSizeLimits();
    void rotationLimits_data();
    void rotationLimits();
    void wasChecked_data();
    void wasChecked();
    void titleIsShownAndAccessible();
    void checkBoxPressMakesTileCurrent();
    void currentSlabIndex();
    void removalKeepsOrderInMapAndLayout();
    void clearSlabsDeletesEveryTile();

private:
    // Adds count tiles, none of them current.
    static QList<KSlabWidget *> addTiles(ImageListWidget &strip, int count)
    {
        QList<KSlabWidget *> tiles;
        for (int i = 0; i < count; ++i) {
            tiles.append(new KSlabWidget(220, 220, QStringLiteral("T%1").arg(i), &strip, true));
            strip.addSlab(tiles.last());
        }
        return tiles;
    }
    // The scrolled container's box layout holds the flow layout as its only item.
    static FlowLayout *flowLayout(const ImageListWidget &strip)
    {
        return static_cast<FlowLayout *>(strip.widget()->layout()->itemAt(0)->layout());
    }
};

void TestThumbnailStrip::thumbSizeLimits_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");

    QTest::newRow("width below 100") << QSize(99, 200) << QSize(220, 220);
    QTest::newRow("height above 1001") << QSize(200, 1002) << QSize(220, 220);
    QTest::newRow("largest") << QSize(1001, 1001) << QSize(1001, 1001);
    QTest::newRow("smallest") << QSize(100, 100) << QSize(100, 100);
}

void TestThumbnailStrip::thumbSizeLimits()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);

    KSlabWidget tile(220, 220, QStringLiteral("Page 1"));
    tile.setImage(QImage(400, 100, QImage::Format_RGB32));
    tile.setThumbSize(requested.width(), requested.height());
    QCOMPARE(tile.size(), expected);
    QCOMPARE(tile.maximumSize(), expected);
    // The thumbnail is fitted to the tile's view again.
    auto *view = tile.findChild<QGraphicsView *>();
    const QRect shown = view->mapFromScene(view->sceneRect()).boundingRect();
    QVERIFY(view->rect().contains(shown));
    QVERIFY(shown.width() >= qMin(view->width(), view->height()) - 2);
}

void TestThumbnailStrip::rotationLimits_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("expected");

    QTest::newRow("above a full turn") << 361 << 0;
    QTest::newRow("full turn") << 360 << 360;
    QTest::newRow("turn left") << 270 << 270;
}

void TestThumbnailStrip::rotationLimits()
{
    QFETCH(int, angle);
    QFETCH(int, expected);

    KSlabWidget tile(220, 220, QStringLiteral("Page 1"));
    tile.setImage(QImage(40, 20, QImage::Format_RGB32));
    tile.setRotation(quint16(angle));
    QCOMPARE(tile.rotation(), expected);
    QVERIFY(tile.clearImage());
    QCOMPARE(tile.rotation(), 0);
    QCOMPARE(tile.image(), nullptr);
}

void TestThumbnailStrip::wasChecked_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QList<bool>>("emitted");

    QTest::newRow("unchecked") << int(Qt::Unchecked) << QList<bool>{false};
    QTest::newRow("partially checked") << int(Qt::PartiallyChecked) << QList<bool>{};
    QTest::newRow("checked") << int(Qt::Checked) << QList<bool>{true};
}

void TestThumbnailStrip::wasChecked()
{
    QFETCH(int, state);
    QFETCH(QList<bool>, emitted);

    KSlabWidget tile(220, 220, QStringLiteral("Page 1"));
    QSignalSpy spy(&tile, &KSlabWidget::checked);
    tile.wasChecked(state);
    QList<bool> states;
    for (const QList<QVariant> &arguments : std::as_const(spy))
        states.append(arguments.at(0).toBool());
    QCOMPARE(states, emitted);
}

void TestThumbnailStrip::titleIsShownAndAccessible()
{
    KSlabWidget tile(220, 220, QStringLiteral("Page 1"));
    auto *caption = tile.findChild<QLabel *>();
    tile.setTitle(QStringLiteral("Page 12"));
    QCOMPARE(caption->text(), QStringLiteral("Page 12"));
    QCOMPARE(caption->toolTip(), QStringLiteral("Page 12"));
    QCOMPARE(tile.accessibleName(), QStringLiteral("Page 12"));

    // Without a check box a tile is never checked.
    KSlabWidget plain(220, 220, QStringLiteral("Page 2"), nullptr, false);
    plain.setChecked(true);
    QVERIFY(!plain.isChecked());
}

void TestThumbnailStrip::checkBoxPressMakesTileCurrent()
{
    ImageListWidget strip;
    const QList<KSlabWidget *> tiles = addTiles(strip, 3);
    QSignalSpy selected(&strip, &ImageListWidget::selected);

    tiles.at(1)->findChild<QCheckBox *>()->click();

    QVERIFY(tiles.at(1)->isChecked());
    QVERIFY(!tiles.at(0)->isChecked());
    QCOMPARE(selected.count(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), 1);
    QCOMPARE(strip.currentSlabIndex(), 1);
}

void TestThumbnailStrip::currentSlabIndex()
{
    ImageListWidget strip;
    QCOMPARE(strip.currentSlabIndex(), -1);
    const QList<KSlabWidget *> tiles = addTiles(strip, 3);
    QCOMPARE(strip.currentSlabIndex(), -1);
    QSignalSpy selected(&strip, &ImageListWidget::selected);

    strip.setCurrentSlab(tiles.at(1));
    QCOMPARE(strip.currentSlabIndex(), 1);
    QCOMPARE(selected.takeFirst().at(0).toInt(), 1);
    strip.setCurrentIndex(2, 1);
    QCOMPARE(strip.currentSlabIndex(), 2);
    QCOMPARE(selected.takeFirst().at(0).toInt(), 2);

    // The current tile again, or a position equal to the count: nothing happens.
    strip.setCurrentIndex(2, 1);
    strip.setCurrentIndex(3, 1);
    QCOMPARE(strip.currentSlabIndex(), 2);
    QCOMPARE(selected.count(), 0);

    // Removing the current tile leaves no tile current.
    strip.removeSlab(tiles.at(2), true);
    QCOMPARE(strip.currentSlabIndex(), -1);
}

void TestThumbnailStrip::removalKeepsOrderInMapAndLayout()
{
    ImageListWidget strip;
    const QList<KSlabWidget *> tiles = addTiles(strip, 4);
    QPointer<KSlabWidget> removed(tiles.at(1));
    KSlabWidget stranger(220, 220, QStringLiteral("Elsewhere"));

    strip.removeSlab(&stranger, true);
    strip.removeSlab(tiles.at(1), true);

    QVERIFY(removed.isNull());
    QCOMPARE(strip.slabCount(), 3);
    QCOMPARE(flowLayout(strip)->count(), 3);
    const QList<KSlabWidget *> expected{tiles.at(0), tiles.at(2), tiles.at(3)};
    for (int position = 0; position < 3; ++position) {
        QCOMPARE(strip.slabAt(position), expected.at(position));
        QCOMPARE(flowLayout(strip)->itemAt(position)->widget(), expected.at(position));
    }
}

void TestThumbnailStrip::clearSlabsDeletesEveryTile()
{
    ImageListWidget strip;
    const QList<KSlabWidget *> tiles = addTiles(strip, 5);
    const QList<QPointer<KSlabWidget>> guards(tiles.cbegin(), tiles.cend());
    strip.setCurrentIndex(3, 1);

    strip.clearSlabs();

    QCOMPARE(strip.slabCount(), 0);
    QCOMPARE(strip.currentSlabIndex(), -1);
    QCOMPARE(flowLayout(strip)->count(), 0);
    for (const QPointer<KSlabWidget> &guard : guards)
        QVERIFY(guard.isNull());
}

QTEST_MAIN(TestThumbnailStrip)
#include "tst_thumbnailstrip.moc"
