#include "QProgressIndicator.h"
#include "WaitingDlg.h"

#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QtMath>
#include <QtTest>

#include <memory>

namespace {

// Watches the indicator's timer: records the angle seen before each tick and, when asked,
// stops the wheel at a chosen angle so one frame can be checked.
class TickWatcher : public QObject
{
public:
    explicit TickWatcher(QProgressIndicator *indicator, int stopAt = -1)
        : m_indicator(indicator), m_stopAt(stopAt)
    {
        indicator->installEventFilter(this);
    }

    QList<int> anglesBeforeTicks;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_indicator || event->type() != QEvent::Timer)
            return false;
        if (m_indicator->angle() == m_stopAt) {
            m_indicator->stopAnimation();
            return true;
        }
        anglesBeforeTicks.append(m_indicator->angle());
        return false;
    }

private:
    QProgressIndicator *m_indicator;
    int m_stopAt;
};

// Grey level in the middle of the capsule pointing in the given direction (degrees clockwise
// from up) of a 100 x 100 wheel.
int greyTowards(const QImage &image, int degrees)
{
    const auto g = QProgressIndicator::geometryFor(100);
    const double r = g.innerRadius + g.capsuleHeight / 2.0;
    const QPoint centre = QRect(0, 0, 100, 100).center();
    const double a = qDegreesToRadians(double(degrees));
    return qGray(image.pixel(qFloor(centre.x() + r * qSin(a)), qFloor(centre.y() - r * qCos(a))));
}

} // namespace

class TestWaiting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void geometry_data();
    void geometry();
    void defaultsAndProperties();
    void leadingCapsuleFollowsAngle_data();
    void leadingCapsuleFollowsAngle();
    void stoppedWheelIsInvisibleUnlessAsked();
    void ticksTurnByThirtyDegrees();
    void delayChanges();

    void showMessageShowsCentredWindow();
    void closeRequestIsRefused();
    void hidingStopsWheelShortlyAfter();
    void destroying();
};

void TestWaiting::geometry_data()
{
    // Expected: outer radius, inner radius, capsule height, capsule width, corner radius.
    QTest::addColumn<int>("side");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("100") << 100 << QList<int>{49, 18, 31, 7, 3};
    QTest::newRow("32 uses wider capsules") << 32 << QList<int>{15, 5, 10, 3, 1};
    QTest::newRow("33 uses narrow capsules") << 33 << QList<int>{16, 6, 10, 2, 1};
    QTest::newRow("16") << 16 << QList<int>{7, 2, 5, 1, 0};
    QTest::newRow("200") << 200 << QList<int>{99, 37, 62, 14, 7};
}

void TestWaiting::geometry()
{
    QFETCH(int, side);
    QFETCH(QList<int>, expected);
    const auto g = QProgressIndicator::geometryFor(side);
    QCOMPARE(
        (QList<int>{g.outerRadius, g.innerRadius, g.capsuleHeight, g.capsuleWidth, g.cornerRadius}),
        expected);
}

void TestWaiting::defaultsAndProperties()
{
    QProgressIndicator indicator;
    QCOMPARE(indicator.property("delay").toInt(), 40);
    QCOMPARE(indicator.property("displayedWhenStopped").toBool(), false);
    QCOMPARE(indicator.property("color").value<QColor>(), QColor(Qt::black));
    QCOMPARE(indicator.sizeHint(), QSize(100, 100));
    QCOMPARE(indicator.accessibleName(), QStringLiteral("Working"));

    QVERIFY(indicator.setProperty("delay", 75));
    QVERIFY(indicator.setProperty("displayedWhenStopped", true));
    QVERIFY(indicator.setProperty("color", QColor(Qt::red)));
    QCOMPARE(indicator.animationDelay(), 75);
    QVERIFY(indicator.isDisplayedWhenStopped());
    QCOMPARE(indicator.color(), QColor(Qt::red));
    QVERIFY(!indicator.isAnimated());
}

void TestWaiting::leadingCapsuleFollowsAngle_data()
{
    QTest::addColumn<int>("angle");
    QTest::newRow("0") << 0;
    QTest::newRow("90") << 90;
    QTest::newRow("210") << 210;
    QTest::newRow("330") << 330;
}

void TestWaiting::leadingCapsuleFollowsAngle()
{
    QFETCH(int, angle);

    QProgressIndicator indicator;
    indicator.resize(100, 100);
    indicator.setDisplayedWhenStopped(true);
    TickWatcher watcher(&indicator, angle);
    indicator.setAnimationDelay(1);
    indicator.startAnimation();
    QTRY_VERIFY(!indicator.isAnimated());
    QCOMPARE(indicator.angle(), angle);

    const QImage image = indicator.grab().toImage();
    QVERIFY(greyTowards(image, angle) < 16);
    // Each capsule behind the leader, counter-clockwise, is fainter than the one before.
    for (int i = 1; i < 12; ++i)
        QVERIFY2(greyTowards(image, angle - 30 * i) > greyTowards(image, angle - 30 * (i - 1)),
                 qPrintable(QString::number(i)));
}

