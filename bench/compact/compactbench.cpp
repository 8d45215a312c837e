// Benchmark helper for compact PDF pages, two commands so that the timed run does nothing else:
//
//   quillary-compactbench pages FOLDER COUNT
//       draws COUNT scanned-looking A4 pages at 300 dpi as JPEG (quality 85), colour and grey in
//       turn: text of several sizes, a coloured heading, a photograph-like picture, paper grain.
//       Writes FOLDER/NNN_o.jpg, FOLDER/NNN.txt (the words on it) and FOLDER/pictures.txt
//       ("NNN x y width height" per page).
//   quillary-compactbench measure LEVEL PAGE...
//       per page: "page jpegBytes plainPdfBytes compactPdfBytes compactMs textKept textAdded
//       picturePsnr", the compact page written alone with the exporter at picture LEVEL (0-2),
//       its time the median of three writes; text and picture measured on the page as a reader
//       draws the stored layers
//   quillary-compactbench write LEVEL PAGE OUTPUT
//       the page alone as a compact PDF
#include "MixedRaster.h"
#include "PdfWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {
const QStringList paragraphs = {
    QStringLiteral("The committee met on the first Tuesday of the month to discuss the budget for "
                   "the coming year, the repairs to the bridge and the new timetable of the ferry. "),
    QStringLiteral("Measurements taken at the northern station show that the water level rose by "
                   "twelve centimetres in March, more than in any spring since records began. "),
    QStringLiteral("Please return the signed form together with a copy of your invoice before the "
                   "end of the quarter; late claims cannot be paid until the following year. "),
};

QRect drawPage(QImage &page, int number)
{
    QRandomGenerator random(quint32(number) * 7919u + 3u);
    for (int y = 0; y < page.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const int grain = 238 + int(random.bounded(10));
            line[x] = qRgb(grain, grain, grain - 6);
        }
    }
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont heading(QStringLiteral("DejaVu Sans"));
    heading.setPixelSize(90);
    heading.setBold(true);
    painter.setFont(heading);
    painter.setPen(QColor::fromHsv(int(random.bounded(360)), 220, 150));
    painter.drawText(QPoint(240, 330), QStringLiteral("Report %1").arg(number));

    QFont body(number % 3 == 0 ? QStringLiteral("DejaVu Sans") : QStringLiteral("DejaVu Serif"));
    body.setPixelSize(38 + number % 3 * 6); // 9 to 11 point
    painter.setFont(body);
    painter.setPen(QColor(25, 25, 30));
    const QRect top(240, 420, 2000, 1000);
    painter.drawText(top, Qt::TextWordWrap, paragraphs.at(number % 3).repeated(6));

    const QRect picture(240 + int(random.bounded(300)), 1500, 1500, 1000);
    QLinearGradient sky(picture.topLeft(), picture.bottomLeft());
    sky.setColorAt(0, QColor::fromHsv(int(random.bounded(360)), 120, 230));
    sky.setColorAt(1, QColor::fromHsv(int(random.bounded(360)), 200, 80));
    painter.fillRect(picture, sky);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 300; ++i) {
        painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 150, 60 + int(random.bounded(180)),
                                         160));
        const int r = 10 + int(random.bounded(60));
        painter.drawEllipse(QPoint(picture.x() + int(random.bounded(picture.width())),
                                   picture.y() + int(random.bounded(picture.height()))),
                            r, r);
    }
    painter.setPen(QColor(25, 25, 30));
    painter.drawText(QRect(240, 2600, 2000, 700), Qt::TextWordWrap,
                     paragraphs.at((number + 1) % 3).repeated(4));
    return picture;
}

double psnr(const QImage &a, const QImage &b, const QRect &area)
{
    double squares = 0;
    qint64 count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            for (const int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) {
                squares += double(d) * d;
                ++count;
            }
        }
    }
    const double mse = squares / double(qMax<qint64>(count, 1));
    return mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0;
}

