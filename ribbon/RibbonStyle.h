#pragma once

#include "OfficeStyle.h"

namespace Ribbon {

// The style the program installs: the office style plus the primitives of the ribbon
// windows. GUI thread only.
class RibbonStyle : public OfficeStyle
{
    Q_OBJECT

public:
    RibbonStyle();

    // The background of the main window's work area, drawn over option->rect.
    static constexpr QStyle::PrimitiveElement PE_Workspace =
        QStyle::PrimitiveElement(QStyle::PE_CustomBase + 1);

    void drawPrimitive(QStyle::PrimitiveElement element, const QStyleOption *option,
                       QPainter *painter, const QWidget *widget = nullptr) const override;
};

} // namespace Ribbon
