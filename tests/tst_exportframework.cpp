// What the four exporters share: the progress dialogs, the destination records and the
// output path rule, the destination chooser and its radio buttons, the apply sequence of the
// generator-based exporters, their private temporary folder, and folder removal.
#include "DestinationSettings.h"
#include "DjvuGenerator.h"
#include "DjvuProgress.h"
#include "ExportBaseDlg.h"
#include "FolderRemoval.h"
#include "ImgProgress.h"
#include "PdfProgress.h"
#include "SelectFolderWidget.h"
#include "SettingsKeys.h"
#include "WordProgress.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(DestinationSettings::Kind)

namespace {
using Kind = DestinationSettings::Kind;

template <typename T> T *named(const QWidget &parent, const QString &accessibleName)
{
    for (T *widget : parent.findChildren<T *>()) {
        if (widget->accessibleName() == accessibleName)
            return widget;
    }
    return nullptr;
}

// A generator as the Word and DjVu exporters will be: works in its private folder.
class FakeGenerator : public DjvuGenerator
{
public:
    bool run(const QString &outputPath) override
    {
        receivedPath = outputPath;
        folderSeen = workFolder();
        if (folderSeen.isEmpty())
            return false;
        QFile part(folderSeen + QStringLiteral("/part.txt"));
        if (!part.open(QIODevice::WriteOnly))
            return false;
        part.write("intermediate");
        QFile::setPermissions(part.fileName(), QFile::ReadOwner);
        return succeed;
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
    void initTestCase();
    void init();
    void progressTexts_data();
    void progressTexts();
    void progressCannotBeClosedUntilFinished();
    void progressCancel_data();
    void progressCancel();
    void destinationDefaults_data();
    void destinationDefaults();
    void destinationWritesItsKeys();
    void outputPath_data();
    void outputPath();
    void browseDir();
    void radioButtons_data();
    void radioButtons();
    void nameFieldKeepsTyping();
    void applySequence_data();
    void applySequence();
    void applyWithoutPages();
    void privateTemporaryFolder();
    void folderRemoval();

private:
    QTemporaryDir m_dir;
};

void TestExportFramework::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void TestExportFramework::init()
{
    QSettings().clear();
}

void TestExportFramework::progressTexts_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("creating");
    QTest::addColumn<QString>("writing");

