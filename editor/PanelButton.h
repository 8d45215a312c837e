#pragma once

#include <QPushButton>

// A push button of a work-area panel (crop mode, the look at the glass): assistive technology
// reads its text and what it does. GUI thread only; the caller's layout takes it over.
inline QPushButton *panelButton(const QString &text, const QString &description)
{
    auto *button = new QPushButton(text);
    button->setAccessibleName(text);
    button->setAccessibleDescription(description);
    return button;
}
