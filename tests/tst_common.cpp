#include "FolderHelpers.h"
#include "ImageFileWriter.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"
#include "ToneCurve.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
enum class Planted
{
    Nothing,
    PrivateFolder,
    GroupFolder,
    OpenFolder,
    OthersFolder,
    LinkToPrivateFolder,
    File
};

// Puts what a row names at path (which must not exist yet); false when it can't here.
bool plant(Planted what, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    switch (what) {
    case Planted::Nothing:
        return true;
    case Planted::PrivateFolder:
    case Planted::GroupFolder:
    case Planted::OpenFolder:
    case Planted::OthersFolder: {
        const mode_t mode = what == Planted::GroupFolder  ? 0750
                            : what == Planted::OpenFolder ? 0777
                                                          : 0700;
        // chmod after mkdir: the umask must not make a planted folder safer than asked.
        if (mkdir(native.constData(), 0700) != 0 || chmod(native.constData(), mode) != 0)
            return false;
        return what != Planted::OthersFolder || chown(native.constData(), 65534, 65534) == 0;
    }
    case Planted::LinkToPrivateFolder:
        return plant(Planted::PrivateFolder, path + QStringLiteral("-target")) &&
               symlink((native + "-target").constData(), native.constData()) == 0;
    case Planted::File:
        return QFile(path).open(QIODevice::WriteOnly);
    }
    return false;
}

// The file a failed write must leave whole, alone in its folder.
const QByteArray OldContent("old content");
bool writeOldFile(const QString &path)
{
    QFile old(path);
    return old.open(QIODevice::WriteOnly) && old.write(OldContent) == OldContent.size();
}
bool onlyOldFileLeft(const QString &path)
{
    QFile old(path);
    return old.open(QIODevice::ReadOnly) && old.readAll() == OldContent &&
           QFileInfo(path).dir().entryList(QDir::Files) == QStringList{QFileInfo(path).fileName()};
}

bool isPrivateFolder(const QString &path)
{
    struct stat info;
    return lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && (info.st_mode & 0777) == 0700;
}
} // namespace

Q_DECLARE_METATYPE(Planted)

class TestCommon : public QObject
{
    Q_OBJECT

