#include "DibBuffer.h"
#include "HImage.h"

#include <QRandomGenerator>
#include <QtTest>

#include <climits>

using namespace Qt::StringLiterals;

namespace {
// Rows top to bottom as they should appear, laid out in the bitmap's order, padded to 32 bits.
QByteArray stored(const QList<QByteArray> &rowsTopDown, int width, int bits, bool topDown)
{
    const qint64 stride = DibBuffer::bytesPerLine(width, bits);
    QByteArray pixels;
    for (int i = 0; i < rowsTopDown.size(); ++i) {
        QByteArray row = rowsTopDown.at(topDown ? i : rowsTopDown.size() - 1 - i);
        row.append(QByteArray(stride - row.size(), '\0'));
        pixels.append(row);
    }
    return pixels;
}

struct Bitmap
{
    int width = 1, height = 1, bits = 24;
    bool topDown = false;
    quint32 compression = DibBuffer::Uncompressed, coloursUsed = 0;
    QList<QRgb> palette = {};
    QList<quint32> masks = {};
    qint32 xPerMetre = 11811, yPerMetre = 5906; // unequal, so that a swap shows

    DibBuffer make(const QByteArray &pixels) const
    {
        DibBuffer::Header header;
        header.width = width;
        header.height = topDown ? -height : height;
        header.bitCount = quint16(bits);
        header.compression = compression;
        header.coloursUsed = coloursUsed;
        header.xPixelsPerMeter = xPerMetre;
        header.yPixelsPerMeter = yPerMetre;
        return DibBuffer::create(header, palette, masks, pixels);
    }
};

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value));
    return result;
}

QByteArray le16(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result.append(char(value & 0xFF)).append(char(value >> 8));
    return result;
}

// A header patched field by field, for the malformed cases.
DibBuffer patched(DibBuffer dib, int offset, qint32 value)
{
    QByteArray block = dib.bytes();
    qToLittleEndian<qint32>(value, block.data() + offset);
    return DibBuffer(block);
}

// One letter per pixel: '.' black, 'w' white, 'r'/'g'/'b' pure colours, '?' other.
QString row(const QImage &image, int y)
{
    const QHash<QRgb, char> names = {{qRgb(0, 0, 0), '.'},
                                     {qRgb(255, 255, 255), 'w'},
                                     {qRgb(255, 0, 0), 'r'},
                                     {qRgb(0, 255, 0), 'g'},
                                     {qRgb(0, 0, 255), 'b'}};
    QString letters;
    for (int x = 0; x < image.width(); ++x)
        letters += QLatin1Char(names.value(image.pixel(x, y), '?'));
    return letters;
}

QList<QRgb> greyPalette(int entries)
{
    QList<QRgb> palette;
    for (int i = 0; i < entries; ++i)
        palette << qRgb(i, i, i);
    return palette;
}

const QList<QRgb> redGreenBlue{qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};

} // namespace

