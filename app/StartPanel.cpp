#include "StartPanel.h"

#include <QDate>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QLocale>
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
      m_restore(new QPushButton(tr("&Restore"))), m_removal(captionLabel(Qt::AlignCenter))
{
    m_message->setWordWrap(true);
    // The caption's look at the usual size: a sentence to read, not a heading.
    QFont font = this->font();
    font.setBold(true);
    m_removal->setFont(font);
    m_removal->setWordWrap(true);

    m_restore->setAccessibleName(tr("Restore"));
    m_restore->setToolTip(tr("Restore Session"));
    connect(m_restore, &QPushButton::clicked, this, &StartPanel::restoreRequested);

    auto *layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(m_message);
    layout->addWidget(m_restore, 0, Qt::AlignHCenter);
    layout->addWidget(m_removal);
    layout->addStretch(1);
    setWaitingPages(0);
    setRemovalWarning(QString());
}

QString StartPanel::waitingText(int count)
{
    return tr("%n pages from your last session", nullptr, count);
}

QString StartPanel::removalText(int sessions, int pages, const QDate &date)
{
    const QString day = QLocale().toString(date, QStringLiteral("d MMMM yyyy"));
    return tr("%1 earlier sessions kept; the oldest, %n pages of %2, will be removed when you "
              "start a new document.",
              nullptr, pages)
        .arg(sessions)
        .arg(day);
}

void StartPanel::setRemovalWarning(const QString &text)
{
    m_removal->setText(text);
    m_removal->setVisible(!text.isEmpty());
}

QString StartPanel::removalWarning() const
{
    return m_removal->text();
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
