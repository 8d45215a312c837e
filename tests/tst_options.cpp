// The options dialog: what it shows from the settings store, what "OK", "Cancel" and
// "Default" leave in the store, and the category it reopens on.
#include "OptionsDlg.h"
#include "PropertyModel.h"
#include "ScanResPage.h"
#include "ScannerPage.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

Q_DECLARE_METATYPE(const SettingKey *)

namespace {
// The keys the dialog writes, each with a value other than its default.
const QList<QPair<const SettingKey *, QVariant>> changedValues = {
    {&Settings::MiddleQuality, 75}, {&Settings::GoodQuality, 150},
    {&Settings::HighQuality, 600},  {&Settings::PaperSource, 1},
    {&Settings::AcquireImage, 1},   {&Settings::AutoContrast, false},
    {&Settings::Preview, true},     {&Settings::LastOptionsPage, QStringLiteral("PT_Scanner")},
};

// The stored value in the type the caller expects (the store hands back text).
QVariant stored(const SettingKey &key, QMetaType type)
{
    QVariant value = readSetting(key);
    value.convert(type);
    return value;
}

void press(OptionsDlg &dialog, QDialogButtonBox::StandardButton which)
{
    dialog.findChild<QDialogButtonBox *>()->button(which)->click();
}

int shownPage(const OptionsDlg &dialog)
{
    return dialog.findChild<QStackedWidget *>()->currentIndex();
}
} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void init() { QSettings().clear(); }

    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
        QCoreApplication::setApplicationName(QStringLiteral("Quillary"));
    }

    void dialogFrame()
    {
        OptionsDlg dialog;
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY((dialog.geometry().center() - centre).manhattanLength() <= 2);
        // Pages in the order they were added; the first one shows before any choice.
        auto *stack = dialog.findChild<QStackedWidget *>();
        QVERIFY(qobject_cast<ScanResPage *>(stack->widget(0)));
        QVERIFY(qobject_cast<ScannerPage *>(stack->widget(1)));
        QCOMPARE(shownPage(dialog), 0);

        // Every control can be found by assistive technology.
        for (const QWidget *widget : dialog.findChildren<QWidget *>()) {
            if (widget->focusPolicy() == Qt::NoFocus || widget->inherits("QScrollBar"))
                continue;
            QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
            QVERIFY(!widget->accessibleName().contains(QLatin1Char('&')));
        }
        // A resolution list is read by its label, with the chosen dpi as its value.
        int named = 0;
        for (const QLabel *label : dialog.findChild<ScanResPage *>()->findChildren<QLabel *>()) {
            auto *list = qobject_cast<QComboBox *>(label->buddy());
            if (!list)
                continue;
            list->setCurrentIndex(list->findData(400));
            QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(list);
            QCOMPARE(spoken->role(), QAccessible::ComboBox);
            QCOMPARE(spoken->text(QAccessible::Name), label->text());
            QCOMPARE(spoken->text(QAccessible::Value), QStringLiteral("400"));
            QCOMPARE(spoken->childCount(), 1);
            ++named;
        }
        QCOMPARE(named, 3);
    }

    void roundTrip_data()
    {
        // A null "stored" leaves the key unset; a null "chosen" leaves the control as loaded.
        QTest::addColumn<const SettingKey *>("key");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("shown");
        QTest::addColumn<QVariant>("chosen");
        QTest::addColumn<QVariant>("saved");

        const auto add = [](const char *name, const SettingKey &key, const char *control,
                            const QVariant &stored, const QVariant &shown, const QVariant &chosen,
                            const QVariant &saved) {
            row(name, &key, QString::fromUtf8(control), stored, shown, chosen, saved);
        };
        const auto text = [](const char *value) { return QVariant(QString::fromUtf8(value)); };
        const char *contrast = "Automatic contrast adjustment of scanned pages";
        const QVariant same;
        const QVariant none = text(""); // a stored value the list does not offer: saved as 0

        add("middle default", Settings::MiddleQuality, "Middle:", {}, text("100"), same, 100);
        add("middle chosen", Settings::MiddleQuality, "Middle:", 150, text("150"), text("75"), 75);
        add("middle not offered", Settings::MiddleQuality, "Middle:", 250, none, same, 0);
        add("high stored", Settings::HighQuality, "High:", 600, text("600"), text("150"), 150);
        add("paper default", Settings::PaperSource, "Paper Source:", {}, text("Flatbed (platen)"),
            text("Automatic Feeder (ADF)"), 1);
        add("paper stored", Settings::PaperSource, "Paper Source:", 1,
            text("Automatic Feeder (ADF)"), same, 1);
        add("paper not offered", Settings::PaperSource, "Paper Source:", 5, none, same, 0);
        add("paper negative", Settings::PaperSource, "Paper Source:", -1, none, same, 0);
        add("acquire default", Settings::AcquireImage, "Acquire:", {}, text("One image"),
            text("All available images"), 1);
        add("acquire stored", Settings::AcquireImage, "Acquire:", 1, text("All available images"),
            text("One image"), 0);
        add("acquire not offered", Settings::AcquireImage, "Acquire:", 2, none, same, 0);
        add("contrast default", Settings::AutoContrast, contrast, {}, true, false, false);
        add("preview default", Settings::Preview, "Scan with preview", {}, false, true, true);
        add("preview stored", Settings::Preview, "Scan with preview", true, true, false, false);
        add("upright default", Settings::AutoOrientation, "Turn pages upright automatically", {},
            false, true, true);
        add("blank pages stored", Settings::SkipBlankPages, "Leave out blank pages of a feeder run",
            true, true, false, false);
    }

    void roundTrip()
    {
        QFETCH(const SettingKey *, key);
        QFETCH(QString, control);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, shown);
        QFETCH(QVariant, chosen);
        QFETCH(QVariant, saved);

        if (stored.isValid())
            writeSetting(*key, stored);
        OptionsDlg dialog;
        dialog.show();
        // Controls are found the way assistive technology finds them: by accessible name.
        if (auto *list = named<QComboBox>(dialog, qPrintable(control))) {
            QCOMPARE(list->currentText(), shown.toString());
            QCOMPARE(list->currentIndex() == -1, shown.toString().isEmpty());
            if (chosen.isValid())
                list->setCurrentIndex(list->findText(chosen.toString()));
        } else {
            auto *box = named<QCheckBox>(dialog, qPrintable(control));
            QVERIFY(box);
            QCOMPARE(box->isChecked(), shown.toBool());
            if (chosen.isValid())
                box->setChecked(chosen.toBool());
        }
        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(::stored(*key, saved.metaType()), saved);
    }

    // "Default" then a way out of the dialog: buttons, or keys in a focused control.
    void defaultButtons_data()
    {
        QTest::addColumn<QString>("focus"); // empty: a button is clicked
        QTest::addColumn<int>("input");     // the button or the key
        QTest::addColumn<bool>("accepted");
        row("then OK stores the defaults", QString(), int(QDialogButtonBox::Ok), true);
        row("then Cancel changes nothing", QString(), int(QDialogButtonBox::Cancel), false);
        row("then Enter in the tree", QStringLiteral("Categories"), int(Qt::Key_Return), true);
        row("then Enter in a list", QStringLiteral("Middle:"), int(Qt::Key_Enter), true);
        row("then Escape in a list", QStringLiteral("Middle:"), int(Qt::Key_Escape), false);
    }

    void defaultButtons()
    {
        QFETCH(QString, focus);
        QFETCH(int, input);
        QFETCH(bool, accepted);
        for (const auto &[key, value] : changedValues)
            writeSetting(*key, value);
        OptionsDlg dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        int pressed = 0;
        for (QPushButton *push : dialog.findChildren<QPushButton *>()) {
            if (push->accessibleName() == QStringLiteral("Default")) {
                push->click();
                ++pressed;
            }
        }
        QCOMPARE(pressed, 2);
        QCOMPARE(named<QComboBox>(dialog, "Middle:")->currentText(), QStringLiteral("100"));
        QVERIFY(!named<QCheckBox>(dialog, "Scan with preview")->isChecked());

        if (focus.isEmpty()) {
            press(dialog, QDialogButtonBox::StandardButton(input));
        } else {
            QWidget *target = named<QWidget>(dialog, qPrintable(focus));
            QVERIFY(target);
            target->setFocus();
            QTest::keyClick(target, Qt::Key(input));
        }
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(accepted ? QDialog::Accepted : QDialog::Rejected));
        for (const auto &[key, value] : changedValues) {
            // "Default" chooses values, never the category.
            const bool reset = accepted && key != &Settings::LastOptionsPage;
            QCOMPARE(stored(*key, value.metaType()), reset ? key->defaultValue : value);
        }
    }

    void opensOnCategory_data()
    {
        QTest::addColumn<QVariant>("last");
        QTest::addColumn<int>("click"); // the tree row clicked once shown; -1: none
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("current");
        const QVariant scanner(QStringLiteral("PT_Scanner"));
        const QVariant resolution(QStringLiteral("PT_ScanRes"));
        row("scanner stored", scanner, -1, 1, "PT_Scanner");
        row("resolution stored", resolution, -1, 0, "PT_ScanRes");
        row("nothing stored", QVariant(), -1, 0, "PT_ScanRes");
        row("unknown stored", QVariant(QStringLiteral("PT_Gone")), -1, 0, "PT_ScanRes");
        row("stored in other case", QVariant(QStringLiteral("pt_scanner")), -1, 0, "PT_ScanRes");
        row("scanner clicked", resolution, 0, 1, "PT_Scanner");
        row("resolution clicked", scanner, 1, 0, "PT_ScanRes");
    }

    void opensOnCategory()
    {
        QFETCH(QVariant, last);
        QFETCH(int, click);
        QFETCH(int, page);
        QFETCH(QString, current);

        if (last.isValid())
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
            QCOMPARE(tree->selectionModel()->selectedRows(), QModelIndexList{item});
        }
        QCOMPARE(shownPage(dialog), page);
        QCOMPARE(
            static_cast<const PropertyModel *>(tree->model())->identifier(tree->currentIndex()),
            current);

        press(dialog, QDialogButtonBox::Ok);
        QCOMPARE(readSetting(Settings::LastOptionsPage).toString(), current);
    }
};

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
