#include "SourceSelectDlg.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

SourceSelectDlg::SourceSelectDlg(const QList<ScannerSource> &sources, const QString &current,
                                 QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Select Source"));

    auto *caption = new QLabel(sources.isEmpty() ? tr("No scanner was found.") : tr("&Scanners:"));
    m_list = new QListWidget;
    m_list->setAccessibleName(tr("Scanners"));
    caption->setBuddy(m_list);
    for (const ScannerSource &source : sources) {
        // Two devices of one model differ only by their device names, so show both.
        auto *item = new QListWidgetItem(tr("%1 (%2)").arg(source.label, source.name), m_list);
        item->setData(Qt::UserRole, source.name);
        if (source.name == current)
            m_list->setCurrentItem(item);
    }
    if (!m_list->currentItem() && m_list->count() > 0)
        m_list->setCurrentRow(0);

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QListWidget::currentItemChanged, this, &SourceSelectDlg::updateButtons);
    connect(m_list, &QListWidget::itemActivated, this, [this] {
        if (!selectedSource().isEmpty())
            accept();
    });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(m_list);
    layout->addWidget(m_buttons);
    updateButtons();
}

QString SourceSelectDlg::selectedSource() const
{
    const QListWidgetItem *item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void SourceSelectDlg::updateButtons()
{
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!selectedSource().isEmpty());
}
