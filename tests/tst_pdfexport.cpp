// The "Build PDF" dialog: what it loads, its delayed and paged preview, and how saving ends.
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

namespace {
// A folder chooser that never opens a window.
const auto noFolder = [](QWidget *, const QString &, const QString &) { return QString(); };
} // namespace

class TestPdfExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_pages.isValid() && m_out.isValid());
        m_threePages = {drawPage(m_pages.filePath(u"00000001_o.jpg"_s), {600, 300}, 300),
                        drawPage(m_pages.filePath(u"00000002_o.tiff"_s), {400, 500}, 200, true),
                        drawPage(m_pages.filePath(u"00000003_o.jpg"_s), {300, 600}, 150)};
        QVERIFY(!m_threePages.contains(QString()));
        QVERIFY(QImage(20, 20, QImage::Format_RGB32).save(m_pages.filePath(u"page.png"_s)));
    }

    void init()
    {
        QSettings().clear();
        writeSetting(Settings::FolderPlace, 2);
        writeSetting(Settings::DocFolder, m_out.path());
        QVERIFY(QDir(m_out.path()).removeRecursively() && QDir().mkpath(m_out.path()));
    }

    // The stored choices shown, paging, and a delayed preview of a change.
    void loadsStoredSettings()
    {
        ExportDlg dialog;
        dialog.folderField()->setChooser(noFolder);
        writeSetting(Settings::PaperSize, 2);
        writeSetting(Settings::Orientation, 1);
        writeSetting(Settings::Scale, 2);
        writeSetting(Settings::ByCenter, false);
        writeSetting(Settings::NeedOpen, false);
        writeSetting(Settings::Left, 1.5);
        writeSetting(Settings::Bottom, 0.3);
        writeSetting(Settings::FolderPlace, 0);
        dialog.setPages(m_threePages);
        auto *back = named<QToolButton>(dialog, "Back");
        auto *next = named<QToolButton>(dialog, "Next");
        QVERIFY(back && next);
        const QLabel *pages =
            back->parentWidget()->findChild<QLabel *>({}, Qt::FindDirectChildrenOnly);
        QVERIFY(pages);

        QCOMPARE(named<QComboBox>(dialog, "Paper size")->currentText(), u"Letter"_s);
        QCOMPARE(named<QComboBox>(dialog, "Orientation")->currentText(), u"Landscape"_s);
        QCOMPARE(named<QComboBox>(dialog, "Scale")->currentText(),
                 u"Stretch, keeping proportions"_s);
        QVERIFY(!named<QCheckBox>(dialog, "By Page Center")->isChecked());
        QVERIFY(!named<QCheckBox>(dialog, "Open PDF document after creation")->isChecked());
        QCOMPARE(named<QDoubleSpinBox>(dialog, "Left")->value(), 1.5);
        QCOMPARE(named<QDoubleSpinBox>(dialog, "Bottom")->value(), 0.3);
        QVERIFY(named<QRadioButton>(dialog, "Desktop")->isChecked());
        QCOMPARE(pages->text(), u"Pages: 1/3"_s);
        // Every control can be found by assistive technology.
        for (QWidget *widget : dialog.findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
                qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractSpinBox *>(widget);
            if (control && widget->parentWidget() != nullptr &&
                !qobject_cast<QAbstractSpinBox *>(widget->parentWidget()) &&
                !qobject_cast<QComboBox *>(widget->parentWidget()))
                QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
        }

        QSignalSpy painted(dialog.findChild<QPrintPreviewWidget *>(),
                           &QPrintPreviewWidget::paintRequested);
        // Clicks past either end change nothing and repaint nothing.
        for (QToolButton *button : {back, next, next, next})
            button->click();
        QCOMPARE(dialog.currentPage(), 2);
        QCOMPARE(pages->text(), u"Pages: 3/3"_s);
        QCOMPARE(painted.size(), 2);
        back->click();
        QCOMPARE(pages->text(), u"Pages: 2/3"_s);

        // A change is drawn once, half a second after the last one, on the chosen paper.
        painted.clear();
        named<QComboBox>(dialog, "Paper size")->setCurrentIndex(3);
        QCOMPARE(painted.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(painted.size(), 1, 2000);
        const QPageLayout paper = painted.at(0).at(0).value<QPrinter *>()->pageLayout();
        QCOMPARE(paper.pageSize().id(),
                 PaperSizes::pageSizeId(dialog.optionsFromWidgets().paperId));
        QCOMPARE(paper.orientation(), QPageLayout::Landscape);

        // A new page list starts at its first page again, with the stored choices reloaded.
        writeSetting(Settings::PaperSize, 29); // a paper not offered: A4
        dialog.setPages(m_threePages.mid(0, 2));
        QCOMPARE(dialog.currentPage(), 0);
        QCOMPARE(pages->text(), u"Pages: 1/2"_s);
        QCOMPARE(named<QComboBox>(dialog, "Paper size")->currentText(), u"A4"_s);
    }

    // Every way "Save to PDF" can end, from the file and signals to what the user is asked.
    void outcomes_data()
    {
        // "earlier": Document.pdf is there; "folder": a folder; "outside": a name leaving it
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("pages"); // "three", "none", or "png": three and an unsupported
        QTest::addColumn<bool>("yes");      // the answer to any box
        QTest::addColumn<int>("box");       // the icon of the one message box; 0: none
        QTest::addColumn<QString>("end");   // failed at "page" or "output"; "cancel" at page 1
        QTest::addColumn<bool>("written");
        const int question = QMessageBox::Question;
        row("written, no question", "", "three", false, 0, "", true);
        row("earlier file, No", "earlier", "three", false, question, "", false);
        row("earlier file, Yes", "earlier", "three", true, question, "", true);
        // Yes replaces the file only with a complete new one.
        row("earlier file, Yes, a page fails", "earlier", "png", true, question, "page", false);
        row("earlier file, Yes, cancelled", "earlier", "three", true, question, "cancel", false);
        row("no pages", "", "none", false, 0, "", false);
        // Root ignores permissions: a folder in the way is the output that cannot be replaced.
        row("output cannot be replaced", "folder", "three", false, 0, "output", false);
        // The shared check refuses bad destinations; here, that this dialog asks it too.
        row("name leaves the folder", "outside", "three", false, int(QMessageBox::Warning), "",
            false);
    }

    void outcomes()
    {
        QFETCH(QString, setup);
        QFETCH(QString, pages);
        QFETCH(bool, yes);
        QFETCH(int, box);
        QFETCH(QString, end);
        QFETCH(bool, written);
        const QString name = setup == "outside"_L1 ? u"../quillary-refused"_s : u"Document"_s;
        const QString path = m_out.filePath(u"Document.pdf"_s);
        if (setup == "earlier"_L1)
            QVERIFY(writeFile(path, "earlier export"));
        else if (setup == "folder"_L1)
            QVERIFY(QDir(m_out.path()).mkdir(u"Document.pdf"_s));
        const QStringList before = entries(m_out.path());
        const QString png = m_pages.filePath(u"page.png"_s); // an unsupported page
        const QStringList list = pages == "none"_L1  ? QStringList()
                                 : pages == "png"_L1 ? m_threePages + QStringList{png}
                                                     : m_threePages;
        MessageBoxAnswerer answerer(yes ? QMessageBox::Yes : QMessageBox::No);
        ExportDlg dialog;
        dialog.folderField()->setChooser(noFolder);
        QSignalSpy applied(&dialog, &ExportDlg::applied);
        QSignalSpy failed(&dialog, &ExportDlg::failed);
        dialog.setPages(list);
        named<QLineEdit>(dialog, "Document Name")->setText(name);
        dialog.show();
        named<QComboBox>(dialog, "Paper size")->setCurrentIndex(1); // Letter
        named<QDoubleSpinBox>(dialog, "Right")->setValue(0.7);
        const bool cancel = end == "cancel"_L1;
        const ProgressCanceller canceller(&dialog, cancel ? 1 : 0);
        named<QPushButton>(dialog, "Save to PDF")->click();

        QCOMPARE(answerer.boxes().size(), box ? 1 : 0);
        if (box) {
            const MessageBoxAnswerer::Box shown = answerer.boxes().first();
            QCOMPARE(int(shown.icon), box);
            QCOMPARE(shown.text.startsWith(u"Document.pdf already exists."_s),
                     box == QMessageBox::Question);
        }
        QCOMPARE(applied.size(), written ? 1 : 0);
        QCOMPARE(canceller.pressedAt(), cancel ? 1 : 0);
        const bool fails = !end.isEmpty() && !cancel;
        QCOMPARE(failed.size(), fails ? 1 : 0);
        if (fails)
            QCOMPARE(failed.at(0).at(0).toString(), end == "page"_L1 ? png : path);
        // Stays open so the user can change something, unless written, cancelled or hopeless.
        QCOMPARE(dialog.isVisible(), !written && !cancel && end != "output"_L1);
        const auto *progress = dialog.findChild<PdfProgress *>();
        QVERIFY(progress == nullptr || !progress->isVisible());
        if (written) { // with the dialog's choices, which are stored
            QCOMPARE(applied.at(0).at(0).toString(), path);
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
