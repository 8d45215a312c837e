#include "StartUp.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// The real program, run with its own home so it never touches the user's settings.
QProcessEnvironment isolatedEnvironment(const QTemporaryDir &home)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("QUILLARY_WEB_HOST"), QStringLiteral("web.test.example.org"));
    // SANE with no backends: start-up finds no scanner at once.
    env.insert(QStringLiteral("SANE_CONFIG_DIR"), home.path());
    return env;
}

QString storedSettingsPath(const QTemporaryDir &home)
{
    return home.filePath(QStringLiteral("config/Plenwick/Quillary.conf"));
}
} // namespace

class TestStartUp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void uninstallSwitch_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("uninstall");
        QTest::newRow("no arguments") << QStringList{QStringLiteral("quillary")} << false;
        QTest::newRow("switch") << QStringList{QStringLiteral("quillary"), QStringLiteral("-un")}
                                << true;
        QTest::newRow("switch among others")
            << QStringList{QStringLiteral("quillary"), QStringLiteral("x"), QStringLiteral("-un")}
            << true;
        QTest::newRow("upper case is not it")
            << QStringList{QStringLiteral("quillary"), QStringLiteral("-UN")} << false;
        QTest::newRow("other argument")
            << QStringList{QStringLiteral("quillary"), QStringLiteral("scan.jpg")} << false;
        QTest::newRow("alone is not enough") << QStringList{QStringLiteral("-un")} << false;
    }
    void uninstallSwitch()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, uninstall);
        QCOMPARE(StartUp::isUninstallRun(arguments), uninstall);
    }

    void webHostByLanguage_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("host");
        QTest::newRow("russian") << QLocale(QLocale::Russian, QLocale::Russia)
                                 << QStringLiteral(QUILLARY_RUSSIAN_HOST);
        QTest::newRow("russian in ukraine")
            << QLocale(QLocale::Russian, QLocale::Ukraine) << QStringLiteral(QUILLARY_RUSSIAN_HOST);
        QTest::newRow("english") << QLocale(QLocale::English, QLocale::UnitedStates)
                                 << QStringLiteral(QUILLARY_DEFAULT_HOST);
        QTest::newRow("ukrainian") << QLocale(QLocale::Ukrainian, QLocale::Ukraine)
                                   << QStringLiteral(QUILLARY_DEFAULT_HOST);
    }
    void webHostByLanguage()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, host);
        qunsetenv("QUILLARY_WEB_HOST");
        QCOMPARE(StartUp::webHostFor(locale), host);
        qputenv("QUILLARY_WEB_HOST", "override.example.org");
        QCOMPARE(StartUp::webHostFor(locale), QStringLiteral("override.example.org"));
        qunsetenv("QUILLARY_WEB_HOST");
    }

    void uninstallRunOpensNoWindowAndExitsWithOne()
    {
        QTemporaryDir home;
        QProcess program;
        program.setProcessEnvironment(isolatedEnvironment(home));
        QElapsedTimer clock;
        clock.start();
        program.start(QStringLiteral(QUILLARY_EXECUTABLE), {QStringLiteral("-un")});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(clock.elapsed() >= 1900, qPrintable(QString::number(clock.elapsed())));
        // The host is stored before the switch is looked at; no window means no Version.
        QSettings stored(storedSettingsPath(home), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("AppUrl")).toString(),
                 QStringLiteral("web.test.example.org"));
        QVERIFY(!stored.contains(QStringLiteral("Version")));
    }

    // Smoke test: the real program starts, builds its window and keeps running.
    void programStartsAndStoresItsSettings()
    {
        QTemporaryDir home;
        {
            QDir().mkpath(home.filePath(QStringLiteral("config/Plenwick")));
            QSettings before(storedSettingsPath(home), QSettings::IniFormat);
            before.setValue(QStringLiteral("JpegQuality"), 40);
        }
        QProcess program;
        program.setProcessEnvironment(isolatedEnvironment(home));
        program.start(QStringLiteral(QUILLARY_EXECUTABLE), {QStringLiteral("ignored-argument")});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QSettings(storedSettingsPath(home), QSettings::IniFormat)
                                         .value(QStringLiteral("JpegQuality"))
                                         .toInt() == 85,
                                 20000);
        QTest::qWait(1500);
        QCOMPARE(program.state(), QProcess::Running);
        QSettings stored(storedSettingsPath(home), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Version")).toString(), QStringLiteral("14.1"));
        QCOMPARE(stored.value(QStringLiteral("AppUrl")).toString(),
                 QStringLiteral("web.test.example.org"));
        QVERIFY(QDir(home.filePath(QStringLiteral("data/Plenwick/Quillary/Current"))).exists());
        QVERIFY(QDir(home.filePath(QStringLiteral("data/Plenwick/Quillary/Config"))).exists());
        program.kill();
        QVERIFY(program.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
