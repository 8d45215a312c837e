// pageproc-bench-tool: draws the benchmark's pages and measures the processor's results.
//
//   pageproc-bench-tool page OUT.tif DPI grey|colour DEGREES SEED
//   pageproc-bench-tool spread OUT.tif DPI GUTTER_FRACTION SEED   (prints the gutter x)
//   pageproc-bench-tool skew PAGE.tif                             (prints the rule's angle)
//   pageproc-bench-tool width PAGE.tif                            (prints the page width)

#include "PageDrawing.h"
#include "RuleSkew.h"

#include <QCoreApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QStringList>

#include <cstdio>

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
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString command = args.value(0);
    if (command == QLatin1String("page") && args.size() == 6) {
        const DrawnPage page = drawPage(args[2].toInt(), args[3] == QLatin1String("colour"),
                                        args[4].toDouble(), args[5].toUInt());
        return save(page.image, args[1]) ? 0 : 1;
    }
    if (command == QLatin1String("spread") && args.size() == 5) {
        const DrawnPage spread = drawSpread(args[2].toInt(), args[3].toDouble(), args[4].toUInt());
        if (!save(spread.image, args[1]))
            return 1;
        std::printf("%d %d\n", spread.gutterX, spread.image.height());
        return 0;
    }
    if ((command == QLatin1String("skew") || command == QLatin1String("width")) &&
        args.size() == 2) {
        const QImage image = load(args[1]);
        if (image.isNull())
            return 1;
        if (command == QLatin1String("width"))
            std::printf("%d\n", image.width());
        else
            std::printf("%.4f\n", ruleSkewDegrees(image));
        return 0;
    }
    std::fprintf(stderr, "usage: see the comment at the top of main.cpp\n");
    return 2;
}
