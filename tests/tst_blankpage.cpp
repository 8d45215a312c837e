#include "BlankPage.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

namespace {
constexpr int Dpi = 300;

double px(double millimetres)
{
    return millimetres * Dpi / 25.4;
}

QImage sheet(int width, int height, int paper)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(Dpi / 0.0254));
    image.setDotsPerMeterY(qRound(Dpi / 0.0254));
    image.fill(QColor(paper, paper, paper));
    return image;
}

QImage a4(int paper = 255)
{
    return sheet(qRound(px(210)), qRound(px(297)), paper);
}

QFont font(double points)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(qRound(points / 72.0 * Dpi));
    return font;
}

QString words(int count)
{
    static const char *const list[] = {"paper",  "the",     "scanner", "of", "letters", "and",
                                       "margin", "binding", "page",    "a",  "light",   "edge"};
    QStringList result;
    for (int i = 0; i < count; ++i)
        result << QLatin1String(list[i % std::size(list)]);
    return result.join(QLatin1Char(' '));
}

// 10 pt lines of words filling area.
void fillWithText(QPainter &painter, const QRectF &area)
{
    painter.setFont(font(10));
    const double line = QFontMetricsF(painter.font()).height() * 1.2;
    for (double y = area.top(); y + line < area.bottom(); y += line)
        painter.drawText(QRectF(area.left(), y, area.width(), line), Qt::AlignLeft, words(14));
}

// Text on a canvas of its own size plus 1 mm, as the page processor cuts a page to content.
QImage cutToContent(const QString &text)
{
    const QFont face = font(10);
    const QRect bounds = QFontMetrics(face).boundingRect(text);
    const int margin = qRound(px(1));
    QImage image = sheet(bounds.width() + 2 * margin, bounds.height() + 2 * margin, 255);
    QPainter painter(&image);
    painter.setFont(face);
    painter.setPen(Qt::black);
    painter.drawText(margin - bounds.left(), margin - bounds.top(), text);
    return image;
}

QImage offWhiteWithDustAndPunches(int punches = 2)
{
    QImage page = a4(235);
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QRandomGenerator random(7);
    for (int i = 0; i < 120; ++i) {
        const int level = 40 + random.bounded(100);
        painter.setBrush(QColor(level, level, level));
        const double radius = 0.5 + random.bounded(2.0);
        painter.drawEllipse(QPointF(random.bounded(page.width()), random.bounded(page.height())),
                            radius, radius);
    }
    painter.setBrush(QColor(30, 30, 30));
    for (int i = 0; i < punches; ++i)
        painter.drawEllipse(QPointF(px(12), px(148.5 + 80 * (i - (punches - 1) / 2.0))), px(3),
                            px(3));
    return page;
}

QImage darkEdges()
{
    QImage page = a4(240);
    QPainter painter(&page);
    painter.fillRect(QRectF(0, 0, px(6), page.height()), QColor(25, 25, 25));
    painter.fillRect(QRectF(0, 0, page.width(), px(3)), QColor(40, 40, 40));
    // A streak a little way in from the right edge, where the lid's rim casts it.
    painter.fillRect(QRectF(page.width() - px(4), px(20), px(0.8), px(200)), QColor(60, 60, 60));
    // One from the feeder's glass, running into the border at the top.
    painter.fillRect(QRectF(px(100), 0, px(0.6), page.height()), QColor(50, 50, 50));
    return page;
}

QImage glassStreak()
{
    QImage page = a4(245);
    QPainter painter(&page);
    painter.fillRect(QRectF(px(150), px(2), px(0.6), px(293)), QColor(50, 50, 50));
    return page;
}

QImage bleedThrough()
{
    QImage back = a4(240);
    {
        QPainter painter(&back);
        painter.setPen(QColor(215, 215, 215));
        fillWithText(painter, QRectF(px(20), px(20), px(170), px(257)));
    }
    return back.mirrored(true, false);
}

