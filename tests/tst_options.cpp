// The options dialog: what it shows from the settings store, what "OK", "Cancel" and
// "Default" leave in the store, the category it reopens on, and its category model.
#include "OptionsDlg.h"
#include "PropertyModel.h"
#include "ScanResPage.h"
#include "ScannerPage.h"
#include "SettingsKeys.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QTest>
#include <QTreeView>

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

// Controls are found the way assistive technology finds them: by accessible name.
template <typename T> T *control(const QWidget &dialog, const QString &accessibleName)
{
    for (T *widget : dialog.findChildren<T *>()) {
        if (widget->accessibleName() == accessibleName)
            return widget;
    }
    return nullptr;
}

void press(OptionsDlg &dialog, QDialogButtonBox::StandardButton which)
{
    dialog.findChild<QDialogButtonBox *>()->button(which)->click();
}

int pressDefaults(const OptionsDlg &dialog)
{
    const QList<QPushButton *> buttons = dialog.findChildren<QPushButton *>();
    int pressed = 0;
    for (QPushButton *button : buttons) {
        if (button->accessibleName() == QStringLiteral("Default")) {
            button->click();
            ++pressed;
        }
    }
    return pressed;
}

int shownPage(const OptionsDlg &dialog)
{
    return dialog.findChild<QStackedWidget *>()->currentIndex();
}

QString currentIdentifier(const OptionsDlg &dialog)
{
    const auto *tree = dialog.findChild<QTreeView *>();
    return static_cast<const PropertyModel *>(tree->model())->identifier(tree->currentIndex());
}
} // namespace

class TestOptions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void model();
    void modelItems_data();
    void modelItems();

    void dialogFrame();
    void pageHeaders_data();
    void pageHeaders();
    void controlsAreNamedAndLabelled();

    void roundTrip_data();
    void roundTrip();
    void valueNotOfferedLeavesNoCurrentItem_data();
    void valueNotOfferedLeavesNoCurrentItem();
    void defaultButtons_data();
    void defaultButtons();

    void opensOnLastPage_data();
    void opensOnLastPage();
    void clickingItemShowsItsPage_data();
    void clickingItemShowsItsPage();
    void enterAcceptsEscapeRejects_data();
    void enterAcceptsEscapeRejects();
};

void TestOptions::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillary"));
}

void TestOptions::init()
{
    QSettings().clear();
}

void TestOptions::model()
{
    PropertyModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 1);
    QVERIFY(!model.parent(model.index(0, 0)).isValid());
    QCOMPARE(model.flags(QModelIndex()), Qt::NoItemFlags);
    QVERIFY(!model.data(QModelIndex(), Qt::DisplayRole).isValid());
    // The root's empty identifier names no category.
    QVERIFY(!model.indexOfIdentifier(QString()).isValid());
    QVERIFY(!model.indexOfIdentifier(QStringLiteral("pt_scanner")).isValid());
    QCOMPARE(PropertyModel::iconPath(1), QString());
}

void TestOptions::modelItems_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("icon");
    QTest::newRow("scanner") << 0 << "Scanner"
                             << "PT_Scanner" << 2 << ":/images/ScanPage";
    QTest::newRow("resolution") << 1 << "Resolution"
                                << "PT_ScanRes" << 0 << ":/images/Measure";
}

