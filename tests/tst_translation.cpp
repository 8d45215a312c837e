// The Russian translation as a user meets it.
#include "AutoScanWizard.h"
#include "BrightnessDlg.h"
#include "DestinationSettings.h"
#include "ExportDjvuDlg.h"
#include "ExportDlg.h"
#include "ExportFileDlg.h"
#include "ExportWordDlg.h"
#include "OcrLanguages.h"
#include "OptionsDlg.h"
#include "SettingsKeys.h"
#include "SourceSelectDlg.h"
#include "SplashPanel.h"
#include "StartPanel.h"
#include "TestHelpers.h"
#include "Translations.h"
#include "TwoSidedStackDlg.h"
#include "UpdateDlg.h"
#include "WaitingDlg.h"
#include "WindowFixture.h"

#include <QtTest>
#include <QtWidgets>

#include <functional>

using namespace Qt::StringLiterals;

using WidgetMaker = std::function<QWidget *()>;
Q_DECLARE_METATYPE(WidgetMaker)

namespace {
// The texts a widget under root shows cut off, each with the room it needs and the room it has.
QStringList cutTexts(QWidget *root)
{
    QStringList cut;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        auto *label = qobject_cast<QLabel *>(widget);
        auto *button = qobject_cast<QAbstractButton *>(widget);
        const QString text = label ? label->text() : button ? button->text() : QString();
        // A panel collapsed by its splitter shows no text to cut.
        if (text.isEmpty() || !widget->isVisibleTo(root) || widget->visibleRegion().isEmpty())
            continue;
        int needed = widget->sizeHint().width();
        int room = widget->width();
        if (label && label->wordWrap()) {
            needed = label->heightForWidth(label->width());
            room = label->height();
        } else if (qobject_cast<QPushButton *>(button)) {
            // A push button's own hint has a minimum width, more than a short text needs.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = text;
            needed = button->fontMetrics().size(Qt::TextShowMnemonic, text).width() +
                     (button->icon().isNull() ? 0 : button->iconSize().width() + 4);
            room = button->style()
                       ->subElementRect(QStyle::SE_PushButtonContents, &option, button)
                       .width();
        }
        if (needed > room)
            cut << u"%1 \"%2\": %3 > %4"_s
                       .arg(QLatin1String(widget->metaObject()->className()), text)
                       .arg(needed)
                       .arg(room);
    }
    return cut;
}

// Shows the widget and every page of its page stacks, and collects what is cut off anywhere.
QStringList cutTextsOnEveryPage(QWidget *widget)
{
    widget->show();
    QStringList cut = cutTexts(widget);
    if (auto *wizard = qobject_cast<QWizard *>(widget)) {
        for (const int id : wizard->pageIds()) {
            wizard->setStartId(id);
            wizard->restart();
            QCoreApplication::processEvents();
            cut << cutTexts(wizard);
        }
    }
    for (auto *stack : widget->findChildren<QStackedWidget *>()) {
        for (int page = 0; page < stack->count(); ++page) {
            stack->setCurrentIndex(page);
            QCoreApplication::processEvents();
            cut << cutTexts(widget);
        }
    }
    cut.removeDuplicates();
    return cut;
}
} // namespace

