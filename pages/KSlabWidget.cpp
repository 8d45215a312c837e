#include "KSlabWidget.h"

#include "AccessibleImageList.h"
#include "KGraphicsView.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGraphicsPixmapItem>
#include <QGraphicsRectItem>
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

// The tile's colours come from the application palette, so tiles suit a dark desktop as well
// as a light one; under the usual light palette they keep the white tile with silver and grey
// edges. The application's palette, not the tile's: style sheets write their colours into it.
QColor mixed(const QColor &a, const QColor &b, qreal t)
{
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Base).lightnessF() < palette.color(QPalette::Text).lightnessF();
}

QString tileFrameStyle(const QPalette &palette, bool focused)
{
    const QColor base = palette.color(QPalette::Base);
    const QColor edge = mixed(base, palette.color(QPalette::Text), focused ? 0.5 : 0.25);
    return QStringLiteral("QFrame { border: 2px solid %1; border-radius: 4px; padding: 0px; "
                          "background-color: %2; }")
        .arg(edge.name(), base.name());
}

QString captionStyle(const QColor &top, const QColor &bottom, const QColor &text)
{
    return QStringLiteral("QLabel { border: none; border-radius: 1px; color: %1; background-color: "
                          "qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 %2, stop: 1 %3); }")
        .arg(text.name(), top.name(), bottom.name());
}

QString unfocusedCaptionStyle(const QPalette &palette)
{
    // A grey bar: deep with light text on a light palette, raised with the palette's light
    // text on a dark one; readable either way.
    const QColor base = palette.color(QPalette::Base);
    const QColor text = palette.color(QPalette::Text);
    if (isDark(palette))
        return captionStyle(mixed(base, text, 0.32), mixed(base, text, 0.24), text);
    return captionStyle(mixed(base, text, 0.58), mixed(base, text, 0.72), base);
}

QString viewStyle(const QPalette &palette)
{
    return QStringLiteral("QAbstractScrollArea { border: none; background-color: %1; }")
        .arg(palette.color(QPalette::Base).name());
}

// A thin line around the page picture, so that a white page stays visible on a white tile.
QColor outlineColor(const QPalette &palette)
{
    return mixed(palette.color(QPalette::Base), palette.color(QPalette::Text), 0.4);
}

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
    // Drops are the strip's: it tells where between the tiles a page lands.
    m_view->setAcceptDrops(false);
    m_view->viewport()->setAcceptDrops(false);

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
    const QPalette palette = QGuiApplication::palette();
    m_scene->setBackgroundBrush(palette.color(QPalette::Base));
    const QGraphicsPixmapItem *page = m_scene->addPixmap(QPixmap::fromImage(image));
    // Cosmetic, so it stays one pixel wide at every thumbnail size.
    m_outline = m_scene->addRect(page->boundingRect(), QPen(outlineColor(palette), 0));
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
    m_outline = nullptr;
    m_image = QImage();
    m_scale = 1.0;
    m_view->resetTransform();
    m_rotation = 0;
    m_hasImage = false;
    return true;
}

void KSlabWidget::setNote(const QString &note)
{
    if (note.isEmpty()) {
        delete m_note;
        m_note = nullptr;
    } else {
        if (!m_note) {
            // Not in a layout: it floats over the thumbnail, as the check box does.
            m_note = new QLabel(m_view);
            m_note->setStyleSheet(QStringLiteral(
                "QLabel { background: #fff3b0; color: #3a3000; border: 1px solid #b89b00; "
                "border-radius: 3px; padding: 1px 4px; }"));
        }
        m_note->setText(note);
        m_note->adjustSize();
        m_note->move(qMax(0, (m_view->width() - m_note->width()) / 2),
                     qMax(0, m_view->height() - m_note->height() - 4));
        m_note->show();
    }
    setAccessibleDescription(note);
    setToolTips(note.isEmpty() ? m_title : m_title + QStringLiteral(": ") + note);
}

QString KSlabWidget::note() const
{
    return m_note ? m_note->text() : QString();
}

void KSlabWidget::setTitle(const QString &title)
{
    m_title = title;
    m_caption->setText(title);
    setToolTips(note().isEmpty() ? title : title + QStringLiteral(": ") + note());
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
    // Placed again for the new size.
    if (m_note)
        setNote(m_note->text());
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
    const QPalette palette = QGuiApplication::palette();
    const QColor highlight = palette.color(QPalette::Highlight);
    m_paletteKey = palette.cacheKey();
    m_drawnFocused = true;
    setStyleSheet(tileFrameStyle(palette, true));
    m_caption->setStyleSheet(
        captionStyle(highlight, highlight, palette.color(QPalette::HighlightedText)));
}

void KSlabWidget::setUnfocused()
{
    // Restyling is costly and the strip unfocuses every tile on each addition; a tile
    // already drawn unfocused looks the same without it.
    if (m_styled && !m_drawnFocused)
        return;
    const QPalette palette = QGuiApplication::palette();
    m_paletteKey = palette.cacheKey();
    m_styled = true;
    m_drawnFocused = false;
    setStyleSheet(tileFrameStyle(palette, false));
    m_caption->setStyleSheet(unfocusedCaptionStyle(palette));
    m_view->setStyleSheet(viewStyle(palette));
}

void KSlabWidget::changeEvent(QEvent *event)
{
    // The desktop switched between light and dark: draw the tile again in the new colours.
    // The style sheets change the tile's palette too, so only a new application palette counts.
    if (event->type() == QEvent::PaletteChange && m_styled &&
        QGuiApplication::palette().cacheKey() != m_paletteKey) {
        const QPalette palette = QGuiApplication::palette();
        m_view->setStyleSheet(viewStyle(palette));
        if (m_scene)
            m_scene->setBackgroundBrush(palette.color(QPalette::Base));
        if (m_outline)
            m_outline->setPen(QPen(outlineColor(palette), 0));
        if (m_drawnFocused) {
            setFocused();
        } else {
            m_styled = false;
            setUnfocused();
        }
    }
    QFrame::changeEvent(event);
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

void KSlabWidget::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    m_pressPoint = event->position().toPoint();
    event->accept();
}

void KSlabWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    if ((event->position().toPoint() - m_pressPoint).manhattanLength() <
        QApplication::startDragDistance())
        return;
    // One drag per press.
    m_pressed = false;
    emit dragRequested();
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