QImage pageNumber()
{
    QImage page = a4();
    QPainter painter(&page);
    painter.setFont(font(10));
    painter.drawText(QRectF(0, px(280), page.width(), px(6)), Qt::AlignHCenter,
                     QStringLiteral("Page 12 of 30"));
    return page;
}

QImage shortLine(int ink = 0, int paper = 255)
{
    QImage page = a4(paper);
    QPainter painter(&page);
    painter.setPen(QColor(ink, ink, ink));
    painter.setFont(font(10));
    painter.drawText(QRectF(px(25), px(140), px(170), px(6)), Qt::AlignLeft, words(12));
    return page;
}

QImage fullText()
{
    QImage page = a4();
    QPainter painter(&page);
    fillWithText(painter, QRectF(px(20), px(20), px(170), px(257)));
    return page;
}

QImage photo()
{
    QImage page = a4();
    QPainter painter(&page);
    const QRectF area(px(30), px(60), px(150), px(110));
    QLinearGradient gradient(area.topLeft(), area.bottomRight());
    gradient.setColorAt(0, QColor(70, 110, 170));
    gradient.setColorAt(0.6, QColor(210, 170, 90));
    gradient.setColorAt(1, QColor(90, 140, 80));
    painter.fillRect(area, gradient);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(170, 40, 40));
    painter.drawEllipse(area.adjusted(px(40), px(25), -px(50), -px(35)));
    return page;
}

QImage bilevel(const QImage &page)
{
    return page.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
}

QImage grey(const QImage &page)
{
    return page.convertToFormat(QImage::Format_Grayscale8);
}
} // namespace

class TestBlankPage : public QObject
{
    Q_OBJECT

private slots:
    void verdict_data()
    {
        QTest::addColumn<QImage>("page");
        QTest::addColumn<bool>("blank");
        // Fewest text-size marks the drawing leaves: one per word at least.
        QTest::addColumn<int>("leastMarks");

        QTest::newRow("white") << grey(a4()) << true << 0;
        QTest::newRow("off-white, dust, two hole punches")
            << grey(offWhiteWithDustAndPunches()) << true << 0;
        QTest::newRow("off-white, dust, four hole punches")
            << grey(offWhiteWithDustAndPunches(4)) << true << 0;
        QImage yellow = a4();
        yellow.fill(QColor(250, 228, 125));
        QTest::newRow("yellow paper, colour") << yellow << true << 0;
        QTest::newRow("dark scanner edges") << grey(darkEdges()) << true << 0;
        QTest::newRow("streak down the page from the feeder's glass")
            << grey(glassStreak()) << true << 0;
        QTest::newRow("bleed-through") << grey(bleedThrough()) << true << 0;
        QTest::newRow("page number only") << grey(pageNumber()) << true << 0;
        QTest::newRow("page number cut to content")
            << grey(cutToContent(QStringLiteral("Page 12 of 30"))) << true << 0;
        QTest::newRow("one short line") << grey(shortLine()) << false << 12;
        QTest::newRow("one short line in pencil grey") << grey(shortLine(140, 245)) << false << 12;
        QTest::newRow("one short line cut to content")
            << grey(cutToContent(words(12))) << false << 12;
        QTest::newRow("full text") << grey(fullText()) << false << 1000;
        QTest::newRow("photo, colour") << photo() << false << 0;
        QTest::newRow("off-white, dust, punches, 1-bit")
            << bilevel(offWhiteWithDustAndPunches()) << true << 0;
        QTest::newRow("one short line, 1-bit") << bilevel(shortLine()) << false << 12;
    }

    void verdict()
    {
        QFETCH(QImage, page);
        QFETCH(bool, blank);
        QFETCH(int, leastMarks);
        const BlankPageVerdict verdict = detectBlankPage(page);
        QCOMPARE(verdict.blank, blank);
        QVERIFY2(verdict.textComponents >= leastMarks,
                 qPrintable(QString::number(verdict.textComponents)));
        QCOMPARE(verdict.inkCoverage > 0, !blank || verdict.textComponents > 0);
    }
};

QTEST_MAIN(TestBlankPage)
#include "tst_blankpage.moc"