    QTest::newRow("PDF") << QStringLiteral("pdf")
                         << QStringLiteral("Creating PDF document.\nPlease wait.")
                         << QStringLiteral("Writting PDF document.\nPlease wait.");
    QTest::newRow("images") << QStringLiteral("img")
                            << QStringLiteral("Creating images.\nPlease wait.")
                            << QStringLiteral("Writting images.\nPlease wait.");
    QTest::newRow("Word") << QStringLiteral("word")
                          << QStringLiteral("Creating MS Word document.\nPlease wait.")
                          << QStringLiteral("Writting MS Word document.\nPlease wait.");
    QTest::newRow("DjVu") << QStringLiteral("djvu")
                          << QStringLiteral("Creating DjVu file.\nPlease wait.")
                          << QStringLiteral("Writting DjVu file.\nPlease wait.");
}

static std::unique_ptr<PdfProgress> makeProgress(const QString &kind, int pages)
{
    if (kind == QLatin1String("img"))
        return std::make_unique<ImgProgress>(pages);
    if (kind == QLatin1String("word"))
        return std::make_unique<WordProgress>(pages);
    if (kind == QLatin1String("djvu"))
        return std::make_unique<DjvuProgress>(pages);
    return std::make_unique<PdfProgress>(pages);
}

void TestExportFramework::progressTexts()
{
    QFETCH(QString, kind);
    QFETCH(QString, creating);
    QFETCH(QString, writing);

    const std::unique_ptr<PdfProgress> progress = makeProgress(kind, 7);
    QCOMPARE(progress->windowTitle(), QStringLiteral("Quillary"));
    QVERIFY(progress->minimumWidth() >= 400 && progress->minimumHeight() >= 140);
    QVERIFY(!(progress->windowFlags() & Qt::WindowCloseButtonHint));
    auto *bar = progress->findChild<QProgressBar *>();
    auto *label = progress->findChild<QLabel *>();
    auto *cancel = progress->findChild<QPushButton *>();
    QVERIFY(bar && label && cancel);
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QCOMPARE(bar->maximum(), 7);
    QVERIFY(!bar->isTextVisible());

    progress->setWritingPhase(3);
    progress->setCreatingPhase();
    QCOMPARE(label->text(), creating);
    QVERIFY(!cancel->isEnabled());
    QCOMPARE(bar->value(), 0);

    progress->setWritingPhase(4);
    QCOMPARE(label->text(), writing);
    QVERIFY(cancel->isEnabled());
    QCOMPARE(bar->value(), 4);
}

void TestExportFramework::progressCannotBeClosedUntilFinished()
{
    PdfProgress progress(3);
    progress.open();
    QVERIFY(progress.isVisible());
    progress.reject();
    QVERIFY(progress.isVisible());
    QTest::keyClick(&progress, Qt::Key_Escape);
    QVERIFY(progress.isVisible());
    QVERIFY(!progress.close());
    QVERIFY(progress.isVisible());

    progress.finish();
    QVERIFY(progress.isClosable());
    QVERIFY(progress.isCancelRequested());
    QVERIFY(progress.close());
    QVERIFY(!progress.isVisible());
}

void TestExportFramework::progressCancel_data()
{
    QTest::addColumn<QString>("kind");
    // Only the PDF exporter checks cancel; its creating phase starts afresh.
    QTest::addColumn<bool>("creatingClears");

    QTest::newRow("PDF") << QStringLiteral("pdf") << true;
    QTest::newRow("images") << QStringLiteral("img") << false;
    QTest::newRow("Word") << QStringLiteral("word") << false;
    QTest::newRow("DjVu") << QStringLiteral("djvu") << false;
}

void TestExportFramework::progressCancel()
{
    QFETCH(QString, kind);
    QFETCH(bool, creatingClears);

    const std::unique_ptr<PdfProgress> progress = makeProgress(kind, 2);
    QSignalSpy cancelled(progress.get(), &PdfProgress::cancelled);
    progress->setWritingPhase(1);
    QVERIFY(!progress->isCancelRequested());
    progress->findChild<QPushButton *>()->click();
    QCOMPARE(cancelled.size(), 1);
    QVERIFY(progress->isCancelRequested());
    // Cancelling asks; it does not close the dialog.
    QVERIFY(!progress->isClosable());

    progress->setCreatingPhase();
    QCOMPARE(progress->isCancelRequested(), !creatingClears);
}

void TestExportFramework::destinationDefaults_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("needOpen");
    QTest::addColumn<QString>("name");

    const QString dated =
        QStringLiteral("Document %1").arg(QDate::currentDate().toString(Qt::TextDate));
    QTest::newRow("PDF") << Kind::Pdf << true << dated;
    QTest::newRow("images") << Kind::Image << false << QStringLiteral("Document");
    QTest::newRow("Word") << Kind::Word << false << dated;
    QTest::newRow("DjVu") << Kind::Djvu << false << dated;
}

void TestExportFramework::destinationDefaults()
{
    QFETCH(Kind, kind);
    QFETCH(bool, needOpen);
    QFETCH(QString, name);

    const DestinationSettings record = DestinationSettings::read(kind);
    QCOMPARE(record.folderPlace, int(DestinationSettings::Documents));
    QCOMPARE(record.folder, QString());
    QCOMPARE(record.needOpen, needOpen);
    QCOMPARE(record.name, name);
}

