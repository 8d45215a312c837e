// quillary-jbig2bench: draws black-and-white A4 pages for the JBIG2 benchmark and codes each
// page as Group 4 (our page-file writer) and as JBIG2.
//
//   quillary-jbig2bench draw FOLDER COUNT SEED
//       writes FOLDER/NNN-drawn.tif and FOLDER/NNN-scanned.tif, COUNT of each: 1-bit A4 pages
//       at 300 dpi as the application stores them (Group 4 TIFF). "drawn" pages are text as
//       rendered; "scanned" ones are thresholded from grey with sensor noise, a slight skew and
//       dust, so their edges are ragged as a scanner's are.
//   quillary-jbig2bench encode FILE...
//       prints one line per file: "FILE group4Bytes jbig2Bytes symbolsBytes group4Ms jbig2Ms
//       symbolsMs", the Group 4 bytes being the code a PDF takes, the JBIG2 ones the embedded
//       stream a PDF takes (one generic region; with symbols), and the times the median of
//       five encodings of the loaded page (CPU time).

#include "Group4Tiff.h"
#include "Jbig2Encoder.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {
constexpr int Dpi = 300;
constexpr double PerMillimetre = Dpi / 25.4;

// A line of about 11 words cut from a running text at a random place, so no two pages match.
QString textLine(QRandomGenerator &random)
{
    static const QString text =
        QStringLiteral("The minutes of the last meeting were read and agreed, and the clerk "
                       "reported that the repairs to the bridge will be finished in summer; the "
                       "account of the invoice total was signed under number ")
            .repeated(3);
    const int start = text.indexOf(QLatin1Char(' '), random.bounded(int(text.size()) / 2)) + 1;
    return text.mid(start, 66);
}

// A page of paragraphs in 9 to 12 point serif or sans, upright or turned by up to 1 degree.
QImage textPage(QRandomGenerator &random, bool scanned)
{
    QImage page(qRound(210 * PerMillimetre), qRound(297 * PerMillimetre),
                QImage::Format_Grayscale8);
    page.setDotsPerMeterX(qRound(Dpi / 0.0254));
    page.setDotsPerMeterY(qRound(Dpi / 0.0254));
    page.fill(scanned ? 235 + random.bounded(18) : 255);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    if (scanned) {
        painter.translate(page.width() / 2.0, page.height() / 2.0);
        painter.rotate(random.bounded(2.0) - 1.0);
        painter.translate(-page.width() / 2.0, -page.height() / 2.0);
    }
    QFont font(random.bounded(2) ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound((9 + random.bounded(4)) / 72.0 * Dpi));
    painter.setFont(font);
    painter.setPen(scanned ? QColor(40, 40, 40) : Qt::black);
    const double line = QFontMetricsF(font).height() * 1.2;
    double y = 25 * PerMillimetre;
    while (y + line < 272 * PerMillimetre) {
        const int lines = 3 + random.bounded(8);
        for (int i = 0; i < lines && y + line < 272 * PerMillimetre; ++i, y += line)
            painter.drawText(QPointF(20 * PerMillimetre, y), textLine(random));
        y += line;
    }
    if (scanned) {
        painter.resetTransform();
        painter.setPen(Qt::NoPen);
        for (int i = 0; i < 150; ++i) {
            const int level = 30 + random.bounded(150);
            painter.setBrush(QColor(level, level, level));
            const double radius = 0.5 + random.bounded(2.0);
            painter.drawEllipse(
                QPointF(random.bounded(page.width()), random.bounded(page.height())), radius,
                radius);
        }
        painter.end();
        for (int row = 0; row < page.height(); ++row) {
            uchar *pixels = page.scanLine(row);
            for (int x = 0; x < page.width(); ++x) {
                const quint32 bits = random.generate();
                const int offset = (int(bits & 255) + int(bits >> 8 & 255) - 255) / 12;
                pixels[x] = uchar(std::clamp(pixels[x] + offset, 0, 255));
            }
        }
    }
    return page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

int draw(const QString &folder, int count, quint32 seed)
{
    QRandomGenerator random(seed);
    for (int i = 1; i <= count; ++i) {
        for (const bool scanned : {false, true}) {
            const QString path =
                QStringLiteral("%1/%2-%3.tif")
                    .arg(folder)
                    .arg(i, 3, 10, QLatin1Char('0'))
                    .arg(scanned ? QLatin1String("scanned") : QLatin1String("drawn"));
            QString error;
            QFile file(path);
            const QByteArray tiff = Group4Tiff::encode(textPage(random, scanned), &error);
            if (tiff.isEmpty() || !file.open(QIODevice::WriteOnly) ||
                file.write(tiff) != tiff.size()) {
                fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
                return 1;
            }
        }
    }
    return 0;
}

// CPU time of the program, which codes on this one thread.
double cpuMilliseconds()
{
    return double(std::clock()) * 1000.0 / CLOCKS_PER_SEC;
}

// Median CPU time of five runs of work, in milliseconds.
double medianOfFive(const std::function<void()> &work)
{
    std::vector<double> times;
    for (int run = 0; run < 5; ++run) {
        const double start = cpuMilliseconds();
        work();
        times.push_back(cpuMilliseconds() - start);
    }
    std::sort(times.begin(), times.end());
    return times[2];
}

int encode(const QStringList &files)
{
    for (const QString &path : files) {
        const QImage page(path);
        const qsizetype group4 = Group4Tiff::read(path).code.size();
        const qsizetype jbig2 = Jbig2Encoder::encodeGeneric(page).size();
        const qsizetype symbols = Jbig2Encoder::encodeWithSymbols(page).size();
        QString error;
        const double group4Ms = medianOfFive([&] { Group4Tiff::encode(page, &error); });
        const double jbig2Ms = medianOfFive([&] { Jbig2Encoder::encodeGeneric(page); });
        const double symbolsMs = medianOfFive([&] { Jbig2Encoder::encodeWithSymbols(page); });
        printf("%s %lld %lld %lld %.2f %.2f %.2f\n", qPrintable(path), qlonglong(group4),
               qlonglong(jbig2), qlonglong(symbols), group4Ms, jbig2Ms, symbolsMs);
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.size() == 4 && arguments.at(0) == QLatin1String("draw"))
        return draw(arguments.at(1), arguments.at(2).toInt(), arguments.at(3).toUInt());
    if (arguments.size() >= 2 && arguments.at(0) == QLatin1String("encode"))
        return encode(arguments.mid(1));
    fprintf(stderr, "usage: quillary-jbig2bench draw FOLDER COUNT SEED | encode FILE...\n");
    return 2;
}