int pages(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QFile list(folder + QStringLiteral("/pictures.txt"));
    if (!list.open(QIODevice::WriteOnly))
        return 1;
    QTextStream out(&list);
    for (int number = 1; number <= count; ++number) {
        QImage page(2480, 3508, QImage::Format_RGB32);
        const QRect picture = drawPage(page, number);
        if (number % 2 == 0)
            page = page.convertToFormat(QImage::Format_Grayscale8);
        page.setDotsPerMeterX(qRound(300 / 0.0254));
        page.setDotsPerMeterY(qRound(300 / 0.0254));
        const QString name = QStringLiteral("%1").arg(number, 8, 10, QLatin1Char('0'));
        page.save(folder + QLatin1Char('/') + name + QStringLiteral("_o.jpg"), "JPG", 85);
        out << name << ' ' << picture.x() << ' ' << picture.y() << ' ' << picture.width() << ' '
            << picture.height() << '\n';
        // What recognition should find: heading and both text blocks.
        QFile truth(folder + QLatin1Char('/') + name + QStringLiteral(".txt"));
        if (truth.open(QIODevice::WriteOnly))
            truth.write(QStringLiteral("Report %1 %2 %3")
                            .arg(number)
                            .arg(paragraphs.at(number % 3).repeated(6),
                                 paragraphs.at((number + 1) % 3).repeated(4))
                            .toUtf8());
    }
    return 0;
}

qint64 pdfBytes(const QString &page, bool compact, int level, const QString &output)
{
    PdfPageOptions options;
    options.compact = compact;
    options.pictureLevel = level;
    if (PdfWriter(options).write({page}, output).outcome != PdfWriter::Outcome::Written)
        return -1;
    return QFileInfo(output).size();
}

int measure(int level, const QStringList &files)
{
    QTemporaryDir dir;
    QTextStream out(stdout);
    for (const QString &file : files) {
        const QString name = QFileInfo(file).fileName().left(8);
        QFile list(QFileInfo(file).path() + QStringLiteral("/pictures.txt"));
        QRect picture;
        if (list.open(QIODevice::ReadOnly)) {
            for (const QByteArray &line : list.readAll().split('\n')) {
                const QList<QByteArray> f = line.split(' ');
                if (f.size() == 5 && QString::fromLatin1(f[0]) == name)
                    picture = QRect(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
            }
        }
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        const qint64 plain = pdfBytes(file, false, level, pdf);
        std::vector<qint64> times;
        qint64 compact = 0;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer timer;
            timer.start();
            compact = pdfBytes(file, true, level, pdf);
            times.push_back(timer.elapsed());
        }
        std::sort(times.begin(), times.end());

        const QImage original = QImage(file).convertToFormat(QImage::Format_RGB32);
        const QImage drawn = MixedRaster::compose(
                                 MixedRaster::separate(QImage(file), MixedRaster::PictureLevel(level)))
                                 .convertToFormat(QImage::Format_RGB32);
        qint64 text = 0, kept = 0, added = 0;
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                if (picture.contains(x, y))
                    continue;
                const bool was = qGray(original.pixel(x, y)) < 128;
                const bool is = qGray(drawn.pixel(x, y)) < 128;
                text += was;
                kept += was && is;
                added += is && !was;
            }
        }
        out << name << ' ' << QFileInfo(file).size() << ' ' << plain << ' ' << compact << ' '
            << times[1] << ' ' << QString::number(100.0 * kept / qMax<qint64>(text, 1), 'f', 2)
            << ' ' << QString::number(100.0 * added / qMax<qint64>(text, 1), 'f', 2) << ' '
            << QString::number(psnr(original, drawn, picture), 'f', 1) << '\n';
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("pages"))
        return pages(arguments[2], arguments[3].toInt());
    if (arguments.size() == 5 && arguments[1] == QLatin1String("write"))
        return pdfBytes(arguments[3], true, arguments[2].toInt(), arguments[4]) < 0 ? 1 : 0;
    if (arguments.size() >= 4 && arguments[1] == QLatin1String("measure"))
        return measure(arguments[2].toInt(), arguments.mid(3));
    QTextStream(stderr) << "usage: quillary-compactbench pages FOLDER COUNT\n"
                           "       quillary-compactbench measure LEVEL PAGE...\n";
    return 2;
}
