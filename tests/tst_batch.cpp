// The console program quillary-batch, run as a user's script runs it: documents of every
// format read back by independent tools, searchable PDFs, every failure's exit status and
// single line with nothing left behind, Ctrl+C, and two runs side by side. Also the window
// program's --help and --version, which must answer without a display.

#include "PdfTestTools.h"
#include "TestHelpers.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

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

QString tool(const QString &program, const QStringList &arguments)
{
    return PdfTestTools::run(program, arguments);
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
        for (const PdfTestTools::ImageRow &image : PdfTestTools::pdfImages(output))
            widths << image.width;
    } else if (format == QLatin1String("compact")) {
        // A page's background, at a quarter of the page's resolution for "small", comes first
        // (the test pages' widths are multiples of four).
        int page = 0;
        for (const PdfTestTools::ImageRow &image : PdfTestTools::pdfImages(output)) {
            if (image.page != page && image.encoding == QLatin1String("jpeg"))
                widths << image.width * 4;
            else if (image.page != page)
                widths << image.width; // a black-and-white page, as JBIG2
            page = image.page;
        }
    } else if (format == QLatin1String("djvu")) {
        collect(tool(QStringLiteral("djvudump"), {output}), QStringLiteral("DjVu (\\d+)x\\d+"));
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
        collect(tool(QStringLiteral("python3"), {QStringLiteral("-c"), script, output}),
                QStringLiteral("(\\d+)"));
    } else {
        const QDir folder(output);
        for (const QString &file : folder.entryList(QDir::Files, QDir::Name))
            collect(
                tool(QStringLiteral("identify"),
                     {QStringLiteral("-format"), QStringLiteral("%w\n"), folder.filePath(file)}),
                QStringLiteral("(\\d+)"));
    }
    return widths;
}

