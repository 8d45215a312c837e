#include "RibbonGroup.h"

#include "RibbonBar.h"
#include "RibbonButton.h"
#include "RibbonText.h"
#include "ThemeColors.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QStyle>
#include <QVBoxLayout>

namespace Ribbon {

namespace {

constexpr int LargeIconExtent = 32;
constexpr int MinimumButtonWidth = 72;

} // namespace

RibbonGroup::RibbonGroup(const QString &title, QWidget *parent)
    : QWidget(parent), m_title(title), m_main(new QVBoxLayout(this)),
      m_controlsBox(new QWidget(this)), m_controls(new QHBoxLayout(m_controlsBox)),
      m_column(nullptr), m_captionRow(new QGridLayout), m_caption(new QLabel(this)),
      m_optionButton(new QToolButton(this)), m_optionAction(new QAction(this)), m_centred(false)
{
    setAccessibleName(plainText(title));
    const int gap = spacing();
    // One pixel more on the right for the separator line.
    m_main->setContentsMargins(gap, gap, gap + 1, 0);
    m_main->setSpacing(gap);
    m_main->addWidget(m_controlsBox, 1);
    m_controls->setContentsMargins(0, 0, 0, 0);
    m_controls->setSpacing(gap);

    // Rich text only to underline the mnemonic: a caption owns no shortcut, since its letter
    // would often clash with a page title's (Alt+E for "&Editing" and "&Export").
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setTextFormat(Qt::RichText);
    m_caption->setText(mnemonicToHtml(title));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setAccessibleName(plainText(title));

    m_optionButton->setObjectName(QStringLiteral("optionButton"));
    m_optionButton->setAutoRaise(true);
    m_optionButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const int optionExtent = fontMetrics().height() * 2 / 3;
    m_optionButton->setIconSize(QSize(optionExtent, optionExtent));
    m_optionButton->setDefaultAction(m_optionAction);
    m_optionButton->hide();
    m_optionAction->setIcon(optionIcon());
    connect(m_optionAction, &QAction::changed, this, &RibbonGroup::updateOptionButton);

    m_captionRow->setContentsMargins(0, 0, 0, 0);
    m_captionRow->setSpacing(0);
    m_captionRow->addWidget(m_caption, 0, 1);
    m_captionRow->addWidget(m_optionButton, 0, 2, Qt::AlignRight | Qt::AlignVCenter);
    m_captionRow->setColumnStretch(1, 1);
    // Same caption height with or without the option button, so captions line up.
    m_captionRow->setRowMinimumHeight(0, m_optionButton->sizeHint().height());
    m_main->addLayout(m_captionRow);

    applyAlignment();
    updateOptionButton();
}

QAction *RibbonGroup::addAction(const QIcon &icon, const QString &text,
                                Qt::ToolButtonStyle buttonStyle, QMenu *menu,
                                QToolButton::ToolButtonPopupMode mode)
{
    auto *action = new QAction(icon, text, this);
    auto *button = new RibbonButton(m_controlsBox);
    button->setDefaultAction(action);
    button->setToolButtonStyle(buttonStyle);
    button->setMinimumWidth(MinimumButtonWidth);
    button->setAccessibleName(plainText(text));
    if (menu) {
        button->setMenu(menu);
        button->setPopupMode(mode);
    }
    connect(action, &QAction::changed, button,
            [button, action] { button->setAccessibleName(plainText(action->text())); });

    if (buttonStyle == Qt::ToolButtonTextUnderIcon) {
        button->setIconSize(QSize(LargeIconExtent, LargeIconExtent));
        addControl(button);
    } else {
        const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
        button->setIconSize(QSize(extent, extent));
        column()->addWidget(button);
    }
    m_widgets.insert(action, button);
    registerShortcut(action);
    return action;
}

QAction *RibbonGroup::addWidget(const QIcon &icon, const QString &text, bool stretch,
                                QWidget *widget)
{
    auto *row = new QWidget(m_controlsBox);
    auto *rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(spacing());
    if (!icon.isNull()) {
        auto *iconLabel = new QLabel(row);
        const int extent = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
        iconLabel->setPixmap(icon.pixmap(QSize(extent, extent), devicePixelRatioF()));
        rowLayout->addWidget(iconLabel);
    }
    auto *label = new QLabel(text, row);
    label->setBuddy(widget);
    label->setAccessibleName(plainText(text));
    rowLayout->addWidget(label);
    rowLayout->addWidget(widget, stretch ? 1 : 0);
    if (!stretch)
        rowLayout->addStretch(1);

    column()->addWidget(row);
    m_columnLabels.append(label);
    alignColumnLabels();

    auto *action = new QAction(icon, text, this);
    connect(action, &QAction::changed, row, [row, action] {
        row->setEnabled(action->isEnabled());
        row->setVisible(action->isVisible());
    });
    m_widgets.insert(action, row);
    return action;
}

void RibbonGroup::setOptionButtonVisible(bool visible)
{
    m_optionButton->setVisible(visible);
    updateOptionButton();
}

bool RibbonGroup::isOptionButtonVisible() const
{
    return !m_optionButton->isHidden();
}

QAction *RibbonGroup::optionButtonAction() const
{
    return m_optionAction;
}

void RibbonGroup::setControlsCentering(bool centre)
{
    m_centred = centre;
    applyAlignment();
}

bool RibbonGroup::controlsCentering() const
{
    return m_centred;
}

QString RibbonGroup::title() const
{
    return m_title;
}

QWidget *RibbonGroup::widgetFor(QAction *action) const
{
    return m_widgets.value(action, nullptr);
}

void RibbonGroup::changeEvent(QEvent *event)
{
    // The option glyph is drawn in the text colour, which the theme sets.
    if (event->type() == QEvent::PaletteChange)
        m_optionAction->setIcon(optionIcon());
    QWidget::changeEvent(event);
}

void RibbonGroup::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const ThemeColors colors = ThemeColors::forWidget(this);
    QPainter painter(this);
    painter.setPen(colors.separator);
    const int gap = spacing();
    painter.drawLine(width() - 1, gap, width() - 1, height() - 1 - gap);
}

