#include "DibBuffer.h"
#include "HImage.h"

#include <QRandomGenerator>
#include <QtTest>

#include <climits>

Q_DECLARE_METATYPE(DibBuffer)

namespace {
// Rows are given top to bottom as they should appear; stored() lays them out in the
// bitmap's order (bottom-up for a positive height) and pads each to 32 bits.
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
    int width = 1;
    int height = 1;
    int bits = 24;
    bool topDown = false;
    quint32 compression = DibBuffer::Uncompressed;
    quint32 coloursUsed = 0;
    QList<QRgb> palette;
    QList<quint32> masks;
    qint32 xPerMetre = 0;
    qint32 yPerMetre = 0;

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
    for (int value : values) {
        result.append(char(value & 0xFF));
        result.append(char((value >> 8) & 0xFF));
    }
    return result;
}

// A header patched field by field, for the malformed cases.
DibBuffer patched(DibBuffer dib, int offset, qint32 value)
{
    QByteArray block = dib.bytes();
    qToLittleEndian<qint32>(value, block.data() + offset);
    return DibBuffer(block);
}

QList<QRgb> greyPalette(int entries)
{
    QList<QRgb> palette;
    for (int i = 0; i < entries; ++i)
        palette << qRgb(i, i, i);
    return palette;
}

DibBuffer validTwentyFourBit()
{
    Bitmap bitmap;
    bitmap.width = 4;
    bitmap.height = 4;
    return bitmap.make(QByteArray(4 * 12, '\x40'));
}
} // namespace

