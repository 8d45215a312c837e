#include "FileSizeLimit.h"
#include "FolderHelpers.h"
#include "ImageFileWriter.h"
#include "PdfTestTools.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"
#include "ToneCurve.h"

#include <QtGui>
#include <QtTest>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
        return plant(Planted::PrivateFolder, path + u"-target"_s) &&
               symlink((native + "-target").constData(), native.constData()) == 0;
    case Planted::File:
        return QFile(path).open(QIODevice::WriteOnly);
    }
    return false;
}

bool isPrivateFolder(const QString &path)
{
    struct stat info;
    return lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && (info.st_mode & 0777) == 0700;
}
} // namespace

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
        m_runtime = m_base.filePath(u"run"_s);
        m_temp = m_base.filePath(u"tmp"_s);
        QVERIFY(mkdir(QFile::encodeName(m_runtime).constData(), 0700) == 0);
        QVERIFY(QDir().mkpath(m_temp));
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime));
        qputenv("TMPDIR", QFile::encodeName(m_temp));
        QCoreApplication::setOrganizationName(u"Plenwick"_s);
        QCoreApplication::setApplicationName(u"QuillaryCommonTest"_s);
        QSettings().clear();
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
        const auto grey = [](int level) { return qRgb(level, level, level); };
        const QImage::Format bytes = QImage::Format_Grayscale8;
        row("identity at 0", bytes, black, 0.0, 0.0, black);
        row("identity at 255", bytes, grey(255), 0.0, 0.0, grey(255));
        row("contrast -100 flattens", bytes, grey(17), 0.0, -100.0, grey(128));
        row("contrast -100 with brightness", bytes, grey(250), 10.0, -100.0, grey(154)); // 153.5
        row("brightness clamps high", bytes, grey(10), 100.0, 0.0, grey(255));
        row("brightness clamps low", bytes, grey(250), -100.0, 0.0, black);
        row("contrast doubles distance", bytes, grey(138), 0.0, 100.0, grey(148));
        row("contrast clamps", bytes, grey(250), 0.0, 100.0, grey(255));
        row("rounds half up", bytes, grey(100), 0.2, 0.0, grey(101));  // 100.51
        row("negative rounds", bytes, grey(100), -0.2, 0.0, grey(99)); // 99.49
        row("alpha kept", QImage::Format_ARGB32, qRgba(10, 100, 200, 77), 10.0, 0.0,
            qRgba(36, 126, 226, 77)); // +25.5 rounds to +26
        row("24 bit, brightness", QImage::Format_RGB888, qRgb(0, 128, 255), -50.0, 0.0,
            qRgb(0, 1, 128)); // 0.5 rounds up
        row("1 bit refused", QImage::Format_Mono, black, 50.0, 50.0, QRgb(0));
        row("16 bit refused", QImage::Format_RGB16, black, 50.0, 50.0, QRgb(0));
        row("64 bit refused", QImage::Format_RGBA64, black, 50.0, 50.0, QRgb(0));
        row("no image refused", QImage::Format_Invalid, black, 50.0, 50.0, QRgb(0));
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
        QImage wanted = image;
        if (expected != 0)
            wanted.fill(QColor::fromRgba(expected));
        QCOMPARE(applyToneCurve(image, brightness, contrast), expected != 0);
        QCOMPARE(image, wanted);
    }

    void settingsKeys()
    {
        QSet<QString> names;
        for (const SettingKey *key : Settings::allKeys())
            names.insert(QLatin1String(key->name));
        QCOMPARE(names.size(), Settings::allKeys().size()); // no two share a stored name
        QSettings().clear();
        QVERIFY(readSetting(Settings::NeedOpen, true).toBool()); // unset: the caller's default
    }

    void pageImageRule_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        const QImage colour = drawnPage(QSize(40, 30), PageKind::Colour, 300);
        const QImage mono = drawnPage(QSize(40, 30), PageKind::Mono, 300);
        // An A4 page at 300 dpi, 1.09 MB unpacked, with each palette order and bit order.
        const QImage page = drawnPage(QSize(2480, 3508), PageKind::Grey, 300);
        const QRgb black = qRgb(0, 0, 0);
        const QRgb white = qRgb(255, 255, 255);
        const auto a4 = [&page](const char *name, QImage::Format format, QList<QRgb> palette) {
            row(name, page.convertToFormat(format, palette, Qt::ThresholdDither),
                u"00000001_o.tiff"_s, QByteArray("tiff"));
        };
        // The content always matches the name (the usual pairs come through the page store).
        row("1-bit into .jpg", mono, "00000003_o.jpg", QByteArray("jpeg"));
        row("colour into .tiff", colour, "00000004_o.tiff", QByteArray("tiff"));
        row("png", colour, "picture.png", QByteArray("png"));
        row("no suffix, 1-bit", mono, "page", QByteArray("tiff"));
        // Black-and-white pages are fax code (Group 4) and read back as they were written.
        a4("A4, white, black", QImage::Format_Mono, {white, black});
        a4("A4, black, white", QImage::Format_Mono, {black, white});
        a4("A4, least significant bit first", QImage::Format_MonoLSB, {white, black});
    }

    void pageImageRule()
    {
        QFETCH(QImage, image);
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);

        const WriteResult written = writePageImage(image, path);

        QVERIFY2(written, qPrintable(written.error));
        QImageReader reader(path);
        QCOMPARE(reader.format(), format);
        const QImage back = reader.read();
        QCOMPARE(back.depth() == 1, image.depth() == 1 && format == "tiff");
        if (format == "jpeg")
            QCOMPARE(back.size(), image.size());
        else
            QCOMPARE(back.convertToFormat(QImage::Format_RGB32),
                     image.convertToFormat(QImage::Format_RGB32));
        if (format != "tiff" || image.depth() != 1)
            return;
        QCOMPARE(back.logicalDpiX(), 300);
        const QString info = PdfTestTools::run(u"tiffinfo"_s, {path});
        QVERIFY2(info.contains("Compression Scheme: CCITT Group 4"_L1), qPrintable(info));
        QCOMPARE_LT(QFileInfo(path).size(), 100 * 1024);
    }

    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("fullDisk");  // files can grow to 64 KB only
        QTest::addColumn<QString>("reason"); // part of the error besides the file's name
        // Noise does not compress: far more than 64 KB.
        QImage noise(600, 600, QImage::Format_RGB32);
        QRandomGenerator(1).fillRange(reinterpret_cast<quint32 *>(noise.bits()),
                                      noise.sizeInBytes() / 4);
        row("no picture", QImage(), "page.jpg", false, "");
        row("folder missing", noise, "gone/page.jpg", false, "");
        row("full disk", noise, "page.jpg", true, QString::fromLocal8Bit(strerror(EFBIG)));
    }

    // A failed write names the file and the system's reason, and leaves the old file whole.
    void failedWriteKeepsOldFile()
    {
        QFETCH(QImage, image);
        QFETCH(QString, target);
        QFETCH(bool, fullDisk);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QByteArray old("old content");
        QVERIFY(writeFile(dir.filePath(u"page.jpg"_s), old));
        const FileSizeLimit limit(fullDisk ? 64 * 1024 : RLIM_INFINITY);

        const WriteResult result = writeImageFile(image, dir.filePath(target));

        QVERIFY(!result.ok);
        QVERIFY2(result.error.contains("page.jpg"_L1) && result.error.contains(reason),
                 qPrintable(result.error));
        QCOMPARE(contentOf(dir.filePath(u"page.jpg"_s)), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"page.jpg"_s});
    }

    void temporaryFolderIsPrivate_data()
    {
        QTest::addColumn<Planted>("inRuntime"); // at <runtime>/quillary
        QTest::addColumn<Planted>("inTemp");    // at <temp>/quillary-<uid>
        QTest::addColumn<QString>("expected");  // "runtime", "temp" or "fresh"
        row("runtime folder", Planted::Nothing, Planted::Nothing, "runtime");
        row("runtime folder there already", Planted::PrivateFolder, Planted::Nothing, "runtime");
        row("runtime name open to the group", Planted::GroupFolder, Planted::Nothing, "temp");
        row("runtime name a file", Planted::File, Planted::Nothing, "temp");
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
        const QString runtimeFolder = m_runtime + u"/quillary"_s;
        const QString tempFolder = m_temp + u"/quillary-%1"_s.arg(geteuid());
        for (const QString &base : {m_runtime, m_temp})
            QVERIFY(removeFolderContents(base) && QDir(base).isEmpty());
        QVERIFY(plant(inRuntime, runtimeFolder) && plant(inTemp, tempFolder));
        const auto state = [](const QString &path) {
            return std::pair(int(QFileInfo(path).permissions()), QFileInfo(path).ownerId());
        };
        const auto runtimeBefore = state(runtimeFolder);
        const auto tempBefore = state(tempFolder);

        const QString folder = applicationTempFolder();

        QVERIFY2(isPrivateFolder(folder), qPrintable(folder));
        // What is refused is left as it was: never taken over or loosened.
        QVERIFY(folder == runtimeFolder || state(runtimeFolder) == runtimeBefore);
        QVERIFY(folder == tempFolder || state(tempFolder) == tempBefore);
        if (expected == "fresh"_L1) {
            QVERIFY(folder.startsWith(m_temp + u"/quillary-"_s));
            QVERIFY(folder != tempFolder);
        } else {
            QCOMPARE(folder, expected == "runtime"_L1 ? runtimeFolder : tempFolder);
        }
    }

    void staleTempFilesOnlyInOwnFolder()
    {
        QDir(m_runtime + u"/quillary"_s).removeRecursively();
        const QString folder = applicationTempFolder();
        const QString stale = u"Temp"_s + QString(30, u'x');     // 34 chars
        const QString shortName = u"Temp"_s + QString(28, u'y'); // 32
        const QString other = u"Other"_s + QString(30, u'z');
        for (const QString &name : {stale, shortName, other})
            QVERIFY(writeFile(folder + u'/' + name, QByteArray()));
        // Run folders: one of a process id no system hands out, one of this run, one of init.
        const QString crashed = u"history-99999999-Ab3dEf"_s;
        const QString ours = QFileInfo(runFolderPattern(u"export"_s)).fileName();
        const QString living = u"history-1-Ab3dEf"_s;
        QDir dir(folder);
        for (const QString &name : {crashed, ours, living}) {
            QVERIFY(dir.mkpath(name + u"/inner"_s));
            QVERIFY(writeFile(dir.filePath(name + u"/inner/1.page"_s), QByteArray()));
        }
        removeStaleTempFiles();
        QStringList left{shortName, other, ours, living};
        left.sort();
        QCOMPARE(dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name), left);

        // Only the kind asked for goes, though a session folder's date looks like a process id.
        const QString removed = u"Removed-99999999-Ab3dEf"_s;
        const QString session = u"Session 000001 (2026-12-07)"_s;
        for (const QString &name : {removed, session})
            QVERIFY(dir.mkpath(name + u"/inner"_s));
        removeStaleRunFolders(folder, u"Removed"_s);
        QVERIFY(!dir.exists(removed));
        QVERIFY(dir.exists(session));
    }
};

QTEST_GUILESS_MAIN(TestCommon)
#include "tst_common.moc"
