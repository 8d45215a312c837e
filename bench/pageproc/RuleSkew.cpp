#include "RuleSkew.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {
struct Point
{
    double x;
    double y;
};

// Slope of the least-squares line through points.
double slope(const std::vector<Point> &points)
{
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Point &p : points) {
        sx += p.x;
        sy += p.y;
        sxx += p.x * p.x;
        sxy += p.x * p.y;
    }
    const double n = static_cast<double>(points.size());
    return (n * sxy - sx * sy) / (n * sxx - sx * sx);
}
} // namespace

double ruleSkewDegrees(const QImage &page)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    std::vector<Point> edge;
    for (int x = grey.width() / 20; x < grey.width() * 19 / 20; ++x) {
        for (int y = 1; y < grey.height(); ++y) {
            const int value = grey.constScanLine(y)[x];
            if (value < 128) {
                // Sub-pixel: where the brightness crosses mid-grey between rows y-1 and y.
                const int above = grey.constScanLine(y - 1)[x];
                const double t = above > value ? (above - 128.0) / (above - value) : 1.0;
                edge.push_back({static_cast<double>(x), y - 1 + t});
                break;
            }
        }
    }
    if (edge.size() < 20)
        return std::numeric_limits<double>::quiet_NaN();
    // Columns where the rule was missed (its ends, specks above it) are dropped in a
    // second pass around the first line.
    double m = slope(edge);
    for (int pass = 0; pass < 2; ++pass) {
        double meanX = 0, meanY = 0;
        for (const Point &p : edge) {
            meanX += p.x;
            meanY += p.y;
        }
        meanX /= edge.size();
        meanY /= edge.size();
        std::vector<Point> kept;
        for (const Point &p : edge) {
            if (std::fabs(p.y - (meanY + m * (p.x - meanX))) < 3.0)
                kept.push_back(p);
        }
        if (kept.size() < 20)
            return std::numeric_limits<double>::quiet_NaN();
        edge.swap(kept);
        m = slope(edge);
    }
    return std::atan(m) * 180.0 / 3.14159265358979323846;
}
