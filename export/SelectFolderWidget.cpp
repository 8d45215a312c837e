#include "SelectFolderWidget.h"

#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

SelectFolderWidget::SelectFolderWidget(QWidget *parent)
    : QWidget(parent), m_edit(new QLineEdit(this)), m_browse(new QToolButton(this)),
      m_chooser([](QWidget *owner, const QString &title, const QString &start) {
          return QFileDialog::getExistingDirectory(owner, title, start, QFileDialog::ShowDirsOnly);
      })
{
    auto *label = new QLabel(tr("&Folder:"), this);
    label->setBuddy(m_edit);
    m_edit->setAccessibleName(tr("Folder"));
    m_browse->setText(tr("..."));
    m_browse->setAccessibleName(tr("Select a folder"));
    // Focusing the field (after a refused destination, say) puts the cursor in the text.
    setFocusProxy(m_edit);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(m_edit, 1);
    layout->addWidget(m_browse);

    connect(m_browse, &QToolButton::clicked, this, &SelectFolderWidget::browseDir);
}

QString SelectFolderWidget::text() const
{
    return m_edit->text();
}

void SelectFolderWidget::setText(const QString &text)
{
    m_edit->setText(text);
}

void SelectFolderWidget::setChooser(Chooser chooser)
{
    m_chooser = std::move(chooser);
}

void SelectFolderWidget::browseDir()
{
    const QString chosen = m_chooser(this, tr("Select a folder"), m_edit->text());
    if (!chosen.isEmpty())
        m_edit->setText(QDir::toNativeSeparators(chosen));
}
