#include "SingleInstance.h"
#include "StartUp.h"
#include "TestHelpers.h"

#include <QtGui>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
// The real program, run with its own home so it never touches the user's settings.
void startIn(QProcess &program, const QTemporaryDir &home, const QString &workingDir,
             const QStringList &arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"HOME"_s, home.path());
    env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
    env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    // A loopback port nobody listens on: a first start's update check and report stay here.
    env.insert(u"QUILLARY_WEB_HOST"_s, u"127.0.0.1:1"_s);
    // SANE with no backends: start-up finds no scanner at once.
    env.insert(u"SANE_CONFIG_DIR"_s, home.path());
    // The window's socket goes into a runtime folder of this test alone.
    const QString runtime = home.filePath(u"run"_s);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    env.insert(u"XDG_RUNTIME_DIR"_s, runtime);
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(workingDir);
    program.start(QStringLiteral(QUILLARY_EXECUTABLE), arguments);
}

QString pageFile(const QTemporaryDir &home, int number)
{
    return home.filePath(
        u"data/Plenwick/Quillary/Current/%1_o.jpg"_s.arg(number, 8, 10, QChar(u'0')));
}

QString writePicture(const QTemporaryDir &home, const QString &name, const QColor &colour)
{
    const QString path = home.filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(colour);
    return image.save(path) ? path : QString();
}

bool looksLike(const QTemporaryDir &home, int number, const QColor &colour)
{
    const QImage page(pageFile(home, number));
    return !page.isNull() &&
           near(page.pixel(page.width() / 2, page.height() / 2), colour.rgb(), 39);
}

QSettings stored(const QTemporaryDir &home)
{
    return QSettings(home.filePath(u"config/Plenwick/Quillary.conf"_s), QSettings::IniFormat);
}

QStringList words(const char *text)
{
    return QString::fromUtf8(text).split(u' ');
}

bool endsWith(const QTemporaryDir &home, const QString &workingDir, const QStringList &arguments,
              int exitCode)
{
    QProcess program;
    startIn(program, home, workingDir, arguments);
    return program.waitForFinished(30000) && program.exitStatus() == QProcess::NormalExit &&
           program.exitCode() == exitCode;
}
} // namespace

