// The page processor program run for real on drawn pages, as the scanning window runs it.
#include "PdfTestTools.h"
#include "TestHelpers.h"

#include <cmath>
#include <sys/resource.h>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {
constexpr int Dpi = 150;

int px(double millimetres)
{
    return qRound(millimetres * Dpi / 25.4);
}

// Rules, letter-like blocks and a picture, known exactly so that the margins can be measured.
const QRect Content(px(25), px(30), px(160), px(200));

QImage paper(const QSize &size, QImage::Format format)
{
    QImage page = atDpi(QImage(size, format), Dpi);
    page.fill(Qt::white);
    return page;
}

QImage contentPage(QImage::Format format = QImage::Format_Grayscale8)
{
    QImage page = paper(QSize(px(210), px(297)), format);
    QPainter painter(&page);
    const QRect &area = Content;
    const int rule = px(0.6);
    painter.fillRect(QRect(area.left(), area.top(), area.width(), rule), Qt::black);
    painter.fillRect(QRect(area.left(), area.bottom() - rule + 1, area.width(), rule), Qt::black);
    const int picture = area.top() + area.height() * 2 / 5;
    painter.fillRect(
        QRect(area.left() + area.width() / 6, picture, area.width() * 2 / 3, area.height() / 4),
        QColor(40, 110, 170));
    // Words of 1.2 mm letters, some with ascenders, on lines 5 mm apart.
    int seed = 7;
    for (int base = area.top() + px(8); base < area.bottom() - px(4); base += px(5)) {
        if (base > picture - px(4) && base < picture + area.height() / 4 + px(6))
            continue;
        for (int x = area.left(); x < area.right() - px(12); x += px(1.6)) {
            seed = (seed * 1103515245 + 12345) & 0x7fffffff;
            if (seed % 7 == 0) {
                x += px(1.5);
                continue;
            }
            const int height = seed % 3 == 0 ? px(2.8) : px(1.9);
            painter.fillRect(QRect(x, base - height, px(1.2), height), Qt::black);
        }
    }
    return page;
}

// Printed blocks on a page under uneven light: the light is corrected, their tones are not.
const QList<std::pair<QRect, QColor>> Blocks{
    {QRect(px(40), px(200), px(15), px(15)), QColor(186, 54, 35)},
    {QRect(px(90), px(200), px(15), px(15)), QColor(88, 88, 88)},
    {QRect(px(140), px(200), px(15), px(15)), QColor(118, 118, 118)}};

