#include "KeyTipLabel.h"

namespace Ribbon {

KeyTipLabel::KeyTipLabel(const QString &key, QWidget *parent) : QLabel(key, parent)
{
    setObjectName(QStringLiteral("keyTip"));
    setAccessibleName(tr("Key tip %1").arg(key));
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Tooltip colours: readable over any theme of the ribbon.
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::ToolTipBase);
    setForegroundRole(QPalette::ToolTipText);
    setFrameShape(QFrame::Box);
    const int pad = fontMetrics().averageCharWidth() / 2;
    setContentsMargins(pad, 0, pad, 0);
}

void KeyTipLabel::placeAt(const QPoint &point, Qt::Alignment side)
{
    adjustSize();
    QPoint topLeft = point - QPoint(width() / 2, height() / 2);
    if (side & Qt::AlignLeft)
        topLeft.setX(point.x());
    else if (side & Qt::AlignRight)
        topLeft.setX(point.x() - width());
    if (side & Qt::AlignTop)
        topLeft.setY(point.y());
    else if (side & Qt::AlignBottom)
        topLeft.setY(point.y() - height());
    if (const QWidget *parent = parentWidget()) {
        topLeft.setX(qBound(0, topLeft.x(), qMax(0, parent->width() - width())));
        topLeft.setY(qBound(0, topLeft.y(), qMax(0, parent->height() - height())));
    }
    move(topLeft);
    raise();
}

} // namespace Ribbon
