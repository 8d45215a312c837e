// The auto-scan wizard: its stored choices, the countdown to a scan, and every way to stop.
#include "AutoScanWizard.h"
#include "QProgressIndicator.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"
#include "Translations.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace Qt::StringLiterals;

class TestWizard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // The English singular forms ("1 second") come from the plural translation.
        installTranslators(QLocale(QLocale::English));
    }
    void init()
    {
        QSettings().clear();
        m_wizard = std::make_unique<AutoScanWizard>();
    }
    void cleanup() { m_wizard.reset(); }

    void countdownEndsInScan_data()
    {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("key"); // 0: the "Scan Now" button, -1: none
        row("countdown over", 1, -1);
        row("Enter", 60, int(Qt::Key_Enter));
        row("Return", 60, int(Qt::Key_Return));
        row("Scan Now button", 60, 0);
    }
    void countdownEndsInScan()
    {
        QFETCH(int, interval);
        QFETCH(int, key);
        QSignalSpy needScan(m_wizard.get(), &AutoScanWizard::needAutoScan);
        startRun(interval, false);
        QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::TimerPageId));
        QCOMPARE(countdown(), u"%1"_s.arg(interval, 2, 10, QChar(u'0')));
        if (key > 0) {
            QCOMPARE(spokenCountdown(), u"Next scan in 60 seconds"_s);
            press(Qt::Key(key));
        } else if (key == 0) {
            QTest::mouseClick(m_wizard->button(QWizard::CustomButton2), Qt::LeftButton);
        } else {
            QCOMPARE(spokenCountdown(), u"Next scan in 1 second"_s);
            // SPACE pauses, and the button's label says so; the button resumes.
            const QString running = m_wizard->button(QWizard::CustomButton1)->text();
            press(Qt::Key_Space);
            QVERIFY(m_wizard->button(QWizard::CustomButton1)->text() != running);
            QTest::qWait(1300);
            QCOMPARE(countdown(), u"01"_s);
            QTest::mouseClick(m_wizard->button(QWizard::CustomButton1), Qt::LeftButton);
            QCOMPARE(m_wizard->button(QWizard::CustomButton1)->text(), running);
            QTRY_COMPARE_WITH_TIMEOUT(countdown(), u"00"_s, 2000);
            QCOMPARE(spokenCountdown(), u"Next scan in 0 seconds"_s);
            QTRY_COMPARE_WITH_TIMEOUT(m_wizard->currentId(), int(AutoScanWizard::ScanPageId), 2000);
        }
        QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::ScanPageId));
        QCOMPARE(needScan.count(), 0); // the page shows before the scan is asked for
        QTRY_COMPARE(needScan.count(), 1);

        // The scan page waits for the page, then the countdown starts again.
        auto *indicator = child<QProgressIndicator>("busyIndicator");
        QVERIFY(indicator->isAnimated());
        m_wizard->stopBusyIndicator();
        QVERIFY(!indicator->isAnimated());
        // Cancel only once the scanner reports progress.
        QAbstractButton *cancel = m_wizard->button(QWizard::CancelButton);
        QVERIFY(cancel->isVisible() && !cancel->isEnabled());
        m_wizard->scanPercent(30);
        QVERIFY(cancel->isEnabled());

        m_wizard->pageScanned();
        QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::TimerPageId));
        QCOMPARE(countdown(), u"%1"_s.arg(interval, 2, 10, QChar(u'0')));
        // Further pages of the same feeder run leave the countdown alone.
        m_wizard->pageScanned();
        QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::TimerPageId));
        QVERIFY(m_wizard->isVisible());
        QCOMPARE(needScan.count(), 1);
    }
    void stopping_data()
    {
        QTest::addColumn<bool>("scanning"); // else: counting down
        QTest::addColumn<QString>("how");
        for (const char *how : {"close", "Escape", "finish()", "Cancel button", "scanCancel()"})
            QTest::addRow("scan page, %s", how) << true << QString::fromLatin1(how);
        for (const char *how : {"close", "Escape", "finish()", "Finish button"})
            QTest::addRow("timer page, %s", how) << false << QString::fromLatin1(how);
    }
    void stopping()
    {
        QFETCH(bool, scanning);
        QFETCH(QString, how);
        QSignalSpy needScan(m_wizard.get(), &AutoScanWizard::needAutoScan);
        QSignalSpy cancelScan(m_wizard.get(), &AutoScanWizard::cancelScan);
        startRun(1, scanning, true);
        QCOMPARE(m_wizard->currentId(),
                 int(scanning ? AutoScanWizard::ScanPageId : AutoScanWizard::TimerPageId));
        if (how == "close"_L1) {
            m_wizard->close();
        } else if (how == "Escape"_L1) {
            press(Qt::Key_Escape);
        } else if (how == "finish()"_L1) {
            m_wizard->finish(); // also what a failed scan calls
        } else if (how == "Cancel button"_L1) {
            m_wizard->scanPercent(1);
            QTest::mouseClick(m_wizard->button(QWizard::CancelButton), Qt::LeftButton);
        } else if (how == "Finish button"_L1) {
            QTest::mouseClick(m_wizard->button(QWizard::FinishButton), Qt::LeftButton);
        } else {
            QMetaObject::invokeMethod(m_wizard->page(AutoScanWizard::ScanPageId), "scanCancel");
        }

        QVERIFY(!m_wizard->isVisible());
        // Told once, from the countdown too: a feeder run may still be bringing pages there.
        QCOMPARE(cancelScan.count(), 1);
        QVERIFY(m_wizard->button(QWizard::CancelButton)->isEnabled());
        QVERIFY(!child<QProgressIndicator>("busyIndicator")->isAnimated());
        // No scan starts behind the closed wizard, and the countdown stopped with it.
        QTest::qWait(scanning ? 300 : 1200);
        QCOMPARE(needScan.count(), 0);
        if (!scanning)
            QCOMPARE(countdown(), u"01"_s);

        // The main window turns book mode off; the next run reads the choices stored on Next.
        QVERIFY(readSetting(Settings::BookScanning).toBool());
        writeSetting(Settings::BookScanning, false);
        child<QSpinBox>("interval")->setValue(30);
        child<QCheckBox>("scanNow")->setChecked(!scanning);
        child<QCheckBox>("bookScan")->setChecked(false);
        m_wizard->restart();
        showWizard();
        QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::IntroPageId));
        QVERIFY(child<QCheckBox>("bookScan")->isChecked());
        QCOMPARE(child<QCheckBox>("scanNow")->isChecked(), scanning);
        QCOMPARE(child<QSpinBox>("interval")->value(), 1);
        QVERIFY(m_wizard->button(QWizard::NextButton)->isVisible());
        QVERIFY(!m_wizard->button(QWizard::CustomButton1)->isVisible());
        QVERIFY(!readSetting(Settings::BookScanning).toBool());
    }