// Lamp light darkening what is drawn, from one colour at the top left to another at end.
void shine(QPainter &painter, const QPointF &end, const QColor &from, const QColor &to)
{
    QLinearGradient light(QPointF(), end);
    light.setColorAt(0.0, from);
    light.setColorAt(1.0, to);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.fillRect(painter.window(), light);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// A lamp dimming to the right, with the lid's dark edge and dust beside the content.
QImage lit(QImage page)
{
    QPainter painter(&page);
    painter.fillRect(QRect(0, 0, px(5), page.height()), QColor(30, 30, 30));
    painter.fillRect(QRect(px(12), px(260), 2, 2), Qt::black);
    painter.fillRect(QRect(px(150), px(12), 3, 2), Qt::black);
    shine(painter, QPointF(page.width(), 0), QColor(250, 250, 250), QColor(195, 195, 195));
    for (const auto &[block, colour] : Blocks)
        painter.fillRect(block, colour);
    painter.end();
    return page;
}

// Two pages of text and a grey picture, inner mm from the shadowed binding at gutter.
QImage spread(const QSize &size, int gutter, double inner, bool leftContent = true)
{
    QImage pages = paper(size, QImage::Format_Grayscale8);
    QPainter painter(&pages);
    QFont font(u"DejaVu Serif"_s);
    font.setPixelSize(px(3.5));
    painter.setFont(font);
    const int height = size.height() - px(40);
    const QRect right(gutter + px(inner), px(20), size.width() - gutter - px(20 + inner), height);
    const QRect left(px(20), px(20), gutter - px(20 + inner), height);
    for (const QRect &page : leftContent ? QList<QRect>{left, right} : QList<QRect>{right}) {
        painter.drawText(page, Qt::TextWordWrap, minutes(20));
        painter.fillRect(
            page.adjusted(page.width() / 7, height * 3 / 7, -page.width() / 7, -height / 3),
            QColor(90, 90, 90));
    }
    const int reach = px(std::min(12.0, inner * 0.8));
    QLinearGradient shadow(gutter - reach, 0, gutter + reach, 0);
    shadow.setColorAt(0.0, QColor(0, 0, 0, 0));
    shadow.setColorAt(0.5, QColor(0, 0, 0, 80));
    shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
    painter.fillRect(QRect(gutter - reach, 0, 2 * reach, size.height()), shadow);
    return pages;
}

// A flatbed's uneven lamp light, the lid's shadow on the left, a slight blur and sensor noise.
QImage scanned(const QImage &page)
{
    QImage look = page.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&look);
        shine(painter, QPointF(look.width(), look.height()), QColor(246, 241, 228),
              QColor(205, 200, 186));
        QLinearGradient shadow(0, 0, px(14), 0);
        shadow.setColorAt(0.0, QColor(0, 0, 0, 140));
        shadow.setColorAt(0.4, QColor(0, 0, 0, 115));
        shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
        painter.fillRect(QRect(0, 0, px(14), look.height()), shadow);
    }
    // Halved and doubled: the slight blur of the scanner's optics.
    QImage grey = look.convertToFormat(QImage::Format_Grayscale8)
                      .scaled(look.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .scaled(look.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QRandomGenerator random(11);
    for (int y = 0; y < grey.height(); ++y) {
        uchar *line = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            // Four uniform bytes summed: close to Gaussian noise with a sigma of about 7.
            const quint32 bits = random.generate();
            const int noise = (int(bits & 255) + int(bits >> 8 & 255) + int(bits >> 16 & 255) +
                               int(bits >> 24) - 510) /
                              21;
            line[x] = uchar(qBound(0, line[x] + noise, 255));
        }
    }
    return atDpi(grey, Dpi);
}

QImage turned(const QImage &source, double degrees)
{
    QImage result = paper(source.size(), source.format());
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(source.width() / 2.0, source.height() / 2.0);
    painter.rotate(degrees);
    painter.drawImage(QPointF(-source.width() / 2.0, -source.height() / 2.0), source);
    return result;
}

// The paper's brightness in a band of columns: the median of everything that is not ink.
int paperLevel(const QImage &grey, int from, int to)
{
    QList<int> levels;
    for (int y = 0; y < grey.height(); y += 2) {
        for (int x = from; x < to; x += 2) {
            if (grey.constScanLine(y)[x] >= 128)
                levels.append(grey.constScanLine(y)[x]);
        }
    }
    std::sort(levels.begin(), levels.end());
    return levels.isEmpty() ? 0 : levels.at(levels.size() / 2);
}

struct Run
{
    int exitCode;
    QByteArray standardError;
};
} // namespace

