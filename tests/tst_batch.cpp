// quillary-batch run as a user's script runs it; what it writes is read by independent tools.
#include "PdfTestTools.h"
#include "TestHelpers.h"

#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

using namespace PdfTestTools;

namespace {
struct Run
{
    int status = -1;
    QString out;
    QStringList errorLines;
};

Run runBatch(const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(QUILLARY_BATCH), arguments);
    Run run;
    if (!process.waitForFinished(240000))
        return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.errorLines =
        QString::fromUtf8(process.readAllStandardError()).split(u'\n', Qt::SkipEmptyParts);
    return run;
}

// The width of every page of a written document, in page order, read by a tool of its own.
QList<int> pageWidths(const QString &format, const QString &output)
{
    QList<int> widths;
    const auto collect = [&widths](const QString &text, const QString &pattern) {
        QRegularExpressionMatchIterator it = QRegularExpression(pattern).globalMatch(text);
        while (it.hasNext())
            widths << it.next().captured(1).toInt();
    };
    if (format == QLatin1String("pdf")) {
        for (const ImageRow &image : pdfImages(output))
            widths << image.width;
    } else if (format == QLatin1String("compact")) {
        // A page's background, at a quarter of the page's resolution for "small", comes first
        // (the test pages' widths are multiples of four).
        int page = 0;
        for (const ImageRow &image : pdfImages(output)) {
            if (image.page != page && image.encoding == QLatin1String("jpeg"))
                widths << image.width * 4;
            else if (image.page != page)
                widths << image.width; // a black-and-white page, as JBIG2
            page = image.page;
        }
    } else if (format == QLatin1String("djvu")) {
        collect(run(QStringLiteral("djvudump"), {output}), QStringLiteral("DjVu (\\d+)x\\d+"));
    } else if (format == QLatin1String("docx")) {
        // The pictures in the order the document shows them, through their relationships.
        const QString script = QStringLiteral(
            "import re,sys,zipfile,subprocess\n"
            "z=zipfile.ZipFile(sys.argv[1]);d=z.read('word/document.xml').decode()\n"
            "r=dict(re.findall(r'Id=\"(\\w+)\"[^>]*Target=\"([^\"]+)\"',"
            "z.read('word/_rels/document.xml.rels').decode()))\n"
            "for i in re.findall(r'r:embed=\"(\\w+)\"',d):\n"
            " print(subprocess.run(['identify','-format','%w\\n','-'],input=z.read('word/'+r[i]),"
            "capture_output=True).stdout.decode().strip())\n");
        collect(run(QStringLiteral("python3"), {QStringLiteral("-c"), script, output}),
                QStringLiteral("(\\d+)"));
    } else {
        const QDir folder(output);
        for (const QString &file : folder.entryList(QDir::Files, QDir::Name))
            collect(run(QStringLiteral("identify"),
                        {QStringLiteral("-format"), QStringLiteral("%w\n"), folder.filePath(file)}),
                    QStringLiteral("(\\d+)"));
    }
    return widths;
}

// A plain page of colour, at 100 dpi.
QImage plainPage(int width, const QColor &colour)
{
    QImage page = atDpi(a4Page(100, false).scaledToWidth(width), 100);
    page.fill(colour);
    return page;
}
} // namespace

