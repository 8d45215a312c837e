// Benchmark helper for the PDF export, two commands so that the timed run does nothing else:
//
//   quillary-pdfbench pages FOLDER COUNT   draws COUNT A4 pages at 300 dpi as JPEG (quality 85),
//                                          FOLDER/00000001_o.jpg ..., as the page store names them
//   quillary-pdfbench export OUTPUT PAGE...  writes the pages into OUTPUT with the exporter's
//                                          default layout (A4, by dots per inch, centred)
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
    if (arguments.size() >= 4 && arguments[1] == QLatin1String("export"))
        return exportPages(arguments[2], arguments.mid(3));
    QTextStream(stderr) << "usage: quillary-pdfbench pages FOLDER COUNT\n"
                           "       quillary-pdfbench export OUTPUT PAGE...\n";
    return 2;
}
