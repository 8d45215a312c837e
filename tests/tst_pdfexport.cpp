// The "Build PDF" dialog: what it shows and loads, the preview that follows changes after
// half a second and pages through the document, and every outcome of "Save to PDF" as the
// main window sees it through applied and failed, or as the user sees it in a question or
// a warning before anything is written.
#include "ExportDlg.h"
#include "MessageBoxAnswerer.h"
#include "PaperSizes.h"
#include "PdfProgress.h"
#include "PdfTestTools.h"
#include "SelectFolderWidget.h"
#include "SettingsKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <memory>

using namespace PdfTestTools;

Q_DECLARE_METATYPE(QMessageBox::StandardButton)

namespace {
template <typename T> T *named(const QWidget &parent, const char *accessibleName)
{
    for (T *widget : parent.findChildren<T *>()) {
        if (widget->accessibleName() == QLatin1String(accessibleName))
            return widget;
    }
    return nullptr;
}

QString pagesLabel(const QWidget &dialog)
{
    for (const QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->text().startsWith(QLatin1String("Pages: ")))
            return label->text();
    }
    return QString();
}

bool progressShown()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<PdfProgress *>(widget) && widget->isVisible())
            return true;
    }
    return false;
}
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
            drawPage(m_pages.filePath(QStringLiteral("00000001_o.jpg")), {600, 300}, 300),
            drawPage(m_pages.filePath(QStringLiteral("00000002_o.tiff")), {400, 500}, 200, true),
            drawPage(m_pages.filePath(QStringLiteral("00000003_o.jpg")), {300, 600}, 150),
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
        for (const QString &name : entries(m_out.path())) {
            if (!QDir(m_out.path()).remove(name))
                QDir(m_out.path()).rmdir(name);
        }
    }

    void controls()
    {
        const auto dialog = makeDialog();
        QVERIFY(named<QCheckBox>(*dialog, "By Page Center")->isChecked());
        QVERIFY(named<QPushButton>(*dialog, "Save to PDF")->isDefault());

        // Every control can be found by assistive technology.
        for (QWidget *widget : dialog->findChildren<QWidget *>()) {
            const bool control =
                qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget) ||
                qobject_cast<QComboBox *>(widget) || qobject_cast<QAbstractSpinBox *>(widget);
            if (control && widget->parentWidget() != nullptr &&
                !qobject_cast<QAbstractSpinBox *>(widget->parentWidget()) &&
                !qobject_cast<QComboBox *>(widget->parentWidget()))
                QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
        }

        // Escape closes without exporting.
        QSignalSpy applied(dialog.get(), &ExportDlg::applied);
        dialog->setPages(m_threePages);
        dialog->show();
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QVERIFY(applied.isEmpty());
    }

    void loadsStoredSettings_data()
    {
        QTest::addColumn<int>("paperId");
        QTest::addColumn<QString>("paperText");
        row("Letter", 2, "Letter");
        row("not offered", 29, "A4");
    }

    void loadsStoredSettings()
    {
        QFETCH(int, paperId);
        QFETCH(QString, paperText);

        const auto dialog = makeDialog();
        writeSetting(Settings::PaperSize, paperId);
        writeSetting(Settings::Orientation, 1);
        writeSetting(Settings::Scale, 2);
        writeSetting(Settings::ByCenter, false);
        writeSetting(Settings::NeedOpen, false);
        writeSetting(Settings::Left, 1.5);
        writeSetting(Settings::Bottom, 0.3);
        writeSetting(Settings::FolderPlace, 0);
        dialog->setPages(m_threePages);

        QCOMPARE(named<QComboBox>(*dialog, "Paper size")->currentText(), paperText);
        QCOMPARE(named<QComboBox>(*dialog, "Orientation")->currentText(),
                 QStringLiteral("Landscape"));
        QCOMPARE(named<QComboBox>(*dialog, "Scale")->currentText(),
                 QStringLiteral("Stretch with keeping aspect"));
        QVERIFY(!named<QCheckBox>(*dialog, "By Page Center")->isChecked());
        QVERIFY(!named<QCheckBox>(*dialog, "Open PDF document after creation")->isChecked());
        QCOMPARE(named<QDoubleSpinBox>(*dialog, "Left")->value(), 1.5);
        QCOMPARE(named<QDoubleSpinBox>(*dialog, "Bottom")->value(), 0.3);
        QVERIFY(named<QRadioButton>(*dialog, "Desktop")->isChecked());
        QCOMPARE(pagesLabel(*dialog), QStringLiteral("Pages: 1/3"));
    }

    void paging()
    {
        const auto dialog = makeDialog();
        dialog->setPages(m_threePages);
        QSignalSpy painted(dialog->findChild<QPrintPreviewWidget *>(),
                           &QPrintPreviewWidget::paintRequested);
        auto *back = named<QToolButton>(*dialog, "Back");
        auto *next = named<QToolButton>(*dialog, "Next");
        QVERIFY(back && next);

        back->click(); // already at the first page
        QCOMPARE(dialog->currentPage(), 0);
        QCOMPARE(painted.size(), 0);
        next->click();
        next->click();
        QCOMPARE(dialog->currentPage(), 2);
        QCOMPARE(pagesLabel(*dialog), QStringLiteral("Pages: 3/3"));
        QCOMPARE(painted.size(), 2);
        next->click(); // already at the last page
        QCOMPARE(dialog->currentPage(), 2);
        QCOMPARE(painted.size(), 2);
        back->click();
        QCOMPARE(pagesLabel(*dialog), QStringLiteral("Pages: 2/3"));

        // A new page list starts at its first page again.
        dialog->setPages(m_threePages.mid(0, 2));
        QCOMPARE(dialog->currentPage(), 0);
        QCOMPARE(pagesLabel(*dialog), QStringLiteral("Pages: 1/2"));
    }

    void previewFollowsChanges_data()
    {
        QTest::addColumn<QString>("change");
        for (const char *change : {"paper", "orientation", "scale", "margin", "centre"})
            QTest::newRow(change) << QString::fromLatin1(change);
    }

    void previewFollowsChanges()
    {
        QFETCH(QString, change);
        const auto dialog = makeDialog();
        dialog->setPages(m_threePages);
        auto *timer = dialog->findChild<QTimer *>(QStringLiteral("previewTimer"));
        QVERIFY(timer && !timer->isActive());
        QSignalSpy painted(dialog->findChild<QPrintPreviewWidget *>(),
                           &QPrintPreviewWidget::paintRequested);

        if (change == QLatin1String("paper"))
            named<QComboBox>(*dialog, "Paper size")->setCurrentIndex(3);
        else if (change == QLatin1String("orientation"))
            named<QComboBox>(*dialog, "Orientation")->setCurrentIndex(1);
        else if (change == QLatin1String("scale"))
            named<QComboBox>(*dialog, "Scale")->setCurrentIndex(1);
        else if (change == QLatin1String("margin"))
            named<QDoubleSpinBox>(*dialog, "Top")->setValue(1.2);
        else
            named<QCheckBox>(*dialog, "By Page Center")->setChecked(false);

        // Not at once: a single refresh half a second after the last change.
        QVERIFY(timer->isActive());
        QCOMPARE(painted.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(painted.size(), 1, 2000);
        QVERIFY(!timer->isActive());

        // The printer shows the chosen paper.
        auto *printer = painted.at(0).at(0).value<QPrinter *>();
        QVERIFY(printer);
        const PdfPageOptions options = dialog->optionsFromWidgets();
        QCOMPARE(printer->pageLayout().pageSize().id(), PaperSizes::pageSizeId(options.paperId));
        QCOMPARE(printer->pageLayout().orientation() == QPageLayout::Landscape,
                 options.isLandscape());
    }

    void savesAndWrites()
    {
        const auto dialog = makeDialog();
        QSignalSpy applied(dialog.get(), &ExportDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportDlg::failed);
        dialog->setPages(m_threePages);
        named<QLineEdit>(*dialog, "Document Name")->setText(QStringLiteral("my scan.pdf"));
        named<QComboBox>(*dialog, "Paper size")->setCurrentIndex(1); // Letter
        named<QComboBox>(*dialog, "Scale")->setCurrentIndex(2);
        named<QDoubleSpinBox>(*dialog, "Right")->setValue(0.7);
        named<QCheckBox>(*dialog, "By Page Center")->setChecked(false);
        dialog->show();
        named<QPushButton>(*dialog, "Save to PDF")->click();

        const QString path = m_out.filePath(QStringLiteral("my scan.pdf"));
        QCOMPARE(failed.size(), 0);
        QCOMPARE(applied.size(), 1);
        QCOMPARE(applied.at(0).at(0).toString(), path);
        QVERIFY(!dialog->isVisible());
        QVERIFY(!progressShown());
        // Written with the dialog's choices; the writer's own tests look inside the file.
        QCOMPARE(pdfinfoPages(path), 3);
        QCOMPARE(pdfinfoSize(path), QStringLiteral("612 x 792"));

        QCOMPARE(readSetting(Settings::PaperSize).toInt(), 2);
        QCOMPARE(readSetting(Settings::Right).toDouble(), 0.7);
        QCOMPARE(readSetting(Settings::DocName).toString(), QStringLiteral("my scan.pdf"));
    }

    void endsWithoutNewFile_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<bool>("dialogStays"); // so the user can change something and try again
        row("no pages", "no pages", true);
        row("unsupported page", "page.png", true);
        // A folder stands where the file should go: root ignores permissions, so this is the
        // output that cannot be replaced.
        row("output cannot be replaced", "busy.pdf", false);
    }

    void endsWithoutNewFile()
    {
        QFETCH(QString, problem);
        QFETCH(bool, dialogStays);
        QTemporaryDir dir;
        const QString png = dir.filePath(problem);
        QStringList pages = m_threePages;
        QString failedPath;
        if (problem == QLatin1String("no pages")) {
            pages.clear();
        } else if (problem == QLatin1String("page.png")) {
            QVERIFY(QImage(20, 20, QImage::Format_RGB32).save(png));
            pages = QStringList{m_threePages[0], png};
            failedPath = png;
        } else {
            QVERIFY(QDir(m_out.path()).mkdir(problem));
            failedPath = m_out.filePath(problem);
        }
        const QStringList before = entries(m_out.path());
        const auto dialog = makeDialog();
        QSignalSpy applied(dialog.get(), &ExportDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportDlg::failed);
        dialog->setPages(pages);
        named<QLineEdit>(*dialog, "Document Name")->setText(QStringLiteral("busy"));
        dialog->show();
        dialog->apply();

        QVERIFY(applied.isEmpty());
        QCOMPARE(failed.size(), failedPath.isEmpty() ? 0 : 1);
        if (!failedPath.isEmpty())
            QCOMPARE(failed.at(0).at(0).toString(), failedPath);
        QCOMPARE(dialog->isVisible(), dialogStays);
        QVERIFY(!progressShown());
        QCOMPARE(entries(m_out.path()), before);
        QVERIFY(!QFileInfo(m_out.filePath(QStringLiteral("busy.pdf"))).isFile());
        if (pages.isEmpty())
            QVERIFY(!QSettings().contains(QLatin1String(Settings::DocName.name)));
    }

    void replaceQuestion_data()
    {
        QTest::addColumn<bool>("earlier"); // a file of the same name is there already
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<bool>("pageFails");
        QTest::addColumn<QString>("outcome");
        row("no earlier file: no question", false, QMessageBox::No, false, "written");
        row("earlier file, No", true, QMessageBox::No, false, "kept");
        row("earlier file, Yes", true, QMessageBox::Yes, false, "written");
        // Yes replaces the file only with a complete new one.
        row("earlier file, Yes, a page fails", true, QMessageBox::Yes, true, "failed");
    }

    void replaceQuestion()
    {
        QFETCH(bool, earlier);
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(bool, pageFails);
        QFETCH(QString, outcome);
        const QString path = m_out.filePath(QStringLiteral("Document.pdf"));
        if (earlier)
            QVERIFY(writeFile(path, "earlier export"));
        QTemporaryDir dir;
        QStringList pages = m_threePages;
        if (pageFails) {
            pages << dir.filePath(QStringLiteral("page.png"));
            QVERIFY(QImage(20, 20, QImage::Format_RGB32).save(pages.last()));
        }
        MessageBoxAnswerer answerer(answer);
        const auto dialog = makeDialog();
        QSignalSpy applied(dialog.get(), &ExportDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportDlg::failed);
        dialog->setPages(pages);
        named<QLineEdit>(*dialog, "Document Name")->setText(QStringLiteral("Document"));
        dialog->show();
        named<QPushButton>(*dialog, "Save to PDF")->click();

        QCOMPARE(int(answerer.boxes().size()), earlier ? 1 : 0);
        if (earlier) {
            QCOMPARE(answerer.boxes().first().title, QStringLiteral("Quillary"));
            QCOMPARE(answerer.boxes().first().text,
                     QStringLiteral("Document.pdf already exists. Do you want to replace it?"));
        }
        QCOMPARE(applied.size(), outcome == QLatin1String("written") ? 1 : 0);
        QCOMPARE(failed.size(), outcome == QLatin1String("failed") ? 1 : 0);
        QCOMPARE(dialog->isVisible(), outcome != QLatin1String("written"));
        QVERIFY(!progressShown());
        if (outcome == QLatin1String("written"))
            QCOMPARE(pdfinfoPages(path), 3);
        else
            QCOMPARE(contents(path), QByteArray("earlier export"));
        QCOMPARE(entries(m_out.path()), QStringList{QStringLiteral("Document.pdf")});
    }

    void refusedDestination_data()
    {
        QTest::addColumn<bool>("folderSet");
        QTest::addColumn<QString>("name");
        row("other folder empty", false, "quillary-refused");
        row("name leaves the folder", true, "../quillary-refused");
    }

    void refusedDestination()
    {
        QFETCH(bool, folderSet);
        QFETCH(QString, name);
        if (!folderSet)
            writeSetting(Settings::DocFolder, QString());
        MessageBoxAnswerer answerer;
        const auto dialog = makeDialog();
        QSignalSpy applied(dialog.get(), &ExportDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportDlg::failed);
        dialog->setPages(m_threePages);
        named<QLineEdit>(*dialog, "Document Name")->setText(name);
        dialog->show();
        named<QPushButton>(*dialog, "Save to PDF")->click();

        QCOMPARE(answerer.boxes().size(), 1);
        QCOMPARE(answerer.boxes().first().icon, QMessageBox::Warning);
        QVERIFY(applied.isEmpty() && failed.isEmpty());
        QVERIFY(dialog->isVisible());
        // Nowhere: not in the folder, not beside it, not in the root.
        QVERIFY(entries(m_out.path()).isEmpty());
        for (const QString &folder : {m_out.filePath(QStringLiteral("..")), QStringLiteral("/")})
            QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/quillary-refused.pdf")));
        QVERIFY(!QSettings().contains(QLatin1String(Settings::DocName.name)));
    }

    void cancelInTheMiddle()
    {
        const QString path = m_out.filePath(QStringLiteral("kept.pdf"));
        QVERIFY(writeFile(path, "earlier export"));
        const auto dialog = makeDialog();
        QSignalSpy applied(dialog.get(), &ExportDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportDlg::failed);
        dialog->setPages(m_threePages);
        named<QLineEdit>(*dialog, "Document Name")->setText(QStringLiteral("kept"));
        dialog->show();

        // The user agrees to replace the earlier file, then presses "Cancel" on the progress
        // dialog while the first page is written.
        MessageBoxAnswerer answerer(QMessageBox::Yes);
        int cancelledAtPage = -1;
        std::function<void()> watchProgress = [&]() {
            auto *progress = dialog->findChild<PdfProgress *>();
            if (progress == nullptr || !progress->isVisible()) {
                // Still asking: look again with the next events.
                QTimer::singleShot(0, dialog.get(), watchProgress);
                return;
            }
            auto *bar = progress->findChild<QProgressBar *>();
            auto *cancel = progress->findChild<QPushButton *>();
            QVERIFY(!cancel->isEnabled()); // still creating
            connect(bar, &QProgressBar::valueChanged, progress, [=, &cancelledAtPage](int page) {
                QTimer::singleShot(0, cancel, [=, &cancelledAtPage]() {
                    if (cancelledAtPage >= 0 || !cancel->isEnabled())
                        return;
                    cancelledAtPage = page;
                    cancel->click();
                });
            });
        };
        QTimer::singleShot(0, dialog.get(), watchProgress);
        dialog->apply();

        QCOMPARE(answerer.count(QMessageBox::Question), 1);
        QCOMPARE(cancelledAtPage, 1);
        QVERIFY(applied.isEmpty() && failed.isEmpty());
        QVERIFY(!dialog->isVisible());
        QVERIFY(!progressShown());
        QCOMPARE(contents(path), QByteArray("earlier export"));
        QCOMPARE(entries(m_out.path()), QStringList{QStringLiteral("kept.pdf")});
    }

private:
    // A dialog writing into m_out, with a folder chooser that never opens a window.
    std::unique_ptr<ExportDlg> makeDialog();

    QTemporaryDir m_pages;
    QTemporaryDir m_out;
    QStringList m_threePages;
};

std::unique_ptr<ExportDlg> TestPdfExport::makeDialog()
{
    auto dialog = std::make_unique<ExportDlg>();
    dialog->folderField()->setChooser(
        [](QWidget *, const QString &, const QString &) { return QString(); });
    return dialog;
}

QTEST_MAIN(TestPdfExport)
#include "tst_pdfexport.moc"
