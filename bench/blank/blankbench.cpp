// quillary-blankbench: draws scanned pages for the blank page benchmark and runs the
// detector on the page processor's results.
//
//   quillary-blankbench draw FOLDER COUNT SEED
//       writes FOLDER/NNN.tif (A4, 300 dpi, grey or colour, as a scanner delivers them) and
//       FOLDER/pages.txt: one line "NNN kind blank mode" per page, blank 1 for the kinds
//       that must be flagged and mode the processor's colour mode (bw, grey or colour)
//   quillary-blankbench detect FILE...
//       prints one line per file: "FILE blank inkCoverage textComponents cpuMs loadMs", the
//       detector's CPU time the median of five runs on the loaded page

#include "BlankPage.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
constexpr int Dpi = 300;

double px(double millimetres)
{
    return millimetres * Dpi / 25.4;
}

const char *const Words[] = {"the",     "paper",  "scanner", "light",  "of",     "page",
                             "invoice", "and",    "margin",  "total",  "which",  "printed",
                             "across",  "line",   "an",      "report", "date",   "account",
                             "after",   "number", "while",   "word",   "signed", "upon"};

QString randomWords(int count, QRandomGenerator &random)
{
    QStringList words;
    for (int i = 0; i < count; ++i)
        words << QLatin1String(Words[random.bounded(int(std::size(Words)))]);
    return words.join(QLatin1Char(' '));
}

QFont font(double points, QRandomGenerator &random)
{
    QFont font(random.bounded(2) ? QStringLiteral("DejaVu Serif") : QStringLiteral("DejaVu Sans"));
    font.setPixelSize(qRound(points / 72.0 * Dpi));
    return font;
}

void lines(QPainter &painter, QRectF area, int count, QRandomGenerator &random)
{
    const double height = QFontMetricsF(painter.font()).height() * 1.2;
    for (int i = 0; i < count && area.top() + height < area.bottom(); ++i) {
        painter.drawText(area.topLeft() + QPointF(0, height), randomWords(12, random));
        area.setTop(area.top() + height);
    }
}

// Pages' content drawn upright; the caller has turned the painter by the page's skew.
void fullText(QPainter &painter, QRandomGenerator &random)
{
    painter.setFont(font(9 + random.bounded(3), random));
    lines(painter, QRectF(px(20), px(20), px(170), px(257)), 1000, random);
}

void picture(QPainter &painter, QRandomGenerator &random, bool caption)
{
    const double width = px(60 + random.bounded(100));
    const double height = width * (0.5 + random.bounded(0.4));
    const QRectF area(px(20) + random.bounded(px(170) - width),
                      px(25) + random.bounded(px(240) - height), width, height);
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0, QColor::fromHsv(random.bounded(360), 120, 90 + random.bounded(80)));
    gradient.setColorAt(0.5, QColor::fromHsv(random.bounded(360), 80, 200));
    gradient.setColorAt(1, QColor::fromHsv(random.bounded(360), 140, 60 + random.bounded(100)));
    painter.fillRect(area, gradient);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 150, 40 + random.bounded(180)));
        const double size = width * (0.1 + random.bounded(0.25));
        painter.drawEllipse(QRectF(area.left() + random.bounded(width - size),
                                   area.top() + random.bounded(height - size), size, size));
    }
    if (caption) {
        painter.setPen(QColor(30, 30, 30));
        painter.setFont(font(9, random));
        painter.drawText(area.bottomLeft() + QPointF(0, px(6)), randomWords(8, random));
    }
}

// What shows through from a printed back: the text mirrored, a little darker than the paper.
void bleedThrough(QImage &page, int paper, QRandomGenerator &random)
{
    QImage back(page.size(), QImage::Format_ARGB32_Premultiplied);
    back.fill(Qt::transparent);
    {
        QPainter painter(&back);
        const int level = paper - 10 - random.bounded(20);
        painter.setPen(QColor(level, level, level));
        fullText(painter, random);
    }
    QPainter painter(&page);
    painter.drawImage(0, 0, back.mirrored(true, false));
}

