// What the four exporters share: progress dialogs, destinations (records, paths, chooser,
// refusals, replacing files), the generator-based apply sequence and its private folder.
#include "DestinationSettings.h"
#include "DjvuGenerator.h"
#include "DjvuProgress.h"
#include "ExportBaseDlg.h"
#include "FolderRemoval.h"
#include "ImgProgress.h"
#include "MessageBoxAnswerer.h"
#include "PdfProgress.h"
#include "SelectFolderWidget.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"
#include "WordProgress.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(DestinationSettings::Kind)
Q_DECLARE_METATYPE(DestinationSettings::Problem)
Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {
using Kind = DestinationSettings::Kind;

bool touch(const QString &path, bool readOnly = false)
{
    QFile file(path);
    const bool made = file.open(QIODevice::WriteOnly) && file.write("x") == 1;
    file.close();
    return made && (!readOnly || QFile::setPermissions(path, QFile::ReadOwner));
}

// A generator as the Word and DjVu exporters will be: works in its private folder.
class FakeGenerator : public DjvuGenerator
{
public:
    bool run(const QString &outputPath) override
    {
        receivedPath = outputPath;
        folderSeen = workFolder();
        return !folderSeen.isEmpty() && touch(folderSeen + u"/part.txt"_s, true) && succeed;
    }

    bool succeed = true;
    QString receivedPath;
    QString folderSeen;
};

// The smallest exporter on the framework: the Word and DjVu dialogs follow this shape.
class GeneratorDlg : public ExportBaseDlg
{
public:
    GeneratorDlg() : ExportBaseDlg(Kind::Word, tr("Save"), nullptr) {}
    void apply() override
    {
        ++applyCalls;
        applyWith(generator);
    }

    FakeGenerator generator;
    int applyCalls = 0;
};

// A dialog that exports two pages under name, to the stored place (2: the stored folder); its
// folder chooser is always cancelled.
std::unique_ptr<GeneratorDlg> loadedDialog(const QString &name, int place,
                                           const QString &folder = QString())
{
    writeSetting(Settings::WordFolderPlace, place);
    writeSetting(Settings::WordDocFolder, folder);
    auto dialog = std::make_unique<GeneratorDlg>();
    dialog->folderField()->setChooser(
        [](QWidget *, const QString &, const QString &) { return QString(); });
    dialog->setPages({u"/srv/1.jpg"_s, u"/srv/2.jpg"_s});
    named<QLineEdit>(*dialog, "Document Name")->setText(name);
    dialog->show();
    return dialog;
}

std::unique_ptr<PdfProgress> makeProgress(const QString &kind, int pages)
{
    if (kind == QLatin1String("img"))
        return std::make_unique<ImgProgress>(pages);
    if (kind == QLatin1String("word"))
        return std::make_unique<WordProgress>(pages);
    if (kind == QLatin1String("djvu"))
        return std::make_unique<DjvuProgress>(pages);
    return std::make_unique<PdfProgress>(pages);
}
} // namespace

