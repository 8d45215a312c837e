// What the four exporters share: progress dialogs, destinations, the generator-based apply.
#include "DestinationSettings.h"
#include "DjvuGenerator.h"
#include "ExportBaseDlg.h"
#include "FolderRemoval.h"
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

namespace {
using Kind = DestinationSettings::Kind;

bool readOnlyFile(const QString &path)
{
    return writeFile(path, "x") && QFile::setPermissions(path, QFile::ReadOwner);
}

// A generator as the Word and DjVu exporters will be: works in its private folder.
class FakeGenerator : public DjvuGenerator
{
public:
    bool run(const QString &outputPath) override
    {
        receivedPath = outputPath;
        folderSeen = workFolder();
        // Read-only files, a hidden one, in a folder that cannot be written to.
        const QString sub = folderSeen + u"/sub"_s;
        return !folderSeen.isEmpty() && QDir().mkpath(sub + u"/deeper"_s) &&
               readOnlyFile(folderSeen + u"/.hidden"_s) && readOnlyFile(sub + u"/deeper/c"_s) &&
               QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner) && succeed;
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

} // namespace

class TestExportFramework : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }

    // The image and DjVu progress dialogs differ from Word's only in their texts.
    void progress_data()
    {
        QTest::addColumn<bool>("pdf");
        row("PDF", true);
        row("Word", false);
    }

    void progress()
    {
        QFETCH(bool, pdf);
        const std::unique_ptr<PdfProgress> progress(pdf ? new PdfProgress(7) : new WordProgress(7));
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
        QCOMPARE(progress->isCancelRequested(), !pdf);

        progress->finish();
        QVERIFY(progress->isClosable() && progress->isCancelRequested());
        QVERIFY(progress->close());
        QVERIFY(!progress->isVisible());
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
        const char *out = "/srv/out";
        const auto none = Problem::None;
        row("unknown place: the folder", 5, out, "scan", Kind::Pdf, none, u"/srv/out/scan.pdf"_s);
        row("extension at the start of the end", 2, out, "report.pdfs", Kind::Pdf, none,
            u"/srv/out/report.pdfs.pdf"_s);
        row("any case", 2, out, "scan.PDF", Kind::Pdf, none, u"/srv/out/scan.pdf"_s);
        row("DjVu, only the last", 2, out, "book.djvu.djvu", Kind::Djvu, none,
            u"/srv/out/book.djvu.djvu"_s);
        // The dialog test below shows the other refusals.
        row("other folder relative", 2, "out", "scan", Kind::Pdf, Problem::NoFolder, "");
        row("unknown place, blank folder", 7, " ", "scan", Kind::Word, Problem::NoFolder, "");
        row("name blank", 2, out, "  ", Kind::Djvu, Problem::NoName, "");
        row("only the extension", 2, out, ".docx", Kind::Word, Problem::NoName, "");
        row("backslash", 2, out, "sub\\scan", Kind::Pdf, Problem::BadName, "");
        row("sub-folder dot", 2, out, ".", Kind::Image, Problem::BadName, "");
    }

    void destination()
    {
        QFETCH(int, place);
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(Kind, kind);
        QFETCH(DestinationSettings::Problem, problem);
        QFETCH(QString, path);
        const DestinationSettings record{place, folder, name};
        QCOMPARE(record.check(DestinationSettings::extension(kind)), problem);
        if (problem == DestinationSettings::Problem::None)
            QCOMPARE(record.outputPath(DestinationSettings::extension(kind)), path);
    }

    // An unknown stored place checks none; "Other Folder" with an empty folder asks at once.
    void radioButtons()
    {
        writeSetting(Settings::WordFolderPlace, 9);
        writeSetting(Settings::WordDocFolder, QString());
        writeSetting(Settings::WordDocName, u"stored name"_s);
        GeneratorDlg dialog;
        int calls = 0;
        dialog.folderField()->setChooser([&calls](QWidget *, const QString &, const QString &) {
            ++calls;
            return u"/srv/picked"_s;
        });
        auto *name = named<QLineEdit>(dialog, "Document Name");
        // Not the stored name: the dated default, in the tests' C locale without the weekday.
        const QString today = QLocale::c().toString(QDate::currentDate(), u"d MMMM yyyy"_s);
        QCOMPARE(name->text(), u"Document "_s + today);
        name->setText(u"typed"_s);
        dialog.show();
        dialog.setPages({u"/srv/page.jpg"_s});
        const char *radios[] = {"Desktop", "My Documents", "Other Folder"};
        for (const char *radio : radios)
            QVERIFY(!named<QRadioButton>(dialog, radio)->isChecked());
        QVERIFY(!dialog.folderField()->isVisible());
        QCOMPARE(calls, 0);

        writeSetting(Settings::WordFolderPlace, 2);
        dialog.setPages({u"/srv/page.jpg"_s});
        QCOMPARE(calls, 1);
        QVERIFY(named<QRadioButton>(dialog, radios[2])->isChecked());
        QVERIFY(dialog.folderField()->isVisible());
        QCOMPARE(dialog.folderField()->text(), u"/srv/picked"_s);
        QCOMPARE(name->text(), u"typed"_s); // loading pages keeps what the user typed
        // Reloading with "Other Folder" already checked does not ask again.
        dialog.setPages({u"/srv/page.jpg"_s});
        QCOMPARE(calls, 1);
        // Only "Other Folder" shows the folder field.
        for (const char *radio : {radios[2], radios[0], radios[2], radios[1]}) {
            named<QRadioButton>(dialog, radio)->setChecked(true);
            QCOMPARE(dialog.folderField()->isVisible(), radio == radios[2]);
        }
    }

    // Before and after the generator runs: refusals, missing standard folders, a private folder.
    void applySequence_data()
    {
        QTest::addColumn<int>("place");
        QTest::addColumn<bool>("folderSet");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("warning"); // of the one message box; empty: none
        QTest::addColumn<QString>("end");     // "applied", "failed"; empty: the generator never ran
        const char *cannot = "cannot be used as a name";
        row("other folder empty", 2, false, "letter", 2, "Please choose the folder", "");
        row("name empty", 2, true, "", 2, "Please enter a name", "");
        row("separator", 2, true, "sub/letter", 2, cannot, "");
        row("dot dot", 2, true, "..", 2, cannot, "");
        row("no pages", 2, true, "letter", 0, "", "");
        row("written", 2, true, "letter.docx", 2, "", "applied");
        row("generator fails", 2, true, "letter", 2, "", "failed");
        // A home without either folder, as on a fresh account.
        row("desktop missing", 0, false, "letter", 2, "", "applied");
        row("documents missing", 1, false, "letter", 1, "", "applied");
    }

    void applySequence()
    {
        QFETCH(int, place);
        QFETCH(bool, folderSet);
        QFETCH(QString, name);
        QFETCH(int, pages);
        QFETCH(QString, warning);
        QFETCH(QString, end);
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const auto restoreHome = qScopeGuard([&oldHome] { qputenv("HOME", oldHome); });
        const QString mine = home.filePath(u"out/tmp/mine.txt"_s); // the user's own "tmp"
        QVERIFY(QDir().mkpath(home.filePath(u"out/tmp"_s)) && writeFile(mine, "x"));
        const QString folder =
            place == 2
                ? home.filePath(u"out"_s)
                : QStandardPaths::writableLocation(place == 0 ? QStandardPaths::DesktopLocation
                                                              : QStandardPaths::DocumentsLocation);
        QVERIFY2(folder.startsWith(home.path()), qPrintable(folder));
        QVERIFY(place == 2 || !QFileInfo::exists(folder));
        MessageBoxAnswerer answerer(QMessageBox::No);
        writeSetting(Settings::WordFolderPlace, place);
        writeSetting(Settings::WordDocFolder, folderSet ? folder : QString());
        auto dialog = std::make_unique<GeneratorDlg>();
        dialog->folderField()->setChooser( // always cancelled
            [](QWidget *, const QString &, const QString &) { return QString(); });
        const QStringList pageList = QStringList{u"/srv/1.jpg"_s, u"/srv/2.jpg"_s}.mid(0, pages);
        dialog->setPages(pageList);
        named<QLineEdit>(*dialog, "Document Name")->setText(name);
        dialog->show();
        dialog->generator.succeed = end != "failed"_L1;
        named<QCheckBox>(*dialog, "Open Word document after creation")->setChecked(false);
        QSignalSpy applied(dialog.get(), &ExportBaseDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportBaseDlg::failed);
        QTest::keyClick(dialog.get(), Qt::Key_Return);

        QCOMPARE(dialog->applyCalls, 1);
        QCOMPARE(answerer.boxes().size(), warning.isEmpty() ? 0 : 1);
        if (!warning.isEmpty()) {
            const MessageBoxAnswerer::Box box = answerer.boxes().first();
            QCOMPARE(box.icon, QMessageBox::Warning);
            QCOMPARE(box.title, u"Quillary"_s);
            QVERIFY2(box.text.contains(warning), qPrintable(box.text));
        }
        const bool runs = !end.isEmpty();
        const QString path = folder + u"/letter.docx"_s;
        QCOMPARE(dialog->generator.receivedPath, runs ? path : QString());
        QCOMPARE(applied.size(), end == "applied"_L1 ? 1 : 0);
        QCOMPARE(failed.size(), end == "failed"_L1 ? 1 : 0);
        if (runs)
            QCOMPARE((applied.isEmpty() ? failed : applied).at(0).at(0).toString(), path);
        // Refused: nothing saved, and the user can correct the entry.
        QCOMPARE(dialog->isVisible(), !runs);
        QCOMPARE(QSettings().contains(QLatin1String(Settings::WordDocName.name)), runs);
        if (!runs)
            return;
        QCOMPARE(dialog->generator.pages(), pageList);
        QCOMPARE(readSetting(Settings::WordDocName).toString(), name);
        QCOMPARE(readSetting(Settings::WordNeedOpen).toBool(), false);
        QCOMPARE(readSetting(Settings::WordFolderPlace).toInt(), place);
        // A private folder, not the destination nor its "tmp", gone with its read-only contents.
        QVERIFY(QFileInfo(folder).isDir()); // a missing Desktop or Documents is made
        const QString work = dialog->generator.folderSeen;
        QVERIFY(!work.isEmpty() && !work.startsWith(folder));
        QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 place == 2 ? QStringList{u"tmp"_s} : QStringList());
        dialog.reset();
        QVERIFY(!QFileInfo::exists(work));
        QVERIFY(removeFolderRecursively(work)); // already gone counts as removed
        QVERIFY(!removeFolderRecursively(mine) && QFileInfo::exists(mine)); // not a folder
    }
};

QTEST_MAIN(TestExportFramework)
#include "tst_exportframework.moc"