void dust(QPainter &painter, const QImage &page, QRandomGenerator &random)
{
    painter.setPen(Qt::NoPen);
    const int specks = 30 + random.bounded(150);
    for (int i = 0; i < specks; ++i) {
        const int level = 30 + random.bounded(120);
        painter.setBrush(QColor(level, level, level));
        const double radius = 0.4 + random.bounded(1.6);
        painter.drawEllipse(QPointF(random.bounded(page.width()), random.bounded(page.height())),
                            radius, radius);
    }
}

void holePunches(QPainter &painter, QRandomGenerator &random)
{
    painter.setPen(Qt::NoPen);
    const int level = 20 + random.bounded(60);
    painter.setBrush(QColor(level, level, level));
    const int count = random.bounded(2) ? 2 : 4;
    const double x = px(9 + random.bounded(6.0));
    for (int i = 0; i < count; ++i)
        painter.drawEllipse(QPointF(x, px(148.5 + 80 * (i - (count - 1) / 2.0))), px(3), px(3));
}

void scannerEdges(QPainter &painter, const QImage &page, QRandomGenerator &random)
{
    const int level = 15 + random.bounded(50);
    const QColor dark(level, level, level);
    painter.fillRect(QRectF(0, 0, px(2 + random.bounded(8.0)), page.height()), dark);
    if (random.bounded(2))
        painter.fillRect(QRectF(0, 0, page.width(), px(1 + random.bounded(5.0))), dark);
    // Dirt on a feeder's glass: a thin line down the whole page, anywhere across it.
    if (random.bounded(2))
        painter.fillRect(
            QRectF(px(5 + random.bounded(200.0)), 0, px(0.3 + random.bounded(0.7)), page.height()),
            dark);
}

void pageNumber(QPainter &painter, const QImage &page, QRandomGenerator &random)
{
    const int number = 1 + random.bounded(300);
    const QString texts[] = {QString::number(number), QStringLiteral("- %1 -").arg(number),
                             QStringLiteral("Page %1 of %2").arg(number).arg(number + 20),
                             QStringLiteral("p. %1").arg(number)};
    painter.setPen(QColor(20, 20, 20));
    painter.setFont(font(9 + random.bounded(3), random));
    const double y =
        random.bounded(2) ? px(8 + random.bounded(7.0)) : px(277 + random.bounded(8.0));
    const Qt::Alignment where = random.bounded(3) == 0   ? Qt::AlignLeft
                                : random.bounded(2) == 0 ? Qt::AlignRight
                                                         : Qt::AlignHCenter;
    painter.drawText(QRectF(px(20), y, page.width() - px(40), px(8)), where,
                     texts[random.bounded(4)]);
}

// Sensor noise, close to Gaussian with a sigma of about 4 levels, per channel.
void noise(QImage &page, QRandomGenerator &random)
{
    const auto offset = [](quint32 bits) {
        return (int(bits & 255) + int(bits >> 8 & 255) + int(bits >> 16 & 255) - 383) / 18;
    };
    for (int y = 0; y < page.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + offset(random.generate()), 0, 255),
                           std::clamp(qGreen(p) + offset(random.generate()), 0, 255),
                           std::clamp(qBlue(p) + offset(random.generate()), 0, 255));
        }
    }
}

struct Kind
{
    const char *name;
    bool blank;
};
const Kind Kinds[] = {
    {"white", true},         {"dust-punches", true}, {"bleed-through", true}, {"page-number", true},
    {"scanner-edges", true}, {"short-line", false},  {"pencil-line", false},  {"short-note", false},
    {"full-text", false},    {"photo", false},
};