QImage drawnPage(int width, const QColor &colour)
{
    QImage page = a4Page(100, false).scaledToWidth(width);
    page.setDotsPerMeterX(qRound(100 / 0.0254));
    page.setDotsPerMeterY(qRound(100 / 0.0254));
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
                          encoded(drawnPage(400, Qt::darkCyan), "JPEG")));
        QVERIFY(drawnPage(420, Qt::yellow).save(m_dir.filePath(QStringLiteral("a.tif"))));
        QVERIFY(drawnPage(440, Qt::gray).save(m_dir.filePath(QStringLiteral("b.tif"))));
        tool(QStringLiteral("tiffcp"),
             {m_dir.filePath(QStringLiteral("a.tif")), m_dir.filePath(QStringLiteral("b.tif")),
              pages.filePath(QStringLiteral("page2.tif"))});
        QVERIFY(a4Page(100, true)
                    .scaledToWidth(480)
                    .convertToFormat(QImage::Format_Mono)
                    .save(pages.filePath(QStringLiteral("page10.tif"))));

        m_text = m_dir.filePath(QStringLiteral("text"));
        QVERIFY(QDir().mkpath(m_text));
        QImage page = a4Page(300, true);
        {
            QPainter painter(&page);
            QFont font(QStringLiteral("DejaVu Serif"));
            font.setPixelSize(14 * 300 / 72);
            painter.setFont(font);
            painter.drawText(QPoint(300, 3000), QStringLiteral("Протокол заседания правления"));
        }
        QVERIFY(page.save(QDir(m_text).filePath(QStringLiteral("text.jpg")), "JPEG", 90));
    }

    // A folder of JPEG, multi-page TIFF and 1-bit pages in every format, in natural order.
    void documents_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("output");
        row("pdf by suffix", QStringList(), QStringLiteral("pdf"), QStringLiteral("out.pdf"));
        row("pdf with layout",
            QStringList{QStringLiteral("--paper"), QStringLiteral("letter"),
                        QStringLiteral("--fit"), QStringLiteral("keep"), QStringLiteral("--margin"),
                        QStringLiteral("1")},
            QStringLiteral("pdf"), QStringLiteral("layout.pdf"));
        row("compact pdf, pictures small",
            QStringList{QStringLiteral("--pictures"), QStringLiteral("small")},
            QStringLiteral("compact"), QStringLiteral("compact.pdf"));
        row("docx", QStringList(), QStringLiteral("docx"), QStringLiteral("out.docx"));
        row("djvu", QStringList{QStringLiteral("--djvu-quality"), QStringLiteral("40")},
            QStringLiteral("djvu"), QStringLiteral("out.djvu"));
        row("images",
            QStringList{QStringLiteral("--format"), QStringLiteral("images"),
                        QStringLiteral("--image-format"), QStringLiteral("png")},
            QStringLiteral("images"), QStringLiteral("scans"));
    }

    void documents()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, format);
        QFETCH(QString, output);
        QTemporaryDir out;
        const QString path = out.filePath(output);
        const Run run = runBatch(
            arguments + QStringList{QStringLiteral("--json"), m_pages, QStringLiteral("-o"), path},
            out.path());
        QVERIFY2(run.status == 0, qPrintable(run.errorLines.join(u'\n')));
        QCOMPARE(pageWidths(format, path), (QList<int>{400, 420, 440, 480}));
        const QJsonObject summary = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(summary.value(QStringLiteral("pages")).toInt(), 4);
        QVERIFY(summary.value(QStringLiteral("bytes")).toInteger() > 0);
        const QJsonArray warnings = summary.value(QStringLiteral("warnings")).toArray();
        QCOMPARE(warnings.size(), 1);
        QVERIFY(warnings.first().toString().contains(QLatin1String("notes.txt: skipped")));
        QVERIFY(run.errorLines.contains(QStringLiteral("quillary-batch: warning: ") +
                                        warnings.first().toString()));
        // Nothing but the output is left beside it.
        QCOMPARE(PdfTestTools::entries(out.path()), QStringList{output});
        if (format == QLatin1String("pdf")) {
            tool(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
            // The JPEG page is in the file byte for byte.
            tool(QStringLiteral("pdfimages"),
                 {QStringLiteral("-all"), QStringLiteral("-f"), QStringLiteral("1"),
                  QStringLiteral("-l"), QStringLiteral("1"), path,
                  out.filePath(QStringLiteral("x"))});
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
        const QString ocr = QStringLiteral("--ocr");
        const QStringList scan{QStringLiteral("--scan=test:0"),
                               QStringLiteral("--source"),
                               QStringLiteral("feeder"),
                               QStringLiteral("--mode"),
                               QStringLiteral("gray"),
                               QStringLiteral("--resolution"),
                               QStringLiteral("50")};
        row("ocr eng", QStringList{ocr, QStringLiteral("eng"), m_text}, 1,
            QStringList{QStringLiteral("bridge")});
        row("ocr eng+rus", QStringList{ocr, QStringLiteral("eng+rus"), m_text}, 1,
            QStringList{QStringLiteral("bridge"), QStringLiteral("заседания")});
        row("scan, feeder until empty", scan, 10, QStringList());
        row("scan, three pages", scan + QStringList{QStringLiteral("--pages"), QStringLiteral("3")},
            3, QStringList());
    }

    void pdfs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, pages);
        QFETCH(QStringList, words);
        QTemporaryDir out;
        const QString pdf = out.filePath(QStringLiteral("out.pdf"));
        const Run run = runBatch(arguments + QStringList{QStringLiteral("-o"), pdf}, out.path());
        QVERIFY2(run.status == 0, qPrintable(run.errorLines.join(u'\n')));
        QCOMPARE(PdfTestTools::pdfinfoPages(pdf), pages);
        const QString text = tool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
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
        const QString pdf = QStringLiteral("out.pdf");
        const QString o = QStringLiteral("-o");
        row("missing input", QStringList{QStringLiteral("nothere.jpg"), o, pdf},
            QStringLiteral("plain"), 1, QStringLiteral("nothere.jpg: missing"));
        row("not a picture", QStringList{QStringLiteral("notes.jpg"), o, pdf},
            QStringLiteral("plain"), 1, QStringLiteral("notes.jpg: not a picture"));
        row("cut-off JPEG", QStringList{QStringLiteral("cut.jpg"), o, pdf}, QStringLiteral("plain"),
            1, QStringLiteral("cut.jpg: the file is incomplete"));
        row("no such scanner", QStringList{QStringLiteral("--scan=nosuch"), o, pdf},
            QStringLiteral("plain"), 1, QStringLiteral("nosuch: "));
        row("unknown option",
            QStringList{QStringLiteral("--bogus"), QStringLiteral("in.jpg"), o, pdf},
            QStringLiteral("plain"), 2, QStringLiteral("bogus"));
        row("unknown picture level",
            QStringList{QStringLiteral("--pictures"), QStringLiteral("huge"), QStringLiteral("in.jpg"),
                        o, pdf},
            QStringLiteral("plain"), 2, QStringLiteral("--pictures huge"));
        row("unknown suffix", QStringList{QStringLiteral("in.jpg"), o, QStringLiteral("out.xyz")},
            QStringLiteral("plain"), 2, QStringLiteral("out.xyz: unknown format"));
        row("unknown format",
            QStringList{QStringLiteral("--format"), QStringLiteral("gif"), QStringLiteral("in.jpg"),
                        o, pdf},
            QStringLiteral("plain"), 2, QStringLiteral("gif: unknown format"));
        row("no input", QStringList{o, pdf}, QStringLiteral("plain"), 2,
            QStringLiteral("no input"));
        row("no output", QStringList{QStringLiteral("in.jpg")}, QStringLiteral("plain"), 2,
            QStringLiteral("no output"));
        row("missing language",
            QStringList{QStringLiteral("--ocr"), QStringLiteral("eng+xyz"),
                        QStringLiteral("in.jpg"), o, pdf},
            QStringLiteral("plain"), 2, QStringLiteral("xyz: recognition language not installed"));
        row("read-only folder", QStringList{QStringLiteral("in.jpg"), o, pdf},
            QStringLiteral("readonly"), 1, QStringLiteral("out.pdf: cannot be written"));
        row("full disk", QStringList{QStringLiteral("in.jpg"), o, pdf}, QStringLiteral("full"), 1,
            QStringLiteral("out.pdf: cannot be written: the disk is full"));
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
        // Inputs are named from the folder the output goes to.
        for (QString &argument : arguments) {
            if (argument.endsWith(QLatin1String(".jpg")))
                argument = QStringLiteral("../") + argument;
        }

        const Run run = runBatch(arguments, target);
        QCOMPARE(run.status, status);
        // One line says what failed; any other is a progress line of pages written before.
        const QStringList told =
            run.errorLines.filter(QRegularExpression(QStringLiteral("^quillary-batch: ")));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(named), qPrintable(told.first()));
        QCOMPARE(
            run.errorLines.filter(QRegularExpression(QStringLiteral("^page \\d+ of \\d+$"))).size(),
            run.errorLines.size() - 1);
        QCOMPARE(contentOf(QDir(target).filePath(QStringLiteral("out.pdf"))), old);
        QCOMPARE(PdfTestTools::entries(target), QStringList{QStringLiteral("out.pdf")});
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
        process.start(QStringLiteral(QUILLARY_BATCH),
                      QStringList{QStringLiteral("--ocr"), QStringLiteral("eng")} +
                          QStringList(40, page) + QStringList{QStringLiteral("-o"), pdf});
        QVERIFY(process.waitForStarted());
        // Interrupted once the document is being written: its first progress line is out.
        process.setReadChannel(QProcess::StandardError);
        QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 60000);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 130);
        QCOMPARE(contentOf(pdf), old);
        QCOMPARE(PdfTestTools::entries(out.path()), QStringList{QStringLiteral("long.pdf")});
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
        QCOMPARE(PdfTestTools::pdfinfoPages(out.filePath(QStringLiteral("a.pdf"))), 4);
        QCOMPARE(PdfTestTools::pdfinfoPages(out.filePath(QStringLiteral("b.pdf"))), 4);
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
