#include "OptionsDlg.h"

#include "PropertyModel.h"
#include "ScanResPage.h"
#include "ScannerPage.h"
#include "SettingsKeys.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleFactory>
#include <QTreeView>
#include <QVBoxLayout>

#include <utility>

namespace {
constexpr int dialogMargin = 6;
constexpr QSize dialogSize(600, 420);
constexpr QSize treeIconSize(24, 24);
constexpr int treeMinimumWidth = 200;
constexpr int treeStretch = 1;
constexpr int pagesStretch = 5;
} // namespace

OptionsDlg::OptionsDlg(QWidget *parent, bool duplexOffered)
    : QDialog(parent), m_model(new PropertyModel(this)), m_tree(new QTreeView),
      m_stack(new QStackedWidget), m_buttons(new QDialogButtonBox)
{
    setObjectName(QStringLiteral("OptionsDlg"));
    setWindowTitle(tr("Settings"));
    setModal(true);

    m_kindByPageName.insert(QStringLiteral("ScanResPage"), PropertyModel::ScanResKind);
    m_kindByPageName.insert(QStringLiteral("ScannerPage"), PropertyModel::ScannerKind);
    addPage(new ScanResPage);
    addPage(new ScannerPage(duplexOffered));

    m_tree->setModel(m_model);
    m_tree->setIconSize(treeIconSize);
    m_tree->setRootIsDecorated(false);
    m_tree->setHeaderHidden(true);
    m_tree->setMinimumWidth(treeMinimumWidth);
    m_tree->setAccessibleName(tr("Categories"));
    m_tree->expandAll();
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &OptionsDlg::selected);
    // The shown page's category is current from the start, so the highlighted row always
    // names the page; otherwise the view would make its first row current on focus.
    m_tree->setCurrentIndex(m_model->indexOfKind(m_pageByKind.key(m_pages.first())));

    auto *splitter = new QSplitter(Qt::Horizontal);
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Fusion"))) {
        // Widgets never own the style they are given; the splitter keeps this one alive.
        style->setParent(splitter);
        splitter->setStyle(style);
    }
    splitter->addWidget(m_tree);
    splitter->addWidget(m_stack);
    splitter->setStretchFactor(0, treeStretch);
    splitter->setStretchFactor(1, pagesStretch);

    m_buttons->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    for (const auto &[which, text] : {std::pair{QDialogButtonBox::Ok, tr("OK")},
                                      std::pair{QDialogButtonBox::Cancel, tr("Cancel")}}) {
        QPushButton *button = m_buttons->button(which);
        button->setText(text);
        button->setAccessibleName(text);
    }
    connect(m_buttons, &QDialogButtonBox::accepted, this, &OptionsDlg::save);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &OptionsDlg::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(dialogMargin, dialogMargin, dialogMargin, dialogMargin);
    layout->addWidget(splitter);
    layout->addWidget(m_buttons);

    resize(dialogSize);
    const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect frame(QPoint(), dialogSize);
        frame.moveCenter(screen->availableGeometry().center());
        // Moving marks the position as chosen, so showing does not recentre on the parent.
        move(frame.topLeft());
    }
}

void OptionsDlg::addPage(PropertyPage *page)
{
    const QString name = QString::fromLatin1(page->metaObject()->className());
    Q_ASSERT(m_kindByPageName.contains(name));
    const int kind = m_kindByPageName.value(name);
    m_pages.append(page);
    m_pageByKind.insert(kind, page);
    m_stack->addWidget(page);
}

void OptionsDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Restoring a minimised dialog must not throw away what the user has changed.
    if (!event->spontaneous())
        load();
}

void OptionsDlg::load()
{
    for (PropertyPage *page : std::as_const(m_pages))
        page->load();
    const QModelIndex last =
        m_model->indexOfIdentifier(readSetting(Settings::LastOptionsPage).toString());
    if (last.isValid())
        m_tree->setCurrentIndex(last);
}

void OptionsDlg::selected(const QModelIndex &current, const QModelIndex &)
{
    PropertyPage *page = m_pageByKind.value(m_model->kind(current));
    if (!page)
        return;
    m_stack->setCurrentWidget(page);
    m_tree->selectionModel()->select(current, QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
}

void OptionsDlg::save()
{
    for (PropertyPage *page : std::as_const(m_pages))
        page->save();
    writeSetting(Settings::LastOptionsPage, m_model->identifier(m_tree->currentIndex()));
    accept();
}
