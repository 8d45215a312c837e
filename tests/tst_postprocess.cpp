// Fake page processors (shell scripts) record their arguments and write chosen results.
#include "PageProcessing.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

#include <QtGui>

using namespace Qt::StringLiterals;

namespace {
const QSize PageSize(60, 80);
const QSize SingleSize(30, 40);
const QSize LeftSize(31, 41);
const QSize RightSize(32, 42);
constexpr int Dpi = 200;
constexpr int Enough = 20000;

QImage filled(const QSize &size)
{
    QImage image = atDpi(QImage(size, QImage::Format_RGB32), Dpi);
    image.fill(Qt::darkCyan);
    return image;
}

QList<QSize> sizes(const QList<QImage> &images)
{
    QList<QSize> result;
    for (const QImage &image : images)
        result.append(image.size());
    return result;
}
} // namespace

class TestPostProcess : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_inputFile;
    QString m_outputFolder;

    // A fake processor: finds the input and output folder as its last two arguments, records
    // every argument, then runs body, where %DIR% is the test's own folder.
    QString processor(const QByteArray &body, bool executable = true)
    {
        static int count = 0;
        const QString path = m_dir.filePath(u"processor%1.sh"_s.arg(++count));
        QByteArray script = "#!/bin/sh\nfor a; do input=$out; out=$a; done\n"
                            "printf '%s\\n' \"$@\" > '%DIR%/arguments'\n" +
                            body + "\n";
        script.replace("%DIR%", QFile::encodeName(m_dir.path()));
        if (!writeFile(path, script))
            qFatal("can't write the fake processor");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner |
                                        (executable ? QFile::ExeOwner : QFile::Permissions()));
        return path;
    }

    QStringList recordedArguments() const
    {
        const QByteArray said = contentOf(m_dir.filePath(u"arguments"_s));
        return QString::fromLocal8Bit(said).split(u'\n', Qt::SkipEmptyParts);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        m_inputFile = data + u"/Processing/proc.tif"_s;
        m_outputFolder = data + u"/Processing/output"_s;
        QVERIFY(filled(SingleSize).save(m_dir.filePath(u"single.tif"_s)));
        QVERIFY(filled(LeftSize).save(m_dir.filePath(u"left.tif"_s)));
        QVERIFY(filled(RightSize).save(m_dir.filePath(u"right.tif"_s)));
    }

    void init()
    {
        QFile::remove(m_dir.filePath(u"arguments"_s));
        writeSetting(Settings::AutoContrast, true);
    }

    void arguments_data()
    {
        QTest::addColumn<bool>("book");
        QTest::addColumn<bool>("blackAndWhite");
        QTest::addColumn<QVariant>("autoContrast");
        QTest::addColumn<QStringList>("options");

        const QString single = u"-l=1"_s;
        const QString spread = u"-l=2 --orientation=left"_s;
        const QString bw = u"--color-mode=black_and_white"_s;
        const QString colour = u"--color-mode=color_grayscale"_s;
        const QString normalize = u"--normalize-illumination"_s;
        const auto options = [](const QStringList &parts) {
            return parts.join(u' ').split(u' ', Qt::SkipEmptyParts);
        };
        for (const bool book : {false, true}) {
            const QString layout = book ? spread : single;
            const char *name = book ? "spread" : "single page";
            QTest::addRow("%s, colour, auto contrast", name)
                << book << false << QVariant(true) << options({layout, colour, normalize});
            QTest::addRow("%s, colour, no auto contrast", name)
                << book << false << QVariant(false) << options({layout, colour});
            QTest::addRow("%s, colour, auto contrast not stored", name)
                << book << false << QVariant() << options({layout, colour, normalize});
            QTest::addRow("%s, black and white, auto contrast", name)
                << book << true << QVariant(true) << options({layout, bw});
            QTest::addRow("%s, black and white, no auto contrast", name)
                << book << true << QVariant(false) << options({layout, bw});
        }
    }

    void arguments()
    {
        QFETCH(bool, book);
        QFETCH(bool, blackAndWhite);
        QFETCH(QVariant, autoContrast);
        QFETCH(QStringList, options);
        if (autoContrast.isValid())
            writeSetting(Settings::AutoContrast, autoContrast);
        else
            QSettings().remove(QLatin1String(Settings::AutoContrast.name));

        // An earlier run's result and input, which must not pass for this run's.
        QVERIFY(QDir().mkpath(m_outputFolder));
        QVERIFY(filled(SingleSize).save(m_outputFolder + u"/proc.tif"_s));
        QVERIFY(writeFile(m_inputFile + u".old"_s, QByteArray()));
        // The fake copies the input it got, to show what was saved before it ran.
        const QString program = processor("cp \"$input\" '%DIR%/input-seen.tif'");

        const ProcessedPages processed =
            processScannedPage(filled(PageSize), book, blackAndWhite, {program, Enough});

        QCOMPARE(recordedArguments(),
                 options + u"--white-margins --margins=1 --dpi=200 --output-dpi=200"_s.split(u' ')
                     << m_inputFile << m_outputFolder);
        QCOMPARE(sizes(processed.pages), QList<QSize>{PageSize});
        QVERIFY(!QFile::exists(m_inputFile + u".old"_s));
        QImageReader reader(m_dir.filePath(u"input-seen.tif"_s));
        QCOMPARE(reader.format(), QByteArray("tiff"));
        const QImage input = reader.read();
        QCOMPARE(input.size(), PageSize);
        QCOMPARE(qRound(input.dotsPerMeterX() * 0.0254), Dpi);
    }

    void results_data()
    {
        QTest::addColumn<bool>("book");
        QTest::addColumn<QByteArray>("body"); // null: no processor there
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("inTheWay"); // a folder left in the output folder
        QTest::addColumn<QList<QSize>>("expected");
        QTest::addColumn<QString>("problem"); // part of the reason; empty: none given

        const QByteArray single = "cp '%DIR%/single.tif' \"$out/proc.tif\"";
        const QByteArray left = "cp '%DIR%/left.tif' \"$out/proc_1L.tif\"";
        const QByteArray right = "cp '%DIR%/right.tif' \"$out/proc_2R.tif\"";
        const QByteArray failing = "\necho 'quillary-pageproc: disk full' >&2; exit 1";
        const QByteArray crashing = "\nkill -KILL $$"; // dies by a signal, as in a crash
        // A hung processor is killed at the time limit, whatever it wrote by then.
        const QByteArray hang = "\necho $$ > '%DIR%/pid'\nexec sleep 60";
        const QList<QSize> unprocessed{PageSize}; // whenever the processor can't help
        const QString none;
        const QString unreadable = u"without a readable result"_s;
        const QString stopped = u"stopped unexpectedly"_s;
        const QString tooLong = u"took longer than 1 second"_s;
        const auto add = [](const char *name, bool book, const QByteArray &body,
                            const QList<QSize> &expected, const QString &problem) {
            row(name, book, body, true, QString(), expected, problem);
        };
        add("single result", false, single, {SingleSize}, none);
        add("spread, both halves, left first", true, right + "\n" + left, {LeftSize, RightSize},
            none);
        add("spread, only the left half", true, left, unprocessed, unreadable);
        add("spread, only the right half", true, right, unprocessed, unreadable);
        add("spread, left half, then fails", true, left + failing, unprocessed,
            u"failed: quillary-pageproc: disk full"_s);
        add("spread, left half, then crashes", true, left + crashing, unprocessed, stopped);
        add("spread, left half, then killed at the time limit", true, left + hang, unprocessed,
            tooLong);
        add("spread, both halves, then fails", true, left + "\n" + right + "\nexit 1", unprocessed,
            u"exit status 1"_s);
        add("single result, then fails", false, single + failing, unprocessed, u"disk full"_s);
        add("single result, then crashes", false, single + crashing, unprocessed, stopped);
        add("single result, then killed at the time limit", false, single + hang, unprocessed,
            tooLong);
        add("single page with a spread's results", false, left + "\n" + right, unprocessed,
            unreadable);
        add("spread with a single page's result", true, single, unprocessed, unreadable);
        add("no result", false, "exit 0", unprocessed, unreadable);
        add("spread, no result", true, "exit 0", unprocessed, unreadable);
        add("result is not an image", false, "echo junk > \"$out/proc.tif\"", unprocessed,
            unreadable);
        // An old entry that can't be cleared might pass for this run's result: not run at all.
        row("spread, a folder where the right half goes", true, left, true, u"proc_2R.tif"_s,
            unprocessed, u"could not be emptied"_s);
        row("processor not executable", false, single, false, none, unprocessed,
            u"could not be started"_s);
        // Nothing to tell: a missing processor is how the program is installed, not a failure.
        add("processor missing", true, QByteArray(), unprocessed, none);
    }

    void results()
    {
        QFETCH(bool, book);
        QFETCH(QByteArray, body);
        QFETCH(bool, executable);
        QFETCH(QString, inTheWay);
        QFETCH(QList<QSize>, expected);
        QFETCH(QString, problem);
        const QString pidPath = m_dir.filePath(u"pid"_s);
        QFile::remove(pidPath);
        const QString blocker = m_outputFolder + u'/' + inTheWay;
        QVERIFY(inTheWay.isEmpty() || QDir().mkpath(blocker));
        const bool hangs = body.contains("sleep");
        const QString program =
            body.isNull() ? m_dir.filePath(u"missing.sh"_s) : processor(body, executable);

        const ProcessedPages processed =
            processScannedPage(filled(PageSize), book, false, {program, hangs ? 1000 : Enough});

        if (!inTheWay.isEmpty())
            QDir(blocker).removeRecursively();
        QCOMPARE(sizes(processed.pages), expected);
        QVERIFY2(problem.isEmpty() ? processed.problem.isEmpty()
                                   : processed.problem.contains(problem),
                 qPrintable(processed.problem));
        QFile pid(pidPath);
        QVERIFY(!hangs || pid.open(QIODevice::ReadOnly));
        const QByteArray running = hangs ? "/proc/" + pid.readAll().trimmed() : QByteArray();
        QVERIFY2(!hangs || (running.size() > 6 && !QFile::exists(QFile::decodeName(running))),
                 "the processor still runs");
    }

    void nullPageGivesNothing()
    {
        QVERIFY(processScannedPage(QImage(), false, false, {processor("exit 0"), Enough})
                    .pages.isEmpty());
        QVERIFY(!QFile::exists(m_dir.filePath(u"arguments"_s)));
    }

    void compatibleProcessorIsFoundOnPath()
    {
        // No quillary-pageproc sits beside the test program, so PATH decides.
        const QByteArray path = qgetenv("PATH");
        const QString folder = m_dir.filePath(u"bin"_s);
        QVERIFY(QDir().mkpath(folder));
        const QString compatible = folder + u"/scantailor-cli"_s;
        QVERIFY(QFile::copy(processor("exit 0"), compatible));
        QVERIFY(QFile::setPermissions(compatible, QFile::ReadOwner | QFile::ExeOwner));

        qputenv("PATH", QFile::encodeName(folder));
        const QString found = defaultPageProcessor();
        qputenv("PATH", QFile::encodeName(m_dir.filePath(u"empty"_s)));
        const QString none = defaultPageProcessor();
        qputenv("PATH", path);

        QCOMPARE(found, compatible);
        QCOMPARE(none, QString());
    }
};

QTEST_GUILESS_MAIN(TestPostProcess)
#include "tst_postprocess.moc"