private:
    void showWizard()
    {
        m_wizard->show();
        // The page shortcuts act only in the active window.
        QVERIFY(QTest::qWaitForWindowActive(m_wizard.get()));
    }
    void startRun(int interval, bool scanNow, bool book = false)
    {
        showWizard();
        QCOMPARE(m_wizard->currentId(), int(AutoScanWizard::IntroPageId));
        child<QSpinBox>("interval")->setValue(interval);
        child<QCheckBox>("scanNow")->setChecked(scanNow);
        child<QCheckBox>("bookScan")->setChecked(book);
        QTest::mouseClick(m_wizard->button(QWizard::NextButton), Qt::LeftButton);
    }
    void press(Qt::Key key)
    {
        QWidget *focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : m_wizard.get(), key);
    }
    QString countdown() const { return child<QLabel>("countdown")->text(); }
    QString spokenCountdown() const
    {
        return QAccessible::queryAccessibleInterface(child<QLabel>("countdown"))
            ->text(QAccessible::Name);
    }
    template <typename T> T *child(const char *name) const
    {
        T *widget = m_wizard->findChild<T *>(QLatin1String(name));
        Q_ASSERT(widget);
        return widget;
    }

    std::unique_ptr<AutoScanWizard> m_wizard;
};

QTEST_MAIN(TestWizard)
#include "tst_wizard.moc"
