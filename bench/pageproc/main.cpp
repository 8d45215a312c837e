// pageproc-bench-tool: draws the benchmark's pages and measures the processor's results.
//
//   pageproc-bench-tool page OUT.tif DPI grey|colour DEGREES SEED
//   pageproc-bench-tool spread OUT.tif DPI GUTTER_FRACTION DEGREES INNER_MM SEED
//                                                   (prints the gutter x and the spread's width)
//   pageproc-bench-tool skew PAGE.tif               (prints the rule's angle)
//   pageproc-bench-tool width PAGE.tif              (prints the page width)
//   pageproc-bench-tool edge PAGE.tif               (prints "gone" or "kept" for the shadow)

#include "PageDrawing.h"
#include "RuleSkew.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>

#include <cstdio>
#include <vector>

namespace {
bool save(const QImage &image, const QString &path)
{
    QImageWriter writer(path, "tiff");
    if (!writer.write(image)) {
        std::fprintf(stderr, "can't write %s: %s\n", qPrintable(path),
                     qPrintable(writer.errorString()));
        return false;
    }
    return true;
}

QImage load(const QString &path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        std::fprintf(stderr, "can't read %s: %s\n", qPrintable(path),
                     qPrintable(reader.errorString()));
    return image;
}

// Whether the left edge's shadow survived, as a grey band or (in black and white) a band of
// dots: in the left quarter of the page a column that is mid-grey (dots blurred) down at least
// half its height, which a column through text is not: letters are black, the gaps between
// lines paper. A deskewed page carries the shadow askew, so it need not run the whole height.
// On black and white the margin is thin: text columns reach about 40 %, dots 55 %.
bool shadowKept(const QImage &page)
{
    const bool bilevel = page.depth() == 1;
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    const int radius = bilevel ? 4 : 2;
    const int threshold = bilevel ? 240 : 215;
    const int width = grey.width();
    const int height = grey.height();
    // Sums over the rectangle from (0, 0), one row and column larger than the page.
    std::vector<qint64> sums(std::size_t(width + 1) * (height + 1), 0);
    const auto at = [&](int x, int y) -> qint64 & {
        return sums[std::size_t(y) * (width + 1) + x];
    };
    for (int y = 0; y < height; ++y) {
        qint64 row = 0;
        for (int x = 0; x < width; ++x) {
            row += grey.constScanLine(y)[x];
            at(x + 1, y + 1) = at(x + 1, y) + row;
        }
    }
    for (int x = radius; x < width / 4; ++x) {
        int dark = 0;
        for (int y = radius; y < height - radius; ++y) {
            const qint64 box = at(x + radius + 1, y + radius + 1) - at(x - radius, y + radius + 1) -
                               at(x + radius + 1, y - radius) + at(x - radius, y - radius);
            const qint64 area = (2 * radius + 1) * (2 * radius + 1);
            dark += box < threshold * area && box > (bilevel ? 150 : 60) * area;
        }
        if (dark >= (height - 2 * radius) / 2)
            return true;
    }
    return false;
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == QLatin1String("page") && args.size() == 6) {
        const DrawnPage page = drawPage(args[2].toInt(), args[3] == QLatin1String("colour"),
                                        args[4].toDouble(), args[5].toUInt());
        return save(page.image, args[1]) ? 0 : 1;
    }
    if (command == QLatin1String("spread") && args.size() == 7) {
        const DrawnPage spread = drawSpread(args[2].toInt(), args[3].toDouble(), args[4].toDouble(),
                                            args[5].toDouble(), args[6].toUInt());
        if (!save(spread.image, args[1]))
            return 1;
        std::printf("%d %d\n", spread.gutterX, spread.image.height());
        return 0;
    }
    if ((command == QLatin1String("skew") || command == QLatin1String("width") ||
         command == QLatin1String("edge")) &&
        args.size() == 2) {
        const QImage image = load(args[1]);
        if (image.isNull())
            return 1;
        if (command == QLatin1String("width"))
            std::printf("%d\n", image.width());
        else if (command == QLatin1String("edge"))
            std::printf("%s\n", shadowKept(image) ? "kept" : "gone");
        else
            std::printf("%.4f\n", ruleSkewDegrees(image));
        return 0;
    }
    std::fprintf(stderr, "usage: see the comment at the top of main.cpp\n");
    return 2;
}
