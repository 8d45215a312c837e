#pragma once

#include <QToolButton>

class QFontMetrics;

namespace Ribbon {

// A command button of a ribbon group. A large one (text under the icon) breaks a label of
// several words onto two balanced lines and always keeps room for two, so the buttons of a
// page line up and a group stays narrow. The action's own text is left untouched.
// Created and owned by RibbonGroup. GUI thread only.
class RibbonButton : public QToolButton
{
    Q_OBJECT

public:
    explicit RibbonButton(QWidget *parent = nullptr);

    QSize sizeHint() const override;

    // text on at most two lines, split at the space that makes the wider line narrowest.
    static QString wrappedText(const QString &text, const QFontMetrics &metrics);

protected:
    void initStyleOption(QStyleOptionToolButton *option) const override;

private:
    bool isLarge() const;
};

} // namespace Ribbon