class TestBatch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_pages;
    QString m_text;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        m_pages = m_dir.filePath(QStringLiteral("pages"));
        QVERIFY(QDir().mkpath(m_pages));
        const QDir pages(m_pages);
        // Not a picture: named in a warning, never taken silently.
        QVERIFY(writeFile(pages.filePath(QStringLiteral("notes.txt")), "to do"));
        // Named so that plain name order is wrong: page10 comes last.
        QVERIFY(writeFile(pages.filePath(QStringLiteral("page1.jpg")),
                          encoded(plainPage(400, Qt::darkCyan), "JPEG")));
        QVERIFY(plainPage(420, Qt::yellow).save(m_dir.filePath(QStringLiteral("a.tif"))));
        QVERIFY(plainPage(440, Qt::gray).save(m_dir.filePath(QStringLiteral("b.tif"))));
        run(QStringLiteral("tiffcp"),
            {m_dir.filePath(QStringLiteral("a.tif")), m_dir.filePath(QStringLiteral("b.tif")),
             pages.filePath(QStringLiteral("page2.tif"))});
        QVERIFY(a4Page(100, true)
                    .scaledToWidth(480)
                    .convertToFormat(QImage::Format_Mono)
                    .save(pages.filePath(QStringLiteral("page10.tif"))));

        m_text = m_dir.filePath(QStringLiteral("text"));
        QVERIFY(QDir().mkpath(m_text));
        const QImage page =
            a4Page(300, minutes(8) + QStringLiteral("Протокол заседания правления."));
        QVERIFY(page.save(QDir(m_text).filePath(QStringLiteral("text.jpg")), "JPEG", 90));
    }

    // A folder of JPEG, multi-page TIFF and 1-bit pages in every format, in natural order.
    void documents_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("output");
        row("pdf by suffix", QStringList(), QStringLiteral("pdf"), QStringLiteral("out.pdf"));
        row("pdf with layout", words("--paper letter --fit keep --margin 1"), QStringLiteral("pdf"),
            QStringLiteral("layout.pdf"));
        row("compact pdf, pictures small", words("--pictures small"), QStringLiteral("compact"),
            QStringLiteral("compact.pdf"));
        row("docx", QStringList(), QStringLiteral("docx"), QStringLiteral("out.docx"));
        row("djvu", words("--djvu-quality 40"), QStringLiteral("djvu"), QStringLiteral("out.djvu"));
        row("images", words("--format images --image-format png"), QStringLiteral("images"),
            QStringLiteral("scans"));
    }

    void documents()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, format);
        QFETCH(QString, output);
        QTemporaryDir out;
        const QString path = out.filePath(output);
        const Run ran = runBatch(
            arguments + QStringList{QStringLiteral("--json"), m_pages, QStringLiteral("-o"), path},
            out.path());
        QVERIFY2(ran.status == 0, qPrintable(ran.errorLines.join(u'\n')));
        QCOMPARE(pageWidths(format, path), (QList<int>{400, 420, 440, 480}));
        const QJsonObject summary = QJsonDocument::fromJson(ran.out.toUtf8()).object();
        QCOMPARE(summary.value(QStringLiteral("pages")).toInt(), 4);
        QVERIFY(summary.value(QStringLiteral("bytes")).toInteger() > 0);
        const QJsonArray warnings = summary.value(QStringLiteral("warnings")).toArray();
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.first().toString().contains(QLatin1String("notes.txt: skipped")));
        QVERIFY(ran.errorLines.contains(QStringLiteral("quillary-batch: warning: ") +
                                        warnings.first().toString()));
        // Nothing but the output is left beside it.
        QCOMPARE(entries(out.path()), QStringList{output});
        if (format == QLatin1String("pdf")) {
            run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
            // The JPEG page is in the file byte for byte.
            run(QStringLiteral("pdfimages"), words("-all -f 1 -l 1")
                                                 << path << out.filePath(QStringLiteral("x")));
            QCOMPARE(contentOf(out.filePath(QStringLiteral("x-000.jpg"))),
                     contentOf(QDir(m_pages).filePath(QStringLiteral("page1.jpg"))));
        }
    }

    // Searchable PDFs: the recognised words are in the text layer. Scans from SANE's test
    // device, whose feeder runs empty after ten sheets.
    void pdfs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QStringList>("words");
        const QStringList scan = words("--scan=test:0 --source feeder --mode gray --resolution 50");
        row("ocr eng", words("--ocr eng") << m_text, 1, QStringList{QStringLiteral("bridge")});
        row("ocr eng+rus", words("--ocr eng+rus") << m_text, 1,
            QStringList{QStringLiteral("bridge"), QStringLiteral("заседания")});
        row("scan, feeder until empty", scan, 10, QStringList());
        row("scan, three pages", scan + words("--pages 3"), 3, QStringList());
    }

    void pdfs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, pages);
        QFETCH(QStringList, words);
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("out.pdf"));
        const Run ran = runBatch(arguments + QStringList{QStringLiteral("-o"), pdf}, out.path());
        QVERIFY2(ran.status == 0, qPrintable(ran.errorLines.join(u'\n')));
        QCOMPARE(pdfinfoPages(pdf), pages);
        const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        for (const QString &word : words)
            QVERIFY2(text.contains(word), qPrintable(text));
    }

    // Each failure: its exit status, one line naming what failed, no output, an earlier
    // output untouched and nothing left beside it.
    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("place"); // plain, readonly (mounted read-only), full (64 KB)
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("named");
        const QString plain = QStringLiteral("plain");
        // Inputs are named from the folder the output goes to.
        row("missing input", words("../nothere.jpg -o out.pdf"), plain, 1, "nothere.jpg: missing");
        row("not a picture", words("../notes.jpg -o out.pdf"), plain, 1,
            "notes.jpg: not a picture");
        row("cut-off JPEG", words("../cut.jpg -o out.pdf"), plain, 1,
            "cut.jpg: the file is incomplete");
        row("no such scanner", words("--scan=nosuch -o out.pdf"), plain, 1, "nosuch: ");
        row("unknown option", words("--bogus ../in.jpg -o out.pdf"), plain, 2, "bogus");
        row("unknown picture level", words("--pictures huge ../in.jpg -o out.pdf"), plain, 2,
            "--pictures huge");
        row("unknown suffix", words("../in.jpg -o out.xyz"), plain, 2, "out.xyz: unknown format");
        row("unknown format", words("--format gif ../in.jpg -o out.pdf"), plain, 2,
            "gif: unknown format");
        row("no input", words("-o out.pdf"), plain, 2, "no input");
        row("no output", words("../in.jpg"), plain, 2, "no output");
        row("missing language", words("--ocr eng+xyz ../in.jpg -o out.pdf"), plain, 2,
            "xyz: recognition language not installed");
        row("read-only folder", words("../in.jpg -o out.pdf"), QStringLiteral("readonly"), 1,
            "out.pdf: cannot be written");
        row("full disk", words("../in.jpg -o out.pdf"), QStringLiteral("full"), 1,
            "out.pdf: cannot be written: the disk is full");
    }

    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, place);
        QFETCH(int, status);
        QFETCH(QString, named);
        QTemporaryDir out;
        QVERIFY(writeFile(out.filePath(QStringLiteral("notes.jpg")), "shopping list"));
        const QByteArray jpeg = encoded(a4Page(150, true), "JPEG");
        QVERIFY(writeFile(out.filePath(QStringLiteral("in.jpg")), jpeg));
        QVERIFY(writeFile(out.filePath(QStringLiteral("cut.jpg")), jpeg.left(jpeg.size() / 2)));
        const QString target = out.filePath(QStringLiteral("target"));
        QVERIFY(QDir().mkpath(target));
        const QByteArray folder = QFile::encodeName(target);
        if (place != QLatin1String("plain")) {
            if (geteuid() != 0)
                QSKIP("a small file system can only be mounted by root");
            if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP("this system refuses to mount a small file system");
        }
        const auto unmount = qScopeGuard([&] {
            if (place != QLatin1String("plain"))
                umount2(folder.constData(), MNT_DETACH);
        });
        const QByteArray old("the earlier document");
        QVERIFY(writeFile(QDir(target).filePath(QStringLiteral("out.pdf")), old));
        if (place == QLatin1String("readonly"))
            QCOMPARE(mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                     0);
        const Run ran = runBatch(arguments, target);
        QCOMPARE(ran.status, status);
        // One line says what failed; any other is a progress line of pages written before.
        const QStringList told =
            ran.errorLines.filter(QRegularExpression(QStringLiteral("^quillary-batch: ")));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(named), qPrintable(told.first()));
        QCOMPARE(
            ran.errorLines.filter(QRegularExpression(QStringLiteral("^page \\d+ of \\d+$"))).size(),
            ran.errorLines.size() - 1);
        QCOMPARE(contentOf(QDir(target).filePath(QStringLiteral("out.pdf"))), old);
        QCOMPARE(entries(target), QStringList{QStringLiteral("out.pdf")});
    }

    // Ctrl+C in the middle of a long run: 130, the earlier output as it was, nothing left.
    void interrupt()
    {
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("long.pdf"));
        const QByteArray old("the earlier document");
        QVERIFY(writeFile(pdf, old));
        const QString page = QDir(m_text).filePath(QStringLiteral("text.jpg"));
        QProcess process;
        process.setWorkingDirectory(out.path());
        process.start(QStringLiteral(QUILLARY_BATCH), words("--ocr eng") + QStringList(40, page) +
                                                          QStringList{QStringLiteral("-o"), pdf});
        QVERIFY(process.waitForStarted());
        // Interrupted once the document is being written: its first progress line is out.
        process.setReadChannel(QProcess::StandardError);
        QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 60000);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 130);
        QCOMPARE(contentOf(pdf), old);
        QCOMPARE(entries(out.path()), QStringList{QStringLiteral("long.pdf")});
    }

    // Two runs at once, as xargs -P starts them, while a window holds its work folder: both
    // complete, and neither they nor the window disturb one another.
    void sideBySide()
    {
        const QString work = QDir::homePath() + QStringLiteral("/.local/share/Plenwick/Quillary");
        const auto listing = [&work] {
            QStringList entries;
            for (QDirIterator it(work, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                 QDirIterator::Subdirectories);
                 it.hasNext();)
                entries << it.next();
            entries.sort();
            return entries;
        };
        QProcess window;
        window.start(QStringLiteral(QUILLARY_EXECUTABLE), QStringList());
        QVERIFY(window.waitForStarted());
        const auto endWindow = qScopeGuard([&window] {
            window.kill();
            window.waitForFinished();
        });
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(work + QStringLiteral("/Current")), 20000);
        QTest::qWait(500);
        const QStringList before = listing();

        QTemporaryDir out;
        QList<QProcess *> runs;
        // The second cleans its pages: the page processor's files stay out of the window's.
        for (const QString &name : {QStringLiteral("a.pdf"), QStringLiteral("b.pdf")}) {
            auto *process = new QProcess(this);
            process->start(QStringLiteral(QUILLARY_BATCH),
                           {name == QLatin1String("a.pdf") ? QStringLiteral("--quiet")
                                                           : QStringLiteral("--clean"),
                            m_pages, QStringLiteral("-o"), out.filePath(name)});
            runs << process;
        }
        for (QProcess *process : runs) {
            QVERIFY(process->waitForFinished(120000));
            QCOMPARE(process->exitCode(), 0);
            // The notes.txt warning; progress lines may follow it.
            QVERIFY(process->readAllStandardError().contains("notes.txt: skipped"));
            delete process;
        }
        QCOMPARE(pdfinfoPages(out.filePath(QStringLiteral("a.pdf"))), 4);
        QCOMPARE(pdfinfoPages(out.filePath(QStringLiteral("b.pdf"))), 4);
        QCOMPARE(window.state(), QProcess::Running);
        QCOMPARE(listing(), before);
    }

    // --help and --version answer without a window: no display is there to open one.
    void information_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("expected");
        const QString window = QStringLiteral(QUILLARY_EXECUTABLE);
        const QString batch = QStringLiteral(QUILLARY_BATCH);
        row("window help", window, QStringLiteral("--help"), QStringLiteral("Usage: quillary"));
        row("window version", window, QStringLiteral("--version"), QStringLiteral("quillary 1"));
        row("batch help", batch, QStringLiteral("--help"), QStringLiteral("--djvu-quality"));
        row("batch version", batch, QStringLiteral("--version"),
            QStringLiteral("quillary-batch 1"));
    }

    void information()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QString, expected);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("DISPLAY"));
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        process.setProcessEnvironment(environment);
        process.start(program, {option});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 0);
        const QString said = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(said.contains(expected), qPrintable(said));
    }
};

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
