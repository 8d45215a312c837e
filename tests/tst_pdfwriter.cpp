// The PDF writer without its dialog: the layout of every page read back from the written
// file, what real readers say about the file, reading a page's resolution from its header,
// and every way an export can end without a new file.
#include "Group4Tiff.h"
#include "ImageFileWriter.h"
#include "ImageHeader.h"
#include "PaperSizes.h"
#include "PdfLayout.h"
#include "PdfTestTools.h"
#include "PdfWriter.h"
#include "TestHelpers.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <utility>

using namespace PdfTestTools;

Q_DECLARE_METATYPE(PdfWriter::Outcome)
Q_DECLARE_METATYPE(PdfLayout::Margins)

namespace {
PdfPageOptions optionsFor(int paperId, bool landscape, int scaleMode, bool centred,
                          const PdfLayout::Margins &margins)
{
    PdfPageOptions options;
    options.paperId = paperId;
    options.orientation = landscape ? PdfPageOptions::Landscape : PdfPageOptions::Portrait;
    options.scaleMode = scaleMode;
    options.centred = centred;
    options.margins = margins;
    return options;
}
} // namespace

class TestPdfWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        // 600 x 300 pixels at 300 dpi: 144 x 72 points.
        m_smallJpeg = drawPage(m_dir.filePath(QStringLiteral("small.jpg")), {600, 300}, 300);
        QVERIFY(!m_smallJpeg.isEmpty());
        // At 150 dpi: 595.2 x 841.92, 624.48 x 312.48 and 144 x 1632 points.
        const QList<std::pair<const char *, QSize>> pages{
            {"scan", {1240, 1754}}, {"wide", {1301, 651}}, {"receipt", {300, 3400}}};
        for (const auto &[name, pixels] : pages) {
            const QString path = m_dir.filePath(QLatin1String(name) + QLatin1String(".jpg"));
            QCOMPARE(drawPage(path, pixels, 150), path);
        }
    }

    void layoutOnThePage_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("centred");
        QTest::addColumn<PdfLayout::Margins>("margins");
        QTest::addColumn<QRectF>("drawn"); // the image: x, y, width, height in points

        const PdfLayout::Margins none;
        // 2, 1, 1.5 and 0.5 cm: 56.693, 28.346, 42.520 and 14.173 points; the area inside them is
        // 509.961 x 785.307 points of A4.
        const PdfLayout::Margins mixed{2.0, 1.0, 1.5, 0.5};
        const QSize small(600, 300);
        const int a4 = PaperSizes::A4;
        const int a5 = PaperSizes::A5;

        // Natural size, top-left corner of the page.
        row("dpi, corner", small, 300, a4, false, 0, false, none, QRectF(0, 770, 144, 72));
        row("dpi, centred", small, 300, a4, false, 0, true, none, QRectF(225.5, 385, 144, 72));
        row("dpi, margins, corner", small, 300, a4, false, 0, false, mixed,
            QRectF(56.693, 727.480, 144, 72));
        row("dpi, margins, centred", small, 300, a4, false, 0, true, mixed,
            QRectF(239.193, 370.673, 144, 72));
        // Landscape swaps the paper; the margins keep their sides.
        row("landscape, corner", small, 300, a4, true, 0, false, none, QRectF(0, 523, 144, 72));
        row("landscape, margins", small, 300, a4, true, 0, false, mixed,
            QRectF(56.693, 480.480, 144, 72));
        // Strict fit test: 595 points wide on a 595 point wide page is fitted (width 595 -> 592,
        // height 340 * 592 / 595).
        row("dpi, exactly as wide", QSize(595, 340), 72, a4, false, 0, false, none,
            QRectF(0, 503.714, 592, 338.286));
        row("dpi, one point narrower", QSize(594, 340), 72, a4, false, 0, false, none,
            QRectF(0, 502, 594, 340));
        // 720 x 480 points do not fit: 595 wide, lowered to 592, and 592 / 1.5 high.
        row("dpi, too large", QSize(3000, 2000), 300, a4, false, 0, false, none,
            QRectF(0, 447.333, 592, 394.667));
        row("stretch", small, 300, a4, false, 1, false, none, QRectF(0, 0, 595, 842));
        row("stretch, margins, centred", small, 300, a4, false, 1, true, mixed,
            QRectF(56.693, 14.173, 509, 785));
        // Keeping aspect enlarges: 595 wide -> 592, height 296 (592 / 2).
        row("keep aspect, corner", small, 300, a4, false, 2, false, none, QRectF(0, 546, 592, 296));
        row("keep aspect, centred", small, 300, a4, false, 2, true, none,
            QRectF(1.5, 273, 592, 296));
        // A tall image is limited by the height: 842 high, width 421 -> 420, height 840.
        row("keep aspect, tall", QSize(300, 600), 300, a4, false, 2, false, none,
            QRectF(0, 2, 420, 840));
        row("keep aspect, landscape", small, 300, a4, true, 2, false, none,
            QRectF(0, 175, 840, 420));
        // A 500 point square on A5 (420 points wide), limited by the width. A left margin of
        // 0.65 cm (18.425 points) leaves 401 whole points, 0.7 cm (19.843 points) 400; the width is
        // rounded down to a multiple of four, the height follows the rounded width.
        const QSize square(500, 500);
        const PdfLayout::Margins left65{0.65, 0, 0, 0};
        const PdfLayout::Margins left70{0.7, 0, 0, 0};
        row("401 -> 400, keep aspect", square, 72, a5, false, 2, false, left65,
            QRectF(18.425, 195, 400, 400));
        row("400 -> 396, keep aspect", square, 72, a5, false, 2, false, left70,
            QRectF(19.843, 199, 396, 396));
        row("401 -> 400, too large at dpi", square, 72, a5, false, 0, false, left65,
            QRectF(18.425, 195, 400, 400));
        row("400 -> 396, too large at dpi", square, 72, a5, false, 0, false, left70,
            QRectF(19.843, 199, 396, 396));
        // An A4 scan at 150 dpi is 595.2 x 841.92 points: not whole points, yet drawn inside
        // the page (fitted: 592 x 592 * 1754 / 1240), at its own size where it fits (A3).
        const QSize scan(1240, 1754);
        row("A4 scan, dpi, centred", scan, 150, a4, false, 0, true, none,
            QRectF(1.5, 2.303, 592, 837.394));
        row("A4 scan, stretch", scan, 150, a4, false, 1, false, none, QRectF(0, 0, 595, 842));
        row("A4 scan on A3, dpi, corner", scan, 150, int(PaperSizes::A3), false, 0, false, none,
            QRectF(0, 348.08, 595.2, 841.92));
        // A receipt limited by the height: 74 points wide -> 72, and 72 * 6800 / 600 high.
        row("receipt, keep aspect", QSize(600, 6800), 300, a4, false, 2, false, none,
            QRectF(0, 26, 72, 816));
        // 0.72 x 1.44 points count as a 1 x 1 square, fitted by the width; the exact aspect
        // then needs 840 points of height, so the width steps down to 420.
        row("tiny, keep aspect", QSize(3, 6), 300, a4, false, 2, false, none,
            QRectF(0, 2, 420, 840));
    }

    void layoutOnThePage()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, dpi);
        QFETCH(int, paper);
        QFETCH(bool, landscape);
        QFETCH(int, scale);
        QFETCH(bool, centred);
        QFETCH(PdfLayout::Margins, margins);
        QFETCH(QRectF, drawn);

        QTemporaryDir dir;
        const QString page = drawPage(dir.filePath(QStringLiteral("page.jpg")), pixels, dpi);
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const PdfWriter writer(optionsFor(paper, landscape, scale, centred, margins));
        QCOMPARE(writer.write({page}, pdf).outcome, PdfWriter::Outcome::Written);

        const QList<PageRecord> pages = readPages(pdf);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(pages[0].mediaBox, QRectF(QPointF(0, 0), PaperSizes::points(paper, landscape)));
        const QList<double> expected{drawn.width(), 0, 0, drawn.height(), drawn.x(), drawn.y()};
        QCOMPARE(pages[0].matrix.size(), 6);
        for (int i = 0; i < 6; ++i)
            QVERIFY2(qAbs(pages[0].matrix[i] - expected[i]) < 0.01,
                     qPrintable(QStringLiteral("%1: %2").arg(i).arg(pages[0].matrix[i])));
    }

    // Every scale mode on several papers and orientations: the picture stays inside the area
    // within the margins, and unless stretched keeps its proportions exactly.
    void drawnInsideTheArea_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("paper");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<bool>("centred");
        QTest::addColumn<PdfLayout::Margins>("margins");
        QTest::addColumn<int>("scale");
        const PdfLayout::Margins none;
        const PdfLayout::Margins mixed{2.0, 1.0, 1.5, 0.5};
        struct Paper
        {
            const char *name;
            int id;
            bool landscape;
            bool centred;
            PdfLayout::Margins margins;
        };
        const Paper papers[] = {{"A4", PaperSizes::A4, false, true, none},
                                {"A4 landscape", PaperSizes::A4, true, false, none},
                                {"Letter, margins", PaperSizes::Letter, false, false, mixed},
                                {"A6 landscape, margins", PaperSizes::A6, true, true, mixed}};
        for (const char *page : {"scan", "wide", "receipt"}) {
            for (const Paper &paper : papers) {
                for (int scale : {0, 1, 2}) {
                    QTest::addRow("%s, %s, scale %d", page, paper.name, scale)
                        << m_dir.filePath(QLatin1String(page) + QLatin1String(".jpg")) << paper.id
                        << paper.landscape << paper.centred << paper.margins << scale;
                }
            }
        }
    }

    void drawnInsideTheArea()
    {
        QFETCH(QString, page);
        QFETCH(int, paper);
        QFETCH(bool, landscape);
        QFETCH(bool, centred);
        QFETCH(PdfLayout::Margins, margins);
        QFETCH(int, scale);

        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const PdfWriter writer(optionsFor(paper, landscape, scale, centred, margins));
        QCOMPARE(writer.write({page}, pdf).outcome, PdfWriter::Outcome::Written);
        const QList<PageRecord> pages = readPages(pdf);
        QCOMPARE(pages.size(), 1);
        const QList<double> &m = pages[0].matrix;
        QCOMPARE(m.size(), 6);
        QCOMPARE(m[1], 0.0);
        QCOMPARE(m[2], 0.0);
        const QRectF drawn(m[4], m[5], m[0], m[3]);
        const QRectF area =
            pages[0].mediaBox.adjusted(PdfLayout::centimetresToPoints(margins.left),
                                       PdfLayout::centimetresToPoints(margins.bottom),
                                       -PdfLayout::centimetresToPoints(margins.right),
                                       -PdfLayout::centimetresToPoints(margins.top));
        const QString where = QStringLiteral("drawn %1 %2 %3 x %4")
                                  .arg(drawn.x())
                                  .arg(drawn.y())
                                  .arg(drawn.width())
                                  .arg(drawn.height());
        // The file states positions to three decimals.
        QVERIFY2(drawn.width() > 0 && drawn.height() > 0, qPrintable(where));
        QVERIFY2(area.adjusted(-0.002, -0.002, 0.002, 0.002).contains(drawn), qPrintable(where));

        const QList<ImageRow> images = pdfImages(pdf);
        QCOMPARE(images.size(), 1);
        const ImageRow &image = images[0];
        if (scale == PdfLayout::Stretch) {
            QVERIFY2(qAbs(drawn.width() - int(area.width())) < 0.002, qPrintable(where));
            QVERIFY2(qAbs(drawn.height() - int(area.height())) < 0.002, qPrintable(where));
            return;
        }
        const double heightPerWidth = double(image.height) / image.width;
        QVERIFY2(qAbs(drawn.height() - drawn.width() * heightPerWidth) <
                     0.001 * (1 + heightPerWidth),
                 qPrintable(where));
        QCOMPARE(image.xPpi, image.yPpi);
        // Fitted pages are a multiple of four points wide; by dots per inch, the others are
        // drawn at their own 150 dpi.
        const bool fitted = std::fmod(drawn.width() + 0.0005, 4) < 0.001;
        QVERIFY2(fitted || (scale == PdfLayout::ByDpi && image.xPpi == 150), qPrintable(where));
    }

    void paperSizes_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("size"); // as pdfinfo reports it
        row("A4 = 0", 0, "595 x 842");
        row("Letter = 2", 2, "612 x 792");
        row("Legal = 3", 3, "612 x 1008");
        row("A0 = 5", 5, "2384 x 3370");
        row("A1 = 6", 6, "1684 x 2384");
        row("A2 = 7", 7, "1191 x 1684");
        row("A3 = 8", 8, "842 x 1190");
        row("A5 = 9", 9, "420 x 595");
        row("A6 = 10", 10, "297 x 420");
        row("Tabloid = 29", 29, "792 x 1224");
        row("unknown -> A4", 1, "595 x 842");
        // Qt 6's own id of A4 is 7 (A2 here) and of Letter 0 (A4 here): ids are never Qt 6's.
    }

    void paperSizes()
    {
        QFETCH(int, id);
        QFETCH(QString, size);
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("paper.pdf"));
        const PdfWriter writer(optionsFor(id, false, 0, true, {}));
        QCOMPARE(writer.write({m_smallJpeg}, pdf).outcome, PdfWriter::Outcome::Written);
        QCOMPARE(pdfinfo(pdf, QStringLiteral("Page size")), size);
        // The preview's table agrees with the PDF's standard sizes.
        const QSizeF points = PaperSizes::points(id);
        QCOMPARE(QStringLiteral("%1 x %2").arg(points.width()).arg(points.height()), size);
        // The preview's paper is Qt's, rounded to whole points its own way.
        const QSize qtPoints = QPageSize(PaperSizes::pageSizeId(id)).sizePoints();
        QVERIFY(qAbs(qtPoints.width() - points.width()) <= 1);
        QVERIFY(qAbs(qtPoints.height() - points.height()) <= 1);
    }

    void readersAcceptTheFile()
    {
        QTemporaryDir dir;
        const QString mono =
            drawPage(dir.filePath(QStringLiteral("00000002_o.tiff")), {800, 1000}, 200, true);
        const QString colour =
            drawPage(dir.filePath(QStringLiteral("00000001_o.jpg")), {640, 480}, 150);
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const PdfWriter writer(optionsFor(0, false, 0, true, {}));
        QCOMPARE(writer.write({colour, mono, colour}, pdf).outcome, PdfWriter::Outcome::Written);

        run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}); // fails the test on an error
        QCOMPARE(pdfinfoPages(pdf), 3);
        const QList<ImageRow> images = pdfImages(pdf);
        QCOMPARE(images.size(), 3);
        QCOMPARE(images[0].encoding, QStringLiteral("jpeg"));
        QCOMPARE(images[0].width, 640);
        // Drawn at its own resolution, so the reader finds that resolution again.
        QCOMPARE(images[0].xPpi, 150);
        QCOMPARE(images[1].bitsPerComponent, 1);
        QCOMPARE(images[1].width, 800);
        QCOMPARE(images[1].xPpi, 200);
        QCOMPARE(images[2].encoding, QStringLiteral("jpeg"));

        // pdfimages -j writes a JPEG stream out exactly as it is stored: the page's own bytes.
        run(QStringLiteral("pdfimages"),
            {QStringLiteral("-j"), QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
             QStringLiteral("1"), pdf, dir.filePath(QStringLiteral("x"))});
        QCOMPARE(contentOf(dir.filePath(QStringLiteral("x-000.jpg"))), contentOf(colour));
    }

    // Compact pages: every reader draws the text as it was (binarised, the original's text
    // pixels are there and hardly any others; a black-and-white page exactly), the same in
    // each reader, and the file is a fraction of the plain one.
    void compactPageKeepsItsText_data()
    {
        QTest::addColumn<QString>("kind");
        row("colour", "colour");
        row("grey", "grey");
        row("black and white: JBIG2", "mono");
    }
    void compactPageKeepsItsText()
    {
        QFETCH(QString, kind);
        const bool mono = kind == QLatin1String("mono");
        QTemporaryDir dir;
        const QString scan = dir.filePath(mono ? QStringLiteral("00000001_o.tiff")
                                               : QStringLiteral("00000001_o.jpg"));
        if (mono) {
            QString error;
            QVERIFY(writeFile(scan, Group4Tiff::encode(a4Page(150, true).convertToFormat(
                                                           QImage::Format_Mono, Qt::ThresholdDither),
                                                       &error)));
        } else {
            QVERIFY(a4PageWithPicture(150, kind == QLatin1String("grey")).save(scan, "JPG", 85));
        }
        PdfPageOptions options = optionsFor(0, false, PdfLayout::ByDpi, true, {});
        const QString plain = dir.filePath(QStringLiteral("plain.pdf"));
        QCOMPARE(PdfWriter(options).write({scan}, plain).outcome, PdfWriter::Outcome::Written);
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        options.compact = true;
        QCOMPARE(PdfWriter(options).write({scan}, pdf).outcome, PdfWriter::Outcome::Written);

        run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        const QList<ImageRow> images = pdfImages(pdf);
        // A background, the text's colours and the text mask; or the page itself.
        QCOMPARE(images.size(), mono ? 1 : 3);
        QCOMPARE(images.last().encoding, QStringLiteral("jbig2"));
        const qint64 bytes = QFileInfo(pdf).size();
        QVERIFY2(mono ? bytes * 4 < QFileInfo(plain).size() * 3 : bytes * 8 < QFileInfo(scan).size(),
                 qPrintable(QString::number(bytes)));

        // Poppler, Ghostscript and MuPDF, each at the page's resolution in grey. MuPDF without
        // its anti-aliasing, which softens the edges of every stencil, as of fonts' letters.
        const auto render = [&](const QString &file, int reader) {
            const QString image = file + QStringLiteral(".%1.pgm").arg(reader);
            if (reader == 0)
                run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"),
                                                 QStringLiteral("-gray"),
                                                 QStringLiteral("-singlefile"), file,
                                                 image.chopped(4)});
            else if (reader == 1)
                run(QStringLiteral("gs"),
                    {QStringLiteral("-q"), QStringLiteral("-dSAFER"), QStringLiteral("-dBATCH"),
                     QStringLiteral("-dNOPAUSE"), QStringLiteral("-sDEVICE=pgmraw"),
                     QStringLiteral("-r150"), QStringLiteral("-o"), image, file});
            else
                run(QStringLiteral("mutool"), {QStringLiteral("draw"), QStringLiteral("-q"),
                                               QStringLiteral("-A"), QStringLiteral("0"),
                                               QStringLiteral("-r"), QStringLiteral("150"),
                                               QStringLiteral("-c"), QStringLiteral("gray"),
                                               QStringLiteral("-o"), image, file});
            return QImage(image);
        };
        // The original is the page as the same reader draws it from the plain export.
        const QRect picture = mono ? QRect() : pictureRect(150);
        for (const int reader : {0, 1, 2}) {
            const QImage original = render(plain, reader);
            const QImage compact = render(pdf, reader);
            QVERIFY(!original.isNull());
            QCOMPARE(compact.size(), original.size());
            int text = 0, kept = 0, added = 0;
            for (int y = 0; y < original.height(); ++y) {
                for (int x = 0; x < original.width(); ++x) {
                    if (picture.contains(x, y))
                        continue;
                    const bool wasText = qGray(original.pixel(x, y)) < 128;
                    const bool isText = qGray(compact.pixel(x, y)) < 128;
                    text += wasText;
                    kept += wasText && isText;
                    added += isText && !wasText;
                }
            }
            const QString counts = QStringLiteral("reader %1: %2 text pixels, %3 kept, %4 added")
                                       .arg(reader).arg(text).arg(kept).arg(added);
            if (mono)
                QVERIFY2(compact == original, qPrintable(counts));
            else
                QVERIFY2(kept >= 0.99 * text && added <= 0.05 * text, qPrintable(counts));
        }
    }

    // Pages too small for the layers' steps still make a compact page a reader accepts.
    void compactOddPages_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QColor>("colour");
        row("one pixel", QSize(1, 1), QColor(Qt::red));
        row("a thin strip", QSize(3, 2000), QColor(Qt::gray));
        row("all black", QSize(64, 64), QColor(Qt::black));
    }
    void compactOddPages()
    {
        QFETCH(QSize, size);
        QFETCH(QColor, colour);
        QTemporaryDir dir;
        QImage page(size, QImage::Format_RGB32);
        page.fill(colour);
        const QString scan = dir.filePath(QStringLiteral("00000001_o.jpg"));
        QVERIFY(page.save(scan, "JPG"));
        PdfPageOptions options = optionsFor(0, false, PdfLayout::ByDpi, true, {});
        options.compact = true;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        QCOMPARE(PdfWriter(options).write({scan}, pdf).outcome, PdfWriter::Outcome::Written);
        run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("20"), pdf,
                                         dir.filePath(QStringLiteral("page"))});
        QVERIFY(!pdfImages(pdf).isEmpty());
    }

    // A Group 4 page file goes in as its own fax code, and a reader draws it as the page is:
    // black stays black whichever palette order the file was written with.
    void groupFourPageAsItIs_data()
    {
        QTest::addColumn<bool>("blackFirst"); // palette black, white: a min-is-black file
        QTest::addColumn<int>("stripRows");   // 0: one strip, as the program writes it
        row("min-is-white", false, 0);
        row("min-is-black", true, 0);
        row("min-is-white in strips of 256 rows", false, 256);
        row("min-is-black in strips of 256 rows", true, 256);
    }

    void groupFourPageAsItIs()
    {
        QFETCH(bool, blackFirst);
        QFETCH(int, stripRows);
        QTemporaryDir dir;
        QImage picture(200, 600, QImage::Format_RGB32);
        picture.fill(Qt::white);
        {
            QPainter painter(&picture);
            painter.fillRect(10, 10, 80, 40, Qt::black);
            painter.setPen(QPen(Qt::black, 3));
            painter.drawLine(0, 119, 199, 0);
        }
        QImage mono = picture.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        if (blackFirst) { // the same picture under the other palette order
            mono.invertPixels();
            mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        }
        // 72 dpi: one pixel is one point, so a render at 72 dpi shows the pixels one to one.
        mono.setDotsPerMeterX(2835);
        mono.setDotsPerMeterY(2835);
        const QString oneStrip = dir.filePath(QStringLiteral("00000001_o.tiff"));
        QVERIFY(writePageImage(mono, oneStrip));
        QString page = oneStrip;
        if (stripRows > 0) {
            page = dir.filePath(QStringLiteral("00000002_o.tiff"));
            run(QStringLiteral("tiffcp"),
                {QStringLiteral("-r"), QString::number(stripRows), oneStrip, page});
        }
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const PdfWriter writer(optionsFor(PaperSizes::A4, false, 0, false, {}));
        QCOMPARE(writer.write({page}, pdf).outcome, PdfWriter::Outcome::Written);

        run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        const QList<ImageRow> images = pdfImages(pdf);
        QCOMPARE(images.size(), 1);
        QCOMPARE(images[0].encoding, QStringLiteral("ccitt"));
        QCOMPARE(images[0].bitsPerComponent, 1);
        QCOMPARE(images[0].width, 200);
        QCOMPARE(images[0].xPpi, 72);
        // The stored stream is the code of the page in one strip, byte for byte (strips are
        // coded again as one stream), and decodes to its pixels.
        run(QStringLiteral("pdfimages"),
            {QStringLiteral("-ccitt"), pdf, dir.filePath(QStringLiteral("x"))});
        QCOMPARE(contentOf(dir.filePath(QStringLiteral("x-000.ccitt"))),
                 Group4Tiff::read(oneStrip).code);
        run(QStringLiteral("pdfimages"),
            {QStringLiteral("-png"), pdf, dir.filePath(QStringLiteral("y"))});
        const QImage decoded(dir.filePath(QStringLiteral("y-000.png")));
        QCOMPARE(decoded.size(), mono.size());
        const auto dark = [](const QImage &image, int x, int y) {
            return qGray(image.pixel(x, y)) < 128;
        };
        int differing = 0;
        for (int y = 0; y < mono.height(); ++y) {
            for (int x = 0; x < mono.width(); ++x)
                differing += dark(decoded, x, y) != dark(mono, x, y);
        }
        QCOMPARE(differing, 0);

        // Drawn on the page, black stays black: the box is dark, the paper below the line light.
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-gray"),
             QStringLiteral("-singlefile"), pdf, dir.filePath(QStringLiteral("render"))});
        const QImage rendered(dir.filePath(QStringLiteral("render.pgm")));
        QCOMPARE(rendered.size(), QSize(595, 842));
        for (const QPoint &inBox : {QPoint(15, 15), QPoint(50, 30), QPoint(85, 45)})
            QVERIFY(dark(rendered, inBox.x(), inBox.y()));
        for (const QPoint &paper : {QPoint(150, 60), QPoint(195, 115), QPoint(100, 100)})
            QVERIFY(!dark(rendered, paper.x(), paper.y()));
    }

    void resolutionFromHeader_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<int>("jfifUnit"); // JFIF density unit to patch in; -1: as Qt wrote it
        QTest::addColumn<int>("expectedDpi");
        for (int dpi : {72, 96, 100, 150, 200, 300, 600}) {
            QTest::addRow("jpg %d", dpi) << QStringLiteral("jpg") << dpi << -1 << dpi;
            QTest::addRow("tiff %d", dpi) << QStringLiteral("tiff") << dpi << -1 << dpi;
        }
        // A whole number of dots per centimetre makes Qt write TIFF resolution in centimetres.
        row("tiff 254 (100 per cm)", "tiff", 254, -1, 254);
        // No unit: the file states no resolution and Qt's default applies.
        row("jpg without unit", "jpg", 300, 0, 96);
        // Per centimetre: 300 per cm read as 762 dpi.
        row("jpg per centimetre", "jpg", 300, 2, 762);
    }

    void resolutionFromHeader()
    {
        QFETCH(QString, format);
        QFETCH(int, dpi);
        QFETCH(int, jfifUnit);
        QFETCH(int, expectedDpi);

        QTemporaryDir dir;
        const bool mono = format == QLatin1String("tiff");
        const QString path =
            drawPage(dir.filePath(QStringLiteral("page.") + format), {123, 77}, dpi, mono);
        QVERIFY(!path.isEmpty());
        if (jfifUnit >= 0) {
            QByteArray bytes = contentOf(path);
            // SOI, then APP0: marker, length, "JFIF\0", version; the unit and densities follow.
            QVERIFY(bytes.mid(6, 5) == QByteArray("JFIF\0", 5));
            bytes[13] = char(jfifUnit);
            if (jfifUnit == 2) {
                for (int at : {14, 16}) {
                    bytes[at] = char(dpi >> 8);
                    bytes[at + 1] = char(dpi & 0xFF);
                }
            }
            QVERIFY(writeFile(path, bytes));
        }

        const ImageHeader header = ImageHeader::read(path);
        QVERIFY(header.isValid());
        QCOMPARE(header.size(), QSize(123, 77));
        QCOMPARE(header.dpiX(), expectedDpi);
        QCOMPARE(header.dpiY(), expectedDpi);
        // The same as every other part of the program sees after decoding the file.
        const QImage decoded(path);
        QCOMPARE(header.dpiX(), decoded.logicalDpiX());
        QCOMPARE(header.dpiY(), decoded.logicalDpiY());
    }

    void endsWithoutNewFile_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("output");
        QTest::addColumn<PdfWriter::Outcome>("outcome");
        QTest::addColumn<bool>("namesPage"); // which path the failure names: the page or the output
        using O = PdfWriter::Outcome;
        row("unsupported page", "page.png", "out.pdf", O::UnsupportedPage, true);
        row("suffix case", "page.JPG", "out.pdf", O::UnsupportedPage, true);
        row("not a JPEG", "garbage.jpg", "out.pdf", O::UnreadablePage, true);
        row("missing page", "missing.jpg", "out.pdf", O::UnreadablePage, true);
        // The PDF library takes it as it is; qpdf then finds invalid JPEG data in the file.
        row("JPEG cut short", "cut.jpg", "out.pdf", O::UnreadablePage, true);
        // Root ignores permissions: a folder that cannot hold files is a path below a file.
        row("folder is a file", "small.jpg", "afile/out.pdf", O::CannotWrite, false);
        row("output is a folder", "small.jpg", "adir", O::CannotWrite, false);
    }

    void endsWithoutNewFile()
    {
        QFETCH(QString, page);
        QFETCH(QString, output);
        QFETCH(PdfWriter::Outcome, outcome);
        QFETCH(bool, namesPage);

        QTemporaryDir dir;
        QVERIFY(QFile::copy(m_smallJpeg, dir.filePath(QStringLiteral("small.jpg"))));
        QVERIFY(QFile::copy(m_smallJpeg, dir.filePath(QStringLiteral("page.JPG"))));
        QVERIFY(
            QImage(10, 10, QImage::Format_RGB32).save(dir.filePath(QStringLiteral("page.png"))));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("garbage.jpg")), "this is not an image"));
        const QByteArray jpeg = contentOf(m_smallJpeg);
        QVERIFY(writeFile(dir.filePath(QStringLiteral("cut.jpg")), jpeg.left(jpeg.size() * 3 / 4)));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("afile")), QByteArray()));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("adir")));
        QVERIFY(QFile::copy(m_smallJpeg, dir.filePath(QStringLiteral("adir/inside.jpg"))));
        const QStringList before = entries(dir.path());

        const QString pagePath = dir.filePath(page);
        const QString outputPath = dir.filePath(output);
        // The page before the failing one is written first, so the failure comes mid-way.
        const PdfWriter::Result result =
            PdfWriter(PdfPageOptions())
                .write({dir.filePath(QStringLiteral("small.jpg")), pagePath}, outputPath);
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.path, namesPage ? pagePath : outputPath);
        // The user learns which page, by the number its tile shows.
        QCOMPARE(
            result.message.startsWith(
                QStringLiteral("Page 2 (%1) cannot be read: ").arg(QFileInfo(pagePath).fileName())),
            namesPage);
        QCOMPARE(entries(dir.path()), before);
        QCOMPARE(entries(dir.filePath(QStringLiteral("adir"))),
                 QStringList{QStringLiteral("inside.jpg")});
    }

    void oldFileKeptUntilComplete()
    {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const PdfWriter writer{PdfPageOptions()};
        QVERIFY(writeFile(pdf, "the user's earlier file"));

        // Cancelled after the third page was asked about.
        QList<int> asked;
        PdfWriter::Result result =
            writer.write({m_smallJpeg, m_smallJpeg, m_smallJpeg}, pdf, [&asked](int index) {
                asked.append(index);
                return index < 2;
            });
        QCOMPARE(result.outcome, PdfWriter::Outcome::Cancelled);
        QCOMPARE(asked, (QList<int>{0, 1, 2}));
        QCOMPARE(contentOf(pdf), QByteArray("the user's earlier file"));
        // Nothing to write: not even asked.
        asked.clear();
        result = writer.write({}, pdf, [&asked](int index) {
            asked.append(index);
            return true;
        });
        QCOMPARE(result.outcome, PdfWriter::Outcome::NothingToWrite);
        QVERIFY(asked.isEmpty());
        QCOMPARE(contentOf(pdf), QByteArray("the user's earlier file"));
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("out.pdf")});

        // Complete files replace the old one, each time.
        QCOMPARE(writer.write({m_smallJpeg, m_smallJpeg}, pdf).outcome,
                 PdfWriter::Outcome::Written);
        QCOMPARE(pdfinfoPages(pdf), 2);
        QCOMPARE(writer.write({m_smallJpeg}, pdf).outcome, PdfWriter::Outcome::Written);
        QCOMPARE(pdfinfoPages(pdf), 1);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("out.pdf")});
    }

private:
    QTemporaryDir m_dir;
    QString m_smallJpeg;
};

QTEST_MAIN(TestPdfWriter)
#include "tst_pdfwriter.moc"