void TestExportFramework::destinationWritesItsKeys()
{
    struct Row
    {
        Kind kind;
        const SettingKey &place, &folder, &name, &open;
    };
    const Row rows[] = {
        {Kind::Pdf, Settings::FolderPlace, Settings::DocFolder, Settings::DocName,
         Settings::NeedOpen},
        {Kind::Image, Settings::ImageFolderPlace, Settings::ImageDocFolder, Settings::ImageDocName,
         Settings::ImageNeedOpen},
        {Kind::Word, Settings::WordFolderPlace, Settings::WordDocFolder, Settings::WordDocName,
         Settings::WordNeedOpen},
        {Kind::Djvu, Settings::DjvuFolderPlace, Settings::DjvuDocFolder, Settings::DjvuDocName,
         Settings::DjvuNeedOpen},
    };
    int n = 0;
    for (const Row &row : rows) {
        DestinationSettings record;
        record.folderPlace = DestinationSettings::OtherFolder;
        record.folder = QStringLiteral("/srv/out%1").arg(n);
        record.name = QStringLiteral("name%1").arg(n);
        record.needOpen = n % 2 == 0;
        record.write(row.kind);
        QCOMPARE(readSetting(row.place).toInt(), 2);
        QCOMPARE(readSetting(row.folder).toString(), record.folder);
        QCOMPARE(readSetting(row.name).toString(), record.name);
        QCOMPARE(readSetting(row.open).toBool(), record.needOpen);

        const DestinationSettings back = DestinationSettings::read(row.kind);
        QCOMPARE(back.folderPlace, 2);
        QCOMPARE(back.folder, record.folder);
        QCOMPARE(back.needOpen, record.needOpen);
        // Names are never read back.
        QCOMPARE(back.name, DestinationSettings::defaultName(row.kind));
        ++n;
    }
}

void TestExportFramework::outputPath_data()
{
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("expected");

    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QTest::newRow("documents") << 1 << QStringLiteral("scan") << Kind::Pdf
                               << documents + QStringLiteral("/scan.pdf");
    QTest::newRow("desktop") << 0 << QStringLiteral("scan") << Kind::Pdf
                             << desktop + QStringLiteral("/scan.pdf");
    QTest::newRow("other folder") << 2 << QStringLiteral("scan") << Kind::Pdf
                                  << QStringLiteral("/srv/out/scan.pdf");
    QTest::newRow("unknown place: the folder")
        << 5 << QStringLiteral("scan") << Kind::Pdf << QStringLiteral("/srv/out/scan.pdf");
    QTest::newRow("ends in extension")
        << 2 << QStringLiteral("scan.pdf") << Kind::Pdf << QStringLiteral("/srv/out/scan.pdf");
    QTest::newRow("extension in the middle")
        << 2 << QStringLiteral("a.pdf.b.pdf") << Kind::Pdf << QStringLiteral("/srv/out/a.b.pdf");
    QTest::newRow("case-sensitive")
        << 2 << QStringLiteral("scan.PDF") << Kind::Pdf << QStringLiteral("/srv/out/scan.PDF.pdf");
    QTest::newRow("Word") << 2 << QStringLiteral("letter.docx") << Kind::Word
                          << QStringLiteral("/srv/out/letter.docx");
    QTest::newRow("DjVu") << 2 << QStringLiteral("book.djvu.djvu") << Kind::Djvu
                          << QStringLiteral("/srv/out/book.djvu");
    QTest::newRow("spaces") << 2 << QStringLiteral("My scan 1") << Kind::Pdf
                            << QStringLiteral("/srv/out/My scan 1.pdf");
}

void TestExportFramework::outputPath()
{
    QFETCH(int, place);
    QFETCH(QString, name);
    QFETCH(Kind, kind);
    QFETCH(QString, expected);

    DestinationSettings record;
    record.folderPlace = place;
    record.folder = QStringLiteral("/srv/out");
    record.name = name;
    QCOMPARE(record.outputPath(DestinationSettings::extension(kind)), expected);
}

void TestExportFramework::browseDir()
{
    SelectFolderWidget field;
    auto *edit = field.findChild<QLineEdit *>();
    QString title;
    QString start;
    QString answer = QStringLiteral("/srv//chosen/");
    field.setChooser([&](QWidget *, const QString &t, const QString &s) {
        title = t;
        start = s;
        return answer;
    });
    field.setText(QStringLiteral("/srv/start"));
    field.findChild<QToolButton *>()->click();
    QCOMPARE(title, QStringLiteral("Select a folder"));
    QCOMPARE(start, QStringLiteral("/srv/start"));
    QCOMPARE(edit->text(), QDir::toNativeSeparators(answer));

    answer.clear(); // cancelled
    field.browseDir();
    QCOMPARE(field.text(), QDir::toNativeSeparators(QStringLiteral("/srv//chosen/")));
}

