// The PDF writer without its dialog: the layout of every page read back from the written
// file, what real readers say about the file, reading a page's resolution from its header,
// and every way an export can end without a new file.
#include "ImageHeader.h"
#include "PaperSizes.h"
#include "PdfLayout.h"
#include "PdfTestTools.h"
#include "PdfWriter.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestPdfWriter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void layoutOnThePage_data();
    void layoutOnThePage();
    void fitWidthRounding_data();
    void fitWidthRounding();
    void paperSizes_data();
    void paperSizes();
    void readersAcceptTheFile();
    void jpegBytesEmbeddedUnchanged();
    void resolutionFromHeader_data();
    void resolutionFromHeader();
    void endsWithoutNewFile_data();
    void endsWithoutNewFile();
    void cancelKeepsOldFile();
    void replacesOldFileWhenComplete();
    void nothingToWrite();

private:
    QTemporaryDir m_dir;
    QString m_smallJpeg;
};

void TestPdfWriter::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    // 600 x 300 pixels at 300 dpi: 144 x 72 points.
    m_smallJpeg = drawPage(m_dir.filePath(QStringLiteral("small.jpg")), {600, 300}, 300);
    QVERIFY(!m_smallJpeg.isEmpty());
}

void TestPdfWriter::layoutOnThePage_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("paper");
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<PdfLayout::Margins>("margins");
    QTest::addColumn<QSizeF>("pageSize");
    // Drawn image: width, height, x, y in points.
    QTest::addColumn<QRectF>("drawn");

    const PdfLayout::Margins none;
    const PdfLayout::Margins mixed{2.0, 1.0, 1.5, 0.5};
    const QSize small(600, 300);
    const QSizeF a4(595, 842);

    // Natural size, top-left corner of the page.
    QTest::newRow("dpi, corner") << small << 300 << 0 << false << 0 << false << none << a4
                                 << QRectF(0, 770, 144, 72);
    QTest::newRow("dpi, centred") << small << 300 << 0 << false << 0 << true << none << a4
                                  << QRectF(225.5, 385, 144, 72);
    // Margins 2, 1, 1.5 and 0.5 cm: 56.693, 28.346, 42.520 and 14.173 points; the area
    // inside them is 509.961 x 785.307 points.
    QTest::newRow("dpi, margins, corner") << small << 300 << 0 << false << 0 << false << mixed << a4
                                          << QRectF(56.693, 727.480, 144, 72);
    QTest::newRow("dpi, margins, centred") << small << 300 << 0 << false << 0 << true << mixed << a4
                                           << QRectF(239.193, 370.673, 144, 72);
    // Landscape swaps the paper; the margins keep their sides.
    QTest::newRow("landscape, corner") << small << 300 << 0 << true << 0 << false << none
                                       << QSizeF(842, 595) << QRectF(0, 523, 144, 72);
    QTest::newRow("landscape, margins") << small << 300 << 0 << true << 0 << false << mixed
                                        << QSizeF(842, 595) << QRectF(56.693, 480.480, 144, 72);
    // Strict fit test: 595 points wide on a 595 point wide page is fitted (width 595 -> 592).
    QTest::newRow("dpi, exactly as wide") << QSize(595, 340) << 72 << 0 << false << 0 << false
                                          << none << a4 << QRectF(0, 502, 592, 340);
    QTest::newRow("dpi, one point narrower") << QSize(594, 340) << 72 << 0 << false << 0 << false
                                             << none << a4 << QRectF(0, 502, 594, 340);
    // 720 x 480 points do not fit: 595 x 396, width lowered to 592.
    QTest::newRow("dpi, too large") << QSize(3000, 2000) << 300 << 0 << false << 0 << false << none
                                    << a4 << QRectF(0, 446, 592, 396);
    QTest::newRow("stretch") << small << 300 << 0 << false << 1 << false << none << a4
                             << QRectF(0, 0, 595, 842);
    QTest::newRow("stretch, margins, centred") << small << 300 << 0 << false << 1 << true << mixed
                                               << a4 << QRectF(56.693, 14.173, 509, 785);
    // Keeping aspect enlarges: 595 wide -> 592, height 297 (595 / 2).
    QTest::newRow("keep aspect, corner")
        << small << 300 << 0 << false << 2 << false << none << a4 << QRectF(0, 545, 592, 297);
    QTest::newRow("keep aspect, centred")
        << small << 300 << 0 << false << 2 << true << none << a4 << QRectF(1.5, 272.5, 592, 297);
    // A tall image is limited by the height: 842 high, width 421 -> 420.
    QTest::newRow("keep aspect, tall") << QSize(300, 600) << 300 << 0 << false << 2 << false << none
                                       << a4 << QRectF(0, 0, 420, 842);
    QTest::newRow("keep aspect, landscape") << small << 300 << 0 << true << 2 << false << none
                                            << QSizeF(842, 595) << QRectF(0, 174, 840, 421);
}

