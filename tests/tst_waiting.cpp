// The busy wheel and the waiting window that only the long step may close.
#include "QProgressIndicator.h"
#include "WaitingDlg.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {
// Records the angle before each tick and stops the wheel after ticks of them.
struct TickWatcher : QObject
{
    int ticks = 0;
    QList<int> anglesBeforeTicks;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Timer)
            return false;
        auto *indicator = static_cast<QProgressIndicator *>(watched);
        if (anglesBeforeTicks.size() == ticks) {
            indicator->stopAnimation();
            return true;
        }
        anglesBeforeTicks.append(indicator->angle());
        return false;
    }
};

// Grey in the middle of the capsule at degrees clockwise from up, on a 100 x 100 wheel.
int greyTowards(const QImage &image, int degrees)
{
    const auto g = QProgressIndicator::geometryFor(100);
    const double r = g.innerRadius + g.capsuleHeight / 2.0;
    const double a = qDegreesToRadians(double(degrees));
    return qGray(image.pixel(qFloor(49 + r * qSin(a)), qFloor(49 - r * qCos(a))));
}
} // namespace

class TestWaiting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void wheelTurnsByThirtyDegrees_data()
    {
        QTest::addColumn<int>("angle");
        for (const int angle : {0, 90, 210, 330})
            QTest::addRow("%d", angle) << angle;
    }

    // Stopped at angle after more than a full turn, so the wrap from 330 back to 0 is seen.
    void wheelTurnsByThirtyDegrees()
    {
        QFETCH(int, angle);
        const int ticks = 12 + angle / 30;
        QProgressIndicator indicator;
        indicator.resize(100, 100);
        // Stopped, the wheel is not drawn unless asked.
        const QImage blank = indicator.grab().toImage();
        QImage background(blank.size(), blank.format());
        background.fill(blank.pixel(0, 0));
        QCOMPARE(blank, background);

        indicator.setDisplayedWhenStopped(true);
        TickWatcher watcher;
        watcher.ticks = ticks;
        indicator.installEventFilter(&watcher);
        // A new delay does not start a stopped wheel, nor stop a turning one.
        indicator.setAnimationDelay(2);
        QTest::qWait(20);
        QVERIFY(watcher.anglesBeforeTicks.isEmpty());
        indicator.startAnimation();
        indicator.setAnimationDelay(1);
        QVERIFY(indicator.isAnimated());
        QTRY_VERIFY(!indicator.isAnimated());
        for (int k = 0; k < watcher.anglesBeforeTicks.size(); ++k)
            QCOMPARE(watcher.anglesBeforeTicks.at(k), (30 * k) % 360);
        indicator.stopAnimation();
        QTest::qWait(20);
        QCOMPARE(watcher.anglesBeforeTicks.size(), ticks);
        QCOMPARE(indicator.angle(), angle);

        const QImage image = indicator.grab().toImage();
        QVERIFY(greyTowards(image, angle) < 16);
        // Each capsule behind the leader, counter-clockwise, is fainter than the one before.
        for (int i = 1; i < 12; ++i)
            QVERIFY2(greyTowards(image, angle - 30 * i) > greyTowards(image, angle - 30 * (i - 1)),
                     qPrintable(QString::number(i)));
        // A new start begins from the top again.
        indicator.startAnimation();
        QCOMPARE(indicator.angle(), 0);
        QVERIFY(indicator.isAnimated());
    }

    // Centred, without title bar, not closed by the close key; hidden, its wheel stops later.
    void waitingWindow()
    {
        QWidget owner;
        QPointer<WaitingDlg> dialog = new WaitingDlg(&owner);
        dialog->showMessage(u"Image processing..."_s);
        QVERIFY(dialog->isVisible() && dialog->isWindow() && dialog->isModal());
        QVERIFY(!(dialog->windowFlags() & Qt::WindowTitleHint));
        const auto *label = dialog->findChild<QLabel *>();
        QCOMPARE(label->text(), u"Image processing..."_s);
        QCOMPARE(label->accessibleName(), label->text());
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        QTRY_COMPARE(dialog->frameGeometry().center(), available.center());
        const auto *indicator = dialog->findChild<QProgressIndicator *>();
        QVERIFY(indicator->isAnimated());

        QVERIFY(!dialog->close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dialog && dialog->isVisible());
        dialog->hide();
        QVERIFY(indicator->isAnimated());
        QTRY_VERIFY(!indicator->isAnimated());

        // Destroyed while shown, and destroyed between hiding and the delayed stop.
        auto *shown = new WaitingDlg;
        shown->showMessage(u"Image processing..."_s);
        delete shown;
        auto *hidden = new WaitingDlg;
        hidden->showMessage(u"Image processing..."_s);
        hidden->hide();
        delete hidden;
        QTest::qWait(150);
    }
};

QTEST_MAIN(TestWaiting)
#include "tst_waiting.moc"
