// quillary-batch run as a user's script runs it; what it writes is read by independent tools.
#include "PdfTestTools.h"
#include "TestHelpers.h"

#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

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
    if (format == "pdf"_L1) {
        for (const ImageRow &image : pdfImages(output))
            widths << image.width;
    } else if (format == "compact"_L1) {
        // A page's background comes first, at a quarter of its width for "small".
        int page = 0;
        for (const ImageRow &image : pdfImages(output)) {
            if (image.page != page) // a black-and-white page: one JBIG2 image, full width
                widths << image.width * (image.encoding == "jpeg"_L1 ? 4 : 1);
            page = image.page;
        }
    } else if (format == "djvu"_L1) {
        collect(run(u"djvudump"_s, {output}), u"DjVu (\\d+)x\\d+"_s);
    } else if (format == "docx"_L1) {
        // The pictures in the order the document shows them, through their relationships.
        const QString script = QStringLiteral(
            "import re,sys,zipfile,subprocess\n"
            "z=zipfile.ZipFile(sys.argv[1]);d=z.read('word/document.xml').decode()\n"
            "r=dict(re.findall(r'Id=\"(\\w+)\"[^>]*Target=\"([^\"]+)\"',"
            "z.read('word/_rels/document.xml.rels').decode()))\n"
            "for i in re.findall(r'r:embed=\"(\\w+)\"',d):\n"
            " print(subprocess.run(['identify','-format','%w\\n','-'],input=z.read('word/'+r[i]),"
            "capture_output=True).stdout.decode().strip())\n");
        collect(run(u"python3"_s, {u"-c"_s, script, output}), u"(\\d+)"_s);
    } else {
        const QDir folder(output);
        for (const QString &file : folder.entryList(QDir::Files, QDir::Name))
            collect(run(u"identify"_s, {u"-format"_s, u"%w\n"_s, folder.filePath(file)}),
                    u"(\\d+)"_s);
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
        m_pages = m_dir.filePath(u"pages"_s);
        QVERIFY(QDir().mkpath(m_pages));
        const QDir pages(m_pages);
        // Not a picture: named in a warning, never taken silently.
        QVERIFY(writeFile(pages.filePath(u"notes.txt"_s), "to do"));
        // Named so that plain name order is wrong: page10 comes last.
        QVERIFY(writeFile(pages.filePath(u"page1.jpg"_s),
                          encoded(plainPage(400, Qt::darkCyan), "JPEG")));
        QVERIFY(plainPage(420, Qt::yellow).save(m_dir.filePath(u"a.tif"_s)));
        QVERIFY(plainPage(440, Qt::gray).save(m_dir.filePath(u"b.tif"_s)));
        run(u"tiffcp"_s, {m_dir.filePath(u"a.tif"_s), m_dir.filePath(u"b.tif"_s),
                          pages.filePath(u"page2.tif"_s)});
        QVERIFY(a4Page(100, true)
                    .scaledToWidth(480)
                    .convertToFormat(QImage::Format_Mono)
                    .save(pages.filePath(u"page10.tif"_s)));

        m_text = m_dir.filePath(u"text"_s);
        QVERIFY(QDir().mkpath(m_text));
        const QImage page = a4Page(300, minutes(8) + u"Протокол заседания правления."_s);
        QVERIFY(page.save(QDir(m_text).filePath(u"text.jpg"_s), "JPEG", 90));
    }

    // A folder of mixed pages in every format, in natural order; OCR; SANE's test device,
    // whose feeder runs empty after ten sheets.
    void documents_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QList<int>>("widths"); // of the pages, in order
        const QStringList folder{m_pages};
        const QList<int> folderWidths{400, 420, 440, 480};
        const QStringList scan = words("--scan=test:0 --source feeder --mode gray --resolution 50");
        row("pdf by suffix", folder, u"out.pdf"_s, folderWidths);
        row("pdf with layout", words("--paper letter --fit keep --margin 1") + folder,
            u"layout.pdf"_s, folderWidths);
        row("compact pdf, pictures small", words("--pictures small") + folder, u"compact.pdf"_s,
            folderWidths);
        row("docx", folder, u"out.docx"_s, folderWidths);
        row("djvu", words("--djvu-quality 40") + folder, u"out.djvu"_s, folderWidths);
        row("images", words("--format images --image-format png") + folder, u"scans"_s,
            folderWidths);
        row("ocr eng+rus", words("--ocr eng+rus") << m_text, u"out.pdf"_s, QList<int>{2481});
        row("scan, feeder until empty", scan, u"out.pdf"_s, QList<int>(10, 78));
        row("scan, three pages", scan + words("--pages 3"), u"out.pdf"_s, QList<int>(3, 78));
    }

    void documents()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, output);
        QFETCH(QList<int>, widths);
        const QString format =
            arguments.contains(u"--pictures"_s) ? u"compact"_s : QFileInfo(output).suffix();
        QTemporaryDir out;
        const QString path = out.filePath(output);
        const Run ran = runBatch(arguments + QStringList{u"--json"_s, u"-o"_s, path}, out.path());
        QVERIFY2(ran.status == 0, qPrintable(ran.errorLines.join(u'\n')));
        QCOMPARE(pageWidths(format, path), widths);
        const QJsonObject summary = QJsonDocument::fromJson(ran.out.toUtf8()).object();
        QCOMPARE(summary.value(u"pages"_s).toInt(), widths.size());
        QVERIFY(summary.value(u"bytes"_s).toInteger() > 0);
        // Only the folder holds a file that is not a picture.
        const bool fromFolder = arguments.contains(m_pages);
        const QJsonArray warnings = summary.value(u"warnings"_s).toArray();
        QCOMPARE(warnings.size(), fromFolder ? 1 : 0);
        for (const QJsonValue &warning : warnings) {
            QVERIFY(warning.toString().contains("notes.txt: skipped"_L1));
            QVERIFY(ran.errorLines.contains(u"quillary-batch: warning: "_s + warning.toString()));
        }
        // Nothing but the output is left beside it.
        QCOMPARE(entries(out.path()), QStringList{output});
        if (format != "pdf"_L1)
            return;
        run(u"qpdf"_s, {u"--check"_s, path});
        QCOMPARE(pdfinfoPages(path), widths.size());
        // Words of both languages in the text layer, and none without recognition.
        const QString text = run(u"pdftotext"_s, {path, u"-"_s});
        for (const QString &word : {u"bridge"_s, u"заседания"_s})
            QVERIFY2(text.contains(word) == arguments.contains(u"--ocr"_s), qPrintable(text));
        if (fromFolder) {
            // The JPEG page is in the file byte for byte.
            run(u"pdfimages"_s, words("-all -f 1 -l 1") << path << out.filePath(u"x"_s));
            QCOMPARE(contentOf(out.filePath(u"x-000.jpg"_s)),
                     contentOf(QDir(m_pages).filePath(u"page1.jpg"_s)));
        }
    }

    // Each failure: its status, one line naming it, an earlier output untouched, nothing left.
    void failures_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("place"); // plain, readonly (mounted read-only), full (64 KB)
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("named");
        const QString plain = u"plain"_s;
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
        row("read-only folder", words("../in.jpg -o out.pdf"), u"readonly"_s, 1,
            "out.pdf: cannot be written");
        row("full disk", words("../in.jpg -o out.pdf"), u"full"_s, 1,
            "out.pdf: cannot be written: the disk is full");
    }

    void failures()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, place);
        QFETCH(int, status);
        QFETCH(QString, named);
        QTemporaryDir out;
        QVERIFY(writeFile(out.filePath(u"notes.jpg"_s), "shopping list"));
        const QByteArray jpeg = encoded(a4Page(150, true), "JPEG");
        QVERIFY(writeFile(out.filePath(u"in.jpg"_s), jpeg));
        QVERIFY(writeFile(out.filePath(u"cut.jpg"_s), jpeg.left(jpeg.size() / 2)));
        const QString target = out.filePath(u"target"_s);
        QVERIFY(QDir().mkpath(target));
        const QByteArray folder = QFile::encodeName(target);
        if (place != "plain"_L1) {
            if (geteuid() != 0)
                QSKIP("a small file system can only be mounted by root");
            if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=64k") != 0)
                QSKIP("this system refuses to mount a small file system");
        }
        const auto unmount = qScopeGuard([&] {
            if (place != "plain"_L1)
                umount2(folder.constData(), MNT_DETACH);
        });
        const QByteArray old("the earlier document");
        QVERIFY(writeFile(QDir(target).filePath(u"out.pdf"_s), old));
        if (place == "readonly"_L1)
            QCOMPARE(mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                     0);
        const Run ran = runBatch(arguments, target);
        QCOMPARE(ran.status, status);
        // One line says what failed; any other is a progress line of pages written before.
        const QStringList told = ran.errorLines.filter(QRegularExpression(u"^quillary-batch: "_s));
        QCOMPARE(told.size(), 1);
        QVERIFY2(told.first().contains(named), qPrintable(told.first()));
        QCOMPARE(ran.errorLines.filter(QRegularExpression(u"^page \\d+ of \\d+$"_s)).size(),
                 ran.errorLines.size() - 1);
        QCOMPARE(contentOf(QDir(target).filePath(u"out.pdf"_s)), old);
        QCOMPARE(entries(target), QStringList{u"out.pdf"_s});
    }

    // Ctrl+C in the middle of a long run: 130, the earlier output as it was, nothing left.
    void interrupt()
    {
        QTemporaryDir out;
        const QString pdf = out.filePath(u"long.pdf"_s);
        const QByteArray old("the earlier document");
        QVERIFY(writeFile(pdf, old));
        const QString page = QDir(m_text).filePath(u"text.jpg"_s);
        QProcess process;
        process.setWorkingDirectory(out.path());
        process.start(QStringLiteral(QUILLARY_BATCH),
                      words("--ocr eng") + QStringList(40, page) + QStringList{u"-o"_s, pdf});
        QVERIFY(process.waitForStarted());
        // Interrupted once the document is being written: its first progress line is out.
        process.setReadChannel(QProcess::StandardError);
        QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 60000);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 130);
        QCOMPARE(contentOf(pdf), old);
        QCOMPARE(entries(out.path()), QStringList{u"long.pdf"_s});
    }

    // Two runs at once (xargs -P) beside an open window: none disturbs another.
    void sideBySide()
    {
        const QString work = QDir::homePath() + u"/.local/share/Plenwick/Quillary"_s;
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
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(work + u"/Current"_s), 20000);
        QTest::qWait(500);
        const QStringList before = listing();

        QTemporaryDir out;
        QList<QProcess *> runs;
        // The second cleans its pages: the page processor's files stay out of the window's.
        for (const QString &name : {u"a.pdf"_s, u"b.pdf"_s}) {
            auto *process = new QProcess(this);
            process->start(QStringLiteral(QUILLARY_BATCH),
                           {name == "a.pdf"_L1 ? u"--quiet"_s : u"--clean"_s, m_pages, u"-o"_s,
                            out.filePath(name)});
            runs << process;
        }
        for (QProcess *process : runs) {
            QVERIFY(process->waitForFinished(120000));
            QCOMPARE(process->exitCode(), 0);
            // The notes.txt warning; progress lines may follow it.
            QVERIFY(process->readAllStandardError().contains("notes.txt: skipped"));
            delete process;
        }
        QCOMPARE(pdfinfoPages(out.filePath(u"a.pdf"_s)), 4);
        QCOMPARE(pdfinfoPages(out.filePath(u"b.pdf"_s)), 4);
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
        row("window help", window, u"--help"_s, u"Usage: quillary"_s);
        row("window version", window, u"--version"_s, u"quillary 1"_s);
        row("batch help", batch, u"--help"_s, u"--djvu-quality"_s);
        row("batch version", batch, u"--version"_s, u"quillary-batch 1"_s);
    }

    void information()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QString, expected);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
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