void TestPdfWriter::layoutOnThePage()
{
    QFETCH(QSize, pixels);
    QFETCH(int, dpi);
    QFETCH(int, paper);
    QFETCH(bool, landscape);
    QFETCH(int, scale);
    QFETCH(bool, centred);
    QFETCH(PdfLayout::Margins, margins);
    QFETCH(QSizeF, pageSize);
    QFETCH(QRectF, drawn);

    QTemporaryDir dir;
    const QString page = drawPage(dir.filePath(QStringLiteral("page.jpg")), pixels, dpi);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const PdfWriter writer(optionsFor(paper, landscape, scale, centred, margins));
    QCOMPARE(writer.write({page}, pdf).outcome, PdfWriter::Outcome::Written);

    const QList<PageRecord> pages = readPages(pdf);
    QCOMPARE(pages.size(), 1);
    QCOMPARE(pages[0].mediaBox, QRectF(QPointF(0, 0), pageSize));
    QCOMPARE(pages[0].matrix.size(), 6);
    const QList<double> &m = pages[0].matrix;
    QVERIFY2(qAbs(m[0] - drawn.width()) < 0.01, qPrintable(QString::number(m[0])));
    QCOMPARE(m[1], 0.0);
    QCOMPARE(m[2], 0.0);
    QVERIFY2(qAbs(m[3] - drawn.height()) < 0.01, qPrintable(QString::number(m[3])));
    QVERIFY2(qAbs(m[4] - drawn.x()) < 0.01, qPrintable(QString::number(m[4])));
    QVERIFY2(qAbs(m[5] - drawn.y()) < 0.01, qPrintable(QString::number(m[5])));
}

void TestPdfWriter::fitWidthRounding_data()
{
    QTest::addColumn<double>("leftMargin");
    QTest::addColumn<int>("scale");
    QTest::addColumn<double>("drawnWidth");

    // A5 is 420 points wide. A left margin of 0.65 cm (18.43 points) leaves 401 whole points,
    // 0.7 cm (19.84 points) leaves 400; a square image is limited by the width.
    QTest::newRow("401 -> 400, keep aspect") << 0.65 << 2 << 400.0;
    QTest::newRow("400 -> 396, keep aspect") << 0.7 << 2 << 396.0;
    QTest::newRow("401 -> 400, too large at dpi") << 0.65 << 0 << 400.0;
    QTest::newRow("400 -> 396, too large at dpi") << 0.7 << 0 << 396.0;
}

void TestPdfWriter::fitWidthRounding()
{
    QFETCH(double, leftMargin);
    QFETCH(int, scale);
    QFETCH(double, drawnWidth);

    QTemporaryDir dir;
    // 500 x 500 points at 72 dpi: larger than the area, so fitted in both modes.
    const QString page = drawPage(dir.filePath(QStringLiteral("square.jpg")), {500, 500}, 72);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    PdfLayout::Margins margins;
    margins.left = leftMargin;
    const PdfWriter writer(optionsFor(PaperSizes::A5, false, scale, false, margins));
    QCOMPARE(writer.write({page}, pdf).outcome, PdfWriter::Outcome::Written);

    const QList<PageRecord> pages = readPages(pdf);
    QCOMPARE(pages.size(), 1);
    QVERIFY2(qAbs(pages[0].matrix.value(0) - drawnWidth) < 0.01,
             qPrintable(QString::number(pages[0].matrix.value(0))));
    // The height keeps the unrounded width: 401 or 400 points.
    QVERIFY(qAbs(pages[0].matrix.value(3) - (leftMargin < 0.68 ? 401 : 400)) < 0.01);
}

