#pragma once

#include <QImage>

// Angle in degrees (clockwise positive) of the rule line that tops a drawn page's text, as
// it lies in a processed page: found from the upper edge of the topmost ink in every column
// by a least-squares line. NaN when no such edge is found.
double ruleSkewDegrees(const QImage &page);