class TestStartUp : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void commandLineFiles_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<bool>("uninstall");
        row("program alone", words("quillary"), QStringList(), false);
        row("relative and absolute", words("quillary scan.jpg /tmp/a.png ../up/b.tif"),
            words("/home/u/docs/scan.jpg /tmp/a.png /home/u/up/b.tif"), false);
        row("options left out, uninstall among them", words("quillary -x -un --flag a.jpg"),
            words("/home/u/docs/a.jpg"), true);
        row("upper-case uninstall is none", words("quillary -UN"), QStringList(), false);
        row("uninstall without the program's name is none", words("-un"), QStringList(), false);
        row("double dash ends options", words("quillary -- -odd.jpg"),
            words("/home/u/docs/-odd.jpg"), false);
        row("file url", words("quillary file:///tmp/my%20scan.jpg"),
            QStringList{u"/tmp/my scan.jpg"_s}, false);
    }
    void commandLineFiles()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QFETCH(bool, uninstall);
        QCOMPARE(StartUp::commandLineFiles(arguments, u"/home/u/docs"_s), files);
        QCOMPARE(StartUp::isUninstallRun(arguments), uninstall);
    }

    void handOverRequest_data()
    {
        using D = SingleInstance::Decoded;
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<SingleInstance::Decoded>("decoded");
        QTest::addColumn<QStringList>("files");
        const QStringList two{u"/a/b c.jpg"_s, u"/d/\u00e9t\u00e9.png"_s};
        const QByteArray one = SingleInstance::encodeRequest({u"/xyz.jpg"_s});
        const QStringList none;
        row("two files", SingleInstance::encodeRequest(two), D::Complete, two);
        row("no files", SingleInstance::encodeRequest({}), D::Complete, none);
        row("relative names are not sent", SingleInstance::encodeRequest(words("rel.jpg /xyz.jpg")),
            D::Complete, words("/xyz.jpg"));
        row("header cut short", one.left(6), D::Incomplete, none);
        row("name cut short", one.chopped(2), D::Incomplete, none);
        row("foreign bytes", QByteArray("GET / HTTP/1.0\r\n\r\n"), D::Malformed, none);
        QByteArray huge = SingleInstance::encodeRequest({});
        huge.replace(4, 4, QByteArray(4, '\xff'));
        row("huge count", huge, D::Malformed, none);
        row("relative name received", QByteArray(one).replace("/xyz", "xyz/"), D::Malformed, none);
        row("bytes after the request", one + "x", D::Malformed, none);
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
        const QString russian = QStringLiteral(QUILLARY_RUSSIAN_HOST);
        const QString other = QStringLiteral(QUILLARY_DEFAULT_HOST);
        row("russian", QLocale(QLocale::Russian, QLocale::Russia), russian);
        row("russian in ukraine", QLocale(QLocale::Russian, QLocale::Ukraine), russian);
        row("english", QLocale(QLocale::English, QLocale::UnitedStates), other);
        row("ukrainian", QLocale(QLocale::Ukrainian, QLocale::Ukraine), other);
    }
    void webHostByLanguage()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, host);
        qunsetenv("QUILLARY_WEB_HOST");
        QCOMPARE(StartUp::webHostFor(locale), host);
        qputenv("QUILLARY_WEB_HOST", "override.example.org");
        QCOMPARE(StartUp::webHostFor(locale), u"override.example.org"_s);
        qunsetenv("QUILLARY_WEB_HOST");
    }

    // One window per work folder, whose lock outlives a killed window: later starts hand over.
    void windowsShareOneWorkFolder()
    {
        QTemporaryDir home;
        QVERIFY(endsWith(home, home.path(), {u"-un"_s}, 1));
        QCOMPARE(stored(home).allKeys(), QStringList{u"AppUrl"_s});
        const QString red = writePicture(home, u"pictures/red.png"_s, Qt::red);
        const QString blue = writePicture(home, u"elsewhere/blue.png"_s, Qt::blue);
        QVERIFY(!red.isEmpty() && !blue.isEmpty());
        const QString lock = home.filePath(u"data/Plenwick/Quillary/quillary.lock"_s);
        stored(home).setValue(u"JpegQuality"_s, 40);

        QProcess killed;
        startIn(killed, home, home.path(), {u"missing.jpg"_s});
        // Every start resets the JPEG quality.
        QTRY_VERIFY_WITH_TIMEOUT(
            QFile::exists(lock) && stored(home).value(u"JpegQuality"_s).toInt() == 85, 30000);
        QCOMPARE(stored(home).value(u"AppUrl"_s).toString(), u"127.0.0.1:1"_s);
        QVERIFY(QDir(home.filePath(u"data/Plenwick/Quillary/Config"_s)).exists());
        QTest::qWait(1000);
        QCOMPARE(killed.state(), QProcess::Running);
        killed.kill(); // SIGKILL: the lock file and the socket stay behind
        QVERIFY(killed.waitForFinished(10000));
        QVERIFY(QFile::exists(lock));

        // Opening a named pipe would wait for a writer and freeze the window for good.
        const QString pipe = home.filePath(u"pictures/pipe.png"_s);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        QProcess first;
        startIn(first, home, home.filePath(u"pictures"_s), {u"pipe.png"_s, u"red.png"_s});
        QTRY_VERIFY_WITH_TIMEOUT(looksLike(home, 1, Qt::red), 30000);
        const QByteArray firstPage = contentOf(pageFile(home, 1));

        // A relative name is meant in the second start's own folder.
        QVERIFY(endsWith(home, home.filePath(u"elsewhere"_s), {u"blue.png"_s}, 0));
        QTRY_VERIFY_WITH_TIMEOUT(looksLike(home, 2, Qt::blue), 30000);
        QCOMPARE(contentOf(pageFile(home, 1)), firstPage);

        // Without files it only asks for the window.
        QVERIFY(endsWith(home, home.path(), {}, 0));
        QCOMPARE(first.state(), QProcess::Running);
        QVERIFY(!QFile::exists(pageFile(home, 3)));

        // A start that gave up on a stopped window never has its file added later.
        const QString green = writePicture(home, u"green.png"_s, Qt::green);
        QCOMPARE(::kill(pid_t(first.processId()), SIGSTOP), 0);
        QProcess refused;
        startIn(refused, home, home.path(), {green});
        // Until it has given up: it says so (an older start only waits its 10 s).
        QElapsedTimer waited;
        waited.start();
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += refused.readAllStandardError()).contains("did not answer") ||
                waited.elapsed() > 15000,
            20000);
        refused.kill(); // its message box waits for a click
        QVERIFY(refused.waitForFinished(10000));
        QCOMPARE(::kill(pid_t(first.processId()), SIGCONT), 0);
        QVERIFY(endsWith(home, home.path(), {blue}, 0));
        QTRY_VERIFY_WITH_TIMEOUT(looksLike(home, 3, Qt::blue), 30000);
        QVERIFY(!QFile::exists(pageFile(home, 4)));
        first.kill();
        QVERIFY(first.waitForFinished(10000));
    }
};

QTEST_GUILESS_MAIN(TestStartUp)
#include "tst_startup.moc"