void TestPdfWriter::paperSizes_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("pdfinfo");

    QTest::newRow("A4 = 0") << 0 << QStringLiteral("595 x 842");
    QTest::newRow("Letter = 2") << 2 << QStringLiteral("612 x 792");
    QTest::newRow("Legal = 3") << 3 << QStringLiteral("612 x 1008");
    QTest::newRow("A0 = 5") << 5 << QStringLiteral("2384 x 3370");
    QTest::newRow("A1 = 6") << 6 << QStringLiteral("1684 x 2384");
    QTest::newRow("A2 = 7") << 7 << QStringLiteral("1191 x 1684");
    QTest::newRow("A3 = 8") << 8 << QStringLiteral("842 x 1190");
    QTest::newRow("A5 = 9") << 9 << QStringLiteral("420 x 595");
    QTest::newRow("A6 = 10") << 10 << QStringLiteral("297 x 420");
    QTest::newRow("Tabloid = 29") << 29 << QStringLiteral("792 x 1224");
    QTest::newRow("unknown -> A4") << 1 << QStringLiteral("595 x 842");
    // Qt 6's own id of A4 is 7 (A2 here) and of Letter 0 (A4 here): ids are never Qt 6's.
}

void TestPdfWriter::paperSizes()
{
    QFETCH(int, id);
    QFETCH(QString, pdfinfo);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("paper.pdf"));
    const PdfWriter writer(optionsFor(id, false, 0, true, {}));
    QCOMPARE(writer.write({m_smallJpeg}, pdf).outcome, PdfWriter::Outcome::Written);
    QCOMPARE(pdfinfoSize(pdf), pdfinfo);
    // The preview's table agrees with the PDF's standard sizes.
    const QSizeF points = PaperSizes::points(id);
    QCOMPARE(QStringLiteral("%1 x %2").arg(points.width()).arg(points.height()), pdfinfo);
    // The preview's paper is Qt's, rounded to whole points its own way.
    const QSize qtPoints = QPageSize(PaperSizes::pageSizeId(id)).sizePoints();
    QVERIFY(qAbs(qtPoints.width() - points.width()) <= 1);
    QVERIFY(qAbs(qtPoints.height() - points.height()) <= 1);
}

void TestPdfWriter::readersAcceptTheFile()
{
    QTemporaryDir dir;
    const QString mono =
        drawPage(dir.filePath(QStringLiteral("00000002_o.tiff")), {800, 1000}, 200, true);
    const QString colour =
        drawPage(dir.filePath(QStringLiteral("00000001_o.jpg")), {640, 480}, 150);
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const PdfWriter writer(optionsFor(0, false, 0, true, {}));
    QCOMPARE(writer.write({colour, mono, colour}, pdf).outcome, PdfWriter::Outcome::Written);

    QVERIFY(qpdfCheck(pdf));
    QCOMPARE(pdfinfoPages(pdf), 3);
    QCOMPARE(pdfinfoSize(pdf), QStringLiteral("595 x 842"));
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
}

void TestPdfWriter::jpegBytesEmbeddedUnchanged()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    QCOMPARE(PdfWriter(PdfPageOptions()).write({m_smallJpeg}, pdf).outcome,
             PdfWriter::Outcome::Written);
    // pdfimages -j writes a JPEG stream out exactly as it is stored.
    run(QStringLiteral("pdfimages"),
        {QStringLiteral("-j"), pdf, dir.filePath(QStringLiteral("x"))});
    QCOMPARE(contents(dir.filePath(QStringLiteral("x-000.jpg"))), contents(m_smallJpeg));
}

void TestPdfWriter::resolutionFromHeader_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("dpi");
    // JFIF density unit to patch in (-1: as Qt wrote it).
    QTest::addColumn<int>("jfifUnit");
    QTest::addColumn<int>("expectedDpi");

    for (int dpi : {72, 96, 100, 150, 200, 300, 600}) {
        QTest::addRow("jpg %d", dpi) << QStringLiteral("jpg") << dpi << -1 << dpi;
        QTest::addRow("tiff %d", dpi) << QStringLiteral("tiff") << dpi << -1 << dpi;
    }
    // A whole number of dots per centimetre makes Qt write TIFF resolution in centimetres.
    QTest::newRow("tiff 254 (100 per cm)") << QStringLiteral("tiff") << 254 << -1 << 254;
    // No unit: the file states no resolution and Qt's default applies.
    QTest::newRow("jpg without unit") << QStringLiteral("jpg") << 300 << 0 << 96;
    // Per centimetre: 300 per cm read as 762 dpi.
    QTest::newRow("jpg per centimetre") << QStringLiteral("jpg") << 300 << 2 << 762;
}

