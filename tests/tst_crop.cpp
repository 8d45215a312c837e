// Crop mode: what a press grabs, drags and keys within the page and 50 x 50, the cut written.
#include "CropBoxItem.h"
#include "EditorFixture.h"
#include "PhotoGraphicsScene.h"
#include "PhotoPixmapItem.h"

#include <QtTest>
#include <QtWidgets>

using Handle = PhotoGraphicsScene::Handle;

class TestCrop : public EditorFixture
{
    Q_OBJECT

private:
    QString showNew(const QSize &size, bool mono = false)
    {
        const QString path =
            write(encoded(drawnPage(size, mono ? PageKind::Mono : PageKind::Colour),
                          mono ? "TIFF" : "PNG"),
                  QLatin1String(mono ? "p_o.tiff" : "p_o.png"));
        if (!m_editor->showPage(path))
            qWarning() << "not shown" << path;
        m_editor->cropping(true);
        return path;
    }

    void zoomTo(int steps)
    {
        m_editor->zoom1to1();
        m_editor->zoomBy(steps);
        m_editor->view()->centerOn(0, 0);
    }

    QPoint screenAt(const QPointF &imagePoint) const
    {
        return m_editor->view()->mapFromScene(m_editor->picture()->mapToScene(imagePoint));
    }

    void mouse(QEvent::Type type, const QPoint &at, Qt::MouseButtons buttons)
    {
        QWidget *viewport = m_editor->view()->viewport();
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, viewport->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }

private slots:
    void grab_data()
    {
        QTest::addColumn<int>("zoomSteps");
        QTest::addColumn<QPointF>("corner"); // of the box, as a fraction: (0, 0) top-left
        QTest::addColumn<QPointF>("offset"); // screen pixels from that corner
        QTest::addColumn<int>("handle");
        for (const int steps : {-10, 20}) { // 0.5 and 2.0
            const QByteArray zoom = steps < 0 ? "at 0.5: " : "at 2.0: ";
            const auto row = [&](const char *name, QPointF corner, QPointF offset, Handle h) {
                QTest::newRow(zoom + name) << steps << corner << offset << int(h);
            };
            row("8 left, 8 above top-left", {0, 0}, {-8, -8}, Handle::TopLeftCorner);
            row("9 left, 9 above top-left", {0, 0}, {-9, -9}, Handle::Outside);
            row("8 right, 8 below bottom-right", {1, 1}, {8, 8}, Handle::BottomRightCorner);
            row("top-right corner", {1, 0}, {7, -7}, Handle::TopRightCorner);
            row("bottom-left corner", {0, 1}, {-6, 8}, Handle::BottomLeftCorner);
            row("4 left of the left edge, far above", {0, 0}, {-4, -60}, Handle::LeftEdge);
            row("5 left of the left edge", {0, 0.5}, {-5, 0}, Handle::Outside);
            row("4 right of the right edge, far below", {1, 1}, {4, 60}, Handle::RightEdge);
            row("4 above the top edge", {0.5, 0}, {0, -4}, Handle::TopEdge);
            row("4 below the bottom edge", {0.5, 1}, {0, 4}, Handle::BottomEdge);
            row("inside", {0.5, 0.5}, {0, 0}, Handle::Inside);
        }
    }

    void grab()
    {
        QFETCH(int, zoomSteps);
        QFETCH(QPointF, corner);
        QFETCH(QPointF, offset);
        QFETCH(int, handle);
        showNew(QSize(800, 600));
        zoomTo(zoomSteps);
        const QRectF box = m_editor->cropBox()->mapRectToScene(m_editor->cropBox()->rect());
        const QPointF at =
            box.topLeft() + QPointF(box.width() * corner.x(), box.height() * corner.y()) + offset;
        QCOMPARE(int(m_editor->scene()->handleAt(at)), handle);
    }

    void drag_data()
    {
        // 800 x 600 at 0.5: picture (-400, -300, 800, 600), box (-200, -150, 400, 300) from centre.
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<QRectF>("expected");
        QTest::addColumn<int>("cursor"); // on the picture while dragging; -1: none of its own
        row("right edge past the left edge", QPointF(200, 0), QPointF(-300, 0),
            QRectF(-200, -150, 50, 300), int(Qt::SizeHorCursor));
        row("left edge past the right edge", QPointF(-200, 0), QPointF(350, 0),
            QRectF(150, -150, 50, 300), int(Qt::SizeHorCursor));
        row("bottom edge past the top edge", QPointF(0, 150), QPointF(0, -400),
            QRectF(-200, -150, 400, 50), int(Qt::SizeVerCursor));
        row("left edge past the picture", QPointF(-200, 0), QPointF(-900, 0),
            QRectF(-400, -150, 600, 300), int(Qt::SizeHorCursor));
        row("top-left corner past the picture's corner", QPointF(-200, -150), QPointF(-900, -700),
            QRectF(-400, -300, 600, 450), int(Qt::SizeFDiagCursor));
        row("bottom-left corner", QPointF(-200, 150), QPointF(-300, 200),
            QRectF(-300, -150, 500, 350), int(Qt::SizeBDiagCursor));
        row("box moved into the top-left corner", QPointF(0, 0), QPointF(-700, -600),
            QRectF(-400, -300, 400, 300), int(Qt::SizeAllCursor));
        row("box moved into the bottom-right corner", QPointF(10, 10), QPointF(710, 610),
            QRectF(0, 0, 400, 300), int(Qt::SizeAllCursor));
        row("press outside the box pans", QPointF(300, 250), QPointF(0, 0),
            QRectF(-200, -150, 400, 300), -1);
    }

