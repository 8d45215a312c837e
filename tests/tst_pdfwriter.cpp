// The PDF writer without its dialog: layouts read back, real readers, every failed export.
#include "Group4Tiff.h"
#include "ImageFileWriter.h"
#include "ImageHeader.h"
#include "PaperSizes.h"
#include "PdfLayout.h"
#include "PdfTestTools.h"
#include "PdfWriter.h"
#include "TestHelpers.h"

#include <QtTest>

using namespace Qt::StringLiterals;

using namespace PdfTestTools;

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
        m_smallJpeg = drawPage(m_dir.filePath(u"small.jpg"_s), {600, 300}, 300);
        QVERIFY(!m_smallJpeg.isEmpty());
    }

    // The page resolution comes from the file's header, as its unit says.
    void layoutOnThePage_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<bool>("mono");    // a 1-bit TIFF, else a JPEG
        QTest::addColumn<int>("jfifUnit"); // JFIF density unit to patch in; -1: as Qt wrote it
        QTest::addColumn<PdfPageOptions>("options");
        QTest::addColumn<QRectF>("drawn"); // the image: x, y, width, height in points

        const PdfLayout::Margins none;
        // 2, 1, 1.5 and 0.5 cm: 56.693, 28.346, 42.520 and 14.173 points; 509.961 x 785.307 inside.
        const PdfLayout::Margins mixed{2.0, 1.0, 1.5, 0.5};
        const QSize small(600, 300);
        const int a4 = PaperSizes::A4;
        const PdfPageOptions corner = optionsFor(a4, false, 0, false, none);

        row("dpi, margins, centred", small, 300, false, -1, optionsFor(a4, false, 0, true, mixed),
            QRectF(239.193, 370.673, 144, 72));
        // Landscape swaps the paper; the margins keep their sides.
        row("landscape, margins", small, 300, false, -1, optionsFor(a4, true, 0, false, mixed),
            QRectF(56.693, 480.480, 144, 72));
        // Strict: as wide as the page is fitted (595 -> 592 wide, 340 * 592 / 595 high).
        row("dpi, exactly as wide", QSize(595, 340), 72, false, -1, corner,
            QRectF(0, 503.714, 592, 338.286));
        row("dpi, one point narrower", QSize(594, 340), 72, false, -1, corner,
            QRectF(0, 502, 594, 340));
        row("stretch, margins, centred", small, 300, false, -1,
            optionsFor(a4, false, 1, true, mixed), QRectF(56.693, 14.173, 509, 785));
        row("keep aspect, centred", small, 300, false, -1, optionsFor(a4, false, 2, true, none),
            QRectF(1.5, 273, 592, 296));
        // Limited by the height: 842 high, width 421 -> 420, height 840.
        row("keep aspect, tall", QSize(300, 600), 300, false, -1,
            optionsFor(a4, false, 2, false, none), QRectF(0, 2, 420, 840));
        // 500 points square on A5: 0.65 cm left leaves 401 whole points, 0.7 cm 400; widths by 4.
        const QSize square(500, 500);
        row("401 -> 400, keep aspect", square, 72, false, -1,
            optionsFor(PaperSizes::A5, false, 2, false, PdfLayout::Margins{0.65, 0, 0, 0}),
            QRectF(18.425, 195, 400, 400));
        row("400 -> 396, keep aspect", square, 72, false, -1,
            optionsFor(PaperSizes::A5, false, 2, false, PdfLayout::Margins{0.7, 0, 0, 0}),
            QRectF(19.843, 199, 396, 396));
        // An A4 scan at 150 dpi is 595.2 x 841.92 points: at its own size on A3.
        row("A4 scan on A3, dpi, corner", QSize(1240, 1754), 150, false, -1,
            optionsFor(PaperSizes::A3, false, 0, false, none), QRectF(0, 348.08, 595.2, 841.92));
        // 0.72 x 1.44 points count as 1 x 1; the exact aspect then needs 840 high, so 420 wide.
        row("tiny, keep aspect", QSize(3, 6), 300, false, -1, optionsFor(a4, false, 2, false, none),
            QRectF(0, 2, 420, 840));
        // Each paper as readers report it, the page centred on it; ids are never Qt 6's.
        const auto paper = [&](int id) { return optionsFor(id, false, 0, true, none); };
        row("Letter = 2", small, 300, false, -1, paper(2), QRectF(234, 360, 144, 72));
        row("Legal = 3", small, 300, false, -1, paper(3), QRectF(234, 468, 144, 72));
        row("A0 = 5", small, 300, false, -1, paper(5), QRectF(1120, 1649, 144, 72));
        row("A1 = 6", small, 300, false, -1, paper(6), QRectF(770, 1156, 144, 72));
        row("A2 = 7", small, 300, false, -1, paper(7), QRectF(523.5, 806, 144, 72));
        row("A3 = 8", small, 300, false, -1, paper(8), QRectF(349, 559, 144, 72));
        row("A5 = 9", small, 300, false, -1, paper(9), QRectF(138, 261.5, 144, 72));
        row("A6 = 10", small, 300, false, -1, paper(10), QRectF(76.5, 174, 144, 72));
        row("Tabloid = 29", small, 300, false, -1, paper(29), QRectF(324, 576, 144, 72));
        row("unknown -> A4", small, 300, false, -1, paper(1), QRectF(225.5, 385, 144, 72));
        row("tiff 600", small, 600, true, -1, corner, QRectF(0, 806, 72, 36));
        // A whole number of dots per centimetre makes Qt write TIFF resolution in centimetres.
        row("tiff 254 (100 per cm)", small, 254, true, -1, corner,
            QRectF(0, 756.961, 170.079, 85.039));
        // No unit: the file states no resolution and 96 dpi applies.
        row("jpg without unit", small, 300, false, 0, corner, QRectF(0, 617, 450, 225));
        // 300 per centimetre is 762 dpi.
        row("jpg per centimetre", small, 300, false, 2, corner, QRectF(0, 813.654, 56.693, 28.346));
    }

    void layoutOnThePage()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, dpi);
        QFETCH(bool, mono);
        QFETCH(int, jfifUnit);
        QFETCH(PdfPageOptions, options);
        QFETCH(QRectF, drawn);

        QTemporaryDir dir;
        const QString page =
            drawPage(dir.filePath(mono ? u"page.tiff"_s : u"page.jpg"_s), pixels, dpi, mono);
        QVERIFY(!page.isEmpty());
        if (jfifUnit >= 0) {
            QByteArray bytes = contentOf(page);
            // SOI, then APP0: marker, length, "JFIF\0", version; the unit and densities follow.
            QVERIFY(bytes.mid(6, 5) == QByteArray("JFIF\0", 5));
            bytes[13] = char(jfifUnit);
            for (int at : {14, 16})
                qToBigEndian(quint16(dpi), bytes.data() + at);
            QVERIFY(writeFile(page, bytes));
        }
        QCOMPARE(ImageHeader::read(page).size(), pixels);
        const QString pdf = dir.filePath(u"out.pdf"_s);
        QCOMPARE(PdfWriter(options).write({page}, pdf).outcome, PdfWriter::Outcome::Written);

        const QList<PageRecord> pages = readPages(pdf);
        QCOMPARE(pages.size(), 1);
        const QSizeF paper = PaperSizes::points(options.paperId, options.isLandscape());
        QCOMPARE(pages[0].mediaBox, QRectF(QPointF(0, 0), paper));
        QCOMPARE(pdfinfo(pdf, u"Page size"_s), u"%1 x %2"_s.arg(paper.width()).arg(paper.height()));
        // The preview's paper is Qt's, rounded to whole points its own way.
        const QSizeF offBy = QPageSize(PaperSizes::pageSizeId(options.paperId)).sizePoints() -
                             PaperSizes::points(options.paperId);
        QVERIFY(qAbs(offBy.width()) <= 1 && qAbs(offBy.height()) <= 1);
        const QList<double> expected{drawn.width(), 0, 0, drawn.height(), drawn.x(), drawn.y()};
        QCOMPARE(pages[0].matrix.size(), 6);
        for (int i = 0; i < 6; ++i)
            QVERIFY2(qAbs(pages[0].matrix[i] - expected[i]) < 0.01,
                     qPrintable(u"%1: %2"_s.arg(i).arg(pages[0].matrix[i])));
    }

    // Readers draw a compact page's text as the plain export's (1-bit exactly), in fewer bytes.
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
        const bool mono = kind == "mono"_L1;
        QTemporaryDir dir;
        const QString scan = dir.filePath(mono ? u"00000001_o.tiff"_s : u"00000001_o.jpg"_s);
        if (mono)
            QVERIFY(writePageImage(
                a4Page(150, true).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither), scan));
        else
            QVERIFY(a4PageWithPicture(150, kind == "grey"_L1).save(scan, "JPG", 85));
        PdfPageOptions options;
        const QString plain = dir.filePath(u"plain.pdf"_s);
        QCOMPARE(PdfWriter(options).write({scan}, plain).outcome, PdfWriter::Outcome::Written);
        // The plain file holds the page as it is: a JPEG byte for byte.
        run(u"qpdf"_s, {u"--check"_s, plain});
        QCOMPARE(pdfImages(plain).value(0).encoding, mono ? u"ccitt"_s : u"jpeg"_s);
        if (!mono) {
            run(u"pdfimages"_s, words("-j") << plain << dir.filePath(u"x"_s));
            QCOMPARE(contentOf(dir.filePath(u"x-000.jpg"_s)), contentOf(scan));
        }
        const QString pdf = dir.filePath(u"out.pdf"_s);
        options.compact = true;
        QCOMPARE(PdfWriter(options).write({scan}, pdf).outcome, PdfWriter::Outcome::Written);

        run(u"qpdf"_s, {u"--check"_s, pdf});
        const QList<ImageRow> images = pdfImages(pdf);
        // A background, the text's colours and the text mask; or the page itself.
        QCOMPARE(images.size(), mono ? 1 : 3);
        QCOMPARE(images.last().encoding, u"jbig2"_s);
        const qint64 bytes = QFileInfo(pdf).size();
        QVERIFY2(mono ? bytes * 4 < QFileInfo(plain).size() * 3
                      : bytes * 8 < QFileInfo(scan).size(),
                 qPrintable(QString::number(bytes)));

        // In grey at the page's resolution; MuPDF without anti-aliasing, which softens stencils.
        const auto render = [&](const QString &file, int reader) {
            const QString image = file + u".%1.pgm"_s.arg(reader);
            if (reader == 0)
                run(u"pdftoppm"_s, words("-r 150 -gray -singlefile") << file << image.chopped(4));
            else if (reader == 1)
                run(u"gs"_s, words("-q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=pgmraw -r150 -o")
                                 << image << file);
            else
                run(u"mutool"_s, words("draw -q -A 0 -r 150 -c gray -o") << image << file);
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
            const QString counts = QString::asprintf("reader %d: %d text pixels, %d kept, %d added",
                                                     reader, text, kept, added);
            if (mono)
                QVERIFY2(compact == original, qPrintable(counts));
            else
                QVERIFY2(kept >= 0.99 * text && added <= 0.05 * text, qPrintable(counts));
        }
    }

    // Pages too small for the layers' steps, or all black, still make readable compact pages.
    void compactOddPages()
    {
        QTemporaryDir dir;
        const std::pair<QSize, QColor> odd[] = {
            {{1, 1}, Qt::red}, {{3, 2000}, Qt::gray}, {{64, 64}, Qt::black}};
        QStringList scans;
        for (const auto &[size, colour] : odd) {
            QImage page(size, QImage::Format_RGB32);
            page.fill(colour);
            scans << dir.filePath(u"0000000%1_o.jpg"_s.arg(scans.size() + 1));
            QVERIFY(page.save(scans.last(), "JPG"));
        }
        PdfPageOptions options;
        options.compact = true;
        const QString pdf = dir.filePath(u"out.pdf"_s);
        QCOMPARE(PdfWriter(options).write(scans, pdf).outcome, PdfWriter::Outcome::Written);
        run(u"qpdf"_s, {u"--check"_s, pdf});
        run(u"pdftoppm"_s, words("-r 20") << pdf << dir.filePath(u"page"_s));
        QSet<int> pagesWithImages;
        for (const ImageRow &image : pdfImages(pdf))
            pagesWithImages << image.page;
        QCOMPARE(pagesWithImages, (QSet<int>{1, 2, 3}));
        // A complete shorter file replaces it whole.
        QCOMPARE(PdfWriter(PdfPageOptions()).write({m_smallJpeg}, pdf).outcome,
                 PdfWriter::Outcome::Written);
        QCOMPARE(pdfinfoPages(pdf), 1);
    }

    // A Group 4 page goes in as its own code; black stays black in either palette order.
    void groupFourPageAsItIs_data()
    {
        QTest::addColumn<bool>("blackFirst"); // palette black, white: a min-is-black file
        QTest::addColumn<int>("stripRows");   // 0: one strip, as the program writes it
        row("min-is-white", false, 0);
        row("min-is-black", true, 0);
        row("min-is-black in strips of 256 rows", true, 256);
    }

    void groupFourPageAsItIs()
    {
        QFETCH(bool, blackFirst);
        QFETCH(int, stripRows);
        QTemporaryDir dir;
        // 72 dpi: one pixel is one point, so a render at 72 dpi shows the pixels one to one.
        QImage mono = drawnPage({200, 600}, PageKind::Mono, 72);
        if (blackFirst) { // the same picture under the other palette order
            mono.invertPixels();
            mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        }
        const QString oneStrip = dir.filePath(u"00000001_o.tiff"_s);
        QVERIFY(writePageImage(mono, oneStrip));
        QString page = oneStrip;
        if (stripRows > 0) {
            page = dir.filePath(u"00000002_o.tiff"_s);
            run(u"tiffcp"_s, {u"-r"_s, QString::number(stripRows), oneStrip, page});
        }
        const QString pdf = dir.filePath(u"out.pdf"_s);
        const PdfWriter writer(optionsFor(PaperSizes::A4, false, 0, false, {}));
        QCOMPARE(writer.write({page}, pdf).outcome, PdfWriter::Outcome::Written);

        run(u"qpdf"_s, {u"--check"_s, pdf});
        const QList<ImageRow> images = pdfImages(pdf);
        QCOMPARE(images.size(), 1);
        QCOMPARE(images[0].encoding, u"ccitt"_s);
        QCOMPARE(images[0].bitsPerComponent, 1);
        QCOMPARE(images[0].xPpi, 72);
        // The code of the page in one strip, byte for byte (strips are joined), and its pixels.
        run(u"pdfimages"_s, {u"-ccitt"_s, pdf, dir.filePath(u"x"_s)});
        QCOMPARE(contentOf(dir.filePath(u"x-000.ccitt"_s)), Group4Tiff::read(oneStrip).code);
        run(u"pdfimages"_s, {u"-png"_s, pdf, dir.filePath(u"y"_s)});
        QCOMPARE(QImage(dir.filePath(u"y-000.png"_s)).convertToFormat(QImage::Format_RGB32),
                 mono.convertToFormat(QImage::Format_RGB32));

        // Drawn on the page, black stays black: the black quarter dark, the white ones light.
        run(u"pdftoppm"_s, words("-r 72 -gray -singlefile") << pdf << dir.filePath(u"render"_s));
        const QImage rendered(dir.filePath(u"render.pgm"_s));
        QCOMPARE(rendered.size(), QSize(595, 842));
        for (const QPoint &inBox : {QPoint(15, 15), QPoint(50, 150), QPoint(85, 290)})
            QVERIFY(qGray(rendered.pixel(inBox)) < 128);
        for (const QPoint &paper : {QPoint(150, 60), QPoint(195, 250), QPoint(150, 200)})
            QVERIFY(qGray(rendered.pixel(paper)) >= 128);
    }

    void endsWithoutNewFile_data()
    {
        QTest::addColumn<QString>("page"); // the second page; empty: no pages at all
        QTest::addColumn<QString>("output");
        QTest::addColumn<PdfWriter::Outcome>("outcome");
        using O = PdfWriter::Outcome;
        row("unsupported page", "page.png", "out.pdf", O::UnsupportedPage);
        row("suffix case", "page.JPG", "out.pdf", O::UnsupportedPage);
        row("not a JPEG", "garbage.jpg", "out.pdf", O::UnreadablePage);
        row("missing page", "missing.jpg", "out.pdf", O::UnreadablePage);
        // The PDF library takes it as it is; qpdf then finds invalid JPEG data in the file.
        row("JPEG cut short", "cut.jpg", "out.pdf", O::UnreadablePage);
        // Root ignores permissions: a folder that cannot hold files is a path below a file.
        row("folder is a file", "small.jpg", "afile/out.pdf", O::CannotWrite);
        row("output is a folder", "small.jpg", "adir", O::CannotWrite);
        row("cancelled at the second page", "small.jpg", "out.pdf", O::Cancelled);
        row("no pages", "", "out.pdf", O::NothingToWrite);
    }

    // Each ends without a new file, the user's earlier file kept as it was.
    void endsWithoutNewFile()
    {
        QFETCH(QString, page);
        QFETCH(QString, output);
        QFETCH(PdfWriter::Outcome, outcome);
        using O = PdfWriter::Outcome;
        const bool pageFailed = outcome == O::UnsupportedPage || outcome == O::UnreadablePage;

        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(u"adir"_s));
        for (const QString &copy : {u"small.jpg"_s, u"page.JPG"_s, u"adir/inside.jpg"_s})
            QVERIFY(QFile::copy(m_smallJpeg, dir.filePath(copy)));
        QVERIFY(QImage(10, 10, QImage::Format_RGB32).save(dir.filePath(u"page.png"_s)));
        QVERIFY(writeFile(dir.filePath(u"garbage.jpg"_s), "this is not an image"));
        const QByteArray jpeg = contentOf(m_smallJpeg);
        QVERIFY(writeFile(dir.filePath(u"cut.jpg"_s), jpeg.left(jpeg.size() * 3 / 4)));
        QVERIFY(writeFile(dir.filePath(u"afile"_s), QByteArray()));
        QVERIFY(writeFile(dir.filePath(u"out.pdf"_s), "the user's earlier file"));
        const QStringList before = entries(dir.path());

        const QString pagePath = dir.filePath(page);
        const QString outputPath = dir.filePath(output);
        // The page before the failing one is written first, so the failure comes mid-way.
        const QStringList pages =
            page.isEmpty() ? QStringList() : QStringList{dir.filePath(u"small.jpg"_s), pagePath};
        QList<int> asked; // the pages the writer asked to go on with; the user cancels at 1
        const PdfWriter::Result result =
            PdfWriter(PdfPageOptions()).write(pages, outputPath, [&](int index) {
                asked << index;
                return outcome != O::Cancelled || index < 1;
            });
        QCOMPARE(result.outcome, outcome);
        QCOMPARE(result.path, pageFailed                  ? pagePath
                              : outcome == O::CannotWrite ? outputPath
                                                          : QString());
        // The user learns which page, by the number its tile shows.
        QCOMPARE(result.message.startsWith(
                     u"Page 2 (%1) cannot be read: "_s.arg(QFileInfo(pagePath).fileName())),
                 pageFailed);
        // Each page is asked about before its work; the output is opened before any.
        const bool opened = !pages.isEmpty() && outcome != O::CannotWrite;
        QCOMPARE(asked, opened ? (QList<int>{0, 1}) : QList<int>());
        QCOMPARE(entries(dir.path()), before);
        QCOMPARE(entries(dir.filePath(u"adir"_s)), QStringList{u"inside.jpg"_s});
        QCOMPARE(contentOf(dir.filePath(u"out.pdf"_s)), QByteArray("the user's earlier file"));
    }

private:
    QTemporaryDir m_dir;
    QString m_smallJpeg;
};

QTEST_MAIN(TestPdfWriter)
#include "tst_pdfwriter.moc"
