// Crop mode: the panel that replaces the thumbnail strip while the crop box is shown, and the
// slots that enter, accept and leave the mode.
#include "MainWindow.h"

#include "ImageEditor.h"
#include "PageCommand.h"
#include "PageListWidget.h"
#include "PanelButton.h"
#include "PhotoGraphicsView.h"

#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
constexpr int TitlePixelSize = 30;
} // namespace

QWidget *MainWindow::buildCropPanel()
{
    auto *panel = new QWidget;
    auto *layout = new QVBoxLayout(panel);

    auto *title = new QLabel(tr("Crop Mode"));
    QFont font = title->font();
    font.setBold(true);
    font.setPixelSize(TitlePixelSize);
    title->setFont(font);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(QStringLiteral(".QLabel {color: white;}"));
    auto *shadow = new QGraphicsDropShadowEffect(title);
    shadow->setBlurRadius(0);
    shadow->setColor(QColor(0, 0, 0));
    shadow->setOffset(2, 2);
    title->setGraphicsEffect(shadow);
    layout->addWidget(title);

    auto *picture = new QLabel;
    picture->setPixmap(QPixmap(QStringLiteral(":/images/Crop")));
    picture->setAlignment(Qt::AlignCenter);
    layout->addWidget(picture);

    QPushButton *accept = panelButton(tr("Accept"), tr("Cut the page to the red frame"));
    QPushButton *cancel = panelButton(tr("Cancel"), tr("Leave crop mode, the page unchanged"));
    connect(accept, &QPushButton::clicked, this, &MainWindow::cropAccepted);
    connect(cancel, &QPushButton::clicked, this, &MainWindow::cropCancelled);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(accept);
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    layout->addStretch();

    // Children of the panel: they work only while it is shown, that is in crop mode.
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)})
        connect(new QShortcut(QKeySequence(key), panel), &QShortcut::activated, this,
                &MainWindow::cropAccepted);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), panel), &QShortcut::activated, this,
            &MainWindow::cropCancelled);
    // Emptying the document puts the empty panel up: crop mode ends with it.
    connect(m_pagePanelStack, &QStackedWidget::currentChanged, this, [this](int index) {
        if (index != CropPanel)
            action(Command::Crop)->setChecked(false);
    });
    return panel;
}

void MainWindow::crop(bool on)
{
    if (on) {
        m_pagePanelStack->setCurrentIndex(CropPanel);
        m_editor->cropping(true);
        // So that the arrow keys move the box at once.
        m_editor->view()->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The document may have been emptied meanwhile: then the empty panel stays.
    if (m_pagePanelStack->currentIndex() == CropPanel)
        m_pagePanelStack->setCurrentIndex(PageStorePanel);
    m_editor->cropping(false);
}

void MainWindow::cropAccepted()
{
    const PageCommand command(m_pageCommandRunning);
    if (!command)
        return;
    const WriteResult cropped = m_editor->applyCrop();
    action(Command::Crop)->setChecked(false);
    crop(false);
    if (!cropped) {
        // No message: there was no box to cut to.
        if (!cropped.error.isEmpty())
            reportIfFailed(cropped);
        return;
    }
    reportIfFailed(m_pageStore->updateThumbnail(m_editor->currentImage()));
}

void MainWindow::cropCancelled()
{
    action(Command::Crop)->setChecked(false);
    crop(false);
}
