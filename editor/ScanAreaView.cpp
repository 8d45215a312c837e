#include "ScanAreaView.h"

#include "CropBoxItem.h"
#include "PanelButton.h"
#include "PhotoGraphicsScene.h"
#include "PhotoGraphicsView.h"
#include "PhotoPixmapItem.h"

#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
// A frame this close to the glass's edges (in picture pixels) means the whole glass.
constexpr double WholeGlassSlack = 1.0;
} // namespace

ScanAreaView::ScanAreaView(QWidget *parent)
    : QWidget(parent), m_view(new PhotoGraphicsView), m_scene(new PhotoGraphicsScene(this))
{
    setAccessibleName(tr("Scan area"));
    m_view->setAccessibleName(tr("Scanner glass"));
    m_view->setDragMode(QGraphicsView::NoDrag);
    m_view->setScene(m_scene);
    m_scene->setView(m_view);

    auto *hint = new QLabel(tr("Put the frame around the part of the glass to scan."));
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    QPushButton *scan = panelButton(tr("Scan"), tr("Scan the part in the frame"));
    QPushButton *cancel = panelButton(tr("Cancel"), tr("Scan nothing"));
    scan->setDefault(true);
    connect(scan, &QPushButton::clicked, this, &ScanAreaView::scanRequested);
    connect(cancel, &QPushButton::clicked, this, &ScanAreaView::cancelled);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(scan);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);

    const auto shortcut = [this](int key, void (ScanAreaView::*signal)()) {
        auto *keys = new QShortcut(QKeySequence(key), this);
        keys->setContext(Qt::WidgetWithChildrenShortcut);
        connect(keys, &QShortcut::activated, this, signal);
    };
    shortcut(Qt::Key_Return, &ScanAreaView::scanRequested);
    shortcut(Qt::Key_Enter, &ScanAreaView::scanRequested);
    shortcut(Qt::Key_Escape, &ScanAreaView::cancelled);
}

void ScanAreaView::showGlass(const QImage &glass, const QRectF &area)
{
    // The frame is the picture's child and goes with it.
    m_scene->setCropBox(nullptr);
    delete m_picture;
    m_picture = new PhotoPixmapItem(QPixmap::fromImage(glass));
    m_picture->setOffset(-(glass.width() / 2), -(glass.height() / 2));
    const auto perMm = [](int dotsPerMetre) { return dotsPerMetre > 0 ? dotsPerMetre / 1000.0 : 1.0; };
    m_pixelsPerMm = QPointF(perMm(glass.dotsPerMeterX()), perMm(glass.dotsPerMeterY()));
    m_scene->addItem(m_picture);
    m_scene->setSceneRect(m_picture->boundingRect());
    m_frame = new CropBoxItem(m_picture->boundingRect(), m_picture);
    m_frame->setZValue(1.0);
    m_scene->setCropBox(m_frame);
    setArea(area);
    fitGlass();
}

QRectF ScanAreaView::area() const
{
    if (!m_frame)
        return {};
    const QRectF glass = m_picture->boundingRect();
    const QRectF frame = m_frame->box();
    if (frame.adjusted(-WholeGlassSlack, -WholeGlassSlack, WholeGlassSlack, WholeGlassSlack)
            .contains(glass))
        return {};
    const QPointF scale = m_pixelsPerMm;
    const QRectF pixels = frame.translated(-glass.topLeft());
    return {pixels.x() / scale.x(), pixels.y() / scale.y(), pixels.width() / scale.x(),
            pixels.height() / scale.y()};
}

void ScanAreaView::setArea(const QRectF &millimetres)
{
    if (!m_frame)
        return;
    const QRectF glass = m_picture->boundingRect();
    const QPointF scale = m_pixelsPerMm;
    const QRectF pixels =
        QRectF(millimetres.x() * scale.x(), millimetres.y() * scale.y(),
               millimetres.width() * scale.x(), millimetres.height() * scale.y())
            .translated(glass.topLeft())
            .intersected(glass);
    const bool fits = pixels.width() >= PhotoGraphicsScene::MinimumBoxSide &&
                      pixels.height() >= PhotoGraphicsScene::MinimumBoxSide;
    m_frame->setBox(fits ? pixels : glass);
}

void ScanAreaView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    fitGlass();
}

void ScanAreaView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    fitGlass();
}

void ScanAreaView::fitGlass()
{
    if (m_picture)
        m_view->fitInView(m_picture, Qt::KeepAspectRatio);
}
