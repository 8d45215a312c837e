// The options dialog: what it shows and stores on "OK", "Cancel" and "Default", where it reopens.
#include "OptionsDlg.h"
#include "PropertyModel.h"
#include "ScanResPage.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(const SettingKey *)

namespace {
// Each key the dialog writes, a value other than its default, and how its named control shows it.
struct Choice
{
    const SettingKey *key;
    const char *control; // none for the category
    QVariant value;
    QVariant shown;
};
const QList<Choice> changedValues = {
    {&Settings::MiddleQuality, "Middle:", 75, u"75"_s},
    {&Settings::GoodQuality, "Good:", 150, u"150"_s},
    {&Settings::HighQuality, "High:", 600, u"600"_s},
    {&Settings::PaperSource, "Paper Source:", 1, u"Automatic Feeder (ADF)"_s},
    {&Settings::AcquireImage, "Acquire:", 1, u"All available images"_s},
    {&Settings::AutoContrast, "Automatic contrast adjustment of scanned pages", false, false},
    {&Settings::Preview, "Scan with preview", true, true},
    {&Settings::AutoOrientation, "Turn pages upright automatically", true, true},
    {&Settings::SkipBlankPages, "Leave out blank pages of a feeder run", true, true},
    {&Settings::LastOptionsPage, nullptr, u"PT_Scanner"_s, QVariant()},
};
} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void init() { QSettings().clear(); }

    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void dialogFrame()
    {
        OptionsDlg dialog;
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((dialog.geometry().center() - centre).manhattanLength() <= 2);

        // Every control can be found by assistive technology.
        for (const QWidget *widget : dialog.findChildren<QWidget *>()) {
            if (widget->focusPolicy() == Qt::NoFocus || widget->inherits("QScrollBar"))
                continue;
            QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
            QVERIFY(!widget->accessibleName().contains(u'&'));
        }
        // A resolution list is read by its label, with the chosen dpi as its value.
        int named = 0;
        for (const QLabel *label : dialog.findChild<ScanResPage *>()->findChildren<QLabel *>()) {
            auto *list = qobject_cast<QComboBox *>(label->buddy());
            if (!list)
                continue;
            list->setCurrentIndex(list->findData(400));
            QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(list);
            QCOMPARE(spoken->text(QAccessible::Name), label->text());
            QCOMPARE(spoken->text(QAccessible::Value), u"400"_s);
            ++named;
        }
        QCOMPARE(named, 3);
    }

    // A stored value the list does not offer shows no choice and is saved as 0.
    void valueNotOffered_data()
    {
        QTest::addColumn<const SettingKey *>("key");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("stored");
        row("resolution", &Settings::MiddleQuality, "Middle:", 250);
        row("paper source", &Settings::PaperSource, "Paper Source:", 5);
        row("paper source negative", &Settings::PaperSource, "Paper Source:", -1);
        row("acquire", &Settings::AcquireImage, "Acquire:", 2);
    }

    void valueNotOffered()
    {
        QFETCH(const SettingKey *, key);
        QFETCH(QString, control);
        QFETCH(int, stored);
        writeSetting(*key, stored);
        OptionsDlg dialog;
        dialog.show();
        auto *list = named<QComboBox>(dialog, qPrintable(control));
        QCOMPARE(list->currentIndex(), -1);
        dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(readSetting(*key).toInt(), 0);
    }

    // "Default" then a way out of the dialog: buttons, or keys in a focused control.
    void defaultButtons_data()
    {
        QTest::addColumn<QString>("focus"); // empty: a button is clicked
        QTest::addColumn<int>("input");     // the button or the key
        QTest::addColumn<bool>("accepted");
        row("then OK stores the defaults", QString(), int(QDialogButtonBox::Ok), true);
        row("then Cancel changes nothing", QString(), int(QDialogButtonBox::Cancel), false);
        row("then Enter in the tree", u"Categories"_s, int(Qt::Key_Return), true);
        row("then Enter in a list", u"Middle:"_s, int(Qt::Key_Enter), true);
        row("then Escape in a list", u"Middle:"_s, int(Qt::Key_Escape), false);
    }

    void defaultButtons()
    {
        QFETCH(QString, focus);
        QFETCH(int, input);
        QFETCH(bool, accepted);
        for (const Choice &choice : changedValues)
            writeSetting(*choice.key, choice.value);
        OptionsDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const Choice &choice : changedValues) {
            if (!choice.control)
                continue;
            if (auto *list = named<QComboBox>(dialog, choice.control))
                QCOMPARE(list->currentText(), choice.shown.toString());
            else
                QCOMPARE(named<QCheckBox>(dialog, choice.control)->isChecked(),
                         choice.shown.toBool());
        }
        int pressed = 0;
        for (QPushButton *push : dialog.findChildren<QPushButton *>()) {
            if (push->accessibleName() == u"Default"_s) {
                push->click();
                ++pressed;
            }
        }
        QCOMPARE(pressed, 2);
        QCOMPARE(named<QComboBox>(dialog, "Middle:")->currentText(), u"100"_s);
        QVERIFY(!named<QCheckBox>(dialog, "Scan with preview")->isChecked());

        if (focus.isEmpty()) {
            auto *buttons = dialog.findChild<QDialogButtonBox *>();
            buttons->button(QDialogButtonBox::StandardButton(input))->click();
        } else {
            QWidget *target = named<QWidget>(dialog, qPrintable(focus));
            QVERIFY(target);
            target->setFocus();
            QTest::keyClick(target, Qt::Key(input));
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(accepted ? QDialog::Accepted : QDialog::Rejected));
        for (const Choice &choice : changedValues) {
            // "Default" chooses values, never the category.
            const bool reset = accepted && choice.control;
            QVariant stored = readSetting(*choice.key); // the store hands back text
            stored.convert(choice.value.metaType());
            QCOMPARE(stored, reset ? choice.key->defaultValue : choice.value);
        }
    }

    void opensOnCategory_data()
    {
        QTest::addColumn<QString>("last");    // the category stored; none when empty
        QTest::addColumn<int>("click");       // the tree row clicked once shown; -1: none
        QTest::addColumn<QString>("current"); // its page: scanner second, resolutions first
        row("scanner stored", "PT_Scanner", -1, "PT_Scanner");
        row("resolution stored", "PT_ScanRes", -1, "PT_ScanRes");
        row("nothing stored", "", -1, "PT_ScanRes");
        row("unknown stored", "PT_Gone", -1, "PT_ScanRes");
        row("stored in other case", "pt_scanner", -1, "PT_ScanRes");
        row("scanner clicked", "PT_ScanRes", 0, "PT_Scanner");
        row("resolution clicked", "PT_Scanner", 1, "PT_ScanRes");
    }

    void opensOnCategory()
    {
        QFETCH(QString, last);
        QFETCH(int, click);
        QFETCH(QString, current);

        if (!last.isEmpty())
            writeSetting(Settings::LastOptionsPage, last);
        OptionsDlg dialog;
        dialog.show();
        // Once shown, the tree takes the focus; the page must stay as opened.
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCoreApplication::processEvents();
        auto *tree = dialog.findChild<QTreeView *>();
        QAbstractItemModelTester tester(tree->model(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        if (click >= 0) {
            const QModelIndex item = tree->model()->index(click, 0);
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualRect(item).center());
        }
        QCOMPARE(dialog.findChild<QStackedWidget *>()->currentIndex(),
                 current == "PT_Scanner"_L1 ? 1 : 0);
        QCOMPARE(
            static_cast<const PropertyModel *>(tree->model())->identifier(tree->currentIndex()),
            current);

        dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(readSetting(Settings::LastOptionsPage).toString(), current);
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