void TestOptions::modelItems()
{
    QFETCH(int, row);
    QFETCH(QString, name);
    QFETCH(QString, identifier);
    QFETCH(int, kind);
    QFETCH(QString, icon);

    PropertyModel model;
    const QModelIndex index = model.index(row, 0);
    QCOMPARE(model.data(index, Qt::DisplayRole).toString(), name);
    QCOMPARE(model.identifier(index), identifier);
    QCOMPARE(model.indexOfIdentifier(identifier), index);
    QCOMPARE(model.kind(index), kind);
    QCOMPARE(model.rowCount(index), 0);
    QCOMPARE(model.flags(index), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    QCOMPARE(model.data(index, Qt::SizeHintRole).toSize(), QSize(100, 32));
    QCOMPARE(model.data(index, Qt::DecorationRole).metaType(), QMetaType::fromType<QIcon>());
    QCOMPARE(PropertyModel::iconPath(kind), icon);
    for (const int role : {int(Qt::EditRole), int(Qt::ToolTipRole), int(Qt::FontRole),
                           int(Qt::CheckStateRole), int(Qt::UserRole)})
        QVERIFY2(!model.data(index, role).isValid(), qPrintable(QString::number(role)));
}

void TestOptions::dialogFrame()
{
    OptionsDlg dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("OptionsDlg"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(dialog.size(), QSize(600, 420));
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY((dialog.geometry().center() - centre).manhattanLength() <= 2);
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    QCOMPARE(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("OK"));
    QCOMPARE(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
    // Pages in the order they were added; the first one shows before any choice.
    auto *stack = dialog.findChild<QStackedWidget *>();
    QVERIFY(qobject_cast<ScanResPage *>(stack->widget(0)));
    QVERIFY(qobject_cast<ScannerPage *>(stack->widget(1)));
    QCOMPARE(shownPage(dialog), 0);
}

void TestOptions::pageHeaders_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("text");
    QTest::newRow("resolution") << 0 << "<h3><center>Scan Resolution</center></h3>";
    QTest::newRow("scanner") << 1 << "<h3><center>Scanner</center></h3>";
}

void TestOptions::pageHeaders()
{
    QFETCH(int, page);
    QFETCH(QString, text);

    OptionsDlg dialog;
    const QWidget *shown = dialog.findChild<QStackedWidget *>()->widget(page);
    const auto *label = qobject_cast<QLabel *>(shown->layout()->itemAt(0)->widget());
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->styleSheet(),
             QStringLiteral("background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 "
                            "#E1E1E1, stop: 0.4 #DDDDDD,stop: 0.5 #D8D8D8, stop: 1.0 #D3D3D3); "
                            "background-position: left top; border-style: solid; border-width: "
                            "1px; border-color: silver; border-radius: 3px; color: black;"));
    QCOMPARE(label->minimumHeight(), 30);
    QCOMPARE(label->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

void TestOptions::controlsAreNamedAndLabelled()
{
    OptionsDlg dialog;
    QStringList labelled;
    for (const QLabel *label : dialog.findChildren<QLabel *>()) {
        if (label->buddy()) {
            QCOMPARE(label->buddy()->accessibleName(), label->text());
            labelled << label->text();
        }
    }
    labelled.sort();
    QCOMPARE(labelled, QStringList({QStringLiteral("Acquire:"), QStringLiteral("Good:"),
                                    QStringLiteral("High:"), QStringLiteral("Middle:"),
                                    QStringLiteral("Paper Source:")}));
    for (const QWidget *widget : dialog.findChildren<QWidget *>()) {
        if (widget->focusPolicy() == Qt::NoFocus || widget->inherits("QScrollBar"))
            continue;
        QVERIFY2(!widget->accessibleName().isEmpty(), widget->metaObject()->className());
        QVERIFY(!widget->accessibleName().contains(QLatin1Char('&')));
    }
}

void TestOptions::roundTrip_data()
{
    // A null "stored" leaves the key unset; a null "chosen" leaves the control as loaded.
    QTest::addColumn<const SettingKey *>("key");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QVariant>("shown");
    QTest::addColumn<QVariant>("chosen");
    QTest::addColumn<QVariant>("saved");

    const auto row = [](const char *name, const SettingKey &key, const char *control,
                        const QVariant &stored, const QVariant &shown, const QVariant &chosen,
                        const QVariant &saved) {
        QTest::newRow(name) << &key << QString::fromUtf8(control) << stored << shown << chosen
                            << saved;
    };
    const auto text = [](const char *value) { return QVariant(QString::fromUtf8(value)); };
    const char *contrast = "Automatic contrast adjustment of scanned pages";
    const QVariant same;

    row("middle default", Settings::MiddleQuality, "Middle:", {}, text("100"), same, 100);
    row("middle chosen", Settings::MiddleQuality, "Middle:", 150, text("150"), text("75"), 75);
    row("good default", Settings::GoodQuality, "Good:", {}, text("200"), same, 200);
    row("high stored", Settings::HighQuality, "High:", 600, text("600"), text("150"), 150);
    row("paper default", Settings::PaperSource, "Paper Source:", {}, text("Flatbed (platen)"),
        text("Automatic Feeder (ADF)"), 1);
    row("paper stored", Settings::PaperSource, "Paper Source:", 1, text("Automatic Feeder (ADF)"),
        same, 1);
    row("acquire default", Settings::AcquireImage, "Acquire:", {}, text("One image"),
        text("All available images"), 1);
    row("acquire stored", Settings::AcquireImage, "Acquire:", 1, text("All available images"),
        text("One image"), 0);
    row("contrast default", Settings::AutoContrast, contrast, {}, true, false, false);
    row("preview default", Settings::Preview, "Scan with preview", {}, false, true, true);
    row("preview stored", Settings::Preview, "Scan with preview", true, true, false, false);
}

void TestOptions::roundTrip()
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
    if (auto *list = ::control<QComboBox>(dialog, control)) {
        QCOMPARE(list->currentText(), shown.toString());
        if (chosen.isValid())
            list->setCurrentIndex(list->findText(chosen.toString()));
    } else {
        auto *box = ::control<QCheckBox>(dialog, control);
        QVERIFY(box);
        QCOMPARE(box->isChecked(), shown.toBool());
        if (chosen.isValid())
            box->setChecked(chosen.toBool());
    }
    press(dialog, QDialogButtonBox::Ok);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(::stored(*key, saved.metaType()), saved);
}

void TestOptions::valueNotOfferedLeavesNoCurrentItem_data()
{
    QTest::addColumn<const SettingKey *>("key");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("stored");
    QTest::newRow("middle 250") << &Settings::MiddleQuality << "Middle:" << 250;
    QTest::newRow("high 0") << &Settings::HighQuality << "High:" << 0;
    QTest::newRow("paper 5") << &Settings::PaperSource << "Paper Source:" << 5;
    QTest::newRow("paper -1") << &Settings::PaperSource << "Paper Source:" << -1;
    QTest::newRow("acquire 2") << &Settings::AcquireImage << "Acquire:" << 2;
}

void TestOptions::valueNotOfferedLeavesNoCurrentItem()
{
    QFETCH(const SettingKey *, key);
    QFETCH(QString, control);
    QFETCH(int, stored);

    writeSetting(*key, stored);
    OptionsDlg dialog;
    dialog.show();
    const auto *list = ::control<QComboBox>(dialog, control);
    QVERIFY(list);
    QCOMPARE(list->currentIndex(), -1);
    press(dialog, QDialogButtonBox::Ok);
    QCOMPARE(::stored(*key, QMetaType::fromType<int>()), QVariant(0));
}

void TestOptions::defaultButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("then OK stores the defaults") << int(QDialogButtonBox::Ok);
    QTest::newRow("then Cancel changes nothing") << int(QDialogButtonBox::Cancel);
}

void TestOptions::defaultButtons()
{
    QFETCH(int, button);

    for (const auto &[key, value] : changedValues)
        writeSetting(*key, value);
    OptionsDlg dialog;
    dialog.show();
    QCOMPARE(pressDefaults(dialog), 2);
    QCOMPARE(control<QComboBox>(dialog, QStringLiteral("Middle:"))->currentText(),
             QStringLiteral("100"));
    QVERIFY(!control<QCheckBox>(dialog, QStringLiteral("Scan with preview"))->isChecked());

    press(dialog, QDialogButtonBox::StandardButton(button));
    for (const auto &[key, value] : changedValues) {
        // "Default" chooses values, never the category.
        const bool reset = button == QDialogButtonBox::Ok && key != &Settings::LastOptionsPage;
        QCOMPARE(stored(*key, value.metaType()), reset ? key->defaultValue : value);
    }
}

void TestOptions::opensOnLastPage_data()
{
    QTest::addColumn<QVariant>("last");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("current");
    QTest::newRow("scanner") << QVariant(QStringLiteral("PT_Scanner")) << 1 << "PT_Scanner";
    QTest::newRow("resolution") << QVariant(QStringLiteral("PT_ScanRes")) << 0 << "PT_ScanRes";
    QTest::newRow("nothing stored") << QVariant() << 0 << "PT_ScanRes";
    QTest::newRow("unknown") << QVariant(QStringLiteral("PT_Gone")) << 0 << "PT_ScanRes";
}

void TestOptions::opensOnLastPage()
{
    QFETCH(QVariant, last);
    QFETCH(int, page);
    QFETCH(QString, current);

    if (last.isValid())
        writeSetting(Settings::LastOptionsPage, last);
    OptionsDlg dialog;
    dialog.show();
    // Once shown, the tree takes the focus; the page must stay as opened.
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCoreApplication::processEvents();
    QCOMPARE(shownPage(dialog), page);
    QCOMPARE(currentIdentifier(dialog), current);

    press(dialog, QDialogButtonBox::Ok);
    QCOMPARE(readSetting(Settings::LastOptionsPage).toString(), current);
}

void TestOptions::clickingItemShowsItsPage_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("identifier");
    QTest::newRow("scanner") << 0 << 1 << "PT_Scanner";
    QTest::newRow("resolution") << 1 << 0 << "PT_ScanRes";
}