class TestDib : public QObject
{
    Q_OBJECT

private slots:
    // Each row lists the image rows top to bottom, one letter per pixel (see row()).
    void decodes_data()
    {
        QTest::addColumn<DibBuffer>("dib");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("colours");
        QTest::addColumn<QStringList>("rows");
        const auto add = [](const QByteArray &name, const DibBuffer &dib, QImage::Format format,
                            int colours, const char *rows) {
            QTest::newRow(name.constData())
                << dib << int(format) << colours << QString::fromLatin1(rows).split(u' ');
        };

        for (const quint32 used : {3u, 0u}) {
            Bitmap bitmap{2, 2, 8};
            bitmap.coloursUsed = used;
            bitmap.palette = redGreenBlue + greyPalette(used ? 3 : 256).mid(3);
            add(used ? "8 bit, three used colours" : "8 bit, used colours 0 means 256",
                bitmap.make(stored({bytes({0, 1}), bytes({2, 0})}, 2, 8, false)),
                QImage::Format_Indexed8, used ? 3 : 256, "rg br");
        }

        // The first stored row red, the second blue: stored bottom-up, red is the last row.
        for (const int bits : {8, 24, 32}) {
            Bitmap bitmap{1, 2, bits};
            bitmap.topDown = true; // give the rows in stored order
            bitmap.palette = {qRgb(255, 0, 0), qRgb(0, 0, 255)};
            bitmap.coloursUsed = bits == 8 ? 2 : 0;
            // Pixels are stored blue, green, red (and a spare byte at 32 bits).
            const QByteArray red = bits == 8 ? bytes({0}) : bytes({0, 0, 255, 0}).left(bits / 8);
            const QByteArray blue = bits == 8 ? bytes({1}) : bytes({255, 0, 0, 0}).left(bits / 8);
            const DibBuffer topDown = bitmap.make(stored({red, blue}, 1, bits, true));
            const QImage::Format format = bits == 8    ? QImage::Format_Indexed8
                                          : bits == 24 ? QImage::Format_RGB888
                                                       : QImage::Format_RGB32;
            const QByteArray name = QByteArray::number(bits) + " bit ";
            add(name + "top-down", topDown, format, bits == 8 ? 2 : 0, "r b");
            add(name + "bottom-up", patched(topDown, 8, 2), format, bits == 8 ? 2 : 0, "b r");
        }

        const auto sixteenBit = [](quint32 compression, const QList<quint32> &masks, int redPixel) {
            const Bitmap sixteen{
                .width = 2, .height = 1, .bits = 16, .compression = compression, .masks = masks};
            return sixteen.make(stored({le16({redPixel, 0})}, 2, 16, false));
        };
        add("16 bit, no masks: 5-5-5", sixteenBit(DibBuffer::Uncompressed, {}, 0x7C00),
            QImage::Format_RGB555, 0, "r.");
        add("16 bit, 5-6-5 masks",
            sixteenBit(DibBuffer::BitFields, {0xF800, 0x07E0, 0x001F}, 0xF800),
            QImage::Format_RGB16, 0, "r.");
        add("16 bit, 4-4-4 masks",
            sixteenBit(DibBuffer::BitFields, {0x0F00, 0x00F0, 0x000F}, 0x0F00),
            QImage::Format_RGB444, 0, "r.");
        add("16 bit, unknown masks: 5-5-5",
            sixteenBit(DibBuffer::BitFields, {0x00FF, 0xFF00, 0}, 0x7C00), QImage::Format_RGB555, 0,
            "r.");

        // One bit becomes grey; a palette that says the opposite is not consulted.
        for (const bool topDown : {false, true}) {
            Bitmap bitmap{10, 2, 1};
            bitmap.topDown = topDown;
            bitmap.palette = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
            add(topDown ? "1 bit top-down" : "1 bit bottom-up",
                bitmap.make(stored({bytes({0xA0, 0x40}), bytes({0x00, 0xC0})}, 10, 1, topDown)),
                QImage::Format_Indexed8, 256, "w.w......w ........ww");
        }

        Bitmap runs{6, 3, 4};
        runs.compression = DibBuffer::RunLength4;
        runs.palette = greyPalette(1) + redGreenBlue + greyPalette(16).mid(4);
        // Stored bottom-up. Row 0: run of 5 alternating 1,2 then one 3, end of line.
        // Row 1: literal 3,2,1 (padded), end of line. Row 2: move right by 4, run of 2 x 3.
        add("4 bit runs", runs.make(bytes({5, 0x12, 1, 0x30, 0, 0,    0, 3, 0x32, 0x10, 0, 0, //
                                           0, 2,    4, 0,    2, 0x33, 0, 1})),
            QImage::Format_Indexed8, 256, "....bb bgr... rgrgrb");
        // A run of 255 pixels, a move far down, more runs, no end marker: clipped.
        runs.height = 1;
        add("4 bit runs beyond the page",
            runs.make(bytes({255, 0x12, 0, 0, 0, 2, 200, 200, 9, 0x11})), QImage::Format_Indexed8,
            256, "rgrgrg");

        // High nibble first; index 15 lies beyond the three-entry palette.
        const Bitmap plain{
            .width = 3, .height = 1, .bits = 4, .coloursUsed = 3, .palette = redGreenBlue};
        add("4 bit plain becomes colour", plain.make(stored({bytes({0x21, 0xF0})}, 3, 4, false)),
            QImage::Format_RGB888, 0, "bg.");

        // Blue, green, red samples, top row first; a low byte rounding would carry upwards.
        const QByteArray top = le16({0x00FF, 0x00FF, 0xFF00, 0, 0, 0});
        const QByteArray bottom = le16({0xFFFF, 0xFFFF, 0xFFFF, 0x00FF, 0xFF7F, 0x00FF});
        add("48 bit keeps the high bytes",
            Bitmap{2, 2, 48}.make(stored({top, bottom}, 2, 48, false)), QImage::Format_RGB888, 0,
            "r. wg");
    }

    void decodes()
    {
        QFETCH(DibBuffer, dib);
        QFETCH(int, format);
        QFETCH(int, colours);
        QFETCH(QStringList, rows);
        const QImage image = HImage(dib);
        QCOMPARE(int(image.format()), format);
        QCOMPARE(image.colorCount(), colours);
        QCOMPARE(image.height(), rows.size());
        QCOMPARE(image.dotsPerMeterX(), 11811);
        QCOMPARE(image.dotsPerMeterY(), 5906);
        for (int y = 0; y < image.height(); ++y)
            QCOMPARE(row(image, y), rows.at(y));
    }

