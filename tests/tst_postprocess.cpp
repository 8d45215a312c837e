// Fake page processors (shell scripts) record their arguments and write chosen results.
#include "PageProcessing.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

using namespace Qt::StringLiterals;

namespace {
const QSize PageSize(60, 80);
const QSize SingleSize(30, 40);
const QSize LeftSize(31, 41);
const QSize RightSize(32, 42);
constexpr int Dpi = 200;
constexpr int Enough = 20000;

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

    // Records its arguments, the last two being input and output, then runs body (%DIR%: ours).
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

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        m_inputFile = data + u"/Processing/proc.tif"_s;
        m_outputFolder = data + u"/Processing/output"_s;
        QVERIFY(drawnPage(SingleSize, PageKind::Colour, Dpi).save(m_dir.filePath(u"single.tif"_s)));
        QVERIFY(drawnPage(LeftSize, PageKind::Colour, Dpi).save(m_dir.filePath(u"left.tif"_s)));
        QVERIFY(drawnPage(RightSize, PageKind::Colour, Dpi).save(m_dir.filePath(u"right.tif"_s)));
    }

    void init()
    {
        for (const QString &name : {u"arguments"_s, u"pid"_s})
            QFile::remove(m_dir.filePath(name));
        writeSetting(Settings::AutoContrast, true);
    }

    void arguments_data()
    {
        QTest::addColumn<bool>("book");
        QTest::addColumn<bool>("blackAndWhite");
        QTest::addColumn<int>("autoContrast"); // -1: not stored
        QTest::addColumn<QString>("options");

        for (const bool book : {false, true}) {
            const char *name = book ? "spread" : "single page";
            const QString layout = book ? u"-l=2 --orientation=left"_s : u"-l=1"_s;
            const QString colour = layout + u" --color-mode=color_grayscale"_s;
            const QString bw = layout + u" --color-mode=black_and_white"_s;
            const QString even = colour + u" --normalize-illumination"_s;
            QTest::addRow("%s, colour, auto contrast", name) << book << false << 1 << even;
            QTest::addRow("%s, colour, no auto contrast", name) << book << false << 0 << colour;
            QTest::addRow("%s, colour, auto contrast unset", name) << book << false << -1 << even;
            QTest::addRow("%s, black and white, auto contrast", name) << book << true << 1 << bw;
            QTest::addRow("%s, black and white, no auto contrast", name) << book << true << 0 << bw;
        }
    }

    void arguments()
    {
        QFETCH(bool, book);
        QFETCH(bool, blackAndWhite);
        QFETCH(int, autoContrast);
        QFETCH(QString, options);
        if (autoContrast < 0)
            QSettings().remove(QLatin1String(Settings::AutoContrast.name));
        else
            writeSetting(Settings::AutoContrast, autoContrast == 1);

        // An earlier run's result and input, which must not pass for this run's.
        QVERIFY(QDir().mkpath(m_outputFolder));
        QVERIFY(drawnPage(SingleSize, PageKind::Colour, Dpi).save(m_outputFolder + u"/proc.tif"_s));
        QVERIFY(writeFile(m_inputFile + u".old"_s, QByteArray()));
        // The fake copies the input it got, to show what was saved before it ran.
        const QString program = processor("cp \"$input\" '%DIR%/input-seen.tif'");

        const ProcessedPages processed = processScannedPage(
            drawnPage(PageSize, PageKind::Colour, Dpi), book, blackAndWhite, {program, Enough});

        const QString said = QString::fromLocal8Bit(contentOf(m_dir.filePath(u"arguments"_s)));
        QCOMPARE(
            said.split(u'\n', Qt::SkipEmptyParts),
            (options + u" --white-margins --margins=1 --dpi=200 --output-dpi=200"_s).split(u' ')
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
        const QString none;
        const QString unreadable = u"without a readable result"_s;
        const QString stopped = u"stopped unexpectedly"_s;
        const QString tooLong = u"took longer than 1 second"_s;
        // The scan as it came, whenever the processor can't help.
        const auto unprocessed = [](const char *name, bool book, const QByteArray &body,
                                    const QString &problem) {
            row(name, book, body, true, QString(), QList<QSize>{PageSize}, problem);
        };
        row("single result", false, single, true, none, QList<QSize>{SingleSize}, none);
        row("spread, both halves, left first", true, right + "\n" + left, true, none,
            QList<QSize>{LeftSize, RightSize}, none);
        unprocessed("spread, only the left half", true, left, unreadable);
        unprocessed("spread, only the right half", true, right, unreadable);
        unprocessed("spread, left half, then fails", true, left + failing,
                    u"failed: quillary-pageproc: disk full"_s);
        unprocessed("spread, left half, then crashes", true, left + crashing, stopped);
        unprocessed("spread, left half, then killed at the time limit", true, left + hang, tooLong);
        unprocessed("spread, both halves, then fails", true, left + "\n" + right + "\nexit 1",
                    u"exit status 1"_s);
        unprocessed("single result, then fails", false, single + failing, u"disk full"_s);
        unprocessed("single result, then crashes", false, single + crashing, stopped);
        unprocessed("single result, then killed at the time limit", false, single + hang, tooLong);
        unprocessed("single page with a spread's results", false, left + "\n" + right, unreadable);
        unprocessed("spread with a single page's result", true, single, unreadable);
        unprocessed("no result", false, "exit 0", unreadable);
        unprocessed("spread, no result", true, "exit 0", unreadable);
        unprocessed("result is not an image", false, "echo junk > \"$out/proc.tif\"", unreadable);
        // An old entry that can't be cleared might pass for this run's result: not run at all.
        row("spread, a folder where the right half goes", true, left, true, u"proc_2R.tif"_s,
            QList<QSize>{PageSize}, u"could not be emptied"_s);
        row("processor not executable", false, single, false, none, QList<QSize>{PageSize},
            u"could not be started"_s);
        // Nothing to tell: a missing processor is how the program is installed, not a failure.
        unprocessed("processor missing", true, QByteArray(), none);
    }

    void results()
    {
        QFETCH(bool, book);
        QFETCH(QByteArray, body);
        QFETCH(bool, executable);
        QFETCH(QString, inTheWay);
        QFETCH(QList<QSize>, expected);
        QFETCH(QString, problem);
        const QString blocker = m_outputFolder + u'/' + inTheWay;
        QVERIFY(inTheWay.isEmpty() || QDir().mkpath(blocker));
        const bool hangs = body.contains("sleep");
        const QString program =
            body.isNull() ? m_dir.filePath(u"missing.sh"_s) : processor(body, executable);

        const ProcessedPages processed =
            processScannedPage(drawnPage(PageSize, PageKind::Colour, Dpi), book, false,
                               {program, hangs ? 1000 : Enough});

        if (!inTheWay.isEmpty())
            QDir(blocker).removeRecursively();
        QCOMPARE(sizes(processed.pages), expected);
        QVERIFY2(problem.isEmpty() ? processed.problem.isEmpty()
                                   : processed.problem.contains(problem),
                 qPrintable(processed.problem));
        const QString pid = QString::fromLatin1(contentOf(m_dir.filePath(u"pid"_s)).trimmed());
        QVERIFY2(!hangs || (!pid.isEmpty() && !QFile::exists(u"/proc/"_s + pid)),
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
