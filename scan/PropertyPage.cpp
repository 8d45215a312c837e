#include "PropertyPage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int headerMinimumHeight = 30;
constexpr int layoutSpacing = 3;

QString withoutMnemonic(QString text)
{
    return text.remove(QLatin1Char('&'));
}
} // namespace

PropertyPage::PropertyPage(const QString &title, QWidget *parent)
    : QWidget(parent), m_title(title), m_layout(new QVBoxLayout(this)), m_header(new QLabel)
{
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(layoutSpacing);

    m_header->setMinimumHeight(headerMinimumHeight);
    m_header->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_header->setText(QStringLiteral("<h3><center>") + title + QStringLiteral("</center></h3>"));
    m_header->setStyleSheet(QStringLiteral(
        "background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #E1E1E1, stop: 0.4 "
        "#DDDDDD,stop: 0.5 #D8D8D8, stop: 1.0 #D3D3D3); background-position: left top; "
        "border-style: solid; border-width: 1px; border-color: silver; border-radius: 3px; "
        "color: black;"));
    // The rich text would otherwise be read out with its markup.
    m_header->setAccessibleName(title);
    m_layout->addWidget(m_header);
}

QLabel *PropertyPage::labelFor(const QString &text, QWidget *control)
{
    auto *label = new QLabel(text, this);
    label->setBuddy(control);
    nameAfterText(control, text);
    return label;
}

void PropertyPage::nameAfterText(QWidget *control, const QString &text)
{
    control->setAccessibleName(withoutMnemonic(text));
}

QPushButton *PropertyPage::addDefaultButton()
{
    auto *button = new QPushButton(tr("Default"), this);
    nameAfterText(button, button->text());

    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(button);
    m_layout->addStretch();
    m_layout->addLayout(row);
    return button;
}
