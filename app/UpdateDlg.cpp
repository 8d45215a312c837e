#include "UpdateDlg.h"

#include "StartUp.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int HeadingPointSize = 16;
constexpr int VersionPointSize = 10;

QLabel *labelWithPointSize(const QString &text, int pointSize)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setPointSize(pointSize);
    label->setFont(font);
    return label;
}
} // namespace

UpdateDlg::UpdateDlg(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Quillary Updates"));
    setModal(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(
        labelWithPointSize(tr("There is a new version of Quillary"), HeadingPointSize));
    auto *current = labelWithPointSize(
        tr("Current Version: %1").arg(QLatin1String(StartUp::ProductVersion)), VersionPointSize);
    current->setTextFormat(Qt::PlainText);
    layout->addWidget(current);
    m_newVersion =
        labelWithPointSize(tr("New Version: %1Download: <a href=\"%2\">%3</a>"), VersionPointSize);
    m_newVersion->setObjectName(QStringLiteral("newVersion"));
    m_newVersion->setTextFormat(Qt::RichText);
    // The button opens the address; the link does the same without closing the dialog.
    m_newVersion->setOpenExternalLinks(true);
    m_newVersion->setTextInteractionFlags(Qt::TextBrowserInteraction);
    layout->addWidget(m_newVersion);

    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    layout->addWidget(line);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Download"));
    connect(buttons, &QDialogButtonBox::accepted, this, &UpdateDlg::download);
    layout->addWidget(buttons);
}

void UpdateDlg::setUpdate(const QString &version, const QUrl &address)
{
    m_address = address;
    // Both come from the network: escaped, so markup in them shows as text and a quote cannot
    // leave the link's attribute.
    const QString shown = address.toDisplayString().toHtmlEscaped();
    const QString target = address.toString(QUrl::FullyEncoded).toHtmlEscaped();
    m_newVersion->setText(tr("New Version: %1<p>Download: <a href=\"%2\">%3</a>")
                              .arg(version.toHtmlEscaped(), target, shown));
    m_newVersion->setAccessibleName(
        tr("New Version: %1 Download: %2").arg(version, address.toDisplayString()));
}

void UpdateDlg::download()
{
    if (!m_address.isEmpty())
        QDesktopServices::openUrl(m_address);
    accept();
}
