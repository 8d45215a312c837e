#include "RibbonButton.h"

#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionToolButton>

namespace Ribbon {

RibbonButton::RibbonButton(QWidget *parent) : QToolButton(parent)
{
    setAutoRaise(true);
}

QSize RibbonButton::sizeHint() const
{
    if (!isLarge())
        return QToolButton::sizeHint();

    ensurePolished();
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const QFontMetrics metrics = fontMetrics();
    const QSize textSize = metrics.size(Qt::TextShowMnemonic, option.text);
    const int twoLines = metrics.height() + metrics.lineSpacing();
    int width = qMax(option.iconSize.width(),
                     textSize.width() + 2 * metrics.horizontalAdvance(QLatin1Char(' ')));
    const int height =
        option.iconSize.height() + metrics.height() / 4 + qMax(textSize.height(), twoLines);
    option.rect.setSize(QSize(width, height));
    if (popupMode() == QToolButton::MenuButtonPopup)
        width += style()->pixelMetric(QStyle::PM_MenuButtonIndicator, &option, this);
    return style()->sizeFromContents(QStyle::CT_ToolButton, &option, QSize(width, height), this);
}

QString RibbonButton::wrappedText(const QString &text, const QFontMetrics &metrics)
{
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.size() < 2)
        return text;
    QString best;
    int bestWidth = -1;
    for (qsizetype split = 1; split < words.size(); ++split) {
        const QString first = words.mid(0, split).join(QLatin1Char(' '));
        const QString second = words.mid(split).join(QLatin1Char(' '));
        const int width = qMax(metrics.horizontalAdvance(first), metrics.horizontalAdvance(second));
        if (bestWidth < 0 || width < bestWidth) {
            bestWidth = width;
            best = first + QLatin1Char('\n') + second;
        }
    }
    return best;
}

void RibbonButton::initStyleOption(QStyleOptionToolButton *option) const
{
    QToolButton::initStyleOption(option);
    if (isLarge())
        option->text = wrappedText(option->text, fontMetrics());
}

bool RibbonButton::isLarge() const
{
    return toolButtonStyle() == Qt::ToolButtonTextUnderIcon;
}

} // namespace Ribbon
