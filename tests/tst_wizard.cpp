#include "AutoScanWizard.h"
#include "QProgressIndicator.h"
#include "SettingsKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

namespace {
// Ways a user or the scanner ends the cycle.
enum class Stop
{
    CloseWindow,
    EscapeKey,
    FinishSlot,
    CancelButton,
    FinishButton,
    ScanCancel
};
} // namespace

Q_DECLARE_METATYPE(Stop)

class TestWizard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void introShowsStoredChoices_data();
    void introShowsStoredChoices();
    void introStoresChoicesOnNext_data();
    void introStoresChoicesOnNext();
    void countdownEndsInScan();
    void scanPageRequestsScanAndWaitsForPage();
    void progressEnablesCancel();
    void spacePausesAndResumes();
    void enterScansAtOnce_data();
    void enterScansAtOnce();
    void stopOnScanPage_data();
    void stopOnScanPage();
    void stopOnTimerPage_data();
    void stopOnTimerPage();
    void closingEndsBookModeRun();

private:
    void showWizard();
    // Fills in the intro page and presses Next.
    void startRun(int interval, bool scanNow, bool book = false);
    void press(Qt::Key key);
    void stop(Stop how);
    QString countdown() const;
    QString buttonText(QWizard::WizardButton which) const;
    template <typename T> T *child(const char *name) const
    {
        T *widget = m_wizard->findChild<T *>(QLatin1String(name));
        Q_ASSERT(widget);
        return widget;
    }

    std::unique_ptr<AutoScanWizard> m_wizard;
};

void TestWizard::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillary"));
}

void TestWizard::init()
{
    QSettings().clear();
    m_wizard = std::make_unique<AutoScanWizard>();
}

void TestWizard::cleanup()
{
    m_wizard.reset();
}

void TestWizard::showWizard()
{
    m_wizard->show();
    // The page shortcuts act only in the active window.
    QVERIFY(QTest::qWaitForWindowActive(m_wizard.get()));
}

void TestWizard::startRun(int interval, bool scanNow, bool book)
{
    showWizard();
    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::IntroPageId));
    child<QSpinBox>("interval")->setValue(interval);
    child<QCheckBox>("scanNow")->setChecked(scanNow);
    child<QCheckBox>("bookScan")->setChecked(book);
    QTest::mouseClick(m_wizard->button(QWizard::NextButton), Qt::LeftButton);
}

void TestWizard::press(Qt::Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : m_wizard.get(), key);
}

void TestWizard::stop(Stop how)
{
    switch (how) {
    case Stop::CloseWindow:
        m_wizard->close();
        break;
    case Stop::EscapeKey:
        press(Qt::Key_Escape);
        break;
    case Stop::FinishSlot:
        m_wizard->finish();
        break;
    case Stop::CancelButton:
        m_wizard->scanPercent(1);
        QTest::mouseClick(m_wizard->button(QWizard::CancelButton), Qt::LeftButton);
        break;
    case Stop::FinishButton:
        QTest::mouseClick(m_wizard->button(QWizard::FinishButton), Qt::LeftButton);
        break;
    case Stop::ScanCancel:
        QMetaObject::invokeMethod(m_wizard->page(AutoScanWizard::ScanPageId), "scanCancel");
        break;
    }
}

QString TestWizard::countdown() const
{
    return child<QLabel>("countdown")->text();
}

QString TestWizard::buttonText(QWizard::WizardButton which) const
{
    return m_wizard->button(which)->text();
}

void TestWizard::introShowsStoredChoices_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("scanNow");
    QTest::addColumn<bool>("book");

    QTest::newRow("nothing stored") << false << 15 << true << false;
    QTest::newRow("shortest, wait, book") << true << 1 << false << true;
    QTest::newRow("longest, now, no book") << true << 60 << true << false;
}

void TestWizard::introShowsStoredChoices()
{
    QFETCH(bool, stored);
    QFETCH(int, interval);
    QFETCH(bool, scanNow);
    QFETCH(bool, book);
    // Written after the wizard was made: the page reads them when it is entered.
    if (stored) {
        writeSetting(Settings::AutoScanTime, interval);
        writeSetting(Settings::AutoScanNow, scanNow);
        writeSetting(Settings::BookScan, book);
    }

    showWizard();

    QCOMPARE(child<QSpinBox>("interval")->value(), interval);
    QCOMPARE(child<QCheckBox>("scanNow")->isChecked(), scanNow);
    QCOMPARE(child<QCheckBox>("bookScan")->isChecked(), book);
}