void TestPdfWriter::resolutionFromHeader()
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
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        // SOI, then APP0: marker, length, "JFIF\0", version; the unit follows.
        QVERIFY(bytes.mid(6, 5) == QByteArray("JFIF\0", 5));
        bytes[13] = char(jfifUnit);
        if (jfifUnit == 2) {
            bytes[14] = char(dpi >> 8);
            bytes[15] = char(dpi & 0xFF);
            bytes[16] = char(dpi >> 8);
            bytes[17] = char(dpi & 0xFF);
        }
        QVERIFY(file.seek(0));
        QCOMPARE(file.write(bytes), bytes.size());
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

void TestPdfWriter::endsWithoutNewFile_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("output");
    QTest::addColumn<PdfWriter::Outcome>("outcome");
    // Which path the failure names: the page or the output.
    QTest::addColumn<bool>("namesPage");

    QTest::newRow("unsupported page") << QStringLiteral("page.png") << QStringLiteral("out.pdf")
                                      << PdfWriter::Outcome::UnsupportedPage << true;
    QTest::newRow("suffix case") << QStringLiteral("page.JPG") << QStringLiteral("out.pdf")
                                 << PdfWriter::Outcome::UnsupportedPage << true;
    QTest::newRow("not a JPEG") << QStringLiteral("garbage.jpg") << QStringLiteral("out.pdf")
                                << PdfWriter::Outcome::UnreadablePage << true;
    QTest::newRow("missing page") << QStringLiteral("missing.jpg") << QStringLiteral("out.pdf")
                                  << PdfWriter::Outcome::UnreadablePage << true;
    // Root ignores permissions: a folder that cannot hold files is a path below a file.
    QTest::newRow("folder is a file")
        << QStringLiteral("small.jpg") << QStringLiteral("afile/out.pdf")
        << PdfWriter::Outcome::CannotWrite << false;
    QTest::newRow("output is a folder") << QStringLiteral("small.jpg") << QStringLiteral("adir")
                                        << PdfWriter::Outcome::CannotWrite << false;
}

void TestPdfWriter::endsWithoutNewFile()
{
    QFETCH(QString, page);
    QFETCH(QString, output);
    QFETCH(PdfWriter::Outcome, outcome);
    QFETCH(bool, namesPage);

    QTemporaryDir dir;
    QVERIFY(QFile::copy(m_smallJpeg, dir.filePath(QStringLiteral("small.jpg"))));
    QVERIFY(QFile::copy(m_smallJpeg, dir.filePath(QStringLiteral("page.JPG"))));
    QImage(10, 10, QImage::Format_RGB32).save(dir.filePath(QStringLiteral("page.png")));
    {
        QFile garbage(dir.filePath(QStringLiteral("garbage.jpg")));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("this is not an image");
        QFile file(dir.filePath(QStringLiteral("afile")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
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
    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(entries(dir.filePath(QStringLiteral("adir"))),
             QStringList{QStringLiteral("inside.jpg")});
}

void TestPdfWriter::cancelKeepsOldFile()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    {
        QFile old(pdf);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("the user's earlier file");
    }
    QList<int> asked;
    const PdfWriter::Result result =
        PdfWriter(PdfPageOptions())
            .write({m_smallJpeg, m_smallJpeg, m_smallJpeg}, pdf, [&asked](int index) {
                asked.append(index);
                return index < 2;
            });
    QCOMPARE(result.outcome, PdfWriter::Outcome::Cancelled);
    QCOMPARE(asked, (QList<int>{0, 1, 2}));
    QCOMPARE(contents(pdf), QByteArray("the user's earlier file"));
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("out.pdf")});
}

void TestPdfWriter::replacesOldFileWhenComplete()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    const PdfWriter writer{PdfPageOptions()};
    QCOMPARE(writer.write({m_smallJpeg, m_smallJpeg}, pdf).outcome, PdfWriter::Outcome::Written);
    QCOMPARE(pdfinfoPages(pdf), 2);
    QCOMPARE(writer.write({m_smallJpeg}, pdf).outcome, PdfWriter::Outcome::Written);
    QCOMPARE(pdfinfoPages(pdf), 1);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("out.pdf")});
}

void TestPdfWriter::nothingToWrite()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
    bool asked = false;
    const PdfWriter::Result result = PdfWriter(PdfPageOptions()).write({}, pdf, [&asked](int) {
        asked = true;
        return true;
    });
    QCOMPARE(result.outcome, PdfWriter::Outcome::NothingToWrite);
    QVERIFY(!asked);
    QVERIFY(entries(dir.path()).isEmpty());
}

QTEST_MAIN(TestPdfWriter)
#include "tst_pdfwriter.moc"