int RibbonGroup::spacing() const
{
    // Derived from the font so the ribbon keeps its proportions on any screen.
    return qMax(2, fontMetrics().height() / 4);
}

QVBoxLayout *RibbonGroup::column()
{
    if (!m_column) {
        m_column = new QVBoxLayout;
        m_column->setContentsMargins(0, 0, 0, 0);
        m_column->setSpacing(spacing());
        m_controls->addLayout(m_column);
        m_columnLabels.clear();
        applyAlignment();
    }
    return m_column;
}

void RibbonGroup::addControl(QWidget *control)
{
    // A large control ends the current column; the next row starts a new one.
    m_column = nullptr;
    m_columnLabels.clear();
    m_controls->addWidget(control);
    applyAlignment();
}

void RibbonGroup::alignColumnLabels()
{
    // Rows of one column line their widgets up behind the widest label.
    int width = 0;
    for (const QLabel *label : std::as_const(m_columnLabels))
        width = qMax(width, label->sizeHint().width());
    for (QLabel *label : std::as_const(m_columnLabels))
        label->setMinimumWidth(width);
}

void RibbonGroup::applyAlignment()
{
    m_main->setAlignment(m_controlsBox, m_centred ? Qt::AlignHCenter : Qt::AlignLeft);
    const Qt::Alignment vertical = m_centred ? Qt::AlignVCenter : Qt::AlignTop;
    for (int i = 0; i < m_controls->count(); ++i)
        m_controls->itemAt(i)->setAlignment(vertical);
    m_controls->invalidate();
}

void RibbonGroup::registerShortcut(QAction *action)
{
    // A shortcut only fires while a widget holding its action is visible; the bar always
    // is, so a command keeps its shortcut while another page is shown.
    for (QWidget *ancestor = parentWidget(); ancestor; ancestor = ancestor->parentWidget()) {
        if (auto *bar = qobject_cast<RibbonBar *>(ancestor)) {
            bar->addAction(action);
            return;
        }
    }
}

void RibbonGroup::updateOptionButton()
{
    const QString tip = m_optionAction->toolTip();
    m_optionButton->setAccessibleName(tip.isEmpty() ? tr("%1 options").arg(plainText(m_title))
                                                    : tip);
    // Keeps the caption centred over the group while the button sits at its right end.
    m_captionRow->setColumnMinimumWidth(
        0, m_optionButton->isHidden() ? 0 : m_optionButton->sizeHint().width());
}

QIcon RibbonGroup::optionIcon() const
{
    // A corner with an arrow pointing out of it, drawn for normal and double density.
    const int extent = m_optionButton->iconSize().width();
    const QColor color = palette().color(QPalette::WindowText);
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) {
        QPixmap pixmap(QSize(extent, extent) * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(color, 1.0));
        const qreal s = extent;
        const qreal m = s * 0.15;
        painter.drawLine(QPointF(m, m), QPointF(s * 0.55, m));
        painter.drawLine(QPointF(m, m), QPointF(m, s * 0.55));
        painter.drawLine(QPointF(s * 0.35, s * 0.35), QPointF(s - m, s - m));
        painter.setBrush(color);
        painter.drawPolygon(
            QPolygonF({QPointF(s - m, s - m), QPointF(s * 0.5, s - m), QPointF(s - m, s * 0.5)}));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace Ribbon
