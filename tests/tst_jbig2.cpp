#include "Jbig2Encoder.h"
#include "PdfTestTools.h"
#include "TestHelpers.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
QImage filled(const QSize &size, bool black)
{
    QImage image(size, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(black ? 1 : 0);
    return image;
}

// Random pixels, half of them black: nothing for the coder to predict.
QImage noise(const QSize &size)
{
    QImage image = filled(size, false);
    QRandomGenerator random(size.width() * 7919 + size.height());
    for (qsizetype i = 0; i < image.sizeInBytes(); ++i)
        image.bits()[i] = uchar(random.generate());
    return image;
}

// The page jbig2dec makes of an embedded stream, as it is in a PDF.
QImage decoded(const QByteArray &stream)
{
    QTemporaryDir folder;
    const QString input = folder.filePath(u"page.jb2"_s);
    const QString output = folder.filePath(u"page.pbm"_s);
    if (!writeFile(input, stream))
        return {};
    PdfTestTools::run(u"jbig2dec"_s,
                      {u"--embedded"_s, u"--format"_s, u"pbm"_s, u"-o"_s, output, input});
    return QImage(output);
}

} // namespace

class TestJbig2 : public QObject
{
    Q_OBJECT

private slots:
    void encodes_data()
    {
        QTest::addColumn<QImage>("page");
        const QSize a4(2480, 3508);
        const QImage text =
            a4Page(300, true).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        // The same pixels the other way round: index 0 black in Qt's conversion, white here.
        QImage whiteAsZero = text;
        whiteAsZero.invertPixels();
        whiteAsZero.setColorTable({text.color(1), text.color(0)});
        row("blank white A4", filled(a4, false));
        row("all black A4", filled(a4, true));
        row("A4 text, 300 dpi", text);
        row("A4 text, white stored as index 0", whiteAsZero);
        row("noise", noise(QSize(1000, 700)));
        row("noise, least significant bit first",
            noise(QSize(301, 50)).convertToFormat(QImage::Format_MonoLSB));
        row("width 1", noise(QSize(1, 40)));
        row("width 7", noise(QSize(7, 40)));
        row("width 9", noise(QSize(9, 40)));
        row("width 2479", noise(QSize(2479, 40)));
        row("one pixel high", noise(QSize(2480, 1)));
        row("one pixel", filled(QSize(1, 1), true));
        row("colour page: refused", a4Page(50, true));
    }

    // Both ways: the page as one generic region, and its repeating marks as symbols.
    void encodes()
    {
        QFETCH(QImage, page);
        for (const auto encode : {&Jbig2Encoder::encodeGeneric, &Jbig2Encoder::encodeWithSymbols}) {
            const QByteArray stream = encode(page);
            if (page.depth() > 1)
                QVERIFY(stream.isEmpty());
            else
                QCOMPARE(decoded(stream).convertToFormat(QImage::Format_RGB32),
                         page.convertToFormat(QImage::Format_RGB32));
        }
    }
};

QTEST_MAIN(TestJbig2)
#include "tst_jbig2.moc"