void TestWaiting::stoppedWheelIsInvisibleUnlessAsked()
{
    QProgressIndicator indicator;
    indicator.resize(100, 100);

    const QImage blank = indicator.grab().toImage();
    const QRgb background = blank.pixel(0, 0);
    for (int y = 0; y < blank.height(); ++y)
        for (int x = 0; x < blank.width(); ++x)
            QCOMPARE(blank.pixel(x, y), background);

    indicator.setDisplayedWhenStopped(true);
    QVERIFY(indicator.grab().toImage() != blank);
}

void TestWaiting::ticksTurnByThirtyDegrees()
{
    QProgressIndicator indicator;
    TickWatcher watcher(&indicator);
    indicator.setAnimationDelay(2);
    indicator.startAnimation();
    QVERIFY(indicator.isAnimated());

    // More than a full turn, so the wrap from 330 back to 0 is seen.
    QTRY_VERIFY(watcher.anglesBeforeTicks.size() >= 14);
    indicator.stopAnimation();
    QVERIFY(!indicator.isAnimated());
    for (int k = 0; k < watcher.anglesBeforeTicks.size(); ++k)
        QCOMPARE(watcher.anglesBeforeTicks.at(k), (30 * k) % 360);

    const int stoppedAt = indicator.angle();
    const int ticks = watcher.anglesBeforeTicks.size();
    indicator.stopAnimation();
    QVERIFY(!indicator.isAnimated());
    QTest::qWait(20);
    QCOMPARE(watcher.anglesBeforeTicks.size(), ticks);
    QCOMPARE(indicator.angle(), stoppedAt);

    // A new start begins from the top again.
    indicator.startAnimation();
    QCOMPARE(indicator.angle(), 0);
    QVERIFY(indicator.isAnimated());
}

void TestWaiting::delayChanges()
{
    QProgressIndicator indicator;
    TickWatcher watcher(&indicator);

    indicator.setAnimationDelay(5);
    QVERIFY(!indicator.isAnimated());
    QTest::qWait(20);
    QVERIFY(watcher.anglesBeforeTicks.isEmpty());

    indicator.startAnimation();
    QTRY_VERIFY(!watcher.anglesBeforeTicks.isEmpty());
    indicator.setAnimationDelay(3);
    QVERIFY(indicator.isAnimated());
    QCOMPARE(indicator.animationDelay(), 3);
    const int ticks = watcher.anglesBeforeTicks.size();
    QTRY_VERIFY(watcher.anglesBeforeTicks.size() > ticks + 2);
}

void TestWaiting::showMessageShowsCentredWindow()
{
    QWidget owner;
    auto *dialog = new WaitingDlg(&owner);
    dialog->showMessage(QStringLiteral("Image processing..."));

    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isWindow());
    QVERIFY(dialog->isModal());
    QVERIFY(!(dialog->windowFlags() & Qt::WindowTitleHint));

    const auto *label = dialog->findChild<QLabel *>();
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Image processing..."));
    QCOMPARE(label->accessibleName(), label->text());
    QVERIFY(label->font().bold());

    QCOMPARE(dialog->size(), QSize(500, 100));
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QTRY_COMPARE(dialog->frameGeometry().center(), available.center());

    const auto *indicator = dialog->findChild<QProgressIndicator *>();
    QVERIFY(indicator);
    QVERIFY(indicator->isAnimated());
    QCOMPARE(indicator->animationDelay(), 50);
}

void TestWaiting::closeRequestIsRefused()
{
    QPointer<WaitingDlg> dialog = new WaitingDlg;
    dialog->showMessage(QStringLiteral("Splitting on pages..."));

    QVERIFY(!dialog->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    delete dialog;
}

void TestWaiting::hidingStopsWheelShortlyAfter()
{
    std::unique_ptr<WaitingDlg> dialog(new WaitingDlg);
    dialog->showMessage(QStringLiteral("Image processing..."));
    const auto *indicator = dialog->findChild<QProgressIndicator *>();
    QVERIFY(indicator->isAnimated());

    // The stop is delayed, not immediate.
    dialog->hide();
    QVERIFY(indicator->isAnimated());
    QTRY_VERIFY(!indicator->isAnimated());
}

void TestWaiting::destroying()
{
    // Destroyed while shown, and destroyed between hiding and the delayed stop.
    auto *shown = new WaitingDlg;
    shown->showMessage(QStringLiteral("Image processing..."));
    delete shown;

    auto *hidden = new WaitingDlg;
    hidden->showMessage(QStringLiteral("Image processing..."));
    hidden->hide();
    delete hidden;
    QTest::qWait(150);
}

QTEST_MAIN(TestWaiting)
#include "tst_waiting.moc"