void TestExportFramework::radioButtons_data()
{
    QTest::addColumn<int>("storedPlace");
    QTest::addColumn<QString>("storedFolder");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<bool>("folderShown");
    QTest::addColumn<int>("chooserCalls");

    QTest::newRow("desktop") << 0 << QString() << QStringLiteral("Desktop") << false << 0;
    QTest::newRow("documents") << 1 << QString() << QStringLiteral("My Documents") << false << 0;
    QTest::newRow("other, folder set")
        << 2 << QStringLiteral("/srv/out") << QStringLiteral("Other Folder") << true << 0;
    // An empty folder opens the chooser as soon as "Other Folder" is chosen.
    QTest::newRow("other, empty") << 2 << QString() << QStringLiteral("Other Folder") << true << 1;
    QTest::newRow("unknown place") << 9 << QString() << QString() << false << 0;
}

void TestExportFramework::radioButtons()
{
    QFETCH(int, storedPlace);
    QFETCH(QString, storedFolder);
    QFETCH(QString, checked);
    QFETCH(bool, folderShown);
    QFETCH(int, chooserCalls);

    writeSetting(Settings::WordFolderPlace, storedPlace);
    writeSetting(Settings::WordDocFolder, storedFolder);
    GeneratorDlg dialog;
    int calls = 0;
    dialog.folderField()->setChooser([&calls](QWidget *, const QString &, const QString &) {
        ++calls;
        return QStringLiteral("/srv/picked");
    });
    dialog.show();
    dialog.setPages({QStringLiteral("/srv/page.jpg")});

    QCOMPARE(calls, chooserCalls);
    for (const QString &radio : {QStringLiteral("Desktop"), QStringLiteral("My Documents"),
                                 QStringLiteral("Other Folder")}) {
        QCOMPARE(named<QRadioButton>(dialog, radio)->isChecked(), radio == checked);
    }
    QCOMPARE(dialog.folderField()->isVisible(), folderShown);
    if (chooserCalls > 0)
        QCOMPARE(dialog.folderField()->text(), QStringLiteral("/srv/picked"));

    // Reloading with "Other Folder" already checked does not ask again.
    dialog.setPages({QStringLiteral("/srv/page.jpg")});
    QCOMPARE(calls, chooserCalls);

    // Desktop and My Documents hide the folder field; Other Folder shows it.
    named<QRadioButton>(dialog, QStringLiteral("Other Folder"))->setChecked(true);
    QVERIFY(dialog.folderField()->isVisible());
    named<QRadioButton>(dialog, QStringLiteral("Desktop"))->setChecked(true);
    QVERIFY(!dialog.folderField()->isVisible());
    named<QRadioButton>(dialog, QStringLiteral("Other Folder"))->setChecked(true);
    named<QRadioButton>(dialog, QStringLiteral("My Documents"))->setChecked(true);
    QVERIFY(!dialog.folderField()->isVisible());
}

void TestExportFramework::nameFieldKeepsTyping()
{
    writeSetting(Settings::WordDocName, QStringLiteral("stored name"));
    GeneratorDlg dialog;
    auto *name = named<QLineEdit>(dialog, QStringLiteral("Document Name"));
    QVERIFY(name);
    QCOMPARE(name->text(),
             QStringLiteral("Document %1").arg(QDate::currentDate().toString(Qt::TextDate)));
    name->setText(QStringLiteral("typed"));
    dialog.setPages({QStringLiteral("/srv/page.jpg")});
    QCOMPARE(name->text(), QStringLiteral("typed"));
    // All open-after-creation boxes start checked.
    QVERIFY(
        named<QCheckBox>(dialog, QStringLiteral("Open Word document after creation"))->isChecked());
}

void TestExportFramework::applySequence_data()
{
    QTest::addColumn<bool>("succeed");
    QTest::newRow("written") << true;
    QTest::newRow("failed") << false;
}

