#include "PdfProgress.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

PdfProgress::PdfProgress(int pageCount, QWidget *parent)
    : PdfProgress(pageCount, tr("Creating PDF document.\nPlease wait."),
                  tr("Writing PDF document.\nPlease wait."), true, parent)
{
}

PdfProgress::PdfProgress(int pageCount, const QString &creatingText, const QString &writingText,
                         bool creatingClearsCancel, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      m_bar(new QProgressBar(this)), m_label(new QLabel(this)),
      m_cancel(new QPushButton(tr("Cancel"), this)), m_creatingText(creatingText),
      m_writingText(writingText), m_creatingClearsCancel(creatingClearsCancel)
{
    setWindowTitle(tr("Quillary"));
    setMinimumSize(400, 140);

    m_bar->setRange(0, pageCount);
    m_bar->setTextVisible(false);
    m_bar->setAccessibleName(tr("Progress"));
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_cancel->setAccessibleName(tr("Cancel"));
    // Enter must not reach the cancel button by accident while pages are written.
    m_cancel->setAutoDefault(false);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addSpacing(12);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);

    connect(m_cancel, &QPushButton::clicked, this, &PdfProgress::cancelClicked);
}

void PdfProgress::setCreatingPhase()
{
    if (m_creatingClearsCancel)
        m_cancelRequested = false;
    m_label->setText(m_creatingText);
    m_cancel->setEnabled(false);
    m_bar->setValue(0);
}

void PdfProgress::setWritingPhase(int page)
{
    m_label->setText(m_writingText);
    m_cancel->setEnabled(true);
    m_bar->setValue(page);
}

void PdfProgress::setRecognisingPhase(int page)
{
    m_label->setText(tr("Recognising text of page %1.\nPlease wait.").arg(page));
    m_cancel->setEnabled(true);
    m_bar->setValue(page - 1);
}

void PdfProgress::finish()
{
    m_closable = true;
    m_cancelRequested = true;
}

void PdfProgress::cancelClicked()
{
    m_cancelRequested = true;
    emit cancelled();
}

void PdfProgress::reject()
{
    if (m_closable)
        QDialog::reject();
}

void PdfProgress::closeEvent(QCloseEvent *event)
{
    if (m_closable)
        QDialog::closeEvent(event);
    else
        event->ignore();
}

void PdfProgress::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                 screen->availableGeometry())
                 .topLeft());
    }
}