class TestTranslation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        setUpWindowTests();
        QVERIFY(installTranslators(QLocale(QLocale::Russian, QLocale::Russia)));
    }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void dialogsShowWholeTexts_data()
    {
        QTest::addColumn<WidgetMaker>("make");
        QTest::newRow("brightness") << WidgetMaker([] { return new BrightnessDlg; });
        QTest::newRow("PDF") << WidgetMaker([] { return new ExportDlg; });
        QTest::newRow("DjVu") << WidgetMaker([] { return new ExportDjvuDlg; });
        QTest::newRow("Word") << WidgetMaker([] { return new ExportWordDlg; });
        QTest::newRow("images") << WidgetMaker([] { return new ExportFileDlg; });
        QTest::newRow("scan options") << WidgetMaker([] { return new OptionsDlg(nullptr, true); });
        QTest::newRow("auto scan") << WidgetMaker([] { return new AutoScanWizard; });
        QTest::newRow("scanners") << WidgetMaker([] {
            return new SourceSelectDlg({{u"test:0"_s, u"Test"_s}}, QString());
        });
        QTest::newRow("two-sided") << WidgetMaker([] { return new TwoSidedStackDlg(12, 1); });
        QTest::newRow("update") << WidgetMaker([] { return new UpdateDlg; });
        QTest::newRow("waiting") << WidgetMaker([] { return new WaitingDlg; });
        QTest::newRow("splash") << WidgetMaker([] { return new SplashPanel; });
        QTest::newRow("start") << WidgetMaker([] {
            auto *panel = new StartPanel;
            panel->setWaitingPages(3);
            panel->setRemovalWarning(StartPanel::removalText(5, 21, QDate(2024, 3, 3)));
            return panel;
        });
        // Every ribbon page and work area, the status bar and a long notice.
        QTest::newRow("window") << WidgetMaker([] {
            auto window = makeWindow();
            window->showNotice(QCoreApplication::translate(
                "MainWindow", "A two-sided stack has as many backs as fronts.<br>Check its fronts "
                              "and backs (an even number of pages), or none to take every page."));
            return window.release();
        });
    }
    void dialogsShowWholeTexts()
    {
        QFETCH(WidgetMaker, make);
        std::unique_ptr<QWidget> widget(make());
        QCOMPARE(cutTextsOnEveryPage(widget.get()).join(u'\n'), QString());
    }

    // Texts come from the resources from any folder; LANG, then LANGUAGE, then --lang decide.
    void foundFromAnotherFolder_data()
    {
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("shown"); // the window title and "Cancel"
        const QStringList russian{
            u"Quillary — автоматическое сканирование в PDF, DjVu, JPEG, TIFF, BMP, PNG"_s,
            u"Отмена"_s};
        const QStringList english{u"Quillary - Automatic Scan to PDF, DjVu, JPEG, TIFF, BMP, PNG"_s,
                                  u"Cancel"_s};
        const QString lang = u"LANG=ru_RU.UTF-8"_s;
        row("LANG", QStringList{lang}, QStringList(), russian);
        row("LANGUAGE", QStringList{u"LANG=en_GB.UTF-8"_s, u"LANGUAGE=ru:en"_s}, QStringList(),
            russian);
        row("--lang", QStringList{lang, u"LANGUAGE=ru"_s}, QStringList{u"--lang"_s, u"en"_s},
            english);
        row("--lang=", QStringList{u"LANG=C"_s}, QStringList{u"--lang=ru_RU"_s}, russian);
    }
    void foundFromAnotherFolder()
    {
        QFETCH(QStringList, environment);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, shown);
        QTemporaryDir home;
        QTemporaryDir elsewhere;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANGUAGE"})
            env.remove(QLatin1String(name));
        env.insert(u"HOME"_s, home.path());
        env.insert(u"XDG_CONFIG_HOME"_s, home.filePath(u"config"_s));
        env.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        for (const QString &variable : std::as_const(environment))
            env.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
        QProcess program;
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(elsewhere.path());
        program.start(QStringLiteral(QUILLARY_TEST_TEXTS), arguments);
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        const QStringList lines =
            QString::fromUtf8(program.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, shown);
    }

    void localeDefaults_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("paper"); // as PaperSize stores it: A4 0, Letter 2
        QTest::addColumn<QString>("languages");
        QTest::addColumn<QString>("date");  // of 3 March 2024
        QTest::addColumn<QString>("names"); // of Russian and English, as the PDF dialog shows them
        row("Russian", u"ru_RU"_s, 0, u"rus+eng"_s, u"3 марта 2024 г."_s, u"русский + English"_s);
        row("US", u"en_US"_s, 2, u"eng"_s, u"March 3, 2024"_s, u"Russian + English"_s);
        row("British", u"en_GB"_s, 0, u"eng"_s, u"3 March 2024"_s, u"Russian + English"_s);
        row("German", u"de_DE"_s, 0, u"eng"_s, u"3. März 2024"_s, u"русский + English"_s);
    }
    void localeDefaults()
    {
        QFETCH(QString, locale);
        QFETCH(int, paper);
        QFETCH(QString, languages);
        QFETCH(QString, date);
        QFETCH(QString, names);
        QSettings().clear();
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(readSetting(Settings::PaperSize).toInt(), paper);
        QCOMPARE(readSetting(Settings::RecognitionLanguages).toString(), languages);
        QCOMPARE(DestinationSettings::documentDate(QDate(2024, 3, 3)), date);
        QCOMPARE(OcrLanguages::displayName(u"rus+eng"_s), names);
        // What the user chose stays, whatever the locale.
        writeSetting(Settings::PaperSize, 5);
        QCOMPARE(readSetting(Settings::PaperSize).toInt(), 5);
    }
};

QTEST_MAIN(TestTranslation)
#include "tst_translation.moc"