class TestDib : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void eightBitUsesPaletteEntries_data()
    {
        QTest::addColumn<quint32>("coloursUsed");
        QTest::addColumn<int>("paletteSize");
        QTest::addColumn<int>("expectedColours");
        QTest::newRow("three used colours") << 3u << 3 << 3;
        QTest::newRow("used colours 0 means 256") << 0u << 256 << 256;
    }

    void eightBitUsesPaletteEntries()
    {
        QFETCH(quint32, coloursUsed);
        QFETCH(int, paletteSize);
        QFETCH(int, expectedColours);
        Bitmap bitmap;
        bitmap.width = 2;
        bitmap.height = 2;
        bitmap.bits = 8;
        bitmap.coloursUsed = coloursUsed;
        bitmap.palette = greyPalette(paletteSize);
        bitmap.palette[0] = qRgb(255, 0, 0);
        bitmap.palette[1] = qRgb(0, 255, 0);
        bitmap.palette[2] = qRgb(0, 0, 255);
        const QImage image =
            HImage(bitmap.make(stored({bytes({0, 1}), bytes({2, 0})}, 2, 8, false)));

        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorCount(), expectedColours);
        QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(1, 0), qRgb(0, 255, 0));
        QCOMPARE(image.pixel(0, 1), qRgb(0, 0, 255));
        QCOMPARE(qAlpha(image.color(1)), 255);
    }

    void rowOrder_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("topDown");
        for (int bits : {8, 24, 32}) {
            QTest::addRow("%d bit bottom-up", bits) << bits << false;
            QTest::addRow("%d bit top-down", bits) << bits << true;
        }
    }

    void rowOrder()
    {
        // Two one-pixel rows: the first stored row is red, the second blue. Stored
        // bottom-up, the first stored row becomes the last image row.
        QFETCH(int, bits);
        QFETCH(bool, topDown);
        Bitmap bitmap;
        bitmap.height = 2;
        bitmap.bits = bits;
        bitmap.topDown = true; // give the rows in stored order
        QByteArray red, blue;
        if (bits == 8) {
            bitmap.palette = {qRgb(255, 0, 0), qRgb(0, 0, 255)};
            bitmap.coloursUsed = 2;
            red = bytes({0});
            blue = bytes({1});
        } else {
            red = bits == 24 ? bytes({0, 0, 255}) : bytes({0, 0, 255, 0});
            blue = bits == 24 ? bytes({255, 0, 0}) : bytes({255, 0, 0, 0});
        }
        DibBuffer dib = bitmap.make(stored({red, blue}, 1, bits, true));
        if (!topDown)
            dib = patched(dib, 8, 2);
        const QImage image = HImage(dib);

        QCOMPARE(image.size(), QSize(1, 2));
        QCOMPARE(image.pixel(0, 0), topDown ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
        QCOMPARE(image.pixel(0, 1), topDown ? qRgb(0, 0, 255) : qRgb(255, 0, 0));
    }

    void twentyFourBitSwapsRedAndBlue()
    {
        Bitmap bitmap;
        bitmap.width = 2;
        bitmap.xPerMetre = 3937;
        bitmap.yPerMetre = 7874;
        // Stored blue, green, red: a red and a teal pixel.
        const QImage image =
            HImage(bitmap.make(stored({bytes({0, 0, 200, 150, 100, 0})}, 2, 24, false)));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.pixel(0, 0), qRgb(200, 0, 0));
        QCOMPARE(image.pixel(1, 0), qRgb(0, 100, 150));
        QCOMPARE(image.dotsPerMeterX(), 3937);
        QCOMPARE(image.dotsPerMeterY(), 7874);
    }

    void thirtyTwoBit()
    {
        Bitmap bitmap;
        bitmap.bits = 32;
        const QImage image = HImage(bitmap.make(bytes({10, 20, 30, 0})));
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QCOMPARE(image.pixel(0, 0), qRgb(30, 20, 10));
    }

    void sixteenBitFormats_data()
    {
        QTest::addColumn<quint32>("compression");
        QTest::addColumn<QList<quint32>>("masks");
        QTest::addColumn<int>("redPixel");
        QTest::addColumn<int>("format");
        const quint32 plain = DibBuffer::Uncompressed;
        const quint32 fields = DibBuffer::BitFields;
        QTest::newRow("no masks: 5-5-5")
            << plain << QList<quint32>() << 0x7C00 << int(QImage::Format_RGB555);
        QTest::newRow("5-6-5 masks") << fields << QList<quint32>{0xF800, 0x07E0, 0x001F} << 0xF800
                                     << int(QImage::Format_RGB16);
        QTest::newRow("4-4-4 masks") << fields << QList<quint32>{0x0F00, 0x00F0, 0x000F} << 0x0F00
                                     << int(QImage::Format_RGB444);
        QTest::newRow("unknown masks: 5-5-5")
            << fields << QList<quint32>{0x00FF, 0xFF00, 0} << 0x7C00 << int(QImage::Format_RGB555);
    }

    void sixteenBitFormats()
    {
        QFETCH(quint32, compression);
        QFETCH(QList<quint32>, masks);
        QFETCH(int, redPixel);
        QFETCH(int, format);
        Bitmap bitmap;
        bitmap.width = 2;
        bitmap.bits = 16;
        bitmap.compression = compression;
        bitmap.masks = masks;
        const QImage image = HImage(bitmap.make(stored({le16({redPixel, 0})}, 2, 16, false)));
        QCOMPARE(int(image.format()), format);
        QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 0));
    }

    void oneBitIsNormalisedToGrey_data()
    {
        QTest::addColumn<bool>("topDown");
        QTest::newRow("bottom-up") << false;
        QTest::newRow("top-down") << true;
    }

    void oneBitIsNormalisedToGrey()
    {
        QFETCH(bool, topDown);
        Bitmap bitmap;
        bitmap.width = 10;
        bitmap.height = 2;
        bitmap.bits = 1;
        bitmap.topDown = topDown;
        bitmap.xPerMetre = 11811;
        bitmap.yPerMetre = 11811;
        // A palette that says the opposite: it is not consulted.
        bitmap.palette = {qRgb(255, 255, 255), qRgb(0, 0, 0)};
        const QImage image =
            HImage(bitmap.make(stored({bytes({0xA0, 0x40}), bytes({0x00, 0xC0})}, 10, 1, topDown)));

        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorCount(), 256);
        QCOMPARE(image.color(255), qRgb(255, 255, 255));
        QCOMPARE(image.size(), QSize(10, 2));
        const QList<int> top = {255, 0, 255, 0, 0, 0, 0, 0, 0, 255};
        const QList<int> bottom = {0, 0, 0, 0, 0, 0, 0, 0, 255, 255};
        for (int x = 0; x < 10; ++x) {
            QCOMPARE(qGray(image.pixel(x, 0)), top.at(x));
            QCOMPARE(qGray(image.pixel(x, 1)), bottom.at(x));
        }
        QCOMPARE(image.dotsPerMeterX(), 11811);
        QCOMPARE(image.dotsPerMeterY(), 11811);
    }

    void runLength4IsDecoded()
    {
        Bitmap bitmap;
        bitmap.width = 6;
        bitmap.height = 3;
        bitmap.bits = 4;
        bitmap.compression = DibBuffer::RunLength4;
        bitmap.palette = greyPalette(16);
        bitmap.palette[1] = qRgb(255, 0, 0);
        bitmap.palette[2] = qRgb(0, 255, 0);
        bitmap.palette[3] = qRgb(0, 0, 255);
        // Stored bottom-up. Row 0: run of 5 alternating 1,2 then one 3, end of line.
        // Row 1: literal 3,2,1 (padded), end of line. Row 2: move right by 4, run of 2 x 3.
        const QByteArray stream = bytes({5, 0x12, 1,    0x30, 0, 0, //
                                         0, 3,    0x32, 0x10, 0, 0, //
                                         0, 2,    4,    0,    2, 0x33, 0, 1});
        const QImage image = HImage(bitmap.make(stream));

        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.colorCount(), 256);
        const QRgb black = qRgb(0, 0, 0), red = qRgb(255, 0, 0), green = qRgb(0, 255, 0),
                   blue = qRgb(0, 0, 255);
        const QList<QRgb> bottom = {red, green, red, green, red, blue};
        const QList<QRgb> middle = {blue, green, red, black, black, black};
        const QList<QRgb> top = {black, black, black, black, blue, blue};
        for (int x = 0; x < 6; ++x) {
            QCOMPARE(image.pixel(x, 2), bottom.at(x));
            QCOMPARE(image.pixel(x, 1), middle.at(x));
            QCOMPARE(image.pixel(x, 0), top.at(x));
        }
    }

    void runLength4ClipsRunsOutsideTheBitmap()
    {
        Bitmap bitmap;
        bitmap.width = 2;
        bitmap.height = 1;
        bitmap.bits = 4;
        bitmap.compression = DibBuffer::RunLength4;
        bitmap.palette = {qRgb(0, 0, 0), qRgb(255, 0, 0)};
        bitmap.coloursUsed = 2;
        // A run of 255 pixels, a move far down, more runs, no end marker.
        const QImage image =
            HImage(bitmap.make(bytes({255, 0x11, 0, 0, 0, 0, 0, 2, 200, 200, 9, 0x11})));
        QCOMPARE(image.size(), QSize(2, 1));
        QCOMPARE(image.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(image.pixel(1, 0), qRgb(255, 0, 0));
    }

    void plainFourBitBecomesColour()
    {
        Bitmap bitmap;
        bitmap.width = 3;
        bitmap.bits = 4;
        bitmap.coloursUsed = 3;
        bitmap.palette = {qRgb(10, 20, 30), qRgb(40, 50, 60), qRgb(70, 80, 90)};
        // High nibble first; index 15 lies beyond the three-entry palette.
        const QImage image = HImage(bitmap.make(stored({bytes({0x21, 0xF0})}, 3, 4, false)));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.pixel(0, 0), qRgb(70, 80, 90));
        QCOMPARE(image.pixel(1, 0), qRgb(40, 50, 60));
        QCOMPARE(image.pixel(2, 0), qRgb(0, 0, 0));
    }

    void fortyEightBitKeepsHighBytes()
    {
        Bitmap bitmap;
        bitmap.width = 2;
        bitmap.height = 2;
        bitmap.bits = 48;
        bitmap.xPerMetre = 5906;
        // Blue, green, red samples per pixel; top row given first.
        const QByteArray top = le16({0x01FF, 0x02FF, 0xFE00, 0, 0, 0});
        const QByteArray bottom = le16({0xFFFF, 0xFFFF, 0xFFFF, 0x8000, 0x4000, 0x2000});
        const QImage image = HImage(bitmap.make(stored({top, bottom}, 2, 48, false)));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.pixel(0, 0), qRgb(0xFE, 0x02, 0x01));
        QCOMPARE(image.pixel(1, 0), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(0, 1), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(1, 1), qRgb(0x20, 0x40, 0x80));
        QCOMPARE(image.dotsPerMeterX(), 5906);
    }

    void unusableBitCountsGiveNull_data()
    {
        QTest::addColumn<int>("bits");
        QTest::newRow("64 bits") << 64;
        QTest::newRow("96 bits") << 96;
    }

    void unusableBitCountsGiveNull()
    {
        QFETCH(int, bits);
        Bitmap bitmap;
        bitmap.width = 2;
        bitmap.height = 2;
        bitmap.bits = bits;
        const QByteArray pixels(DibBuffer::bytesPerLine(2, bits) * 2, '\x7F');
        QVERIFY(HImage(bitmap.make(pixels)).isNull());
    }

    void malformedGivesNull_data()
    {
        QTest::addColumn<DibBuffer>("dib");
        const DibBuffer good = validTwentyFourBit();
        QVERIFY(!HImage(good).isNull());

        QTest::newRow("empty block") << DibBuffer();
        QTest::newRow("header cut short") << DibBuffer(good.bytes().left(39));
        QTest::newRow("header size 124") << patched(good, 0, 124);
        QTest::newRow("width zero") << patched(good, 4, 0);
        QTest::newRow("width negative") << patched(good, 4, -4);
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
        QTest::newRow("bit count 2") << patched(good, 12, 1 | (2 << 16));
        QTest::newRow("bit count 12") << patched(good, 12, 1 | (12 << 16));
        QTest::newRow("bit count 65535") << patched(good, 12, 1 | (0xFFFF << 16));
        QTest::newRow("compression bogus") << patched(good, 16, 7);
        QTest::newRow("compression 8-bit runs") << patched(good, 16, DibBuffer::RunLength8);
        QTest::newRow("compression runs on 24 bit") << patched(good, 16, DibBuffer::RunLength4);
        QTest::newRow("compression masks on 24 bit") << patched(good, 16, DibBuffer::BitFields);
        QTest::newRow("palette beyond block") << patched(good, 32, 100);
        QTest::newRow("palette over 256 entries") << patched(good, 32, 1000);
        QTest::newRow("palette count huge") << patched(good, 32, -1);

        Bitmap eight;
        eight.width = 4;
        eight.bits = 8;
        eight.coloursUsed = 2;
        eight.palette = greyPalette(2);
        const DibBuffer eightBit = eight.make(QByteArray(4, '\1'));
        QVERIFY(!HImage(eightBit).isNull());
        QTest::newRow("8 bit palette of 256 missing") << patched(eightBit, 32, 0);

        Bitmap masked;
        masked.bits = 16;
        masked.compression = DibBuffer::BitFields;
        masked.masks = {0xF800, 0x07E0, 0x001F};
        QTest::newRow("masks cut short") << DibBuffer(masked.make({}).bytes().left(44));

        Bitmap runs;
        runs.width = 4;
        runs.bits = 4;
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
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(".*")));
        QVERIFY(HImage::fromDib(dib).isNull());
    }

    void randomHeadersNeverReadOutside()
    {
        // Plausible and implausible field values over a small block: the conversion must
        // either produce an image or refuse, never read past the block (the sanitizer
        // build checks the reads).
        QLoggingCategory::setFilterRules(QStringLiteral("quillary.scan.dib.warning=false"));
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