void TestOptions::clickingItemShowsItsPage()
{
    QFETCH(int, row);
    QFETCH(int, page);
    QFETCH(QString, identifier);

    // Start on the other category, so that the change is seen.
    writeSetting(Settings::LastOptionsPage,
                 row == 0 ? QStringLiteral("PT_ScanRes") : QStringLiteral("PT_Scanner"));
    OptionsDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *tree = dialog.findChild<QTreeView *>();
    const QModelIndex item = tree->model()->index(row, 0);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualRect(item).center());
    QCOMPARE(shownPage(dialog), page);
    QCOMPARE(tree->selectionModel()->selectedRows(), QModelIndexList{item});

    press(dialog, QDialogButtonBox::Ok);
    QCOMPARE(readSetting(Settings::LastOptionsPage).toString(), identifier);
}

void TestOptions::enterAcceptsEscapeRejects_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("enter in tree") << "Categories" << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("enter in list") << "Middle:" << int(Qt::Key_Enter) << int(QDialog::Accepted);
    QTest::newRow("escape in list") << "Middle:" << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestOptions::enterAcceptsEscapeRejects()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, result);

    writeSetting(Settings::MiddleQuality, 150);
    OptionsDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    control<QComboBox>(dialog, QStringLiteral("Middle:"))->setCurrentIndex(0);
    QWidget *target = control<QWidget>(dialog, focus);
    QVERIFY(target);
    target->setFocus();

    QTest::keyClick(target, Qt::Key(key));
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result(), result);
    QCOMPARE(readSetting(Settings::MiddleQuality).toInt(), result == QDialog::Accepted ? 75 : 150);
}

QTEST_MAIN(TestOptions)
#include "tst_options.moc"
