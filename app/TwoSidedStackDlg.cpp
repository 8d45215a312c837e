#include "TwoSidedStackDlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// Enough of the order to recognise it, however long the stack.
constexpr int ShownPlaces = 8;
} // namespace

QList<int> twoSidedOrder(int sheets, bool backsReversed)
{
    QList<int> order;
    for (int sheet = 0; sheet < sheets; ++sheet) {
        order << sheet;
        order << sheets + (backsReversed ? sheets - 1 - sheet : sheet);
    }
    return order;
}

TwoSidedStackDlg::TwoSidedStackDlg(int sheets, int firstPage, QWidget *parent)
    : QDialog(parent), m_sheets(sheets), m_firstPage(firstPage),
      m_reversed(new QRadioButton(tr("The stack was turned over: the &backs came last sheet "
                                     "first"),
                                  this)),
      m_same(new QRadioButton(tr("The backs came in the &same order as the fronts"), this)),
      m_turnBacks(new QCheckBox(tr("&Turn every back upside down"), this)),
      m_order(new QLabel(this))
{
    setWindowTitle(tr("Two-Sided Stack"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(tr("%1 fronts, then %1 backs, are put in reading order.")
                                 .arg(sheets),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    layout->addWidget(m_reversed);
    layout->addWidget(m_same);
    layout->addWidget(m_turnBacks);
    m_order->setWordWrap(true);
    layout->addWidget(m_order);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_reversed->setChecked(true);
    connect(m_reversed, &QRadioButton::toggled, this, &TwoSidedStackDlg::showOrder);
    showOrder();
}

bool TwoSidedStackDlg::backsReversed() const
{
    return m_reversed->isChecked();
}

bool TwoSidedStackDlg::turnBacks() const
{
    return m_turnBacks->isChecked();
}

QString TwoSidedStackDlg::orderText() const
{
    return m_order->text();
}

void TwoSidedStackDlg::showOrder()
{
    const QList<int> order = twoSidedOrder(m_sheets, backsReversed());
    QStringList pages;
    for (int place = 0; place < order.size() && place < ShownPlaces; ++place)
        pages << QString::number(m_firstPage + order.at(place));
    if (order.size() > ShownPlaces)
        pages << QStringLiteral("\u2026");
    m_order->setText(tr("New order of the pages: %1").arg(pages.join(QStringLiteral(", "))));
}