void TestExportFramework::applySequence()
{
    QFETCH(bool, succeed);

    QTemporaryDir out;
    writeSetting(Settings::WordFolderPlace, 2);
    writeSetting(Settings::WordDocFolder, out.path());
    GeneratorDlg dialog;
    dialog.generator.succeed = succeed;
    QSignalSpy applied(&dialog, &ExportBaseDlg::applied);
    QSignalSpy failed(&dialog, &ExportBaseDlg::failed);
    const QStringList pages{QStringLiteral("/srv/1.jpg"), QStringLiteral("/srv/2.jpg")};
    dialog.setPages(pages);
    named<QLineEdit>(dialog, QStringLiteral("Document Name"))
        ->setText(QStringLiteral("letter.docx"));
    named<QCheckBox>(dialog, QStringLiteral("Open Word document after creation"))
        ->setChecked(false);
    dialog.show();

    QTest::keyClick(&dialog, Qt::Key_Return);
    QCOMPARE(dialog.applyCalls, 1);
    const QString path = out.filePath(QStringLiteral("letter.docx"));
    QCOMPARE(dialog.generator.receivedPath, path);
    QCOMPARE(dialog.generator.pages(), pages);
    QCOMPARE(applied.size(), succeed ? 1 : 0);
    QCOMPARE(failed.size(), succeed ? 0 : 1);
    QCOMPARE((succeed ? applied : failed).at(0).at(0).toString(), path);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(readSetting(Settings::WordDocName).toString(), QStringLiteral("letter.docx"));
    QCOMPARE(readSetting(Settings::WordNeedOpen).toBool(), false);
    QCOMPARE(readSetting(Settings::WordFolderPlace).toInt(), 2);
    // Nothing of the generator's work lands in the destination folder.
    QVERIFY(!dialog.generator.folderSeen.startsWith(out.path()));
    QVERIFY(QDir(out.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

void TestExportFramework::applyWithoutPages()
{
    GeneratorDlg dialog;
    QSignalSpy applied(&dialog, &ExportBaseDlg::applied);
    QSignalSpy failed(&dialog, &ExportBaseDlg::failed);
    dialog.setPages({});
    dialog.show();
    dialog.apply();
    QVERIFY(dialog.generator.receivedPath.isEmpty());
    QVERIFY(applied.isEmpty() && failed.isEmpty());
    QVERIFY(dialog.isVisible());
    QVERIFY(!QSettings().contains(QLatin1String(Settings::WordDocName.name)));
}

void TestExportFramework::privateTemporaryFolder()
{
    QTemporaryDir out;
    QVERIFY(QDir(out.path()).mkdir(QStringLiteral("tmp")));
    QFile own(out.filePath(QStringLiteral("tmp/mine.txt")));
    QVERIFY(own.open(QIODevice::WriteOnly));
    own.close();

    QString folder;
    {
        FakeGenerator generator;
        const QStringList pages{QStringLiteral("/srv/1.jpg")};
        generator.setPages(pages);
        // Shared, not copied.
        QVERIFY(generator.pages().constData() == pages.constData());
        QVERIFY(generator.run(out.filePath(QStringLiteral("doc.docx"))));
        folder = generator.folderSeen;
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(!folder.startsWith(out.path()));
    }
    // Gone with the generator, read-only contents included; the user's "tmp" is untouched.
    QVERIFY(!QFileInfo::exists(folder));
    QVERIFY(QFileInfo::exists(out.filePath(QStringLiteral("tmp/mine.txt"))));
}

void TestExportFramework::folderRemoval()
{
    QTemporaryDir dir;
    const QString root = dir.filePath(QStringLiteral("tree"));
    QVERIFY(QDir().mkpath(root + QStringLiteral("/sub/deeper")));
    for (const QString &name : {QStringLiteral("/a.txt"), QStringLiteral("/.hidden"),
                                QStringLiteral("/sub/b.txt"), QStringLiteral("/sub/deeper/c")}) {
        QFile file(root + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QFile::setPermissions(file.fileName(), QFile::ReadOwner);
    }
    QFile::setPermissions(root + QStringLiteral("/sub"), QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY(removeFolderRecursively(root));
    QVERIFY(!QFileInfo::exists(root));
    // Already gone counts as removed; a file is not a folder.
    QVERIFY(removeFolderRecursively(root));
    QFile file(dir.filePath(QStringLiteral("plain")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!removeFolderRecursively(file.fileName()));
    QVERIFY(QFileInfo::exists(file.fileName()));
}

QTEST_MAIN(TestExportFramework)
#include "tst_exportframework.moc"