void TestWizard::introStoresChoicesOnNext_data()
{
    QTest::addColumn<int>("interval");
    QTest::addColumn<bool>("scanNow");
    QTest::addColumn<bool>("book");
    QTest::addColumn<int>("nextPage");

    QTest::newRow("scan now") << 5 << true << false << int(AutoScanWizard::ScanPageId);
    QTest::newRow("wait first, book") << 42 << false << true << int(AutoScanWizard::TimerPageId);
}

void TestWizard::introStoresChoicesOnNext()
{
    QFETCH(int, interval);
    QFETCH(bool, scanNow);
    QFETCH(bool, book);
    QFETCH(int, nextPage);

    startRun(interval, scanNow, book);

    QCOMPARE(m_wizard->currentId(), nextPage);
    QCOMPARE(readSetting(Settings::AutoScanTime).toInt(), interval);
    QCOMPARE(readSetting(Settings::AutoScanNow).toBool(), scanNow);
    QCOMPARE(readSetting(Settings::BookScanning).toBool(), book);
    QCOMPARE(readSetting(Settings::BookScan).toBool(), book);
}

void TestWizard::countdownEndsInScan()
{
    QSignalSpy needScan(m_wizard.get(), &AutoScanWizard::needAutoScan);
    startRun(1, false);

    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::TimerPageId));
    QCOMPARE(countdown(), QStringLiteral("01"));
    QCOMPARE(child<QLabel>("countdown")->accessibleName(),
             QStringLiteral("Seconds until the next scan"));
    QCOMPARE(buttonText(QWizard::CustomButton1), QStringLiteral(" &Stop Timer "));
    QCOMPARE(buttonText(QWizard::CustomButton2), QStringLiteral(" Scan &Now > "));
    QTRY_COMPARE_WITH_TIMEOUT(countdown(), QStringLiteral("00"), 2000);
    QCOMPARE(needScan.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_wizard->currentId(), int(AutoScanWizard::ScanPageId), 2000);
    QTRY_COMPARE(needScan.count(), 1);
}

void TestWizard::scanPageRequestsScanAndWaitsForPage()
{
    QSignalSpy needScan(m_wizard.get(), &AutoScanWizard::needAutoScan);
    auto *indicator = child<QProgressIndicator>("busyIndicator");
    startRun(5, true);

    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::ScanPageId));
    QCOMPARE(needScan.count(), 0);
    QTRY_COMPARE(needScan.count(), 1);
    QVERIFY(indicator->isAnimated());
    m_wizard->stopBusyIndicator();
    QVERIFY(!indicator->isAnimated());

    m_wizard->pageScanned();
    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::TimerPageId));
    QCOMPARE(countdown(), QStringLiteral("05"));

    // Further pages of the same feeder run leave the countdown alone.
    m_wizard->pageScanned();
    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::TimerPageId));
    QVERIFY(m_wizard->isVisible());
    QCOMPARE(needScan.count(), 1);
}

void TestWizard::progressEnablesCancel()
{
    startRun(5, true);
    QAbstractButton *cancel = m_wizard->button(QWizard::CancelButton);
    QVERIFY(cancel->isVisible());
    QVERIFY(!cancel->isEnabled());

    m_wizard->scanPercent(30);
    QVERIFY(cancel->isEnabled());
}

void TestWizard::spacePausesAndResumes()
{
    QSignalSpy needScan(m_wizard.get(), &AutoScanWizard::needAutoScan);
    startRun(3, false);
    QCOMPARE(countdown(), QStringLiteral("03"));

    press(Qt::Key_Space);
    QCOMPARE(buttonText(QWizard::CustomButton1), QStringLiteral(" &Resume Timer "));
    QCOMPARE(m_wizard->button(QWizard::CustomButton1)->accessibleName(),
             QStringLiteral("Resume Timer"));
    QTest::qWait(1300);
    QCOMPARE(countdown(), QStringLiteral("03"));

    press(Qt::Key_Space);
    QCOMPARE(buttonText(QWizard::CustomButton1), QStringLiteral(" &Stop Timer "));
    QTRY_COMPARE_WITH_TIMEOUT(countdown(), QStringLiteral("02"), 1500);

    // The button does what SPACE does.
    QTest::mouseClick(m_wizard->button(QWizard::CustomButton1), Qt::LeftButton);
    QCOMPARE(buttonText(QWizard::CustomButton1), QStringLiteral(" &Resume Timer "));
    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::TimerPageId));
    QCOMPARE(needScan.count(), 0);
}

