#pragma once

#include "OfficePopupWindow.h"

#include <QLabel>
#include <QStringList>

// The texts of the notices the window shows now, as the user reads them in the popup.
inline QStringList noticeTexts(const QWidget &window)
{
    QStringList texts;
    for (auto *popup : window.findChildren<Ribbon::OfficePopupWindow *>()) {
        if (auto *label = popup->findChild<QLabel *>(QStringLiteral("noticeText")))
            texts << label->text();
    }
    return texts;
}