    // Stands in for the system temporary folder and the per-user runtime folder.
    QTemporaryDir m_base;
    QString m_runtime;
    QString m_temp;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_base.isValid());
        m_runtime = m_base.filePath(QStringLiteral("run"));
        m_temp = m_base.filePath(QStringLiteral("tmp"));
        QVERIFY(mkdir(QFile::encodeName(m_runtime).constData(), 0700) == 0);
        QVERIFY(QDir().mkpath(m_temp));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
        qputenv("TMPDIR", QFile::encodeName(m_temp));
        QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
        QCoreApplication::setApplicationName(QStringLiteral("QuillaryCommonTest"));
        QSettings().clear();
    }

    void toneCurveTable_data()
    {
        QTest::addColumn<double>("brightness");
        QTest::addColumn<double>("contrast");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("expected");
        row("identity at 0", 0.0, 0.0, 0, 0);
        row("identity at 255", 0.0, 0.0, 255, 255);
        row("contrast -100 flattens", 0.0, -100.0, 17, 128);
        row("contrast -100 with brightness", 10.0, -100.0, 250, 154); // 153.5
        row("brightness clamps high", 100.0, 0.0, 10, 255);
        row("brightness clamps low", -100.0, 0.0, 250, 0);
        row("contrast doubles distance", 0.0, 100.0, 138, 148);
        row("contrast clamps", 0.0, 100.0, 250, 255);
        row("rounds half up", 0.2, 0.0, 100, 101);  // 100.51
        row("negative rounds", -0.2, 0.0, 100, 99); // 99.49
    }
    void toneCurveTable()
    {
        QFETCH(double, brightness);
        QFETCH(double, contrast);
        QFETCH(int, level);
        QFETCH(int, expected);
        QCOMPARE(int(::toneCurveTable(brightness, contrast)[level]), expected);
    }

    // Each depth is changed in place, alpha and row padding left alone; others are refused.
    void toneCurveOnImage_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QRgb>("fill");
        QTest::addColumn<double>("brightness");
        QTest::addColumn<double>("contrast");
        QTest::addColumn<QRgb>("expected"); // 0: refused, image unchanged
        const QRgb black = qRgb(0, 0, 0);
        // +25.5 rounds to +26
        row("alpha kept", QImage::Format_ARGB32, qRgba(10, 100, 200, 77), 10.0, 0.0,
            qRgba(36, 126, 226, 77));
        row("8 bit, padded rows", QImage::Format_Grayscale8, qRgb(100, 100, 100), 0.0, -100.0,
            qRgb(128, 128, 128));
        row("24 bit, contrast", QImage::Format_RGB888, qRgb(0, 128, 255), 0.0, 100.0,
            qRgb(0, 128, 255));
        row("24 bit, brightness", QImage::Format_RGB888, qRgb(0, 128, 255), -50.0, 0.0,
            qRgb(0, 1, 128)); // 0.5 rounds up
        row("1 bit refused", QImage::Format_Mono, black, 50.0, 50.0, QRgb(0));
        row("16 bit refused", QImage::Format_RGB16, black, 50.0, 50.0, QRgb(0));
        row("64 bit refused", QImage::Format_RGBA64, black, 50.0, 50.0, QRgb(0));
    }
    void toneCurveOnImage()
    {
        QFETCH(QImage::Format, format);
        QFETCH(QRgb, fill);
        QFETCH(double, brightness);
        QFETCH(double, contrast);
        QFETCH(QRgb, expected);
        QImage image(5, 3, format); // odd width: padded rows
        image.fill(QColor::fromRgba(fill));
        const QImage before = image;
        QCOMPARE(applyToneCurve(image, brightness, contrast), expected != 0);
        if (expected == 0) {
            QCOMPARE(image, before);
            return;
        }
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                QCOMPARE(image.pixel(x, y), expected);
        }
        QImage null;
        QVERIFY(!applyToneCurve(null, 1.0, 1.0));
    }

    void settingsKeys()
    {
        QSet<QString> names;
        for (const SettingKey *key : Settings::allKeys())
            names.insert(QLatin1String(key->name));
        QCOMPARE(names.size(), Settings::allKeys().size()); // no two share a stored name
        QSettings().clear();
        writeSetting(Settings::Grayscale, 4);
        QCOMPARE(QSettings().value(QStringLiteral("Grayscale")).toInt(), 4);
        QVERIFY(readSetting(Settings::NeedOpen, true).toBool()); // unset: the caller's default
    }

    void pageImageRule_data()
    {
        QTest::addColumn<bool>("mono");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("depth");
        // The content always matches the name (the usual pairs come through the page store).
        row("1-bit into .jpg", true, "00000003_o.jpg", QByteArray("jpeg"), 8);
        row("colour into .tiff", false, "00000004_o.tiff", QByteArray("tiff"), 32);
        row("png", false, "picture.png", QByteArray("png"), 32);
        row("no suffix, 1-bit", true, "page", QByteArray("tiff"), 1);
    }
    void pageImageRule()
    {
        QFETCH(bool, mono);
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QFETCH(int, depth);
        QTemporaryDir dir;
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        if (mono)
            image = image.convertToFormat(QImage::Format_Mono);
        const QString path = dir.filePath(name);
        QVERIFY(writePageImage(image, path));
        QImageReader reader(path);
        QCOMPARE(reader.format(), format);
        const QImage back = reader.read();
        QCOMPARE(back.size(), QSize(40, 30));
        QCOMPARE(back.depth() == 1, depth == 1);
    }

    void failedWriteKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("page.jpg"));
        QVERIFY(writeOldFile(path));

        // A null image cannot be encoded: the writer must fail and leave the old bytes.
        const WriteResult nullResult = writeImageFile(QImage(), path);
        QVERIFY(!nullResult.ok);
        QVERIFY(!nullResult.error.isEmpty());

        // A folder that does not exist cannot take the file.
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::red);
        const WriteResult missing =
            writeImageFile(image, dir.filePath(QStringLiteral("gone/page.jpg")));
        QVERIFY(!missing.ok);
        QVERIFY(missing.error.contains(QLatin1String("page.jpg")));
        QVERIFY(onlyOldFileLeft(path));
    }

    // Black-and-white pages are fax code (Group 4) and read back as they were written.
    void blackAndWhiteIsGroup4_data()
    {
        QTest::addColumn<QList<QRgb>>("palette");
        QTest::addColumn<QImage::Format>("format");
        const QRgb black = qRgb(0, 0, 0);
        const QRgb white = qRgb(255, 255, 255);
        row("white, black", QList<QRgb>{white, black}, QImage::Format_Mono);
        row("black, white", QList<QRgb>{black, white}, QImage::Format_Mono);
        row("least significant bit first", QList<QRgb>{white, black}, QImage::Format_MonoLSB);
    }

    void blackAndWhiteIsGroup4()
    {
        QFETCH(QList<QRgb>, palette);
        QFETCH(QImage::Format, format);
        // An A4 page at 300 dpi: mostly paper, some text-like bars and a diagonal.
        QImage page(2480, 3508, format);
        page.setColorTable(palette);
        page.fill(0);
        for (int y = 300; y < 3200; y += 60) {
            for (int x = 250; x < 2200; x += 170) {
                for (int row = y; row < y + 24; ++row) {
                    for (int column = x; column < x + 120 + (y / 7) % 40; ++column)
                        page.setPixel(column, row, 1);
                }
            }
        }
        for (int i = 0; i < 2400; ++i)
            page.setPixel(40 + i, 3400 - i, 1);
        page.setDotsPerMeterX(11811);
        page.setDotsPerMeterY(11811);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("00000001_o.tiff"));
        const WriteResult written = writePageImage(page, path);
        QVERIFY2(written, qPrintable(written.error));
        QProcess tiffinfo;
        tiffinfo.start(QStringLiteral("tiffinfo"), {path});
        QVERIFY(tiffinfo.waitForFinished());
        QCOMPARE(tiffinfo.exitCode(), 0);
        const QString info = QString::fromLocal8Bit(tiffinfo.readAllStandardOutput());
        QVERIFY2(info.contains(QLatin1String("Compression Scheme: CCITT Group 4")),
                 qPrintable(info));
        // 1.09 MB unpacked.
        QVERIFY2(QFileInfo(path).size() < 100 * 1024,
                 qPrintable(QString::number(QFileInfo(path).size())));

        const QImage back(path);
        QCOMPARE(back.depth(), 1);
        QCOMPARE(back.logicalDpiX(), 300);
        QCOMPARE(back.convertToFormat(QImage::Format_RGB32),
                 page.convertToFormat(QImage::Format_RGB32));
    }

    // A full disk names the file and the system's reason, and leaves the old file whole.
    void fullDiskTellsWhy()
    {
        if (geteuid() != 0)
            QSKIP("a small file system can only be mounted by root");
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("this system refuses to mount a small file system");
        const auto unmount = qScopeGuard([&folder] { umount2(folder.constData(), MNT_DETACH); });
        const QString path = dir.filePath(QStringLiteral("00000001_o.jpg"));
        QVERIFY(writeOldFile(path));

        // Noise does not compress: far more than 64 KB.
        QImage noise(600, 600, QImage::Format_RGB32);
        quint32 seed = 1;
        for (int y = 0; y < noise.height(); ++y) {
            for (int x = 0; x < noise.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                noise.setPixel(x, y, seed >> 8);
            }
        }
        const WriteResult result = writeImageFile(noise, path, "PNG");
        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains(QString::fromLocal8Bit(strerror(ENOSPC))),
                 qPrintable(result.error));
        QVERIFY2(result.error.contains(path), qPrintable(result.error));
        QVERIFY(onlyOldFileLeft(path));
    }

    void removeFolderContentsKeepsFolder()
    {
        QTemporaryDir dir;
        QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("sub/deeper")));
        QFile locked(root.filePath(QStringLiteral("sub/deeper/locked.jpg")));
        QVERIFY(locked.open(QIODevice::WriteOnly));
        locked.close();
        QVERIFY(locked.setPermissions(QFile::ReadOwner));
        QFile plain(root.filePath(QStringLiteral("00000001_o.jpg")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();

        QVERIFY(removeFolderContents(dir.path()));
        QVERIFY(root.exists());
        QVERIFY(root.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }

    void privateFolder_data()
    {
        QTest::addColumn<Planted>("planted");
        QTest::addColumn<bool>("used");
        row("missing: made", Planted::Nothing, true);
        row("own and private", Planted::PrivateFolder, true);
        row("open to the group", Planted::GroupFolder, false);
        row("open to everyone", Planted::OpenFolder, false);
        row("another user's", Planted::OthersFolder, false);
        row("a link to a private folder", Planted::LinkToPrivateFolder, false);
        row("a file", Planted::File, false);
    }

    void privateFolder()
    {
        QFETCH(Planted, planted);
        QFETCH(bool, used);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quillary"));
        if (planted == Planted::OthersFolder && geteuid() != 0)
            QSKIP("only root can make a folder that belongs to another user");
        QVERIFY(plant(planted, path));
        const QFile::Permissions permissionsBefore = QFileInfo(path).permissions();
        const uint ownerBefore = QFileInfo(path).ownerId();

        const WriteResult made = makePrivateFolder(path);

        QCOMPARE(made.ok, used);
        QCOMPARE(made.error.isEmpty(), used);
        QCOMPARE(isPrivateFolder(path), used);
        // What is refused is left as it was: never taken over or loosened.
        if (!used) {
            QCOMPARE(QFileInfo(path).permissions(), permissionsBefore);
            QCOMPARE(QFileInfo(path).ownerId(), ownerBefore);
        }
    }

    void temporaryFolderIsPrivate_data()
    {
        QTest::addColumn<Planted>("inRuntime"); // at <runtime>/quillary
        QTest::addColumn<Planted>("inTemp");    // at <temp>/quillary-<uid>
        QTest::addColumn<QString>("expected");  // "runtime", "temp" or "fresh"
        row("runtime folder", Planted::Nothing, Planted::Nothing, "runtime");
        row("runtime name open to all", Planted::OpenFolder, Planted::Nothing, "temp");
        row("runtime name a link", Planted::LinkToPrivateFolder, Planted::Nothing, "temp");
        row("both names taken by another user", Planted::OthersFolder, Planted::OthersFolder,
            "fresh");
        row("both names open to all", Planted::OpenFolder, Planted::OpenFolder, "fresh");
    }

    void temporaryFolderIsPrivate()
    {
        QFETCH(Planted, inRuntime);
        QFETCH(Planted, inTemp);
        QFETCH(QString, expected);
        if (inRuntime == Planted::OthersFolder && geteuid() != 0)
            QSKIP("only root can make a folder that belongs to another user");
        const QString runtimeFolder = m_runtime + QStringLiteral("/quillary");
        const QString tempFolder = m_temp + QStringLiteral("/quillary-%1").arg(geteuid());
        for (const QString &base : {m_runtime, m_temp})
            QVERIFY(removeFolderContents(base));
        QVERIFY(plant(inRuntime, runtimeFolder));
        QVERIFY(plant(inTemp, tempFolder));

        const QString folder = applicationTempFolder();

        QVERIFY2(isPrivateFolder(folder), qPrintable(folder));
        if (expected == QLatin1String("runtime")) {
            QCOMPARE(folder, runtimeFolder);
        } else if (expected == QLatin1String("temp")) {
            QCOMPARE(folder, tempFolder);
        } else {
            QVERIFY(folder.startsWith(m_temp + QStringLiteral("/quillary-")));
            QVERIFY(folder != tempFolder);
        }
    }

    void staleTempFilesOnlyInOwnFolder()
    {
        QDir(m_runtime + QStringLiteral("/quillary")).removeRecursively();
        const QString folder = applicationTempFolder();
        const QString stale = QStringLiteral("Temp") + QString(30, QLatin1Char('x')); // 34 chars
        const QString shortName = QStringLiteral("Temp") + QString(28, QLatin1Char('y')); // 32
        const QString other = QStringLiteral("Other") + QString(30, QLatin1Char('z'));
        for (const QString &name : {stale, shortName, other}) {
            QFile file(folder + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        // Run folders: one of a process id no system hands out, one of this run, one of init.
        const QString crashed = QStringLiteral("history-99999999-Ab3dEf");
        const QString ours = QFileInfo(runFolderPattern(QStringLiteral("export"))).fileName();
        const QString living = QStringLiteral("history-1-Ab3dEf");
        QDir dir(folder);
        for (const QString &name : {crashed, ours, living}) {
            QVERIFY(dir.mkpath(name + QStringLiteral("/inner")));
            QFile file(dir.filePath(name + QStringLiteral("/inner/1.page")));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        removeStaleTempFiles();
        QVERIFY(!dir.exists(stale));
        QVERIFY(dir.exists(shortName));
        QVERIFY(dir.exists(other));
        QVERIFY(!dir.exists(crashed));
        QVERIFY(dir.exists(ours));
        QVERIFY(dir.exists(living));

        // In the work folder only the kind asked for goes: a session folder's date reads like
        // a run folder's process id.
        const QString removed = QStringLiteral("Removed-99999999-Ab3dEf");
        const QString session = QStringLiteral("Session 000001 (2026-12-07)");
        for (const QString &name : {removed, session})
            QVERIFY(dir.mkpath(name + QStringLiteral("/inner")));
        removeStaleRunFolders(folder, QStringLiteral("Removed"));
        QVERIFY(!dir.exists(removed));
        QVERIFY(dir.exists(session));
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