    void malformedGivesNull_data()
    {
        QTest::addColumn<DibBuffer>("dib");
        const DibBuffer good = Bitmap{4, 4}.make(QByteArray(4 * 12, '\x40'));
        QVERIFY(!HImage(good).isNull());

        QTest::newRow("empty block") << DibBuffer();
        QTest::newRow("header cut short") << DibBuffer(good.bytes().left(39));
        QTest::newRow("header size 124") << patched(good, 0, 124);
        QTest::newRow("width zero") << patched(good, 4, 0);
        QTest::newRow("width absurd") << patched(good, 4, 1 << 30);
        QTest::newRow("height zero") << patched(good, 8, 0);
        QTest::newRow("height INT_MIN") << patched(good, 8, INT_MIN);
        QTest::newRow("height absurd") << patched(good, 8, -(1 << 30));
        QTest::newRow("area absurd") << patched(patched(good, 4, 60000), 8, 60000);
        QTest::newRow("width beyond pixel data") << patched(good, 4, 5);
        QTest::newRow("height beyond pixel data") << patched(good, 8, 5);
        QTest::newRow("pixel data truncated") << DibBuffer(good.bytes().chopped(1));
        QTest::newRow("image size beyond block") << patched(good, 20, 4 * 12 + 1);
        QTest::newRow("bit count 0") << patched(good, 12, 1);
        QTest::newRow("bit count 65535") << patched(good, 12, 1 | (0xFFFF << 16));
        QTest::newRow("compression bogus") << patched(good, 16, 7);
        QTest::newRow("compression 8-bit runs") << patched(good, 16, DibBuffer::RunLength8);
        QTest::newRow("compression runs on 24 bit") << patched(good, 16, DibBuffer::RunLength4);
        QTest::newRow("compression masks on 24 bit") << patched(good, 16, DibBuffer::BitFields);
        QTest::newRow("palette beyond block") << patched(good, 32, 100);
        QTest::newRow("palette over 256 entries") << patched(good, 32, 1000);
        QTest::newRow("palette count huge") << patched(good, 32, -1);

        for (int bits : {64, 96})
            QTest::addRow("%d bits", bits) << Bitmap{1, 1, bits}.make(QByteArray(bits / 8, '\x7F'));

        const Bitmap eight{
            .width = 4, .height = 1, .bits = 8, .coloursUsed = 2, .palette = greyPalette(2)};
        const DibBuffer eightBit = eight.make(QByteArray(4, '\1'));
        QVERIFY(!HImage(eightBit).isNull());
        QTest::newRow("8 bit palette of 256 missing") << patched(eightBit, 32, 0);

        Bitmap masked{1, 1, 16};
        masked.compression = DibBuffer::BitFields;
        masked.masks = {0xF800, 0x07E0, 0x001F};
        QTest::newRow("masks cut short") << DibBuffer(masked.make({}).bytes().left(44));

        Bitmap runs{4, 1, 4};
        runs.compression = DibBuffer::RunLength4;
        runs.coloursUsed = 2;
        runs.palette = greyPalette(2);
        QTest::newRow("runs: literal cut short") << runs.make(bytes({0, 20, 0x11}));
        QTest::newRow("runs: move cut short") << runs.make(bytes({0, 2, 1}));
        QTest::newRow("runs: odd stream") << runs.make(bytes({4, 0x11, 0}));
        DibBuffer stated = runs.make(bytes({4, 0x11, 0, 1}));
        QTest::newRow("runs: stated size beyond block") << patched(stated, 20, 5);
    }

    void malformedGivesNull()
    {
        QFETCH(DibBuffer, dib);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u".*"_s));
        QVERIFY(HImage::fromDib(dib).isNull());
    }

    void randomHeadersNeverReadOutside()
    {
        // Plausible and implausible fields over a small block: an image or a refusal, never a
        // read past the block (the sanitizer build checks the reads).
        QLoggingCategory::setFilterRules(u"quillary.scan.dib.warning=false"_s);
        QRandomGenerator random(20240611);
        const QList<qint32> sizes = {-70000, -65536, -3, -1, 0, 1, 2, 3, 7, 16, 65535, 70000};
        const QList<qint32> bitCounts = {0, 1, 2, 4, 8, 16, 24, 32, 48, 64, 96};
        int images = 0;
        for (int round = 0; round < 3000; ++round) {
            DibBuffer::Header header;
            header.width = sizes.at(random.bounded(int(sizes.size())));
            header.height = sizes.at(random.bounded(int(sizes.size())));
            header.bitCount = quint16(bitCounts.at(random.bounded(int(bitCounts.size()))));
            header.compression = quint32(random.bounded(5));
            header.coloursUsed =
                random.bounded(4) == 0 ? random.generate() : quint32(random.bounded(20));
            header.imageSize = random.bounded(3) == 0 ? random.generate() : 0u;
            QByteArray tail(random.bounded(300), '\0');
            for (char &byte : tail)
                byte = char(random.bounded(256));
            const DibBuffer dib = DibBuffer::create(header, {}, {}, tail);
            if (!HImage::fromDib(dib).isNull())
                ++images;
        }
        QLoggingCategory::setFilterRules(QString());
        QVERIFY(images > 0);
    }
};

QTEST_APPLESS_MAIN(TestDib)
#include "tst_dib.moc"
