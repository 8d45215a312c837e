#include "KSlabWidget.h"

#include "AccessibleImageList.h"
#include "KGraphicsView.h"

#include <QAccessible>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGraphicsScene>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QVBoxLayout>

namespace {
const QLatin1String
    kCheckBoxStyle(".QCheckBox::indicator { width: 24px; height: 24px; } "
                   ".QCheckBox::indicator:unchecked {image: url(:/listwidget/uncheck.png); }  "
                   ".QCheckBox::indicator:checked {image: url(:/listwidget/check.png); }");
const QLatin1String kFrameUnfocused("QFrame { border: 2px solid silver;  border-radius: 4px; "
                                    "padding: 0px; background-color: white;}");
const QLatin1String kFrameFocused("QFrame { border: 2px solid gray;  border-radius: 4px; "
                                  "padding: 0px; background-color: white;}");
const QLatin1String kCaptionUnfocused(
    "QLabel {border: none; border-radius: 1px; color: white; background-color: "
    "qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 silver, stop: 1 gray);}");
const QLatin1String kViewStyle("QAbstractScrollArea {border: none; background-color: white;} ");

// The range a tile accepts; the window's slider stays well inside it.
constexpr int kMinThumbSide = 100;
constexpr int kMaxThumbSide = 1001;

// Ctrl+Space toggles the check mark; plain Space stays the window's scan key, so scanning
// page after page works wherever the new page's tile has taken the focus.
bool isToggleKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Space &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier;
}

// The plain arrow keys belong to the focused tile, not to the window's shortcuts.
bool isArrowKey(const QKeyEvent *event)
{
    const int key = event->key();
    return (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && key >= Qt::Key_Left &&
           key <= Qt::Key_Down;
}
} // namespace

KSlabWidget::KSlabWidget(int width, int height, const QString &title, QWidget *parent,
                         bool checkable)
    : QFrame(parent), m_title(title), m_size(width, height)
{
    AccessibleImageList::install();
    setFixedSize(m_size);

    m_caption = new QLabel(this);
    m_caption->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    m_caption->setContentsMargins(2, 3, 2, 6);

    m_view = new KGraphicsView(this);
    // A click anywhere on the tile focuses the tile itself, so its keys work at once.
    m_view->setFocusPolicy(Qt::NoFocus);

    if (checkable) {
        // Not in a layout: it floats over the thumbnail's top-left corner.
        m_checkBox = new QCheckBox(m_view);
        m_checkBox->setStyleSheet(kCheckBoxStyle);
        m_checkBox->setAccessibleName(title);
        m_checkBox->setFocusPolicy(Qt::NoFocus);
        connect(m_checkBox, &QCheckBox::pressed, this, &KSlabWidget::focusIn);
        connect(m_checkBox, &QCheckBox::stateChanged, this, &KSlabWidget::wasChecked);
    }

    m_caption->setText(m_caption->fontMetrics().elidedText(title, Qt::ElideMiddle, m_size.width()));
    setToolTips(title);
    setAccessibleName(title);

    connect(m_view, &KGraphicsView::focused, this, &KSlabWidget::focusIn);
    connect(m_view, &KGraphicsView::mouseDoubleClicked, this, &KSlabWidget::sendMouseDClicked);

    m_boxLayout = new QVBoxLayout;
    m_boxLayout->setContentsMargins(0, 0, 0, 0);
    m_boxLayout->addWidget(m_caption);
    m_boxLayout->addWidget(m_view);
    setLayout(m_boxLayout);

    setFocusPolicy(Qt::StrongFocus);
    setUnfocused();
    // The view must have its size before the first image is fitted into it.
    m_boxLayout->activate();
}

KSlabWidget::~KSlabWidget() = default;

void KSlabWidget::setImage(const QImage &image)
{
    if (m_hasImage)
        clearImage();
    m_scene = new QGraphicsScene(this);
    m_scene->setBackgroundBrush(Qt::white);
    m_scene->addPixmap(QPixmap::fromImage(image));
    m_image = image;
    m_view->setScene(m_scene);
    fitImage();
    m_hasImage = true;
}

const QImage *KSlabWidget::image() const
{
    return m_hasImage ? &m_image : nullptr;
}

