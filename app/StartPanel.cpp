#include "StartPanel.h"

#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

QLabel *StartPanel::captionLabel(Qt::Alignment alignment)
{
    auto *label = new QLabel;
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(30);
    font.setStyleStrategy(QFont::PreferAntialias);
    label->setFont(font);
    label->setStyleSheet(QStringLiteral(".QLabel {color: white;}"));
    label->setAlignment(alignment);
    auto *shadow = new QGraphicsDropShadowEffect(label);
    shadow->setBlurRadius(0);
    shadow->setOffset(2, 2);
    shadow->setColor(Qt::black);
    label->setGraphicsEffect(shadow);
    return label;
}

StartPanel::StartPanel(QWidget *parent)
    : QWidget(parent), m_message(captionLabel(Qt::AlignCenter)),
      m_restore(new QPushButton(tr("&Restore")))
{
    m_message->setWordWrap(true);

    m_restore->setAccessibleName(tr("Restore"));
    m_restore->setToolTip(tr("Restore Session"));
    connect(m_restore, &QPushButton::clicked, this, &StartPanel::restoreRequested);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_message);
    layout->addWidget(m_restore, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    setWaitingPages(0);
}

QString StartPanel::waitingText(int count)
{
    return count == 1 ? tr("1 page from your last session")
                      : tr("%1 pages from your last session").arg(count);
}

void StartPanel::setWaitingPages(int count)
{
    m_waiting = qMax(0, count);
    m_message->setText(m_waiting > 0 ? waitingText(m_waiting) : QString());
    m_restore->setVisible(m_waiting > 0);
}

QString StartPanel::message() const
{
    return m_message->text();
}
