#include "RibbonPage.h"

#include "RibbonGroup.h"
#include "RibbonText.h"
#include "ThemeColors.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>

namespace Ribbon {

RibbonPage::RibbonPage(const QString &title, QWidget *parent)
    : QWidget(parent), m_title(title), m_layout(new QHBoxLayout(this))
{
    setAccessibleName(plainText(title));
    const int gap = fontMetrics().height() / 4;
    m_layout->setContentsMargins(gap, gap, gap, gap);
    m_layout->setSpacing(0);
    m_layout->addStretch(1);
}

RibbonGroup *RibbonPage::addGroup(const QString &title)
{
    auto *group = new RibbonGroup(title, this);
    // Before the trailing stretch, so groups pack to the left.
    m_layout->insertWidget(m_layout->count() - 1, group);
    m_groups.append(group);
    return group;
}

QString RibbonPage::title() const
{
    return m_title;
}

QList<RibbonGroup *> RibbonPage::groups() const
{
    return m_groups;
}

void RibbonPage::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    const ThemeColors colors = ThemeColors::forWidget(this);
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, colors.pageTop);
    gradient.setColorAt(1.0, colors.pageBottom);
    painter.fillRect(rect(), gradient);
    painter.setPen(colors.border);
    painter.drawLine(0, 0, width() - 1, 0);
    painter.drawLine(0, height() - 1, width() - 1, height() - 1);
}

} // namespace Ribbon
