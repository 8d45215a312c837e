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

void KeyTipLabel::placeAt(const QPoint &centre)
{
    adjustSize();
    QPoint topLeft = centre - QPoint(width() / 2, height() / 2);
    if (const QWidget *parent = parentWidget()) {
        topLeft.setX(qBound(0, topLeft.x(), qMax(0, parent->width() - width())));
        topLeft.setY(qBound(0, topLeft.y(), qMax(0, parent->height() - height())));
    }
    move(topLeft);
    raise();
}

} // namespace Ribbon