QImage drawPage(int kind, QRandomGenerator &random)
{
    const int paper = 232 + random.bounded(22);
    QImage page(qRound(px(210)), qRound(px(297)), QImage::Format_RGB32);
    page.setDotsPerMeterX(qRound(Dpi / 0.0254));
    page.setDotsPerMeterY(qRound(Dpi / 0.0254));
    page.fill(QColor(paper, paper - random.bounded(6), paper - random.bounded(14)));
    const QString name = QLatin1String(Kinds[kind].name);
    // Blank backs carry one or two nuisances besides their own.
    const bool blank = Kinds[kind].blank;
    if (name == QLatin1String("bleed-through") || (blank && random.bounded(3) == 0))
        bleedThrough(page, paper, random);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    if (name == QLatin1String("dust-punches") || (blank && random.bounded(3) == 0)) {
        dust(painter, page, random);
        holePunches(painter, random);
    }
    if (name == QLatin1String("scanner-edges") || (blank && random.bounded(4) == 0))
        scannerEdges(painter, page, random);
    if (name == QLatin1String("page-number"))
        pageNumber(painter, page, random);

    painter.translate(page.width() / 2.0, page.height() / 2.0);
    painter.rotate(random.bounded(3.0) - 1.5);
    painter.translate(-page.width() / 2.0, -page.height() / 2.0);
    const int ink = 10 + random.bounded(50);
    painter.setPen(QColor(ink, ink, ink));
    if (name == QLatin1String("short-line") || name == QLatin1String("pencil-line")) {
        if (name == QLatin1String("pencil-line")) {
            const int pencil = 110 + random.bounded(35);
            painter.setPen(QColor(pencil, pencil, pencil));
        }
        painter.setFont(font(9 + random.bounded(4), random));
        painter.drawText(QPointF(px(20 + random.bounded(30.0)), px(25 + random.bounded(250.0))),
                         randomWords(8 + random.bounded(7), random));
    } else if (name == QLatin1String("short-note")) {
        painter.setFont(font(10 + random.bounded(3), random));
        lines(painter, QRectF(px(25), px(30 + random.bounded(150.0)), px(160), px(80)),
              2 + random.bounded(4), random);
    } else if (name == QLatin1String("full-text")) {
        fullText(painter, random);
    } else if (name == QLatin1String("photo")) {
        picture(painter, random, random.bounded(2));
    }
    painter.end();
    noise(page, random);
    return page;
}

int draw(const QString &folder, int count, quint32 seed)
{
    QRandomGenerator random(seed);
    QFile list(folder + QStringLiteral("/pages.txt"));
    if (!list.open(QIODevice::WriteOnly | QIODevice::Text))
        return 1;
    QTextStream out(&list);
    const char *const modes[] = {"bw", "grey", "colour"};
    for (int i = 0; i < count; ++i) {
        // Every kind as often as the others.
        const int kind = i % int(std::size(Kinds));
        const QString mode = QLatin1String(modes[random.bounded(3)]);
        QImage page = drawPage(kind, random);
        if (mode != QLatin1String("colour"))
            page = page.convertToFormat(QImage::Format_Grayscale8);
        const QString name = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        QImageWriter writer(folder + QLatin1Char('/') + name + QStringLiteral(".tif"), "tiff");
        if (!writer.write(page)) {
            std::fprintf(stderr, "can't write %s\n", qPrintable(writer.fileName()));
            return 1;
        }
        out << name << ' ' << Kinds[kind].name << ' ' << int(Kinds[kind].blank) << ' ' << mode
            << '\n';
    }
    return 0;
}

double cpuMs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

int detect(const QStringList &files)
{
    for (const QString &file : files) {
        const double loadStart = cpuMs();
        const QImage page = QImageReader(file).read();
        const double loadMs = cpuMs() - loadStart;
        if (page.isNull()) {
            std::fprintf(stderr, "can't read %s\n", qPrintable(file));
            return 1;
        }
        std::vector<double> times;
        BlankPageVerdict verdict;
        for (int run = 0; run < 5; ++run) {
            const double start = cpuMs();
            verdict = detectBlankPage(page);
            times.push_back(cpuMs() - start);
        }
        std::sort(times.begin(), times.end());
        std::printf("%s %d %.6f %d %.3f %.3f\n", qPrintable(file), int(verdict.blank),
                    verdict.inkCoverage, verdict.textComponents, times[times.size() / 2], loadMs);
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("draw") && args.size() == 4)
        return draw(args[1], args[2].toInt(), args[3].toUInt());
    if (args.value(0) == QLatin1String("detect") && args.size() >= 2)
        return detect(args.mid(1));
    std::fprintf(stderr, "usage: see the comment at the top of blankbench.cpp\n");
    return 2;
}
