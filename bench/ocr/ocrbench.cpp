// Benchmark helper for the searchable PDF, two commands so that the timed run does nothing else:
//
//   quillary-ocrbench pages FOLDER COUNT    draws COUNT grey A4 pages of known text at 300 dpi
//                                           as JPEG (quality 85), FOLDER/00000001_o.jpg ...,
//                                           and the text of each in FOLDER/00000001_o.txt;
//                                           fonts and sizes vary, page 2 has two columns,
//                                           page 3 is Russian (then every 20th page again)
//   quillary-ocrbench export LANGS OUTPUT PAGE...  recognises the pages (one engine per core)
//                                           and writes them with the exporter's default layout
#include "OcrQueue.h"
#include "PdfWriter.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextStream>

namespace {
const char *const englishWords[] = {
    "the",       "paper",     "office",    "letter",     "number",      "between",     "account",
    "report",    "public",    "service",   "market",     "company",     "country",     "history",
    "question",  "system",    "program",   "government", "development", "information", "during",
    "without",   "against",   "important", "building",   "children",    "different",   "morning",
    "evening",   "water",     "river",     "mountain",   "window",      "garden",      "kitchen",
    "yellow",    "orange",    "purple",    "summer",     "winter",      "autumn",      "spring",
    "station",   "railway",   "harbour",   "village",    "council",     "meeting",     "minutes",
    "agenda",    "invoice",   "payment",   "receipt",    "amount",      "total",       "balance",
    "interest",  "contract",  "signature", "address",    "street",      "avenue",      "square",
    "bridge",    "tower",     "library",   "museum",     "theatre",     "concert",     "picture",
    "camera",    "scanner",   "document",  "machine",    "engine",      "quickly",     "slowly",
    "carefully", "always",    "never",     "often",      "perhaps",     "because",     "although",
    "however",   "therefore", "and",       "with",       "from",        "into",        "over",
    "under",     "after",     "before",    "while",      "where",       "which",       "their",
    "other",     "about",     "would",     "could",      "should",      "people",      "little",
    "great",     "small",     "large",     "young",      "old"};
const char *const russianWords[] = {
    "документ", "страница", "письмо",   "город",         "улица",   "работа", "вопрос", "ответ",
    "время",    "человек",  "жизнь",    "дело",          "рука",    "слово",  "место",  "лицо",
    "друг",     "глаз",     "голова",   "сторона",       "дом",     "мир",    "случай", "ребенок",
    "сила",     "конец",    "вид",      "система",       "часть",   "образ",  "земля",  "машина",
    "вода",     "отец",     "проблема", "решение",       "история", "власть", "закон",  "война",
    "деньги",   "книга",    "семья",    "правительство", "утро",    "вечер",  "зима",   "лето",
    "осень",    "весна",    "река",     "гора",          "окно",    "сад",    "кухня",  "отчет",
    "договор"};

struct Style
{
    const char *family;
    int points;
};
const Style styles[] = {{"DejaVu Serif", 11}, {"Liberation Serif", 12},
                        {"DejaVu Sans", 10},  {"Liberation Sans", 11},
                        {"DejaVu Sans", 14},  {"Liberation Serif", 10}};

// Lines of random words in one column between left and right; returns the words drawn.
QStringList fillColumn(QPainter &painter, QRandomGenerator &random, bool russian, int left,
                       int right, int top, int bottom)
{
    const QFontMetricsF metrics(painter.font());
    QStringList drawn;
    for (double y = top + metrics.ascent(); y + metrics.descent() < bottom;
         y += metrics.lineSpacing() * 1.3) {
        double x = left;
        for (;;) {
            const QString word =
                russian
                    ? QString::fromUtf8(russianWords[random.bounded(int(std::size(russianWords)))])
                    : QString::fromLatin1(
                          englishWords[random.bounded(int(std::size(englishWords)))]);
            const double width = metrics.horizontalAdvance(word);
            if (x + width > right)
                break;
            painter.drawText(QPointF(x, y), word);
            drawn.append(word);
            x += width + metrics.horizontalAdvance(QLatin1Char(' '));
        }
    }
    return drawn;
}

int drawPages(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int n = 1; n <= count; ++n) {
        QImage page(2480, 3508, QImage::Format_Grayscale8);
        page.fill(250);
        page.setDotsPerMeterX(11811);
        page.setDotsPerMeterY(11811);
        QRandomGenerator random(quint32(n) * 7919u + 3u);
        const Style style = styles[n % int(std::size(styles))];
        QFont font(QLatin1String(style.family));
        font.setPixelSize(style.points * 300 / 72);
        QPainter painter(&page);
        painter.setFont(font);
        painter.setPen(QColor(30, 30, 30));
        const bool russian = n % 20 == 3;
        QStringList words;
        if (n % 20 == 2) {
            words += fillColumn(painter, random, false, 240, 1180, 240, 3260);
            words += fillColumn(painter, random, false, 1300, 2240, 240, 3260);
        } else {
            words = fillColumn(painter, random, russian, 240, 2240, 240, 3260);
        }
        painter.end();
        const QString base = folder + QStringLiteral("/%1_o").arg(n, 8, 10, QLatin1Char('0'));
        QFile text(base + QLatin1String(".txt"));
        if (!page.save(base + QLatin1String(".jpg"), "JPG", 85) || !text.open(QIODevice::WriteOnly))
            return 1;
        text.write((words.join(QLatin1Char(' ')) + QLatin1Char('\n')).toUtf8());
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
    if (args.size() >= 4 && args.at(0) == QLatin1String("export")) {
        const QStringList pages = args.mid(3);
        OcrQueue queue(pages, args.at(1));
        const PdfWriter::Result result =
            PdfWriter(PdfPageOptions())
                .write(pages, args.at(2), {}, [&queue](int index, OcrPage *text) {
                    return queue.take(index, text, {}) == OcrQueue::Status::Ready;
                });
        return result.outcome == PdfWriter::Outcome::Written ? 0 : 1;
    }
    QTextStream(stderr)
        << "usage: quillary-ocrbench pages FOLDER COUNT | export LANGS OUTPUT PAGE...\n";
    return 2;
}