void TestWizard::enterScansAtOnce_data()
{
    QTest::addColumn<int>("key");

    QTest::newRow("Enter") << int(Qt::Key_Enter);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Scan Now button") << 0;
}

void TestWizard::enterScansAtOnce()
{
    QFETCH(int, key);
    QSignalSpy needScan(m_wizard.get(), &AutoScanWizard::needAutoScan);
    startRun(60, false);
    QCOMPARE(countdown(), QStringLiteral("60"));

    if (key)
        press(Qt::Key(key));
    else
        QTest::mouseClick(m_wizard->button(QWizard::CustomButton2), Qt::LeftButton);

    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::ScanPageId));
    QTRY_COMPARE(needScan.count(), 1);
}

void TestWizard::stopOnScanPage_data()
{
    QTest::addColumn<Stop>("how");

    QTest::newRow("window closed") << Stop::CloseWindow;
    QTest::newRow("Escape") << Stop::EscapeKey;
    QTest::newRow("scan failed") << Stop::FinishSlot;
    QTest::newRow("Cancel button") << Stop::CancelButton;
    QTest::newRow("scanCancel()") << Stop::ScanCancel;
}

void TestWizard::stopOnScanPage()
{
    QFETCH(Stop, how);
    QSignalSpy needScan(m_wizard.get(), &AutoScanWizard::needAutoScan);
    QSignalSpy cancelScan(m_wizard.get(), &AutoScanWizard::cancelScan);
    startRun(5, true);
    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::ScanPageId));

    stop(how);

    QVERIFY(!m_wizard->isVisible());
    QCOMPARE(cancelScan.count(), 1);
    QVERIFY(m_wizard->button(QWizard::CancelButton)->isEnabled());
    QVERIFY(!child<QProgressIndicator>("busyIndicator")->isAnimated());
    // Stopped before the scan was requested: no scan starts behind the closed wizard.
    QTest::qWait(300);
    QCOMPARE(needScan.count(), 0);
}

void TestWizard::stopOnTimerPage_data()
{
    QTest::addColumn<Stop>("how");

    QTest::newRow("window closed") << Stop::CloseWindow;
    QTest::newRow("Escape") << Stop::EscapeKey;
    QTest::newRow("finish()") << Stop::FinishSlot;
    QTest::newRow("Finish button") << Stop::FinishButton;
}

void TestWizard::stopOnTimerPage()
{
    QFETCH(Stop, how);
    QSignalSpy cancelScan(m_wizard.get(), &AutoScanWizard::cancelScan);
    startRun(5, false);
    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::TimerPageId));

    stop(how);

    QVERIFY(!m_wizard->isVisible());
    QCOMPARE(cancelScan.count(), 0);
    // The finish step ran: the next run starts on the intro page.
    QCOMPARE(m_wizard->startId(), int(AutoScanWizard::IntroPageId));
}

void TestWizard::closingEndsBookModeRun()
{
    QSignalSpy needScan(m_wizard.get(), &AutoScanWizard::needAutoScan);
    startRun(1, false, true);
    QVERIFY(readSetting(Settings::BookScanning).toBool());

    m_wizard->close();
    QVERIFY(!m_wizard->isVisible());
    // The countdown stopped with the window: no tick, no scan.
    QTest::qWait(1200);
    QCOMPARE(countdown(), QStringLiteral("01"));
    QCOMPARE(needScan.count(), 0);

    // What the main window does once the wizard has returned.
    writeSetting(Settings::BookScanning, false);

    // The next run shows the remembered box without switching book mode back on.
    m_wizard->setStartId(AutoScanWizard::IntroPageId);
    m_wizard->restart();
    showWizard();
    QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::IntroPageId));
    QVERIFY(child<QCheckBox>("bookScan")->isChecked());
    // The countdown's own buttons are gone again.
    QVERIFY(m_wizard->button(QWizard::NextButton)->isVisible());
    QVERIFY(!m_wizard->button(QWizard::CustomButton1)->isVisible());
    QVERIFY(!readSetting(Settings::BookScanning).toBool());
}

QTEST_MAIN(TestWizard)
#include "tst_wizard.moc"
