// The "Build PDF" dialog: what it shows and loads, its delayed and paged preview, and every
// outcome of "Save to PDF": applied, failed, or a question or warning before anything is written.
#include "ExportDlg.h"
#include "MessageBoxAnswerer.h"
#include "PaperSizes.h"
#include "PdfProgress.h"
#include "PdfTestTools.h"
#include "ProgressCanceller.h"
#include "SelectFolderWidget.h"
#include "SettingsKeys.h"

#include <QtPrintSupport>
#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

using namespace PdfTestTools;

Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {
QString pagesLabel(const QWidget &dialog)
{
    for (const QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->text().startsWith("Pages: "_L1))
            return label->text();
    }
    return QString();
}

// The dialog, with a folder chooser that never opens a window, and what it reported.
struct Dialog
{
    Dialog()
    {
        dialog.folderField()->setChooser(
            [](QWidget *, const QString &, const QString &) { return QString(); });
    }

    ExportDlg dialog;
    QSignalSpy applied{&dialog, &ExportDlg::applied};
    QSignalSpy failed{&dialog, &ExportDlg::failed};
};
} // namespace

class TestPdfExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_pages.isValid() && m_out.isValid());
        m_threePages = {
            drawPage(m_pages.filePath(u"00000001_o.jpg"_s), {600, 300}, 300),
            drawPage(m_pages.filePath(u"00000002_o.tiff"_s), {400, 500}, 200, true),
            drawPage(m_pages.filePath(u"00000003_o.jpg"_s), {300, 600}, 150),
        };
        QVERIFY(!m_threePages.contains(QString()));
    }

    void init()
    {
        QSettings().clear();
        writeSetting(Settings::FolderPlace, 2);
        writeSetting(Settings::DocFolder, m_out.path());
    }

    void cleanup()
    {
        QVERIFY(QDir(m_out.path()).removeRecursively() && QDir().mkpath(m_out.path()));
    }

    void loadsStoredSettings_data()
    {
        QTest::addColumn<int>("paperId");
        QTest::addColumn<QString>("paperText");
        row("Letter", 2, "Letter");
        row("not offered", 29, "A4");
    }

    // The stored choices shown, paging, and a delayed preview of a change.
    void loadsStoredSettings()
    {
        QFETCH(int, paperId);
        QFETCH(QString, paperText);
        Dialog d;
        writeSetting(Settings::PaperSize, paperId);
        writeSetting(Settings::Orientation, 1);
        writeSetting(Settings::Scale, 2);
        writeSetting(Settings::ByCenter, false);
        writeSetting(Settings::NeedOpen, false);
        writeSetting(Settings::Left, 1.5);
        writeSetting(Settings::Bottom, 0.3);
        writeSetting(Settings::FolderPlace, 0);
        d.dialog.setPages(m_threePages);

        QCOMPARE(named<QComboBox>(d.dialog, "Paper size")->currentText(), paperText);
        QCOMPARE(named<QComboBox>(d.dialog, "Orientation")->currentText(), u"Landscape"_s);
        QCOMPARE(named<QComboBox>(d.dialog, "Scale")->currentText(),
                 u"Stretch, keeping proportions"_s);
        QVERIFY(!named<QCheckBox>(d.dialog, "By Page Center")->isChecked());
        QVERIFY(!named<QCheckBox>(d.dialog, "Open PDF document after creation")->isChecked());
        QCOMPARE(named<QDoubleSpinBox>(d.dialog, "Left")->value(), 1.5);
        QCOMPARE(named<QDoubleSpinBox>(d.dialog, "Bottom")->value(), 0.3);
        QVERIFY(named<QRadioButton>(d.dialog, "Desktop")->isChecked());
        QCOMPARE(pagesLabel(d.dialog), u"Pages: 1/3"_s);
        // Every control can be found by assistive technology.
        for (QWidget *widget : d.dialog.findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
                qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractSpinBox *>(widget);
            if (control && widget->parentWidget() != nullptr &&
                !qobject_cast<QAbstractSpinBox *>(widget->parentWidget()) &&
                !qobject_cast<QComboBox *>(widget->parentWidget()))
                QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
        }

        QSignalSpy painted(d.dialog.findChild<QPrintPreviewWidget *>(),
                           &QPrintPreviewWidget::paintRequested);
        auto *back = named<QToolButton>(d.dialog, "Back");
        auto *next = named<QToolButton>(d.dialog, "Next");
        QVERIFY(back && next);
        // Clicks past either end change nothing and repaint nothing.
        for (QToolButton *button : {back, next, next, next})
            button->click();
        QCOMPARE(d.dialog.currentPage(), 2);
        QCOMPARE(pagesLabel(d.dialog), u"Pages: 3/3"_s);
        QCOMPARE(painted.size(), 2);
        back->click();
        QCOMPARE(pagesLabel(d.dialog), u"Pages: 2/3"_s);

        // A change is drawn once, half a second after the last one, on the chosen paper.
        painted.clear();
        named<QComboBox>(d.dialog, "Paper size")->setCurrentIndex(3);
        QCOMPARE(painted.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(painted.size(), 1, 2000);
        const QPageLayout paper = painted.at(0).at(0).value<QPrinter *>()->pageLayout();
        QCOMPARE(paper.pageSize().id(),
                 PaperSizes::pageSizeId(d.dialog.optionsFromWidgets().paperId));
        QCOMPARE(paper.orientation(), QPageLayout::Landscape);

        // A new page list starts at its first page again.
        d.dialog.setPages(m_threePages.mid(0, 2));
        QCOMPARE(d.dialog.currentPage(), 0);
        QCOMPARE(pagesLabel(d.dialog), u"Pages: 1/2"_s);
    }

    // Every way "Save to PDF" can end, from the file and signals to what the user is asked.
    void outcomes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("setup"); // "earlier": Document.pdf is there; "folder": a folder
        QTest::addColumn<QString>("pages"); // "three", "none", or "png": three and an unsupported
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<int>("box");     // the icon of the one message box; 0: none
        QTest::addColumn<QString>("end"); // failed at "page" or "output"; "cancel" at page 1
        QTest::addColumn<bool>("written");
        const QString doc = u"Document"_s;
        const auto none = QMessageBox::No;
        const int question = QMessageBox::Question;
        row("written, no question", doc, "", "three", none, 0, "", true);
        row("earlier file, No", doc, "earlier", "three", none, question, "", false);
        row("earlier file, Yes", doc, "earlier", "three", QMessageBox::Yes, question, "", true);
        // Yes replaces the file only with a complete new one.
        row("earlier file, Yes, a page fails", doc, "earlier", "png", QMessageBox::Yes, question,
            "page", false);
        row("earlier file, Yes, cancelled", doc, "earlier", "three", QMessageBox::Yes, question,
            "cancel", false);
        row("no pages", doc, "", "none", none, 0, "", false);
        row("unsupported page", doc, "", "png", none, 0, "page", false);
        // Root ignores permissions: a folder in the way is the output that cannot be replaced.
        row("output cannot be replaced", doc, "folder", "three", none, 0, "output", false);
        // The shared check refuses bad destinations; here, that this dialog asks it too.
        row("name leaves the folder", "../quillary-refused", "", "three", none,
            int(QMessageBox::Warning), "", false);
    }

    void outcomes()
    {
        QFETCH(QString, name);
        QFETCH(QString, setup);
        QFETCH(QString, pages);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(int, box);
        QFETCH(QString, end);
        QFETCH(bool, written);
        const QString path = m_out.filePath(u"Document.pdf"_s);
        if (setup == "earlier"_L1)
            QVERIFY(writeFile(path, "earlier export"));
        else if (setup == "folder"_L1)
            QVERIFY(QDir(m_out.path()).mkdir(u"Document.pdf"_s));
        const QStringList before = entries(m_out.path());
        QTemporaryDir dir;
        const QString png = dir.filePath(u"page.png"_s);
        QVERIFY(QImage(20, 20, QImage::Format_RGB32).save(png));
        const QStringList list = pages == "none"_L1  ? QStringList()
                                 : pages == "png"_L1 ? m_threePages + QStringList{png}
                                                     : m_threePages;
        MessageBoxAnswerer answerer(answer);
        Dialog d;
        d.dialog.setPages(list);
        named<QLineEdit>(d.dialog, "Document Name")->setText(name);
        d.dialog.show();
        named<QComboBox>(d.dialog, "Paper size")->setCurrentIndex(1); // Letter
        named<QDoubleSpinBox>(d.dialog, "Right")->setValue(0.7);
        const bool cancel = end == "cancel"_L1;
        const ProgressCanceller canceller(&d.dialog, cancel ? 1 : 0);
        named<QPushButton>(d.dialog, "Save to PDF")->click();

        QCOMPARE(answerer.boxes().size(), box ? 1 : 0);
        if (box) {
            const MessageBoxAnswerer::Box shown = answerer.boxes().first();
            QCOMPARE(int(shown.icon), box);
            QCOMPARE(shown.text.startsWith(u"Document.pdf already exists."_s),
                     box == QMessageBox::Question);
        }
        QCOMPARE(d.applied.size(), written ? 1 : 0);
        QCOMPARE(canceller.pressedAt(), cancel ? 1 : 0);
        const bool failed = !end.isEmpty() && !cancel;
        QCOMPARE(d.failed.size(), failed ? 1 : 0);
        if (failed)
            QCOMPARE(d.failed.at(0).at(0).toString(), end == "page"_L1 ? png : path);
        // Stays open so the user can change something, unless written, cancelled or hopeless.
        QCOMPARE(d.dialog.isVisible(), !written && !cancel && end != "output"_L1);
        const auto *progress = d.dialog.findChild<PdfProgress *>();
        QVERIFY(progress == nullptr || !progress->isVisible());
        if (written) { // with the dialog's choices, which are stored
            QCOMPARE(d.applied.at(0).at(0).toString(), path);
            QCOMPARE(pdfinfoPages(path), 3);
            QCOMPARE(pdfinfo(path, u"Page size"_s), u"612 x 792"_s);
            QCOMPARE(readSetting(Settings::PaperSize).toInt(), 2);
            QCOMPARE(readSetting(Settings::Right).toDouble(), 0.7);
            QCOMPARE(readSetting(Settings::DocName).toString(), name);
            QCOMPARE(entries(m_out.path()), QStringList{u"Document.pdf"_s});
            return;
        }
        QCOMPARE(entries(m_out.path()), before);
        if (setup == "earlier"_L1)
            QCOMPARE(contentOf(path), QByteArray("earlier export"));
        else
            QVERIFY(!QFileInfo(path).isFile());
        // Nowhere beside the folder or in the root either.
        for (const QString &folder : {m_out.filePath(u".."_s), u"/"_s})
            QVERIFY(!QFileInfo::exists(folder + u"/quillary-refused.pdf"_s));
        if (end.isEmpty())
            QVERIFY(!QSettings().contains(QLatin1String(Settings::DocName.name)));
    }

private:
    QTemporaryDir m_pages;
    QTemporaryDir m_out;
    QStringList m_threePages;
};

QTEST_MAIN(TestPdfExport)
#include "tst_pdfexport.moc"
