#pragma once

#include <QLabel>

namespace Ribbon {

// The small label showing a key tip over a page title, command or row while key-tip mode
// is on. It never takes focus or mouse clicks, so the window beneath keeps both.
// Created and owned by KeyTipController (as a child of the window). GUI thread only.
class KeyTipLabel : public QLabel
{
    Q_OBJECT

public:
    KeyTipLabel(const QString &key, QWidget *parent);

    // Puts the label's side named by side (Qt::AlignLeft: its left edge, Qt::AlignHCenter:
    // its middle, ...; the same for top and bottom) on point (parent coordinates), kept
    // inside the parent.
    void placeAt(const QPoint &point, Qt::Alignment side = Qt::AlignCenter);
};

} // namespace Ribbon
