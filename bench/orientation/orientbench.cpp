// Benchmark helper for page orientation, two commands so that the timed run does nothing else:
//
//   quillary-orientbench pages FOLDER COUNT   draws COUNT grey A4 pages at 300 dpi as JPEG
//                                             (quality 85), FOLDER/0001.jpg ..., and
//                                             FOLDER/truth.txt: each file with the clockwise
//                                             turn that makes it upright, or "-" for a picture
//                                             without text (every eighth page)
//   quillary-orientbench detect DPI PAGE...   one engine working at DPI (0: the default)
//                                             looks at each page file; one line per page:
//                                             file, turn, sure (1/0), confidence
#include "PageOrientation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextStream>

#include <cstdio>

namespace {
const char *const words[] = {
    "the",     "paper",   "office",  "letter",   "number",   "between", "account",  "report",
    "public",  "service", "market",  "company",  "country",  "history", "question", "system",
    "during",  "without", "against", "building", "children", "morning", "evening",  "water",
    "river",   "window",  "garden",  "kitchen",  "summer",   "winter",  "station",  "village",
    "council", "meeting", "minutes", "invoice",  "payment",  "receipt", "amount",   "total",
    "balance", "address", "street",  "bridge",   "library",  "museum",  "picture",  "because",
    "however", "and",     "with",    "from",     "into",     "over",    "under",    "after",
    "before",  "while",   "where",   "which",    "their",    "other",   "about",    "would",
    "could",   "people",  "little",  "great",    "small",    "young",   "old",      "a",
    "of",      "to",      "in",      "is",       "it",       "was",     "for",      "on"};

struct Style
{
    const char *family;
    int points;
    bool columns;
};
// Sizes from footnotes to large print, serif, sans and typewriter faces.
const Style styles[] = {
    {"DejaVu Serif", 10, false}, {"Nimbus Roman", 11, false},     {"DejaVu Sans", 9, true},
    {"Nimbus Sans", 12, false},  {"DejaVu Sans Mono", 10, false}, {"C059", 14, false},
    {"P052", 10, true}};

void fillColumn(QPainter &painter, QRandomGenerator &random, const QRectF &area)
{
    const QFontMetricsF metrics(painter.font());
    for (double y = area.top() + metrics.ascent(); y + metrics.descent() < area.bottom();
         y += metrics.lineSpacing() * 1.25) {
        double x = area.left();
        // Ragged paragraphs: now and then a short line and an empty one.
        const double end = random.bounded(9) == 0 ? area.left() + area.width() * 0.4 : area.right();
        for (;;) {
            const QString word = QString::fromLatin1(words[random.bounded(int(std::size(words)))]);
            const double width = metrics.horizontalAdvance(word);
            if (x + width > end)
                break;
            painter.drawText(QPointF(x, y), word);
            x += width + metrics.horizontalAdvance(QLatin1Char(' '));
        }
        if (end < area.right())
            y += metrics.lineSpacing() * 1.25;
    }
}

void drawPicture(QPainter &painter, QRandomGenerator &random, const QSize &size)
{
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(60 + random.bounded(60), 60, 90));
    sky.setColorAt(1, QColor(230, 210, 150 + random.bounded(60)));
    painter.fillRect(QRect(QPoint(), size), sky);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 12; ++i) {
        painter.setBrush(QColor::fromHsv(random.bounded(360), 120, 60 + random.bounded(160)));
        const QRectF box(random.bounded(size.width()), random.bounded(size.height()),
                         200 + random.bounded(700), 200 + random.bounded(700));
        if (i % 2)
            painter.drawEllipse(box);
        else
            painter.drawRect(box);
    }
}

int drawPages(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QFile truth(folder + QLatin1String("/truth.txt"));
    if (!truth.open(QIODevice::WriteOnly))
        return 1;
    for (int n = 1; n <= count; ++n) {
        QImage page(2480, 3508, QImage::Format_Grayscale8);
        page.fill(248);
        QRandomGenerator random(quint32(n) * 7919u + 11u);
        const bool picture = n % 8 == 0;
        {
            QPainter painter(&page);
            painter.setRenderHint(QPainter::Antialiasing);
            if (picture) {
                drawPicture(painter, random, page.size());
            } else {
                const Style style = styles[(n / 4) % int(std::size(styles))];
                QFont font(QLatin1String(style.family));
                font.setPixelSize(style.points * 300 / 72);
                painter.setFont(font);
                painter.setPen(QColor(25, 25, 25));
                // A scan is never quite straight.
                painter.translate(page.width() / 2.0, page.height() / 2.0);
                painter.rotate((random.bounded(200) - 100) / 100.0);
                painter.translate(-page.width() / 2.0, -page.height() / 2.0);
                if (style.columns) {
                    fillColumn(painter, random, QRectF(240, 300, 940, 2900));
                    fillColumn(painter, random, QRectF(1300, 300, 940, 2900));
                } else {
                    fillColumn(painter, random, QRectF(240, 300, 2000, 2900));
                }
            }
        }
        // Turned by a quarter at a time; the way back upright is the rest of the circle.
        const int turnedBy = 90 * (n % 4);
        page = page.transformed(QTransform().rotate(turnedBy));
        page.setDotsPerMeterX(11811);
        page.setDotsPerMeterY(11811);
        const QString name = QStringLiteral("%1.jpg").arg(n, 4, 10, QLatin1Char('0'));
        if (!page.save(folder + QLatin1Char('/') + name, "JPG", 85))
            return 1;
        const QString upright =
            picture ? QStringLiteral("-") : QString::number((360 - turnedBy) % 360);
        truth.write((name + QLatin1Char(' ') + upright + QLatin1Char('\n')).toUtf8());
    }
    return 0;
}

int detect(int dpi, const QStringList &files)
{
    PageOrientation engine(dpi > 0 ? dpi : PageOrientation::defaultWorkingDpi);
    QString error;
    if (!engine.load(&error)) {
        QTextStream(stderr) << error << '\n';
        return 1;
    }
    for (const QString &file : files) {
        const OrientationGuess guess = engine.detect(QImage(file));
        std::printf("%s %d %d %.2f\n", qPrintable(QFileInfo(file).fileName()), guess.turn,
                    int(guess.sure), guess.confidence);
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 3 && args.at(0) == QLatin1String("pages"))
        return drawPages(args.at(1), args.at(2).toInt());
    if (args.size() >= 3 && args.at(0) == QLatin1String("detect"))
        return detect(args.at(1).toInt(), args.mid(2));
    QTextStream(stderr) << "usage: quillary-orientbench pages FOLDER COUNT | detect DPI PAGE...\n";
    return 2;
}
