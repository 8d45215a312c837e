#pragma once

#include <QtGui>

#include <algorithm>
#include <cmath>

// The web accessibility guidelines' contrast ratio: 1 for equal colours, 21 for black on white.
inline double contrast(QRgb a, QRgb b)
{
    const auto luminance = [](QRgb rgb) {
        const auto channel = [](int value) {
            const double c = value / 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
               0.0722 * channel(qBlue(rgb));
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// How well text in area stands out: strongest contrast to its most frequent colour.
inline double textContrast(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000];
    if (counts.isEmpty())
        return 1.0;
    const QRgb background = std::max_element(counts.cbegin(), counts.cend()).key();
    double best = 1.0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            best = qMax(best, contrast(image.pixel(x, y), background));
    return best;
}

// Whether a surface drawn as rgb is nearer palette's window colour than its text colour.
inline bool matchesPalette(QRgb rgb, const QPalette &palette)
{
    return contrast(rgb, palette.color(QPalette::Window).rgb()) <
           contrast(rgb, palette.color(QPalette::WindowText).rgb());
}

// The two palettes widgets must read well under: Qt's own light one and a dark desktop's.
inline QPalette darkPalette()
{
    return QPalette(QColor(0x35, 0x35, 0x35), QColor(0x30, 0x30, 0x30));
}