class TestExportFramework : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }

    void progress_data()
    {
        QTest::addColumn<QString>("kind");
        // Only the PDF exporter checks cancel; its creating phase starts afresh.
        QTest::addColumn<bool>("creatingClears");
        row("PDF", "pdf", true);
        row("images", "img", false);
        row("Word", "word", false);
        row("DjVu", "djvu", false);
    }

    void progress()
    {
        QFETCH(QString, kind);
        QFETCH(bool, creatingClears);

        const std::unique_ptr<PdfProgress> progress = makeProgress(kind, 7);
        // Nothing closes it until the work is finished.
        QVERIFY(!(progress->windowFlags() & Qt::WindowCloseButtonHint));
        progress->open();
        progress->reject();
        QTest::keyClick(progress.get(), Qt::Key_Escape);
        QVERIFY(!progress->close());
        QVERIFY(progress->isVisible());
        auto *bar = progress->findChild<QProgressBar *>();
        auto *cancel = progress->findChild<QPushButton *>();
        QCOMPARE(bar->maximum(), 7);

        // Writing counts pages and may be cancelled; creating starts the bar afresh and may not.
        progress->setWritingPhase(3);
        progress->setCreatingPhase();
        QVERIFY(!cancel->isEnabled());
        QCOMPARE(bar->value(), 0);
        progress->setWritingPhase(4);
        QVERIFY(cancel->isEnabled());
        QCOMPARE(bar->value(), 4);

        QSignalSpy cancelled(progress.get(), &PdfProgress::cancelled);
        QVERIFY(!progress->isCancelRequested());
        cancel->click();
        QCOMPARE(cancelled.size(), 1);
        // Cancelling asks; it does not close the dialog.
        QVERIFY(progress->isCancelRequested() && !progress->isClosable());
        progress->setCreatingPhase();
        QCOMPARE(progress->isCancelRequested(), !creatingClears);

        progress->finish();
        QVERIFY(progress->isClosable() && progress->isCancelRequested());
        QVERIFY(progress->close());
        QVERIFY(!progress->isVisible());
    }

    void destinationRecords_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        // The tests run in the C locale: its long date, without the weekday.
        const QString dated =
            u"Document %1"_s.arg(QLocale::c().toString(QDate::currentDate(), u"d MMMM yyyy"_s));
        row("PDF", Kind::Pdf, dated);
        row("images", Kind::Image, u"Document"_s);
        row("Word", Kind::Word, dated);
        row("DjVu", Kind::Djvu, dated);
    }

    void destinationRecords()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        DestinationSettings record = DestinationSettings::read(kind);
        QCOMPARE(record.name, name);
        record.folderPlace = DestinationSettings::OtherFolder;
        record.folder = u"/srv/out"_s;
        record.name = u"written"_s;
        record.needOpen = !record.needOpen;
        record.write(kind);
        const DestinationSettings read = DestinationSettings::read(kind);
        QCOMPARE(read.folderPlace, record.folderPlace);
        QCOMPARE(read.folder, record.folder);
        QCOMPARE(read.needOpen, record.needOpen);
        QCOMPARE(read.name, name); // names are never read back
    }

    // The path a destination gives, or what is wrong with it (the path then unchecked).
    void destination_data()
    {
        using Problem = DestinationSettings::Problem;
        QTest::addColumn<int>("place");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<Problem>("problem");
        QTest::addColumn<QString>("path");
        const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
        const QString documents =
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        const char *out = "/srv/out";
        const auto fine = [out](const char *rowName, int place, const char *name, Kind kind,
                                const QString &path) {
            row(rowName, place, QString::fromLatin1(out), QString::fromLatin1(name), kind,
                Problem::None, path);
        };
        fine("desktop", 0, "scan", Kind::Pdf, desktop + u"/scan.pdf"_s);
        fine("other folder", 2, "scan", Kind::Pdf, u"/srv/out/scan.pdf"_s);
        fine("unknown place: the folder", 5, "scan", Kind::Pdf, u"/srv/out/scan.pdf"_s);
        fine("ends in extension", 2, "scan.pdf", Kind::Pdf, u"/srv/out/scan.pdf"_s);
        fine("extension at the start of the end", 2, "report.pdfs", Kind::Pdf,
             u"/srv/out/report.pdfs.pdf"_s);
        fine("any case", 2, "scan.PDF", Kind::Pdf, u"/srv/out/scan.pdf"_s);
        fine("Word", 2, "letter.docx", Kind::Word, u"/srv/out/letter.docx"_s);
        fine("DjVu, only the last", 2, "book.djvu.djvu", Kind::Djvu, u"/srv/out/book.djvu.djvu"_s);
        // The dialog test below shows the other refusals.
        const QString unchecked;
        row("documents need no folder field", 1, "", "scan", Kind::Pdf, Problem::None,
            documents + u"/scan.pdf"_s);
        row("other folder relative", 2, "out", "scan", Kind::Pdf, Problem::NoFolder, unchecked);
        row("unknown place, blank folder", 7, " ", "scan", Kind::Word, Problem::NoFolder,
            unchecked);
        row("name blank", 2, out, "  ", Kind::Djvu, Problem::NoName, unchecked);
        row("only the extension", 2, out, ".docx", Kind::Word, Problem::NoName, unchecked);
        row("backslash", 2, out, "sub\\scan", Kind::Pdf, Problem::BadName, unchecked);
        row("sub-folder dot", 2, out, ".", Kind::Image, Problem::BadName, unchecked);
    }

    void destination()
    {
        QFETCH(int, place);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(Kind, kind);
        QFETCH(DestinationSettings::Problem, problem);
        QFETCH(QString, path);
        DestinationSettings record;
        record.folderPlace = place;
        record.folder = folder;
        record.name = name;
        QCOMPARE(record.check(DestinationSettings::extension(kind)), problem);
        if (problem == DestinationSettings::Problem::None)
            QCOMPARE(record.outputPath(DestinationSettings::extension(kind)), path);
    }

    // What the dialog does with the destination before the generator runs: refuse it with a
    // warning, ask before replacing a file, or create a missing Desktop or Documents folder.
    void confirmDestination_data()
    {
        QTest::addColumn<int>("place");
        QTest::addColumn<bool>("folderSet");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("existing"); // what stands at the output path already
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<int>("icon"); // of the one message box; 0: none
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("runs");
        const auto no = QMessageBox::No;
        const int warning = QMessageBox::Warning;
        const int question = QMessageBox::Question;
        const char *cannot = "cannot be used as a name";
        const char *replace = "letter.docx already exists. Do you want to replace it?";
        row("other folder empty", 2, false, "letter", "", no, warning, "Please choose the folder",
            false);
        row("name empty", 2, true, "", "", no, warning, "Please enter a name", false);
        row("separator", 2, true, "sub/letter", "", no, warning, cannot, false);
        row("parent", 2, true, "../letter", "", no, warning, cannot, false);
        row("dot dot", 2, true, "..", "", no, warning, cannot, false);
        row("nothing there", 2, true, "letter", "", no, 0, "", true);
        row("file, No", 2, true, "letter", "file", no, question, replace, false);
        row("file, Yes", 2, true, "letter", "file", QMessageBox::Yes, question, replace, true);
        // A folder cannot be replaced by a file: the write reports it instead.
        row("folder", 2, true, "letter", "folder", no, 0, "", true);
        // A home without either folder, as on a fresh account.
        row("desktop missing", 0, false, "letter", "", no, 0, "", true);
        row("documents missing", 1, false, "letter", "", no, 0, "", true);
    }

    void confirmDestination()
    {
        QFETCH(int, place);
        QFETCH(bool, folderSet);
        QFETCH(QString, name);
        QFETCH(QString, existing);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(int, icon);
        QFETCH(QString, message);
        QFETCH(bool, runs);
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const auto restoreHome = qScopeGuard([&oldHome] { qputenv("HOME", oldHome); });
        const QString folder =
            place == 2
                ? home.filePath(u"out"_s)
                : QStandardPaths::writableLocation(place == 0 ? QStandardPaths::DesktopLocation
                                                              : QStandardPaths::DocumentsLocation);
        QVERIFY2(folder.startsWith(home.path()), qPrintable(folder));
        QVERIFY(place == 2 ? QDir().mkpath(folder) : !QFileInfo::exists(folder));
        const QString path = folder + u"/letter.docx"_s;
        if (existing == QLatin1String("file"))
            QVERIFY(touch(path));
        else if (existing == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        MessageBoxAnswerer answerer(answer);
        auto dialog = loadedDialog(name, place, folderSet ? folder : QString());
        QSignalSpy applied(dialog.get(), &ExportBaseDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportBaseDlg::failed);
        QTest::keyClick(dialog.get(), Qt::Key_Return);

        QCOMPARE(answerer.boxes().size(), icon ? 1 : 0);
        if (icon) {
            const MessageBoxAnswerer::Box box = answerer.boxes().first();
            QCOMPARE(int(box.icon), icon);
            QCOMPARE(box.title, u"Quillary"_s);
            QVERIFY2(box.text.contains(message), qPrintable(box.text));
        }
        QCOMPARE(dialog->generator.receivedPath, runs ? path : QString());
        QCOMPARE(applied.size(), runs ? 1 : 0);
        QVERIFY(failed.isEmpty());
        // Refused or declined: nothing saved, and the user can correct the entry.
        QCOMPARE(dialog->isVisible(), !runs);
        QCOMPARE(QSettings().contains(QLatin1String(Settings::WordDocName.name)), runs);
        QVERIFY(QFileInfo(folder).isDir() || !runs);
    }

    void browseDir()
    {
        SelectFolderWidget field;
        QString start;
        QString answer = u"/srv//chosen/"_s;
        field.setChooser([&](QWidget *, const QString &, const QString &s) {
            start = s;
            return answer;
        });
        field.setText(u"/srv/start"_s);
        field.findChild<QToolButton *>()->click();
        QCOMPARE(start, u"/srv/start"_s);
        QCOMPARE(field.findChild<QLineEdit *>()->text(), QDir::toNativeSeparators(answer));

        answer.clear(); // cancelled
        field.browseDir();
        QCOMPARE(field.text(), QDir::toNativeSeparators(u"/srv//chosen/"_s));
    }

    void radioButtons_data()
    {
        QTest::addColumn<int>("storedPlace");
        QTest::addColumn<QString>("storedFolder");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<bool>("folderShown");
        QTest::addColumn<int>("chooserCalls");
        row("desktop", 0, QString(), "Desktop", false, 0);
        row("documents", 1, QString(), "My Documents", false, 0);
        row("other, folder set", 2, "/srv/out", "Other Folder", true, 0);
        // An empty folder opens the chooser as soon as "Other Folder" is chosen.
        row("other, empty", 2, QString(), "Other Folder", true, 1);
        row("unknown place", 9, QString(), QString(), false, 0);
    }

    void radioButtons()
    {
        QFETCH(int, storedPlace);
        QFETCH(QString, storedFolder);
        QFETCH(QString, checked);
        QFETCH(bool, folderShown);
        QFETCH(int, chooserCalls);

        writeSetting(Settings::WordFolderPlace, storedPlace);
        writeSetting(Settings::WordDocFolder, storedFolder);
        writeSetting(Settings::WordDocName, u"stored name"_s);
        GeneratorDlg dialog;
        int calls = 0;
        dialog.folderField()->setChooser([&calls](QWidget *, const QString &, const QString &) {
            ++calls;
            return u"/srv/picked"_s;
        });
        auto *name = named<QLineEdit>(dialog, "Document Name");
        QCOMPARE(name->text(), DestinationSettings::defaultName(Kind::Word)); // not the stored one
        name->setText(u"typed"_s);
        dialog.show();
        dialog.setPages({u"/srv/page.jpg"_s});

        QCOMPARE(calls, chooserCalls);
        const char *radios[] = {"Desktop", "My Documents", "Other Folder"};
        for (const char *radio : radios)
            QCOMPARE(named<QRadioButton>(dialog, radio)->isChecked(),
                     QLatin1String(radio) == checked);
        QCOMPARE(dialog.folderField()->isVisible(), folderShown);
        if (chooserCalls > 0)
            QCOMPARE(dialog.folderField()->text(), u"/srv/picked"_s);
        // Loading pages keeps what the user typed; the box to open the result starts checked.
        QCOMPARE(name->text(), u"typed"_s);
        QVERIFY(named<QCheckBox>(dialog, "Open Word document after creation")->isChecked());

        // Reloading with "Other Folder" already checked does not ask again.
        dialog.setPages({u"/srv/page.jpg"_s});
        QCOMPARE(calls, chooserCalls);
        // Only "Other Folder" shows the folder field.
        for (const char *radio : {radios[2], radios[0], radios[2], radios[1]}) {
            named<QRadioButton>(dialog, radio)->setChecked(true);
            QCOMPARE(dialog.folderField()->isVisible(), radio == radios[2]);
        }
    }

    void applySequence_data()
    {
        QTest::addColumn<bool>("succeed");
        QTest::addColumn<QStringList>("pages");
        const QStringList two{u"/srv/1.jpg"_s, u"/srv/2.jpg"_s};
        row("written", true, two);
        row("failed", false, two);
        row("no pages", true, QStringList());
    }

    void applySequence()
    {
        QFETCH(bool, succeed);
        QFETCH(QStringList, pages);
        QTemporaryDir out;
        QVERIFY(QDir(out.path()).mkdir(u"tmp"_s));
        QVERIFY(touch(out.filePath(u"tmp/mine.txt"_s)));
        auto dialog = loadedDialog(u"letter.docx"_s, 2, out.path());
        dialog->generator.succeed = succeed;
        QSignalSpy applied(dialog.get(), &ExportBaseDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportBaseDlg::failed);
        dialog->setPages(pages);
        named<QCheckBox>(*dialog, "Open Word document after creation")->setChecked(false);

        QTest::keyClick(dialog.get(), Qt::Key_Return);
        QCOMPARE(dialog->applyCalls, 1);
        if (pages.isEmpty()) {
            QVERIFY(dialog->generator.receivedPath.isEmpty());
            QVERIFY(applied.isEmpty() && failed.isEmpty());
            QVERIFY(dialog->isVisible());
            QVERIFY(!QSettings().contains(QLatin1String(Settings::WordDocName.name)));
            return;
        }
        const QString path = out.filePath(u"letter.docx"_s);
        QCOMPARE(dialog->generator.receivedPath, path);
        QCOMPARE(dialog->generator.pages(), pages);
        QCOMPARE(applied.size(), succeed ? 1 : 0);
        QCOMPARE(failed.size(), succeed ? 0 : 1);
        QCOMPARE((succeed ? applied : failed).at(0).at(0).toString(), path);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(readSetting(Settings::WordDocName).toString(), u"letter.docx"_s);
        QCOMPARE(readSetting(Settings::WordNeedOpen).toBool(), false);
        QCOMPARE(readSetting(Settings::WordFolderPlace).toInt(), 2);
        // The generator works in a private folder, not in the destination (nor the user's "tmp"
        // there), and that folder goes with it, read-only contents included.
        const QString folder = dialog->generator.folderSeen;
        QVERIFY(!folder.isEmpty() && !folder.startsWith(out.path()));
        QCOMPARE(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{u"tmp"_s});
        dialog.reset();
        QVERIFY(!QFileInfo::exists(folder));
        QVERIFY(QFileInfo::exists(out.filePath(u"tmp/mine.txt"_s)));
    }

    void folderRemoval()
    {
        QTemporaryDir dir;
        const QString root = dir.filePath(u"tree"_s);
        QVERIFY(QDir().mkpath(root + u"/sub/deeper"_s));
        for (const char *name : {"/a.txt", "/.hidden", "/sub/b.txt", "/sub/deeper/c"})
            QVERIFY(touch(root + QLatin1String(name), true));
        QFile::setPermissions(root + u"/sub"_s, QFile::ReadOwner | QFile::ExeOwner);
        QVERIFY(removeFolderRecursively(root));
        QVERIFY(!QFileInfo::exists(root));
        // Already gone counts as removed; a file is not a folder.
        QVERIFY(removeFolderRecursively(root));
        const QString file = dir.filePath(u"plain"_s);
        QVERIFY(touch(file));
        QVERIFY(!removeFolderRecursively(file));
        QVERIFY(QFileInfo::exists(file));
    }
};

QTEST_MAIN(TestExportFramework)
#include "tst_exportframework.moc"