bool KSlabWidget::clearImage()
{
    if (!m_hasImage)
        return false;
    m_view->setScene(nullptr);
    delete m_scene;
    m_scene = nullptr;
    m_image = QImage();
    m_scale = 1.0;
    m_view->resetTransform();
    m_rotation = 0;
    m_hasImage = false;
    return true;
}

void KSlabWidget::setTitle(const QString &title)
{
    m_title = title;
    m_caption->setText(title);
    setToolTips(title);
    setAccessibleName(title);
    if (m_checkBox)
        m_checkBox->setAccessibleName(title);
}

void KSlabWidget::setThumbSize(int width, int height)
{
    if (width < kMinThumbSide || width > kMaxThumbSide || height < kMinThumbSide ||
        height > kMaxThumbSide)
        return;
    m_size = QSize(width, height);
    setFixedSize(m_size);
    m_boxLayout->activate();
    if (m_scene)
        fitImage();
}

void KSlabWidget::setRotation(quint16 angle)
{
    if (angle > 360)
        return;
    m_view->rotate(angle);
    m_rotation += angle;
}

bool KSlabWidget::isChecked() const
{
    return m_checkBox && m_checkBox->isChecked();
}

void KSlabWidget::setChecked(bool checked)
{
    if (m_checkBox)
        m_checkBox->setChecked(checked);
}

void KSlabWidget::setContextMenu(QMenu *menu)
{
    m_contextMenu = menu;
}

void KSlabWidget::setFocused()
{
    const QString highlight = QGuiApplication::palette().color(QPalette::Highlight).name();
    m_drawnFocused = true;
    setStyleSheet(kFrameFocused);
    m_caption->setStyleSheet(
        QLatin1String("QLabel {border: none; border-radius: 1px; color: white; "
                      "background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 ") +
        highlight + QLatin1String(", stop: 1 ") + highlight + QLatin1String("); }"));
}

void KSlabWidget::setUnfocused()
{
    // Restyling is costly and the strip unfocuses every tile on each addition; a tile
    // already drawn unfocused looks the same without it.
    if (m_styled && !m_drawnFocused)
        return;
    m_styled = true;
    m_drawnFocused = false;
    setStyleSheet(kFrameUnfocused);
    m_caption->setStyleSheet(kCaptionUnfocused);
    m_view->setStyleSheet(kViewStyle);
}

void KSlabWidget::focusIn()
{
    setFocused();
    emit focused();
}

void KSlabWidget::sendMouseDClicked()
{
    emit mouseDoubleClicked();
}

void KSlabWidget::wasChecked(int state)
{
    if (state != Qt::Unchecked && state != Qt::Checked)
        return;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
    emit checked(state == Qt::Checked);
}

bool KSlabWidget::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride && ownsKey(static_cast<QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QFrame::event(event);
}

bool KSlabWidget::ownsKey(const QKeyEvent *event) const
{
    return isArrowKey(event) || (m_checkBox && isToggleKey(event));
}

void KSlabWidget::keyPressEvent(QKeyEvent *event)
{
    if (!ownsKey(event)) {
        QFrame::keyPressEvent(event);
        return;
    }
    if (isToggleKey(event))
        m_checkBox->toggle();
    else
        emit arrowPressed(event->key());
    event->accept();
}

void KSlabWidget::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    focusIn();
}

void KSlabWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit mouseDoubleClicked();
    event->accept();
}

void KSlabWidget::contextMenuEvent(QContextMenuEvent *event)
{
    if (m_contextMenu)
        m_contextMenu->popup(event->globalPos());
    event->accept();
}

void KSlabWidget::fitImage()
{
    // The +1 keeps a one-pixel border so the view never needs its scroll bars.
    const QRectF scene = m_scene->sceneRect();
    const double s =
        qMin(m_view->width(), m_view->height()) / (qMax(scene.width(), scene.height()) + 1.0);
    m_view->scale(1.0 / m_scale, 1.0 / m_scale);
    m_view->scale(s, s);
    m_scale = s;
}

void KSlabWidget::setToolTips(const QString &text)
{
    m_caption->setToolTip(text);
    m_view->setToolTip(text);
}
