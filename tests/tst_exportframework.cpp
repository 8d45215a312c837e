// What the four exporters share: progress dialogs, destinations (records, paths, chooser,
// refusals, replacing files), the generator-based apply sequence and its private folder.
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

Q_DECLARE_METATYPE(DestinationSettings::Kind)
Q_DECLARE_METATYPE(DestinationSettings::Problem)

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
        // Read-only files, a hidden one, in a folder that cannot be written to.
        const QString sub = folderSeen + u"/sub"_s;
        return !folderSeen.isEmpty() && QDir().mkpath(sub + u"/deeper"_s) &&
               touch(folderSeen + u"/.hidden"_s, true) && touch(sub + u"/deeper/c"_s, true) &&
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

    // Only the PDF exporter checks cancel; its creating phase starts afresh. The image and DjVu
    // progress dialogs differ from Word's only in their texts.
    void progress_data()
    {
        QTest::addColumn<bool>("pdf");
        row("PDF", true);
        row("Word", false);
    }

    void progress()
    {
        QFETCH(bool, pdf);
        const std::unique_ptr<PdfProgress> progress =
            pdf ? std::make_unique<PdfProgress>(7)
                : std::unique_ptr<PdfProgress>(new WordProgress(7));
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
        const QString unchecked;
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

    void radioButtons_data()
    {
        QTest::addColumn<int>("storedPlace");
        QTest::addColumn<QString>("storedFolder");
        QTest::addColumn<QString>("checked");
        QTest::addColumn<bool>("folderShown");
        QTest::addColumn<int>("chooserCalls");
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
        // Not the stored name: the dated default, in the tests' C locale without the weekday.
        const QString today = QLocale::c().toString(QDate::currentDate(), u"d MMMM yyyy"_s);
        QCOMPARE(name->text(), u"Document "_s + today);
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
        QCOMPARE(name->text(), u"typed"_s); // loading pages keeps what the user typed

        // Reloading with "Other Folder" already checked does not ask again.
        dialog.setPages({u"/srv/page.jpg"_s});
        QCOMPARE(calls, chooserCalls);
        // Only "Other Folder" shows the folder field.
        for (const char *radio : {radios[2], radios[0], radios[2], radios[1]}) {
            named<QRadioButton>(dialog, radio)->setChecked(true);
            QCOMPARE(dialog.folderField()->isVisible(), radio == radios[2]);
        }
    }

    // What the dialog does before and after the generator runs: refuse the destination with a
    // warning, create a missing Desktop or Documents folder, let the generator work in a
    // private folder and remove that (replacing a file: tst_pdfexport).
    void applySequence_data()
    {
        QTest::addColumn<int>("place");
        QTest::addColumn<bool>("folderSet");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("icon"); // of the one message box; 0: none
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("end"); // "applied", "failed"; empty: the generator never ran
        const int warning = QMessageBox::Warning;
        const char *cannot = "cannot be used as a name";
        row("other folder empty", 2, false, "letter", 2, warning, "Please choose the folder", "");
        row("name empty", 2, true, "", 2, warning, "Please enter a name", "");
        row("separator", 2, true, "sub/letter", 2, warning, cannot, "");
        row("dot dot", 2, true, "..", 2, warning, cannot, "");
        row("no pages", 2, true, "letter", 0, 0, "", "");
        row("written", 2, true, "letter.docx", 2, 0, "", "applied");
        row("generator fails", 2, true, "letter", 2, 0, "", "failed");
        // A home without either folder, as on a fresh account.
        row("desktop missing", 0, false, "letter", 2, 0, "", "applied");
        row("documents missing", 1, false, "letter", 1, 0, "", "applied");
    }

    void applySequence()
    {
        QFETCH(int, place);
        QFETCH(bool, folderSet);
        QFETCH(QString, name);
        QFETCH(int, pages);
        QFETCH(int, icon);
        QFETCH(QString, message);
        QFETCH(QString, end);
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const auto restoreHome = qScopeGuard([&oldHome] { qputenv("HOME", oldHome); });
        const QString mine = home.filePath(u"out/tmp/mine.txt"_s); // the user's own "tmp"
        QVERIFY(QDir().mkpath(home.filePath(u"out/tmp"_s)) && touch(mine));
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
        QCOMPARE(answerer.boxes().size(), icon ? 1 : 0);
        if (icon) {
            const MessageBoxAnswerer::Box box = answerer.boxes().first();
            QCOMPARE(int(box.icon), icon);
            QCOMPARE(box.title, u"Quillary"_s);
            QVERIFY2(box.text.contains(message), qPrintable(box.text));
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
        // The generator works in a private folder, not in the destination (nor the user's "tmp"
        // there), and that folder goes with it, read-only contents included.
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
