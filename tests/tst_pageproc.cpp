// The page processor program, run for real on pages drawn here: deskew, black and white,
// margins, illumination, spreads split at the gutter, and the refusals of a bad command line
// or an unusable input.
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QImageReader>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <sys/resource.h>
#include <tuple>

namespace {
constexpr int Dpi = 150;

int px(double millimetres)
{
    return qRound(millimetres * Dpi / 25.4);
}

// The drawn content: between a rule on top and a rule at the bottom, lines of letter-like
// blocks and a picture. Known exactly, so the margins around it can be measured.
const QRect Content(px(25), px(30), px(160), px(200));

QImage blankPage(const QSize &size, QImage::Format format)
{
    QImage page(size, format);
    page.setDotsPerMeterX(qRound(Dpi / 0.0254));
    page.setDotsPerMeterY(qRound(Dpi / 0.0254));
    page.fill(Qt::white);
    return page;
}

void drawContent(QPainter &painter, const QRect &area)
{
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
}

QImage drawnPage(QImage::Format format = QImage::Format_Grayscale8)
{
    QImage page = blankPage(QSize(px(210), px(297)), format);
    QPainter painter(&page);
    drawContent(painter, Content);
    return page;
}

// Two pages side by side, inner millimetres of paper between the binding and each page's
// content; the left one may be left blank.
QImage spread(const QSize &size, int gutter, bool leftContent = true, double inner = 12)
{
    QImage page = blankPage(size, QImage::Format_Grayscale8);
    QPainter painter(&page);
    if (leftContent)
        drawContent(painter,
                    QRect(px(12), px(12), gutter - px(12 + inner), size.height() - px(24)));
    drawContent(painter, QRect(gutter + px(inner), px(12), size.width() - gutter - px(12 + inner),
                               size.height() - px(24)));
    return page;
}

// A page of ragged serif text in area, as a book prints it.
void drawText(QPainter &painter, const QRect &area)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(px(3.5));
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QStringList words = QStringLiteral("the paper of a scanned book and its binding lies "
                                             "between two pages printed with margins while light")
                                  .split(QLatin1Char(' '));
    const QFontMetrics metrics(font);
    int word = 0;
    for (int base = area.top() + metrics.ascent(); base < area.bottom(); base += px(5)) {
        int x = area.left();
        while (true) {
            const QString text = words.at(word++ % words.size());
            if (x + metrics.horizontalAdvance(text) > area.right())
                break;
            painter.drawText(x, base, text);
            x += metrics.horizontalAdvance(text + QLatin1Char(' '));
        }
    }
}

// What a flatbed adds: off-white paper under lamp light falling off towards one corner, the
// lid's soft grey shadow along the left edge, a slight blur and sensor noise.
QImage scanned(const QImage &page)
{
    QImage look = page.convertToFormat(QImage::Format_RGB32);
    {
        QPainter painter(&look);
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        QLinearGradient light(0, 0, look.width(), look.height());
        light.setColorAt(0.0, QColor(246, 241, 228));
        light.setColorAt(1.0, QColor(205, 200, 186));
        painter.fillRect(look.rect(), light);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        QLinearGradient shadow(0, 0, px(14), 0);
        shadow.setColorAt(0.0, QColor(0, 0, 0, 140));
        shadow.setColorAt(0.4, QColor(0, 0, 0, 115));
        shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
        painter.fillRect(QRect(0, 0, px(14), look.height()), shadow);
    }
    QImage grey = look.convertToFormat(QImage::Format_Grayscale8);
    const QImage sharp = grey.copy();
    QRandomGenerator random(11);
    for (int y = 0; y < grey.height(); ++y) {
        uchar *line = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            int sum = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                const uchar *row = sharp.constScanLine(qBound(0, y + dy, grey.height() - 1));
                for (int dx = -1; dx <= 1; ++dx)
                    sum += row[qBound(0, x + dx, grey.width() - 1)];
            }
            // Four uniform bytes summed: close to Gaussian noise with a sigma of about 7.
            const quint32 bits = random.generate();
            const int noise = (int(bits & 255) + int(bits >> 8 & 255) + int(bits >> 16 & 255) +
                               int(bits >> 24) - 510) /
                              21;
            line[x] = uchar(qBound(0, sum / 9 + noise, 255));
        }
    }
    grey.setDotsPerMeterX(page.dotsPerMeterX());
    grey.setDotsPerMeterY(page.dotsPerMeterY());
    return grey;
}

