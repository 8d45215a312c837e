#include "SingleInstance.h"
#include "StartUp.h"

#include <QImage>
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
    // The window's socket goes into a runtime folder of this test alone.
    const QString runtime = home.filePath(QStringLiteral("run"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    return env;
}

void startIn(QProcess &program, const QTemporaryDir &home, const QString &workingDir,
             const QStringList &arguments)
{
    program.setProcessEnvironment(isolatedEnvironment(home));
    program.setWorkingDirectory(workingDir);
    program.start(QStringLiteral(QUILLARY_EXECUTABLE), arguments);
}

QString workFolder(const QTemporaryDir &home)
{
    return home.filePath(QStringLiteral("data/Plenwick/Quillary"));
}

QString pageFile(const QTemporaryDir &home, int number)
{
    return workFolder(home) +
           QStringLiteral("/Current/%1_o.jpg").arg(number, 8, 10, QLatin1Char('0'));
}

// A picture of one colour in its own folder; returns its absolute path.
QString writePicture(const QTemporaryDir &home, const QString &name, const QColor &colour)
{
    const QString path = home.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path) ? path : QString();
}

bool looksLike(const QString &pagePath, const QColor &colour)
{
    const QImage page(pagePath);
    if (page.isNull())
        return false;
    const QColor seen = page.pixelColor(page.width() / 2, page.height() / 2);
    return qAbs(seen.red() - colour.red()) < 40 && qAbs(seen.green() - colour.green()) < 40 &&
           qAbs(seen.blue() - colour.blue()) < 40;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString storedSettingsPath(const QTemporaryDir &home)
{
    return home.filePath(QStringLiteral("config/Plenwick/Quillary.conf"));
}

bool endsWith(QProcess &program, int exitCode)
{
    return program.waitForFinished(30000) && program.exitStatus() == QProcess::NormalExit &&
           program.exitCode() == exitCode;
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

    void commandLineFiles_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        const QString program = QStringLiteral("quillary");
        QTest::newRow("program alone") << QStringList{program} << QStringList{};
        QTest::newRow("relative and absolute")
            << QStringList{program, QStringLiteral("scan.jpg"), QStringLiteral("/tmp/a.png"),
                           QStringLiteral("../up/b.tif")}
            << QStringList{QStringLiteral("/home/u/docs/scan.jpg"), QStringLiteral("/tmp/a.png"),
                           QStringLiteral("/home/u/up/b.tif")};
        QTest::newRow("options left out")
            << QStringList{program, QStringLiteral("-x"), QStringLiteral("--flag"),
                           QStringLiteral("a.jpg")}
            << QStringList{QStringLiteral("/home/u/docs/a.jpg")};
        QTest::newRow("double dash ends options")
            << QStringList{program, QStringLiteral("--"), QStringLiteral("-odd.jpg")}
            << QStringList{QStringLiteral("/home/u/docs/-odd.jpg")};
        QTest::newRow("file url") << QStringList{program,
                                                 QStringLiteral("file:///tmp/my%20scan.jpg")}
                                  << QStringList{QStringLiteral("/tmp/my scan.jpg")};
    }
    void commandLineFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QCOMPARE(StartUp::commandLineFiles(arguments, QStringLiteral("/home/u/docs")), files);
    }

    void handOverRequest_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<SingleInstance::Decoded>("decoded");
        QTest::addColumn<QStringList>("files");
        const QStringList two{QStringLiteral("/a/b c.jpg"), QStringLiteral("/d/\u00e9t\u00e9.png")};
        const QByteArray one = SingleInstance::encodeRequest({QStringLiteral("/xyz.jpg")});
        QTest::newRow("two files")
            << SingleInstance::encodeRequest(two) << SingleInstance::Decoded::Complete << two;
        QTest::newRow("no files") << SingleInstance::encodeRequest({})
                                  << SingleInstance::Decoded::Complete << QStringList{};
        QTest::newRow("relative names are not sent")
            << SingleInstance::encodeRequest(
                   {QStringLiteral("rel.jpg"), QStringLiteral("/xyz.jpg")})
            << SingleInstance::Decoded::Complete << QStringList{QStringLiteral("/xyz.jpg")};
        QTest::newRow("header cut short")
            << one.left(6) << SingleInstance::Decoded::Incomplete << QStringList{};
        QTest::newRow("name cut short")
            << one.chopped(2) << SingleInstance::Decoded::Incomplete << QStringList{};
        QTest::newRow("foreign bytes") << QByteArray("GET / HTTP/1.0\r\n\r\n")
                                       << SingleInstance::Decoded::Malformed << QStringList{};
        QByteArray huge = SingleInstance::encodeRequest({});
        huge.replace(4, 4, QByteArray(4, '\xff'));
        QTest::newRow("huge count") << huge << SingleInstance::Decoded::Malformed << QStringList{};
        QTest::newRow("relative name received")
            << QByteArray(one).replace("/xyz", "xyz/") << SingleInstance::Decoded::Malformed
            << QStringList{};
        QTest::newRow("bytes after the request")
            << one + "x" << SingleInstance::Decoded::Malformed << QStringList{};
    }
    void handOverRequest()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(SingleInstance::Decoded, decoded);
        QFETCH(QStringList, files);
        QStringList received;
        QCOMPARE(SingleInstance::decodeRequest(bytes, &received), decoded);
        QCOMPARE(received, files);
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
        startIn(program, home, home.path(), {QStringLiteral("-un")});
        QVERIFY(endsWith(program, 1));
        // The host is stored before the switch is looked at; no window means no Version.
        QSettings stored(storedSettingsPath(home), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("AppUrl")).toString(),
                 QStringLiteral("web.test.example.org"));
        QVERIFY(!stored.contains(QStringLiteral("Version")));
    }

    // The real program starts and stores its settings; one window per work folder, whose lock
    // outlives a killed window: later starts hand their files over and end.
    void windowsShareOneWorkFolder()
    {
        QTemporaryDir home;
        const QString red = writePicture(home, QStringLiteral("pictures/red.png"), Qt::red);
        const QString blue = writePicture(home, QStringLiteral("elsewhere/blue.png"), Qt::blue);
        QVERIFY(!red.isEmpty() && !blue.isEmpty());
        const QString lock = workFolder(home) + QStringLiteral("/quillary.lock");
        {
            QDir().mkpath(home.filePath(QStringLiteral("config/Plenwick")));
            QSettings(storedSettingsPath(home), QSettings::IniFormat)
                .setValue(QStringLiteral("JpegQuality"), 40);
        }

        QProcess killed;
        startIn(killed, home, home.path(), {QStringLiteral("missing.jpg")});
        // Every start resets the JPEG quality.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock) &&
                                     QSettings(storedSettingsPath(home), QSettings::IniFormat)
                                             .value(QStringLiteral("JpegQuality"))
                                             .toInt() == 85,
                                 30000);
        QSettings stored(storedSettingsPath(home), QSettings::IniFormat);
        QCOMPARE(stored.value(QStringLiteral("Version")).toString(), QStringLiteral("14.1"));
        QCOMPARE(stored.value(QStringLiteral("AppUrl")).toString(),
                 QStringLiteral("web.test.example.org"));
        QVERIFY(QDir(workFolder(home) + QStringLiteral("/Current")).exists());
        QVERIFY(QDir(workFolder(home) + QStringLiteral("/Config")).exists());
        QTest::qWait(1000);
        QCOMPARE(killed.state(), QProcess::Running);
        killed.kill(); // SIGKILL: the lock file and the socket stay behind
        QVERIFY(killed.waitForFinished(10000));
        QVERIFY(QFile::exists(lock));

        QProcess first;
        startIn(first, home, home.filePath(QStringLiteral("pictures")),
                {QStringLiteral("red.png")});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pageFile(home, 1)), 30000);
        QVERIFY(looksLike(pageFile(home, 1), Qt::red));
        const QByteArray firstPage = contents(pageFile(home, 1));

        // The socket name was taken over too; a relative name is meant in the second start's
        // own folder.
        QProcess second;
        startIn(second, home, home.filePath(QStringLiteral("elsewhere")),
                {QStringLiteral("blue.png")});
        QVERIFY(endsWith(second, 0));
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pageFile(home, 2)), 30000);
        QVERIFY(looksLike(pageFile(home, 2), Qt::blue));
        QCOMPARE(contents(pageFile(home, 1)), firstPage);

        // Without files it only asks for the window.
        QProcess third;
        startIn(third, home, home.path(), {});
        QVERIFY(endsWith(third, 0));
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(!QFile::exists(pageFile(home, 3)));
        first.kill();
        QVERIFY(first.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
