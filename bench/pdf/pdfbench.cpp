// Benchmark helper for the PDF export, two commands so that the timed run does nothing else:
//
//   quillary-pdfbench pages FOLDER COUNT   draws COUNT A4 pages at 300 dpi as JPEG (quality 85),
//                                          FOLDER/00000001_o.jpg ..., as the page store names them
//   quillary-pdfbench mono FOLDER COUNT    draws COUNT black-and-white A4 pages at 300 dpi,
//                                          FOLDER/00000001_o.tiff ... as the page store writes
//                                          them (Group 4), and the same pages as Qt's TIFF
//                                          writer stores them by default under FOLDER/plain
//   quillary-pdfbench export OUTPUT PAGE...  writes the pages into OUTPUT with the exporter's
//                                          default layout (A4, by dots per inch, centred)
#include "ImageFileWriter.h"
#include "PdfWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTextStream>

namespace {
// A scanned text page: paper with a little noise, lines of "words", one photo block.
QImage drawPage(int number)
{
    const QSize a4At300(2480, 3508);
    QImage page(a4At300, QImage::Format_RGB32);
    QRandomGenerator random(quint32(number) * 7919u + 17u);
    for (int y = 0; y < page.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(page.scanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const int grey = 236 + int(random.bounded(12));
            line[x] = qRgb(grey, grey, grey - 4);
        }
    }
    QPainter painter(&page);
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < 80; ++row) {
        const int y = 260 + row * 38;
        if (y > 1500 && y < 2300) // leave room for the photo
            continue;
        int x = 240;
        while (x < 2200) {
            const int word = 40 + int(random.bounded(160));
            const int shade = 20 + int(random.bounded(50));
            painter.setBrush(QColor(shade, shade, shade));
            painter.drawRect(x, y, qMin(word, 2240 - x), 22);
            x += word + 24;
        }
    }
    QLinearGradient gradient(QPointF(300, 1550), QPointF(2180, 2250));
    gradient.setColorAt(0, QColor::fromHsv(int(random.bounded(360)), 160, 200));
    gradient.setColorAt(1, QColor::fromHsv(int(random.bounded(360)), 200, 90));
    painter.setBrush(gradient);
    painter.drawRect(300, 1550, 1880, 700);
    painter.end();
    const int dotsPerMeter = qRound(300 / 0.0254);
    page.setDotsPerMeterX(dotsPerMeter);
    page.setDotsPerMeterY(dotsPerMeter);
    return page;
}

int makePages(const QString &folder, int count)
{
    QDir().mkpath(folder);
    for (int i = 1; i <= count; ++i) {
        const QString name = QStringLiteral("%1_o.jpg").arg(i, 8, 10, QLatin1Char('0'));
        if (!drawPage(i).save(QDir(folder).filePath(name), "JPG", 85))
            return 1;
    }
    return 0;
}

// A scanned text page after binarisation: lines of letter-sized strokes, a ruled table, and
// the specks a scanner leaves on paper.
QImage drawMonoPage(int number)
{
    QImage page(2480, 3508, QImage::Format_RGB32);
    page.fill(Qt::white);
    QRandomGenerator random(quint32(number) * 104729u + 3u);
    {
        QPainter painter(&page);
        painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
        for (int row = 0; row < 70; ++row) {
            const int y = 260 + row * 44;
            if (y > 1800 && y < 2400) // leave room for the table
                continue;
            int x = 240 + (row % 5 == 0 ? 80 : 0);
            const int end = row % 9 == 8 ? 1400 : 2220;
            while (x < end) {
                const int letters = 2 + int(random.bounded(9));
                for (int i = 0; i < letters && x < end; ++i, x += 22) {
                    for (int stroke = 0; stroke < 3; ++stroke) {
                        const QPoint from(x + int(random.bounded(18)), y + int(random.bounded(30)));
                        const QPoint to(x + int(random.bounded(18)), y + int(random.bounded(30)));
                        painter.drawLine(from, to);
                    }
                }
                x += 26; // the space between words
            }
        }
        painter.setPen(QPen(Qt::black, 4));
        for (int line = 0; line <= 6; ++line)
            painter.drawLine(300, 1830 + line * 90, 2180, 1830 + line * 90);
        for (int column = 0; column <= 4; ++column)
            painter.drawLine(300 + column * 470, 1830, 300 + column * 470, 2370);
    }
    QImage mono = page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    for (int speck = 0; speck < 400; ++speck)
        mono.setPixel(int(random.bounded(2480)), int(random.bounded(3508)), 1);
    const int dotsPerMeter = qRound(300 / 0.0254);
    mono.setDotsPerMeterX(dotsPerMeter);
    mono.setDotsPerMeterY(dotsPerMeter);
    return mono;
}

int makeMonoPages(const QString &folder, int count)
{
    const QDir dir(folder);
    QDir().mkpath(dir.filePath(QStringLiteral("plain")));
    for (int i = 1; i <= count; ++i) {
        const QString name = QStringLiteral("%1_o.tiff").arg(i, 8, 10, QLatin1Char('0'));
        const QImage page = drawMonoPage(i);
        if (!writePageImage(page, dir.filePath(name)) ||
            !page.save(dir.filePath(QStringLiteral("plain/") + name), "TIFF"))
            return 1;
    }
    return 0;
}

int exportPages(const QString &output, const QStringList &pages)
{
    QElapsedTimer timer;
    timer.start();
    const PdfWriter::Result result = PdfWriter(PdfPageOptions()).write(pages, output);
    QTextStream(stdout) << "pages " << pages.size() << " seconds "
                        << QString::number(timer.elapsed() / 1000.0, 'f', 3) << '\n';
    return result.outcome == PdfWriter::Outcome::Written ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments[1] == QLatin1String("pages"))
        return makePages(arguments[2], arguments[3].toInt());
    if (arguments.size() == 4 && arguments[1] == QLatin1String("mono"))
        return makeMonoPages(arguments[2], arguments[3].toInt());
    if (arguments.size() >= 4 && arguments[1] == QLatin1String("export"))
        return exportPages(arguments[2], arguments.mid(3));
    QTextStream(stderr) << "usage: quillary-pdfbench pages FOLDER COUNT\n"
                           "       quillary-pdfbench mono FOLDER COUNT\n"
                           "       quillary-pdfbench export OUTPUT PAGE...\n";
    return 2;
}
