#include "ExportBaseDlg.h"

#include "DocxGenerator.h"
#include "SelectFolderWidget.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QString nameLabel(DestinationSettings::Kind kind)
{
    return kind == DestinationSettings::Kind::Image ? ExportBaseDlg::tr("&SubFolder:")
                                                    : ExportBaseDlg::tr("&Document Name:");
}

QString openText(DestinationSettings::Kind kind)
{
    using Kind = DestinationSettings::Kind;
    switch (kind) {
    case Kind::Image:
        return ExportBaseDlg::tr("&Open folder after creation");
    case Kind::Word:
        return ExportBaseDlg::tr("&Open Word document after creation");
    case Kind::Djvu:
        return ExportBaseDlg::tr("&Open DjVu file after creation");
    case Kind::Pdf:
        break;
    }
    return ExportBaseDlg::tr("&Open PDF document after creation");
}

// Assistive technology reads the visible text without its mnemonic.
QString plain(QString text)
{
    return text.remove(QLatin1Char('&')).remove(QLatin1Char(':'));
}
} // namespace

ExportBaseDlg::ExportBaseDlg(Kind kind, const QString &acceptText, QWidget *parent)
    : QDialog(parent), m_kind(kind)
{
    setModal(true);

    auto *group = new QGroupBox(tr("Settings"), this);
    m_settingsGroup = group;
    m_settingsLayout = new QVBoxLayout(group);

    m_settingsLayout->addWidget(new QLabel(tr("Destination Folder:"), group));
    m_desktop = new QRadioButton(tr("Desktop"), group);
    m_desktop->setIcon(QIcon(QStringLiteral(":/images/Desktop")));
    m_mydoc = new QRadioButton(tr("My Documents"), group);
    m_mydoc->setIcon(QIcon(QStringLiteral(":/images/MyDocuments")));
    m_other = new QRadioButton(tr("Other Folder"), group);
    m_other->setIcon(QIcon(QStringLiteral(":/images/BlankFolder")));
    for (QRadioButton *radio : {m_desktop, m_mydoc, m_other}) {
        radio->setAccessibleName(radio->text());
        m_settingsLayout->addWidget(radio);
    }

    m_folder = new SelectFolderWidget(group);
    m_folder->hide();
    m_settingsLayout->addWidget(m_folder);

    auto *nameRow = new QFormLayout;
    m_name = new QLineEdit(DestinationSettings::defaultName(kind), group);
    m_name->setAccessibleName(plain(nameLabel(kind)));
    nameRow->addRow(nameLabel(kind), m_name);
    m_settingsLayout->addLayout(nameRow);

    m_open = new QCheckBox(openText(kind), group);
    m_open->setChecked(true);
    m_open->setAccessibleName(plain(m_open->text()));
    m_settingsLayout->addWidget(m_open);

    m_checkedOnly = new QCheckBox(tr("Checked pages &only"), group);
    m_checkedOnly->setAccessibleName(tr("Checked pages only"));
    m_settingsLayout->addWidget(m_checkedOnly);
    connect(m_checkedOnly, &QCheckBox::toggled, this, [this](bool on) {
        m_pages = on ? m_checkedPages : m_allPages;
        pagesChanged();
    });

    m_buttons = new QDialogButtonBox(this);
    QPushButton *accept = m_buttons->addButton(acceptText, QDialogButtonBox::AcceptRole);
    accept->setAccessibleName(plain(acceptText));
    accept->setDefault(true);
    QPushButton *cancel = m_buttons->addButton(tr("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setAccessibleName(tr("Cancel"));

    connect(m_buttons, &QDialogButtonBox::accepted, this, &ExportBaseDlg::apply);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &ExportBaseDlg::reject);
    connect(m_desktop, &QRadioButton::toggled, this, &ExportBaseDlg::desktop);
    connect(m_mydoc, &QRadioButton::toggled, this, &ExportBaseDlg::mydoc);
    connect(m_other, &QRadioButton::toggled, this, &ExportBaseDlg::folder);
}

void ExportBaseDlg::setPages(const QStringList &pages)
{
    m_pages = pages;
    m_allPages = pages;
    setCheckedPages({});
    loadDestination();
}

void ExportBaseDlg::setCheckedPages(const QStringList &checked)
{
    m_checkedPages = checked;
    // Every showing starts with all pages: a choice left on from an earlier export would
    // silently leave pages out.
    const QSignalBlocker block(m_checkedOnly);
    m_checkedOnly->setChecked(false);
    m_checkedOnly->setEnabled(!checked.isEmpty());
    m_pages = m_allPages;
}

void ExportBaseDlg::desktop(bool)
{
    m_folder->hide();
}

void ExportBaseDlg::mydoc(bool)
{
    m_folder->hide();
}

void ExportBaseDlg::folder(bool checked)
{
    if (!checked)
        return;
    m_folder->show();
    if (m_folder->text().isEmpty())
        m_folder->browseDir();
}

void ExportBaseDlg::loadDestination()
{
    const DestinationSettings record = DestinationSettings::read(m_kind);
    m_folder->setText(record.folder);
    switch (record.folderPlace) {
    case DestinationSettings::Desktop:
        m_desktop->setChecked(true);
        break;
    case DestinationSettings::Documents:
        m_mydoc->setChecked(true);
        break;
    case DestinationSettings::OtherFolder:
        m_other->setChecked(true);
        break;
    default:
        // An unknown place checks none; exclusive radio buttons cannot be unchecked otherwise.
        for (QRadioButton *radio : {m_desktop, m_mydoc, m_other}) {
            radio->setAutoExclusive(false);
            radio->setChecked(false);
            radio->setAutoExclusive(true);
        }
        break;
    }
}

DestinationSettings ExportBaseDlg::destinationFromWidgets() const
{
    DestinationSettings record;
    if (m_desktop->isChecked())
        record.folderPlace = DestinationSettings::Desktop;
    else if (m_mydoc->isChecked())
        record.folderPlace = DestinationSettings::Documents;
    else if (m_other->isChecked())
        record.folderPlace = DestinationSettings::OtherFolder;
    else
        record.folderPlace = -1;
    record.folder = m_folder->text();
    record.name = m_name->text();
    record.needOpen = m_open->isChecked();
    return record;
}

QString ExportBaseDlg::confirmOutputPath(const DestinationSettings &record)
{
    using Problem = DestinationSettings::Problem;
    const QString extension = DestinationSettings::extension(m_kind);
    switch (record.check(extension)) {
    case Problem::NoFolder:
        refuse(tr("Please choose the folder to save in."), m_folder);
        return QString();
    case Problem::NoName:
        refuse(m_kind == Kind::Image ? tr("Please enter a name for the sub-folder.")
                                     : tr("Please enter a name for the document."),
               m_name);
        return QString();
    case Problem::BadName:
        refuse(tr("\"%1\" cannot be used as a name. A name may not contain \"/\" or \"\\\", "
                  "nor be \".\" or \"..\".")
                   .arg(record.name),
               m_name);
        return QString();
    case Problem::None:
        break;
    }

    // A fresh account may have no Documents or Desktop folder yet; the user chose it all the
    // same. If it cannot be made, the write fails and says so.
    if (record.isStandardPlace())
        QDir().mkpath(record.outputFolder());

    const QString path = record.outputPath(extension);
    // Image exports go into a new numbered sub-folder and never replace anything. A folder
    // standing where the file should go is not offered for replacing: the write reports it.
    const QFileInfo existing(path);
    if (!extension.isEmpty() && existing.exists() && !existing.isDir()) {
        const QMessageBox::StandardButton answer = QMessageBox::question(
            this, tr("Quillary"),
            tr("%1 already exists. Do you want to replace it?").arg(existing.fileName()),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return QString();
    }
    return path;
}

void ExportBaseDlg::refuse(const QString &message, QWidget *field)
{
    QMessageBox::warning(this, tr("Quillary"), message);
    if (field->isVisible())
        field->setFocus();
}

void ExportBaseDlg::applyWith(DocxGenerator &generator, const std::function<void()> &confirmed)
{
    if (m_pages.isEmpty())
        return;
    const DestinationSettings record = destinationFromWidgets();
    const QString path = confirmOutputPath(record);
    if (path.isEmpty())
        return;
    record.write(m_kind);
    if (confirmed)
        confirmed();
    generator.setProgressWindow(this);
    generator.setPages(m_pages);
    const bool written = generator.run(path);
    hide();
    if (written)
        emit applied(path);
    else if (!generator.wasCancelled())
        emit failed(path, generator.failureReason());
    close();
}