QImage turned(const QImage &source, double degrees)
{
    QImage result = blankPage(source.size(), source.format());
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(source.width() / 2.0, source.height() / 2.0);
    painter.rotate(degrees);
    painter.drawImage(QPointF(-source.width() / 2.0, -source.height() / 2.0), source);
    return result;
}

// The angle (clockwise, degrees) of the top rule in a page cut to its content: a
// least-squares line through the upper edge of the topmost ink of every column.
double ruleAngle(const QImage &page)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
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
    return std::atan((n * sxy - sx * sy) / (n * sxx - sx * sx)) * 180.0 / M_PI;
}

QRect inkBounds(const QImage &page)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
    QRect bounds;
    for (int y = 0; y < grey.height(); ++y) {
        for (int x = 0; x < grey.width(); ++x) {
            if (grey.constScanLine(y)[x] < 128)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// The paper's brightness in a band of columns: the median of everything that is not ink.
int paperLevel(const QImage &page, int from, int to)
{
    const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
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

template <typename... Values> void row(const char *name, Values... values)
{
    (QTest::newRow(name) << ... << values);
}
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
        const QString path = m_dir.filePath(QStringLiteral("out%1").arg(++count));
        QDir().mkpath(path);
        return path;
    }

    // fileSizeLimit > 0: the processor runs with that RLIMIT_FSIZE, so every write past it
    // fails with EFBIG, as on a full disk (and without needing root to mount a small one).
    // Another resource limits something else, such as the memory it may take.
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
        return QImageReader(folder + QLatin1Char('/') + QLatin1String(name)).read();
    }

    // The compression scheme libtiff's own reader reports for the file.
    static QString compression(const QString &path)
    {
        QProcess tiffinfo;
        tiffinfo.start(QStringLiteral("tiffinfo"), {path});
        if (!tiffinfo.waitForFinished())
            return QStringLiteral("<tiffinfo (libtiff-tools) did not run>");
        const QString report = QString::fromLocal8Bit(tiffinfo.readAllStandardOutput());
        const QLatin1String label("Compression Scheme: ");
        const qsizetype at = report.indexOf(label);
        return at < 0 ? report : report.mid(at + label.size()).section(QLatin1Char('\n'), 0, 0);
    }

    static QStringList options(const QString &colourMode, double margins = 5.0, int outputDpi = Dpi)
    {
        return QStringLiteral("-l=1 --color-mode=%1 --white-margins --margins=%2 --dpi=%3 "
                              "--output-dpi=%4")
            .arg(colourMode)
            .arg(margins)
            .arg(Dpi)
            .arg(outputDpi)
            .split(QLatin1Char(' '));
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
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("outputDpi");
        QTest::addColumn<QString>("compression");
        const QString grey = QStringLiteral("color_grayscale");
        const QString deflate = QStringLiteral("AdobeDeflate");
        row("grey, 3 degrees clockwise", 3.0, false, grey, Dpi, deflate);
        row("grey, 3 degrees counter-clockwise", -3.0, false, grey, Dpi, deflate);
        row("colour, 3 degrees clockwise", 3.0, true, grey, Dpi, deflate);
        // 1-bit at the output resolution: content plus 5 mm each side at 100 dpi, not 150.
        row("black and white at 100 dpi", 2.0, true, QStringLiteral("black_and_white"), 100,
            QStringLiteral("CCITT Group 4"));
    }

    void deskews()
    {
        QFETCH(double, degrees);
        QFETCH(bool, colour);
        QFETCH(QString, mode);
        QFETCH(int, outputDpi);
        QFETCH(QString, compression);
        const QImage page =
            turned(drawnPage(colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8), degrees);
        const QString out = outputFolder();

        const Run ran = run(options(mode, 5.0, outputDpi) << input(page) << out);

        QCOMPARE(ran.exitCode, 0);
        QVERIFY(ran.standardError.isEmpty());
        QCOMPARE(QDir(out).entryList(QDir::Files), QStringList{QStringLiteral("proc.tif")});
        QCOMPARE(TestPageProc::compression(out + QStringLiteral("/proc.tif")), compression);
        const QImage straight = result(out);
        const double residual = ruleAngle(straight);
        QVERIFY2(std::fabs(residual) < 0.2,
                 qPrintable(QStringLiteral("residual skew %1 degrees").arg(residual)));
        QCOMPARE(qRound(straight.dotsPerMeterX() * 0.0254), outputDpi);
        QVERIFY(std::abs(straight.width() - (Content.width() + 2 * px(5)) * outputDpi / Dpi) <= 3);
        if (outputDpi == Dpi) {
            QCOMPARE(straight.allGray(), !colour);
            QVERIFY(straight.depth() >= 8);
        } else {
            QCOMPARE(straight.depth(), 1);
        }
    }

    void marginsWhiteAndIlluminationFlattened()
    {
        // Light falling off to the right; a scanner lid's dark edge and dust outside the content.
        QImage page = drawnPage();
        {
            QPainter painter(&page);
            painter.fillRect(QRect(0, 0, px(5), page.height()), QColor(30, 30, 30));
            painter.fillRect(QRect(px(12), px(260), 2, 2), Qt::black);
            painter.fillRect(QRect(px(150), px(12), 3, 2), Qt::black);
            painter.setCompositionMode(QPainter::CompositionMode_Multiply);
            QLinearGradient light(0, 0, page.width(), 0);
            light.setColorAt(0.0, QColor(235, 235, 235));
            light.setColorAt(1.0, QColor(150, 150, 150));
            painter.fillRect(page.rect(), light);
        }
        const QString out = outputFolder();

        QCOMPARE(run(options(QStringLiteral("color_grayscale"), 4.0)
                     << QStringLiteral("--normalize-illumination") << input(page) << out)
                     .exitCode,
                 0);
        const QImage cut = result(out);
        const int margin = px(4);
        QVERIFY2(std::abs(cut.width() - (Content.width() + 2 * margin)) <= 2,
                 qPrintable(QStringLiteral("width %1").arg(cut.width())));
        QVERIFY(std::abs(cut.height() - (Content.height() + 2 * margin)) <= 2);
        const QRect ink = inkBounds(cut);
        for (const int gap : {ink.left(), ink.top(), cut.width() - 1 - ink.right(),
                              cut.height() - 1 - ink.bottom()})
            QVERIFY2(std::abs(gap - margin) <= 2, qPrintable(QStringLiteral("margin %1").arg(gap)));
        const QImage grey = cut.convertToFormat(QImage::Format_Grayscale8);
        int greyOutside = 0;
        for (int y = 0; y < grey.height(); ++y) {
            for (int x = 0; x < grey.width(); ++x)
                greyOutside += !ink.contains(x, y) && grey.constScanLine(y)[x] != 255;
        }
        QCOMPARE(greyOutside, 0);
        // The paper between the lines is white from left to right.
        const int third = ink.width() / 3;
        for (int band = 0; band < 3; ++band)
            QVERIFY2(paperLevel(grey, ink.left() + band * third, ink.left() + (band + 1) * third) >=
                         245,
                     qPrintable(QStringLiteral("band %1").arg(band)));
    }

    void lightingLeavesPictureTonesAlone_data()
    {
        QTest::addColumn<bool>("colour");
        row("grey page", false);
        row("colour page", true);
    }

    // Only the paper is lit up: printed blocks keep their levels where the lamp is dim, and
    // the paper beside them is white.
    void lightingLeavesPictureTonesAlone()
    {
        QFETCH(bool, colour);
        QImage page = drawnPage(colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
        const QList<QColor> blocks{QColor(186, 54, 35), QColor(88, 88, 88), QColor(118, 118, 118)};
        QList<QRect> placed;
        {
            QPainter painter(&page);
            painter.setCompositionMode(QPainter::CompositionMode_Multiply);
            QLinearGradient light(0, 0, page.width(), 0);
            light.setColorAt(0.0, QColor(250, 250, 250));
            light.setColorAt(1.0, QColor(195, 195, 195));
            painter.fillRect(page.rect(), light);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            for (int i = 0; i < blocks.size(); ++i) {
                placed.append(QRect(px(40 + 50 * i), px(200), px(15), px(15)));
                painter.fillRect(placed.last(), blocks.at(i));
            }
        }
        const QString out = outputFolder();

        QCOMPARE(run(options(QStringLiteral("color_grayscale"), 5.0)
                     << QStringLiteral("--normalize-illumination") << input(page) << out)
                     .exitCode,
                 0);
        const QImage cut = result(out).convertToFormat(QImage::Format_RGB32);
        const QPoint shift(Content.left() - px(5), Content.top() - px(5));
        for (const QRect &block : placed) {
            const QRgb drawn = page.pixel(block.center());
            const QRgb kept = cut.pixel(block.center() - shift);
            QVERIFY2(
                std::abs(qRed(kept) - qRed(drawn)) <= 3 &&
                    std::abs(qGreen(kept) - qGreen(drawn)) <= 3 &&
                    std::abs(qBlue(kept) - qBlue(drawn)) <= 3,
                qPrintable(
                    QStringLiteral("%1 became %2").arg(QColor(drawn).name(), QColor(kept).name())));
        }
        const QImage grey = cut.convertToFormat(QImage::Format_Grayscale8);
        QVERIFY(paperLevel(grey, grey.width() * 3 / 4, grey.width()) >= 250);
    }

    // A colour page's result does not depend on how the page reached the processor: an RGB
    // TIFF, plain or LZW-compressed, read directly, gives what a PNG read by the general
    // reader gives, resolution included; and ImageMagick reads the written page with the
    // same pixels as Qt.
    void colourResultIsTheSameFromEveryInputForm_data()
    {
        QTest::addColumn<int>("compression"); // Qt's TIFF writer: 0 none, 1 LZW
        row("TIFF, uncompressed", 0);
        row("TIFF, LZW", 1);
    }

    void colourResultIsTheSameFromEveryInputForm()
    {
        QFETCH(int, compression);
        // Lamp light falling off to one side and a tinted paper, so every colour step works.
        QImage page = turned(drawnPage(QImage::Format_RGB888), 2.0);
        {
            QPainter painter(&page);
            painter.setCompositionMode(QPainter::CompositionMode_Multiply);
            QLinearGradient light(0, 0, page.width(), page.height());
            light.setColorAt(0.0, QColor(250, 240, 215));
            light.setColorAt(1.0, QColor(170, 160, 150));
            painter.fillRect(page.rect(), light);
        }
        page.setDotsPerMeterX(qRound(200 / 0.0254));
        page.setDotsPerMeterY(qRound(200 / 0.0254));
        const QString png = m_dir.filePath(QStringLiteral("form.png"));
        const QString tiff = m_dir.filePath(QStringLiteral("form.tif"));
        QVERIFY(page.save(png, "PNG"));
        QImageWriter writer(tiff, "tiff");
        writer.setCompression(compression);
        QVERIFY(writer.write(page));
        // No --dpi: the resolution stored in the file counts.
        const QStringList arguments = QStringLiteral("-l=1 --color-mode=color_grayscale "
                                                     "--normalize-illumination --white-margins "
                                                     "--margins=2")
                                          .split(QLatin1Char(' '));
        const QString fromPng = outputFolder();
        const QString fromTiff = outputFolder();

        QCOMPARE(run(QStringList(arguments) << png << fromPng).exitCode, 0);
        QCOMPARE(run(QStringList(arguments) << tiff << fromTiff).exitCode, 0);

        const QImage expected = result(fromPng);
        const QImage actual = result(fromTiff);
        QVERIFY(!expected.isNull() && !expected.allGray());
        QCOMPARE(qRound(actual.dotsPerMeterX() * 0.0254), 200);
        QCOMPARE(actual.convertToFormat(QImage::Format_RGB888),
                 expected.convertToFormat(QImage::Format_RGB888));
        QProcess magick;
        magick.start(QStringLiteral("convert"),
                     {fromTiff + QStringLiteral("/proc.tif"), QStringLiteral("-depth"),
                      QStringLiteral("8"), QStringLiteral("rgb:-")});
        QVERIFY2(magick.waitForFinished(60000), "ImageMagick's convert did not run");
        const QImage rgb = actual.convertToFormat(QImage::Format_RGB888);
        QByteArray pixels;
        for (int y = 0; y < rgb.height(); ++y)
            pixels.append(reinterpret_cast<const char *>(rgb.constScanLine(y)), rgb.width() * 3);
        QVERIFY(magick.readAllStandardOutput() == pixels);
    }

    void edgeShadowIsNeverContent_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<QString>("mode");
        row("grey, 1.3 degrees", 1.3, QStringLiteral("color_grayscale"));
        row("grey, 2.5 degrees", 2.5, QStringLiteral("color_grayscale"));
        row("black and white, 2.5 degrees", 2.5, QStringLiteral("black_and_white"));
    }

    void edgeShadowIsNeverContent()
    {
        QFETCH(double, degrees);
        QFETCH(QString, mode);
        const QString out = outputFolder();

        QCOMPARE(run(options(mode, 4.0) << QStringLiteral("--normalize-illumination")
                                        << input(scanned(turned(drawnPage(), degrees))) << out)
                     .exitCode,
                 0);

        // Cut to the drawn content give or take 2 mm, though the shadow reaches 14 mm into the
        // page.
        const QImage cut = result(out).convertToFormat(QImage::Format_Grayscale8);
        const int margin = px(4);
        QVERIFY2(std::abs(cut.width() - (Content.width() + 2 * margin)) <= px(2) &&
                     std::abs(cut.height() - (Content.height() + 2 * margin)) <= px(2),
                 qPrintable(QStringLiteral("%1 x %2").arg(cut.width()).arg(cut.height())));
        // No grey band and no dots where the margin meets the shadow's side.
        int marked = 0;
        for (int y = 0; y < cut.height(); ++y) {
            for (int x = 0; x < margin - px(1); ++x)
                marked += cut.constScanLine(y)[x] != 255;
        }
        QCOMPARE(marked, 0);
    }

    void tiltedSpreadIsCutAtItsBinding_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("inner"); // millimetres between the binding and the text
        row("wide inner margins, 1.5 degrees", 1.5, 20.0);
        // No upright cut at all keeps these pages apart.
        row("narrow inner margins, -3 degrees", -3.0, 3.0);
    }

    void tiltedSpreadIsCutAtItsBinding()
    {
        QFETCH(double, degrees);
        QFETCH(double, inner);
        // Two A4 pages, the binding at 53 % of the width, laid askew and a quarter turn
        // clockwise on the glass.
        const QSize size(px(420), px(297));
        const int gutter = size.width() * 53 / 100;
        QImage pages = blankPage(size, QImage::Format_Grayscale8);
        {
            QPainter painter(&pages);
            for (const QRect &page : {QRect(px(20), px(20), gutter - px(20 + inner), px(257)),
                                      QRect(gutter + px(inner), px(20),
                                            size.width() - gutter - px(20 + inner), px(257))}) {
                drawText(painter, page);
                painter.fillRect(
                    page.adjusted(page.width() / 7, px(110), -page.width() / 7, -px(90)),
                    QColor(90, 90, 90));
            }
            const int reach = px(std::min(12.0, inner * 0.8));
            QLinearGradient shadow(gutter - reach, 0, gutter + reach, 0);
            shadow.setColorAt(0.0, QColor(0, 0, 0, 0));
            shadow.setColorAt(0.5, QColor(0, 0, 0, 80));
            shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
            painter.fillRect(QRect(gutter - reach, 0, 2 * reach, size.height()), shadow);
        }
        const QString out = outputFolder();

        const Run ran = run(
            QStringLiteral("-l=2 --orientation=left --color-mode=color_grayscale "
                           "--dpi=%1")
                .arg(Dpi)
                .split(QLatin1Char(' '))
            << input(scanned(turned(pages, degrees)).transformed(QTransform().rotate(90))) << out);

        QCOMPARE(ran.exitCode, 0);
        const QImage left = result(out, "proc_1L.tif").convertToFormat(QImage::Format_Grayscale8);
        const QImage right = result(out, "proc_2R.tif").convertToFormat(QImage::Format_Grayscale8);
        QVERIFY2(
            std::abs(left.width() - gutter) <= size.width() / 200,
            qPrintable(QStringLiteral("split at %1, binding at %2").arg(left.width()).arg(gutter)));
        QVERIFY(std::abs(left.width() + right.width() - size.width()) <= 2);
        // Each half holds its own page only: no letter of the other page along the cut.
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

    void spreadIsSplitAtTheGutter()
    {
        // Two 100 x 140 mm pages, the binding's shadow at 48% of the width, turned a quarter
        // turn clockwise as a book lies on the glass.
        const QSize size(px(200), px(140));
        const int gutter = size.width() * 48 / 100;
        QImage pages = spread(size, gutter);
        {
            QPainter painter(&pages);
            QLinearGradient shadow(gutter - px(10), 0, gutter + px(10), 0);
            shadow.setColorAt(0.0, QColor(0, 0, 0, 0));
            shadow.setColorAt(0.5, QColor(0, 0, 0, 120));
            shadow.setColorAt(1.0, QColor(0, 0, 0, 0));
            painter.fillRect(QRect(gutter - px(10), 0, px(20), size.height()), shadow);
        }
        const QString out = outputFolder();

        const Run ran = run(QStringLiteral("-l=2 --orientation=left --color-mode=color_grayscale "
                                           "--dpi=%1")
                                .arg(Dpi)
                                .split(QLatin1Char(' '))
                            << input(pages.transformed(QTransform().rotate(90))) << out);

        QCOMPARE(ran.exitCode, 0);
        const QImage left = result(out, "proc_1L.tif");
        const QImage right = result(out, "proc_2R.tif");
        QCOMPARE(left.height(), size.height());
        QCOMPARE(right.height(), size.height());
        QVERIFY(std::abs(left.width() + right.width() - size.width()) <= 2);
        QVERIFY2(
            std::abs(left.width() - gutter) <= size.width() / 100,
            qPrintable(QStringLiteral("split at %1, gutter at %2").arg(left.width()).arg(gutter)));
    }

    void tiledTiffReadLikeStrips_data()
    {
        QTest::addColumn<QImage::Format>("format");
        row("8-bit RGB", QImage::Format_RGB888);
        row("16-bit RGB", QImage::Format_RGBX64);
    }

    // Tiles are only another layout of the same pixels: the page comes out as from strips.
    void tiledTiffReadLikeStrips()
    {
        QFETCH(QImage::Format, format);
        const QString strips =
            input(drawnPage(QImage::Format_RGB32).convertToFormat(format), "strips.tif");
        const QString tiles = m_dir.filePath(QStringLiteral("tiles.tif"));
        QFile::remove(tiles);
        QProcess tiffcp;
        tiffcp.start(QStringLiteral("tiffcp"),
                     QStringLiteral("-t -w 128 -l 128").split(QLatin1Char(' ')) << strips << tiles);
        QVERIFY2(tiffcp.waitForFinished() && tiffcp.exitCode() == 0,
                 "tiffcp (libtiff-tools) failed");
        const QStringList arguments = options(QStringLiteral("color_grayscale"));
        const QString fromStrips = outputFolder();
        const QString fromTiles = outputFolder();
        QCOMPARE(run(QStringList(arguments) << strips << fromStrips).exitCode, 0);

        const Run ran = run(QStringList(arguments) << tiles << fromTiles);

        QVERIFY2(ran.exitCode == 0, ran.standardError.constData());
        QCOMPARE(result(fromTiles), result(fromStrips));
    }

    // 142 bytes that claim a 20000 x 25000 colour page: refused from what the file holds,
    // well within a memory limit a tenth of the claimed size.
    void tinyFileClaimingAHugePageRefusedUpFront()
    {
        const QString path = m_dir.filePath(QStringLiteral("claims.tif"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QDataStream tiff(&file);
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
        file.close();
        const QString out = outputFolder();

        const Run ran = run({QStringLiteral("--dpi=150"), path, out}, 200 << 20, RLIMIT_AS);

        QCOMPARE(ran.exitCode, 1);
        QCOMPARE(ran.standardError.count('\n'), 1);
        QVERIFY2(ran.standardError.contains("holds too little image data"),
                 ran.standardError.constData());
        QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    void fullDiskFailsAndLeavesNothing_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<bool>("betweenHalves"); // else no room at all
        row("single page, no room", 1, false);
        row("spread, no room", 2, false);
        // The left half is written; the right one fails, and the left must go too.
        row("spread, room for the left half only", 2, true);
    }

    void fullDiskFailsAndLeavesNothing()
    {
        QFETCH(int, layout);
        QFETCH(bool, betweenHalves);
        // A spread whose left page is blank, so its half is far smaller than the right one.
        const QSize size(px(200), px(140));
        const QStringList arguments = QStringLiteral("-l=%1 --color-mode=color_grayscale --dpi=%2")
                                          .arg(layout)
                                          .arg(Dpi)
                                          .split(QLatin1Char(' '))
                                      << input(spread(size, size.width() / 2, false), "spread.tif");
        // Without a limit the same run succeeds.
        const QString unlimited = outputFolder();
        QCOMPARE(run(QStringList(arguments) << unlimited).exitCode, 0);
        const QStringList names =
            layout == 1 ? QStringList{QStringLiteral("proc.tif")}
                        : QStringList{QStringLiteral("proc_1L.tif"), QStringLiteral("proc_2R.tif")};
        QCOMPARE(QDir(unlimited).entryList(QDir::Files), names);
        rlim_t bytes = 1024;
        if (betweenHalves) {
            const qint64 left = QFileInfo(unlimited + QStringLiteral("/proc_1L.tif")).size();
            const qint64 right = QFileInfo(unlimited + QStringLiteral("/proc_2R.tif")).size();
            QVERIFY2(left > 0 && right > 2 * left, "the blank half is not the smaller one");
            bytes = rlim_t((left + right) / 2);
        }
        const QString out = outputFolder();

        const Run ran = run(QStringList(arguments) << out, bytes);

        QCOMPARE(ran.exitCode, 1);
        QCOMPARE(ran.standardError.count('\n'), 1);
        QVERIFY2(ran.standardError.contains("too large"), ran.standardError.constData());
        QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void refusesWithOneLineAndWritesNothing_data()
    {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QByteArray>("content"); // of the input; null: no input file
        QTest::addColumn<QString>("folder");     // "": none given, else appended to the output
        QFile whole(input(drawnPage(), "whole.tif"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        const QByteArray page = whole.readAll();
        const QString out = QStringLiteral("/");
        row("unknown option", QStringLiteral("--bogus"), page, out);
        row("layout 3", QStringLiteral("-l=3"), page, out);
        row("unknown colour mode", QStringLiteral("--color-mode=sepia"), page, out);
        row("dpi 0", QStringLiteral("--dpi=0"), page, out);
        row("dpi not a number", QStringLiteral("--output-dpi=high"), page, out);
        row("negative margins", QStringLiteral("--margins=-1"), page, out);
        row("flag with a value", QStringLiteral("--white-margins=yes"), page, out);
        row("orientation without value", QStringLiteral("--orientation"), page, out);
        row("no output folder", QString(), page, QString());
        row("missing output folder", QString(), page, QStringLiteral("/absent"));
        row("missing input", QString(), QByteArray(), out);
        row("input is text", QString(), QByteArray("not a picture\n"), out);
        row("input is a cut-off TIFF", QString(), page.left(page.size() / 3), out);
        QFile colour(input(drawnPage(QImage::Format_RGB888), "colour.tif"));
        QVERIFY(colour.open(QIODevice::ReadOnly));
        row("input is a cut-off colour TIFF", QString(), colour.readAll().left(colour.size() / 3),
            out);
    }

    void refusesWithOneLineAndWritesNothing()
    {
        QFETCH(QString, argument);
        QFETCH(QByteArray, content);
        QFETCH(QString, folder);
        const QString out = outputFolder();
        const QString path = m_dir.filePath(QStringLiteral("refused-input.tif"));
        QFile::remove(path);
        QFile file(path);
        QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly) && file.write(content)));
        file.close();
        QStringList arguments{QStringLiteral("--dpi=150"), path};
        if (!argument.isEmpty())
            arguments.prepend(argument);
        if (!folder.isEmpty())
            arguments << QDir::cleanPath(out + folder);

        const Run ran = run(arguments);

        QVERIFY(ran.exitCode > 0);
        QCOMPARE(ran.standardError.count('\n'), 1);
        QVERIFY(ran.standardError.startsWith("quillary-pageproc: "));
        QVERIFY(ran.standardError.size() > 25);
        QCOMPARE(QDir(out).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_MAIN(TestPageProc)
#include "tst_pageproc.moc"