    void drag()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(QRectF, expected);
        QFETCH(int, cursor);
        showNew(QSize(800, 600));
        zoomTo(-10);
        const bool onBox =
            m_editor->scene()->handleAt(m_editor->picture()->mapToScene(from)) != Handle::Outside;

        mouse(QEvent::MouseButtonPress, screenAt(from), Qt::LeftButton);
        QCOMPARE(m_editor->view()->dragMode(),
                 onBox ? QGraphicsView::NoDrag : QGraphicsView::ScrollHandDrag);
        for (int step = 1; step <= 4; ++step)
            mouse(QEvent::MouseMove, screenAt(from + (to - from) * step / 4), Qt::LeftButton);
        PhotoPixmapItem *picture = m_editor->picture();
        QCOMPARE(picture->hasCursor() ? int(picture->cursor().shape()) : -1, cursor);
        mouse(QEvent::MouseButtonRelease, screenAt(to), Qt::NoButton);
        QCOMPARE(m_editor->view()->dragMode(), QGraphicsView::ScrollHandDrag);

        // Two image pixels: one screen pixel at this zoom.
        const QRectF box = m_editor->cropBox()->box();
        QVERIFY((box.topLeft() - expected.topLeft()).manhattanLength() <= 4);
        QVERIFY((box.bottomRight() - expected.bottomRight()).manhattanLength() <= 4);
        // The limits hold exactly, whatever the pointer's rounding.
        QVERIFY(box.width() >= 50 && box.height() >= 50);
        QVERIFY(QRectF(-400, -300, 800, 600).contains(box));
    }

    // The keys move and size the box within the page and 50 x 50; the cut is where it was.
    void keysThenCut_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("mono");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("times"); // -1: the box hidden
        QTest::addColumn<QRectF>("expected");
        const QSize page(800, 600);
        const int shift = Qt::ShiftModifier;
        const int ctrl = Qt::ControlModifier;
        const int left = Qt::Key_Left;
        const int right = Qt::Key_Right;
        row("right", page, false, right, 0, 3, QRectF(-197, -150, 400, 300));
        row("shift up", page, false, int(Qt::Key_Up), shift, 2, QRectF(-200, -170, 400, 300));
        row("shift left past the picture", page, false, left, shift, 30,
            QRectF(-400, -150, 400, 300));
        row("ctrl down grows", page, false, int(Qt::Key_Down), ctrl, 4,
            QRectF(-200, -150, 400, 304));
        row("ctrl shift left stops at 50", page, false, left, ctrl | shift, 50,
            QRectF(-200, -150, 50, 300));
        row("ctrl shift right stops at the picture", page, false, right, ctrl | shift, 50,
            QRectF(-200, -150, 600, 300));
        row("1-bit page", QSize(2000, 1000), true, right, 0, 0, QRectF(-500, -250, 1000, 500));
        row("odd page, box against its right edge", QSize(801, 601), false, right, shift, 30,
            QRectF(1, -150, 400, 300));
        row("box hidden: nothing", QSize(600, 400), false, right, 0, -1,
            QRectF(-150, -100, 300, 200));
    }

    void keysThenCut()
    {
        QFETCH(QSize, size);
        QFETCH(bool, mono);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, times);
        QFETCH(QRectF, expected);
        const QString path = showNew(size, mono);
        for (int i = 0; i < times; ++i)
            QTest::keyClick(m_editor->view(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(m_editor->cropBox()->box(), expected);
        const QImage before = m_editor->currentImage().convertToFormat(QImage::Format_RGB32);
        if (times < 0) {
            // Without the box the keys are the view's own again, and there is nothing to cut.
            const QByteArray bytes = contentOf(path);
            m_editor->cropping(false);
            QTest::keyClick(m_editor->view(), Qt::Key_Left);
            QCOMPARE(m_editor->cropBox()->box(), expected);
            const WriteResult cropped = m_editor->applyCrop();
            QVERIFY(!cropped.ok && cropped.error.isEmpty());
            QCOMPARE(contentOf(path), bytes);
            QCOMPARE(m_editor->currentImage().size(), size);
            return;
        }

        const WriteResult cropped = m_editor->applyCrop();
        QVERIFY2(cropped.ok, qPrintable(cropped.error));
        QImageReader reader(path);
        QCOMPARE(reader.format(), mono ? QByteArray("tiff") : QByteArray("png"));
        const QImage onDisk = reader.read();
        const QRect cut = expected.translated(size.width() / 2, size.height() / 2).toRect();
        QCOMPARE(onDisk.depth(), mono ? 1 : 32);
        QCOMPARE(m_editor->currentImage().size(), cut.size());
        QCOMPARE(onDisk.convertToFormat(QImage::Format_RGB32), before.copy(cut));
        // A fresh box for the smaller page: half of it, whole pixels either side of the centre.
        QCOMPARE(m_editor->cropBox()->box().size(),
                 QSizeF(cut.width() / 4 * 2, cut.height() / 4 * 2));
    }
};

QTEST_MAIN(TestCrop)
#include "moc_EditorFixture.cpp"
#include "tst_crop.moc"