class TestPageProc : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString input(const QImage &page, const char *name = "input.tif")
    {
        const QString path = m_dir.filePath(QLatin1String(name));
        if (!page.save(path, "TIFF"))
            qFatal("can't write the drawn page");
        return path;
    }

    QString outputFolder()
    {
        static int count = 0;
        const QString path = m_dir.filePath(u"out%1"_s.arg(++count));
        QDir().mkpath(path);
        return path;
    }

    // A file size limit fails writes with EFBIG as a full disk does, without root to mount one.
    static Run run(const QStringList &arguments, rlim_t fileSizeLimit = 0,
                   int resource = RLIMIT_FSIZE)
    {
        QProcess process;
        if (fileSizeLimit > 0) {
            process.setChildProcessModifier([fileSizeLimit, resource] {
                const rlimit limit{fileSizeLimit, fileSizeLimit};
                setrlimit(resource, &limit);
            });
        }
        process.start(QStringLiteral(QUILLARY_PAGEPROC), arguments);
        if (!process.waitForFinished(60000))
            qFatal("the processor did not finish");
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                process.readAllStandardError()};
    }

    static QImage result(const QString &folder, const char *name = "proc.tif")
    {
        return QImageReader(folder + u'/' + QLatin1String(name)).read();
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
    }

    void deskews_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<bool>("colour");
        QTest::addColumn<bool>("mono"); // black and white, else colour or grey as drawn
        QTest::addColumn<int>("outputDpi");
        QTest::addColumn<QString>("look"); // drawn, scanned or lit (both light corrected)
        row("grey, 3 degrees clockwise", 3.0, false, false, Dpi, u"drawn"_s);
        row("grey, 3 degrees counter-clockwise", -3.0, false, false, Dpi, u"drawn"_s);
        row("colour, 3 degrees clockwise", 3.0, true, false, Dpi, u"drawn"_s);
        // 1-bit at the output resolution: content plus 5 mm each side at 100 dpi, not 150.
        row("black and white at 100 dpi", 2.0, true, true, 100, u"drawn"_s);
        // The lid's shadow reaches 14 mm into the page, past the margins.
        row("scanned grey, 1.3 degrees", 1.3, false, false, Dpi, u"scanned"_s);
        row("scanned grey, 2.5 degrees", 2.5, false, false, Dpi, u"scanned"_s);
        row("scanned black and white, 2.5 degrees", 2.5, false, true, Dpi, u"scanned"_s);
        row("lit grey page", 0.0, false, false, Dpi, u"lit"_s);
        row("lit colour page", 0.0, true, false, Dpi, u"lit"_s);
    }

    // Upright, cut to the content plus white margins, lit evenly, printed tones kept.
    void deskews()
    {
        QFETCH(double, degrees);
        QFETCH(bool, colour);
        QFETCH(bool, mono);
        QFETCH(int, outputDpi);
        QFETCH(QString, look);
        const QImage drawn = contentPage(colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
        const QImage page = look == "lit"_L1 ? lit(drawn) : turned(drawn, degrees);
        const QString out = outputFolder();
        QStringList arguments =
            u"-l=1 --color-mode=%1 --white-margins --margins=5 --dpi=%2 --output-dpi=%3"_s
                .arg(mono ? "black_and_white"_L1 : "color_grayscale"_L1, QString::number(Dpi),
                     QString::number(outputDpi))
                .split(u' ');
        if (look != "drawn"_L1)
            arguments << u"--normalize-illumination"_s;
        const bool scannedLook = look == "scanned"_L1;

        const Run ran = run(arguments << input(scannedLook ? scanned(page) : page) << out);

        QCOMPARE(ran.exitCode, 0);
        QVERIFY(ran.standardError.isEmpty());
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{u"proc.tif"_s});
        QCOMPARE(PdfTestTools::run(u"tiffinfo"_s, {out + u"/proc.tif"_s})
                     .section(u"Compression Scheme: "_s, 1)
                     .section(u'\n', 0, 0),
                 QLatin1String(mono ? "CCITT Group 4" : "AdobeDeflate"));
        const QImage straight = result(out);
        const QImage grey = straight.convertToFormat(QImage::Format_Grayscale8);
        // The top rule's clockwise angle, fitted through the topmost ink of every column.
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (int x = grey.width() / 10; x < grey.width() * 9 / 10; ++x) {
            for (int y = 1; y < grey.height() / 4; ++y) {
                if (grey.constScanLine(y)[x] < 128) {
                    n += 1;
                    sx += x;
                    sy += y;
                    sxx += double(x) * x;
                    sxy += double(x) * y;
                    break;
                }
            }
        }
        const double residual = std::atan((n * sxy - sx * sy) / (n * sxx - sx * sx)) * 180 / M_PI;
        QVERIFY2(std::fabs(residual) < 0.2,
                 qPrintable(u"residual skew %1 degrees"_s.arg(residual)));
        QCOMPARE(qRound(straight.dotsPerMeterX() * 0.0254), outputDpi);
        QCOMPARE(straight.depth() == 1, mono);
        QVERIFY(mono || straight.allGray() == !colour);
        // Scanned, give or take 2 mm.
        const int off = scannedLook ? px(2) : 3;
        const int margin = px(5) * outputDpi / Dpi;
        const QSize expected = Content.size() * outputDpi / Dpi + 2 * QSize(margin, margin);
        QVERIFY2(std::abs(straight.width() - expected.width()) <= off &&
                     std::abs(straight.height() - expected.height()) <= off,
                 qPrintable(u"%1 x %2"_s.arg(straight.width()).arg(straight.height())));
        QRect ink;
        for (int y = 0; y < grey.height(); ++y) {
            for (int x = 0; x < grey.width(); ++x) {
                if (grey.constScanLine(y)[x] < 128)
                    ink |= QRect(x, y, 1, 1);
            }
        }
        for (const int gap : {ink.left(), ink.top(), grey.width() - 1 - ink.right(),
                              grey.height() - 1 - ink.bottom()})
            QVERIFY2(std::abs(gap - margin) <= off, qPrintable(u"margin %1"_s.arg(gap)));
        // No lid shadow or dust in the margins; a turned or blurred edge may leave 1 mm of ink.
        const QRect inked = look == "lit"_L1 ? ink : ink.adjusted(-px(1), -px(1), px(1), px(1));
        int greyOutside = 0;
        for (int y = 0; y < grey.height(); ++y) {
            for (int x = 0; x < grey.width(); ++x)
                greyOutside += !inked.contains(x, y) && grey.constScanLine(y)[x] != 255;
        }
        QCOMPARE(greyOutside, 0);
        if (look == "drawn"_L1)
            return;
        // The paper between the lines is white from left to right.
        const int third = ink.width() / 3;
        for (int band = 0; band < 3; ++band)
            QVERIFY2(paperLevel(grey, ink.left() + band * third, ink.left() + (band + 1) * third) >=
                         250,
                     qPrintable(u"band %1"_s.arg(band)));
        if (look != "lit"_L1)
            return;
        for (const auto &[block, tone] : Blocks) {
            const QRgb before = page.pixel(block.center());
            const QRgb kept =
                straight.pixel(block.center() - Content.topLeft() + QPoint(margin, margin));
            QVERIFY2(near(kept, before, 3),
                     qPrintable(u"%1 became %2"_s.arg(QColor(before).name(), QColor(kept).name())));
        }
    }

    void sameResultFromEveryInputForm_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<int>("compression"); // Qt's TIFF writer: 0 none, 1 LZW
        QTest::addColumn<bool>("tiled");      // against the TIFF in strips, else against a PNG
        row("TIFF, uncompressed", QImage::Format_RGB888, 0, false);
        row("TIFF, LZW", QImage::Format_RGB888, 1, false);
        row("tiled 8-bit RGB TIFF", QImage::Format_RGB888, 0, true);
        row("tiled 16-bit RGB TIFF", QImage::Format_RGBX64, 0, true);
    }

    // A colour page's result, resolution included, is the same from a TIFF read directly as from
    // a PNG by the general reader; and ImageMagick reads the same pixels as Qt.
    void sameResultFromEveryInputForm()
    {
        QFETCH(QImage::Format, format);
        QFETCH(int, compression);
        QFETCH(bool, tiled);
        // Lamp light falling off to one side and a tinted paper, so every colour step works.
        QImage page = turned(contentPage(QImage::Format_RGB888), 2.0);
        {
            QPainter painter(&page);
            shine(painter, QPointF(page.width(), page.height()), QColor(250, 240, 215),
                  QColor(170, 160, 150));
        }
        page = atDpi(page.convertToFormat(format), 200);
        QString reference = m_dir.filePath(u"form.tif"_s);
        QImageWriter writer(reference, "tiff");
        writer.setCompression(compression);
        QVERIFY(writer.write(page));
        QString tested = m_dir.filePath(u"tiles.tif"_s);
        QFile::remove(tested);
        if (tiled) {
            PdfTestTools::run(u"tiffcp"_s, PdfTestTools::words("-t -w 128 -l 128")
                                               << reference << tested);
        } else {
            tested = reference;
            reference = m_dir.filePath(u"form.png"_s);
            QVERIFY(page.save(reference, "PNG"));
        }
        // No --dpi: the resolution stored in the file counts.
        const QStringList arguments = PdfTestTools::words("-l=1 --color-mode=color_grayscale "
                                                          "--normalize-illumination "
                                                          "--white-margins --margins=2");
        const QString expectedOut = outputFolder();
        const QString actualOut = outputFolder();

        QCOMPARE(run(QStringList(arguments) << reference << expectedOut).exitCode, 0);
        const Run ran = run(QStringList(arguments) << tested << actualOut);

        QVERIFY2(ran.exitCode == 0, ran.standardError.constData());
        const QImage expected = result(expectedOut);
        const QImage actual = result(actualOut).convertToFormat(QImage::Format_RGB888);
        QVERIFY(!expected.isNull() && !expected.allGray());
        QCOMPARE(qRound(actual.dotsPerMeterX() * 0.0254), 200);
        QCOMPARE(actual, expected.convertToFormat(QImage::Format_RGB888));
        QProcess magick;
        magick.start(u"convert"_s, {actualOut + u"/proc.tif"_s, u"-depth"_s, u"8"_s, u"rgb:-"_s});
        QVERIFY2(magick.waitForFinished(60000), "ImageMagick's convert did not run");
        QByteArray pixels;
        for (int y = 0; y < actual.height(); ++y)
            pixels.append(reinterpret_cast<const char *>(actual.constScanLine(y)),
                          actual.width() * 3);
        QVERIFY(magick.readAllStandardOutput() == pixels);
    }

    void spreadIsCutAtItsBinding_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("inner"); // millimetres between the binding and the text
        row("upright", 0.0, 12.0);
        row("wide inner margins, 1.5 degrees", 1.5, 20.0);
        // No upright cut at all keeps these pages apart.
        row("narrow inner margins, -3 degrees", -3.0, 3.0);
    }

    // A spread laid a quarter turn on the glass: each half holds its own page only, full height.
    void spreadIsCutAtItsBinding()
    {
        QFETCH(double, degrees);
        QFETCH(double, inner);
        const QSize size(px(420), px(297));
        const int gutter = size.width() * 53 / 100;
        const QImage pages = scanned(turned(spread(size, gutter, inner), degrees));
        const QString out = outputFolder();

        const Run ran = run(
            u"-l=2 --orientation=left --color-mode=color_grayscale --dpi=%1"_s.arg(Dpi).split(u' ')
            << input(pages.transformed(QTransform().rotate(90))) << out);

        QCOMPARE(ran.exitCode, 0);
        const QImage left = result(out, "proc_1L.tif").convertToFormat(QImage::Format_Grayscale8);
        const QImage right = result(out, "proc_2R.tif").convertToFormat(QImage::Format_Grayscale8);
        QVERIFY2(std::abs(left.width() - gutter) <= size.width() / 200,
                 qPrintable(u"split at %1, binding at %2"_s.arg(left.width()).arg(gutter)));
        QVERIFY(std::abs(left.width() + right.width() - size.width()) <= 2);
        QCOMPARE(left.height(), size.height());
        QCOMPARE(right.height(), size.height());
        const int strip = px(inner / 2);
        int foreign = 0;
        for (int y = 0; y < size.height(); ++y) {
            for (int x = 0; x < strip; ++x) {
                foreign += left.constScanLine(y)[left.width() - 1 - x] < 80;
                foreign += right.constScanLine(y)[x] < 80;
            }
        }
        QCOMPARE(foreign, 0);
    }

    void failsWithOneLineAndWritesNothing_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("content"); // of the input; null: no input file
        QTest::addColumn<QString>("folder");     // "": none given, else appended to the output
        QTest::addColumn<int>("status");         // 2 for the command line, 1 for the input
        QTest::addColumn<QByteArray>("said");    // part of the line; empty: any
        QTest::addColumn<int>("room"); // 0: 200 MB of memory; else bytes of files, -1 a half's
        const QByteArray page = contentOf(input(contentPage(), "whole.tif"));
        const QByteArray colour = contentOf(input(contentPage(QImage::Format_RGB888), "rgb.tif"));
        const QString out = u"/"_s;
        const auto refused = [](const char *name, const QString &argument,
                                const QByteArray &content, const QString &folder, int status) {
            row(name, argument, content, folder, status, QByteArray(), 0);
        };
        refused("unknown option", u"--bogus"_s, page, out, 2);
        refused("layout 3", u"-l=3"_s, page, out, 2);
        refused("unknown colour mode", u"--color-mode=sepia"_s, page, out, 2);
        refused("dpi 0", u"--dpi=0"_s, page, out, 2);
        refused("dpi not a number", u"--output-dpi=high"_s, page, out, 2);
        refused("negative margins", u"--margins=-1"_s, page, out, 2);
        refused("flag with a value", u"--white-margins=yes"_s, page, out, 2);
        refused("orientation without value", u"--orientation"_s, page, out, 2);
        refused("no output folder", QString(), page, QString(), 2);
        refused("missing output folder", QString(), page, u"/absent"_s, 2);
        refused("missing input", QString(), QByteArray(), out, 1);
        refused("input is text", QString(), QByteArray("not a picture\n"), out, 1);
        refused("input is a cut-off TIFF", QString(), page.left(page.size() / 3), out, 1);
        refused("input is a cut-off colour TIFF", QString(), colour.left(colour.size() / 3), out,
                1);
        // 142 bytes claiming a 20000 x 25000 page: refused within a tenth of its memory.
        QByteArray claims;
        QDataStream tiff(&claims, QIODevice::WriteOnly);
        tiff.setByteOrder(QDataStream::LittleEndian);
        const quint32 width = 20000, height = 25000, entries = 10;
        const quint32 pixels = 8 + 2 + entries * 12 + 4;
        tiff << quint16(0x4949) << quint16(42) << quint32(8) << quint16(entries);
        // tag, type (3 short, 4 long), value: one RGB strip of 8 bytes
        for (const auto &[tag, type, value] :
             {std::tuple(256, 4, width), std::tuple(257, 4, height), std::tuple(258, 3, 8u),
              std::tuple(259, 3, 1u), std::tuple(262, 3, 2u), std::tuple(273, 4, pixels),
              std::tuple(277, 3, 3u), std::tuple(278, 4, height), std::tuple(279, 4, 8u),
              std::tuple(284, 3, 1u)})
            tiff << quint16(tag) << quint16(type) << quint32(1) << quint32(value);
        tiff << quint32(0) << quint64(~0ull);
        row("tiny file claiming a huge page", QString(), claims, out, 1,
            QByteArray("holds too little image data"), 0);
        // A spread whose left page is blank, so its half is far smaller than the right one.
        const QSize size(px(200), px(140));
        const QByteArray blankLeft = contentOf(input(spread(size, size.width() / 2, 12, false)));
        const QByteArray full("too large");
        const QString grey = u" --color-mode=color_grayscale"_s;
        row("single page, no room", u"-l=1"_s + grey, blankLeft, out, 1, full, 1024);
        row("spread, no room", u"-l=2"_s + grey, blankLeft, out, 1, full, 1024);
        // The left half is written; the right one fails, and the left must go too.
        row("spread, room for the left half only", u"-l=2"_s + grey, blankLeft, out, 1, full, -1);
    }

    void failsWithOneLineAndWritesNothing()
    {
        QFETCH(QString, argument);
        QFETCH(QByteArray, content);
        QFETCH(QString, folder);
        QFETCH(int, status);
        QFETCH(QByteArray, said);
        QFETCH(int, room);
        const QString path = m_dir.filePath(u"refused-input.tif"_s);
        QFile::remove(path);
        QVERIFY(content.isNull() || writeFile(path, content));
        QStringList arguments = argument.split(u' ', Qt::SkipEmptyParts) << u"--dpi=150"_s << path;
        rlim_t bytes = room;
        if (room != 0) {
            // Without a limit the same run succeeds.
            const QString unlimited = outputFolder();
            QCOMPARE(run(QStringList(arguments) << unlimited).exitCode, 0);
            const QStringList names = argument.startsWith("-l=1"_L1)
                                          ? QStringList{u"proc.tif"_s}
                                          : QStringList{u"proc_1L.tif"_s, u"proc_2R.tif"_s};
            QCOMPARE(QDir(unlimited).entryList(QDir::Files), names);
            const qint64 left = QFileInfo(unlimited + u"/proc_1L.tif"_s).size();
            const qint64 right = QFileInfo(unlimited + u"/proc_2R.tif"_s).size();
            QVERIFY2(room > 0 || (left > 0 && right > 2 * left), "the blank half is not smaller");
            bytes = room > 0 ? bytes : rlim_t((left + right) / 2);
        }
        const QString out = outputFolder();
        if (!folder.isEmpty())
            arguments << QDir::cleanPath(out + folder);

        const Run ran = room == 0 ? run(arguments, 200 << 20, RLIMIT_AS) : run(arguments, bytes);

        QCOMPARE(ran.exitCode, status);
        QCOMPARE(ran.standardError.count('\n'), 1);
        QVERIFY(ran.standardError.startsWith("quillary-pageproc: "));
        QVERIFY2(ran.standardError.size() > 25 && ran.standardError.contains(said),
                 ran.standardError.constData());
        QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_MAIN(TestPageProc)
#include "tst_pageproc.moc"
