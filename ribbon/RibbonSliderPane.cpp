#include "RibbonSliderPane.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QSlider>
#include <QToolButton>

namespace Ribbon {

RibbonSliderPane::RibbonSliderPane(QWidget *parent)
    : QWidget(parent), m_slider(new QSlider(Qt::Horizontal, this)),
      m_decrease(new QToolButton(this)), m_increase(new QToolButton(this)), m_step(1), m_value(0)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_slider->setObjectName(QStringLiteral("slider"));
    m_slider->setFocusPolicy(Qt::StrongFocus);
    m_value = m_slider->value();

    // The symbols are what the user sees; the names say what they do for screen readers.
    m_decrease->setObjectName(QStringLiteral("decreaseButton"));
    m_decrease->setText(tr("-", "slider step button"));
    m_decrease->setToolTip(tr("Decrease"));
    m_decrease->setAccessibleName(tr("Decrease"));
    m_increase->setObjectName(QStringLiteral("increaseButton"));
    m_increase->setText(tr("+", "slider step button"));
    m_increase->setToolTip(tr("Increase"));
    m_increase->setAccessibleName(tr("Increase"));
    m_slider->setAccessibleName(tr("Value"));
    for (QToolButton *button : {m_decrease, m_increase}) {
        button->setAutoRaise(true);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus); // the slider itself takes the arrow keys
        button->hide();
    }

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_decrease);
    layout->addWidget(m_slider, 1);
    layout->addWidget(m_increase);

    connect(m_decrease, &QToolButton::clicked, this, [this] { stepBy(-1); });
    connect(m_increase, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_slider, &QSlider::valueChanged, this, &RibbonSliderPane::onSliderValueChanged);
}

void RibbonSliderPane::setRange(int min, int max)
{
    m_slider->setRange(min, qMax(min, max));
    // The old value may sit off the new grid.
    onSliderValueChanged(m_slider->value());
}

int RibbonSliderPane::minimum() const
{
    return m_slider->minimum();
}

int RibbonSliderPane::maximum() const
{
    return m_slider->maximum();
}

void RibbonSliderPane::setSingleStep(int step)
{
    m_step = qMax(1, step);
    m_slider->setSingleStep(m_step);
    m_slider->setPageStep(m_step);
    onSliderValueChanged(m_slider->value());
}

int RibbonSliderPane::singleStep() const
{
    return m_step;
}

void RibbonSliderPane::setScrollButtons(bool shown)
{
    m_decrease->setVisible(shown);
    m_increase->setVisible(shown);
}

void RibbonSliderPane::setSliderPosition(int value)
{
    m_slider->setValue(snapped(value));
}

int RibbonSliderPane::value() const
{
    return m_value;
}

bool RibbonSliderPane::event(QEvent *event)
{
    // The pane's tooltip says what the slider sets ("Thumbnail size"); screen readers get
    // the same words for the slider itself.
    if (event->type() == QEvent::ToolTipChange)
        m_slider->setAccessibleName(toolTip().isEmpty() ? tr("Value") : toolTip());
    return QWidget::event(event);
}

int RibbonSliderPane::snapped(int value) const
{
    const int min = m_slider->minimum();
    const int max = m_slider->maximum();
    if (value <= min)
        return min;
    if (value >= max)
        return max;
    const int steps = (value - min + m_step / 2) / m_step;
    return qMin(max, min + steps * m_step);
}

void RibbonSliderPane::stepBy(int steps)
{
    // From an off-grid maximum, one step down lands back on the grid.
    const int min = m_slider->minimum();
    int target = m_value + steps * m_step;
    if (steps < 0 && (m_value - min) % m_step != 0)
        target = min + ((m_value - min) / m_step) * m_step;
    setSliderPosition(target);
}

void RibbonSliderPane::onSliderValueChanged(int value)
{
    const int onGrid = snapped(value);
    if (onGrid != value) {
        // Re-enters with the snapped value, which then gets reported.
        m_slider->setValue(onGrid);
        return;
    }
    if (onGrid == m_value)
        return;
    m_value = onGrid;
    emit valueChanged(m_value);
}

} // namespace Ribbon
