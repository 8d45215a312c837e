#include "BlankPage.h"
#include "TestHelpers.h"

using namespace Qt::StringLiterals;

namespace {
constexpr int Dpi = 300;

double px(double millimetres)
{
    return millimetres * Dpi / 25.4;
}

QImage a4(const QColor &paper = Qt::white)
{
    QImage page = a4Page(Dpi, false);
    page.fill(paper);
    return page;
}

// A page full of text, mirrored as it shows through from the back, in ink on paper (levels).
QImage mirroredText(int ink, int paper)
{
    QImage page = a4Page(Dpi, minutes(60));
    QPainter painter(&page);
    painter.setCompositionMode(QPainter::CompositionMode_Lighten);
    painter.fillRect(page.rect(), QColor(ink, ink, ink));
    painter.setCompositionMode(QPainter::CompositionMode_Darken);
    painter.fillRect(page.rect(), QColor(paper, paper, paper));
    return page.mirrored(true, false);
}

// One 10 pt line in area of an A4 page, or (empty area) cut to it plus 1 mm as the processor does.
QImage line(const QString &text, const QRectF &area, int alignment, int ink = 0, int paper = 255)
{
    QFont font(u"DejaVu Serif"_s);
    font.setPixelSize(qRound(10 / 72.0 * Dpi));
    const QRect bounds = QFontMetrics(font).boundingRect(text);
    const int margin = qRound(px(1));
    QImage page =
        area.isEmpty()
            ? atDpi(QImage(bounds.size() + 2 * QSize(margin, margin), QImage::Format_RGB32), Dpi)
            : a4();
    page.fill(QColor(paper, paper, paper));
    QPainter painter(&page);
    painter.setFont(font);
    painter.setPen(QColor(ink, ink, ink));
    if (area.isEmpty())
        painter.drawText(margin - bounds.left(), margin - bounds.top(), text);
    else
        painter.drawText(area, alignment, text);
    return page;
}

QImage offWhiteWithDustAndPunches(int punches = 2)
{
    QImage page = a4(QColor(235, 235, 235));
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

// Dark bars of the given levels on paper of level paper, as a scanner's edges and glass leave.
QImage bars(int paper, const QList<std::pair<QRectF, int>> &bars)
{
    QImage page = a4(QColor(paper, paper, paper));
    QPainter painter(&page);
    for (const auto &[rect, level] : bars)
        painter.fillRect(rect, QColor(level, level, level));
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

        const QString number = u"Page 12 of 30"_s;
        const QString words = minutes(1).section(u' ', 0, 11); // twelve words
        const QRectF foot(0, px(280), px(210), px(6));
        const QRectF middle(px(25), px(140), px(170), px(6));
        row("white", grey(a4()), true, 0);
        row("off-white, dust, two hole punches", grey(offWhiteWithDustAndPunches()), true, 0);
        row("off-white, dust, four hole punches", grey(offWhiteWithDustAndPunches(4)), true, 0);
        row("yellow paper, colour", a4(QColor(250, 228, 125)), true, 0);
        // The lid's rim and edges, and a streak from the feeder's glass running into the top one.
        const QImage edges = bars(240, {{QRectF(0, 0, px(6), px(297)), 25},
                                        {QRectF(0, 0, px(210), px(3)), 40},
                                        {QRectF(px(206), px(20), px(0.8), px(200)), 60},
                                        {QRectF(px(100), 0, px(0.6), px(297)), 50}});
        row("dark scanner edges", grey(edges), true, 0);
        row("streak down the page from the feeder's glass",
            grey(bars(245, {{QRectF(px(150), px(2), px(0.6), px(293)), 50}})), true, 0);
        row("bleed-through", grey(mirroredText(215, 240)), true, 0);
        row("page number only", grey(line(number, foot, Qt::AlignHCenter)), true, 0);
        row("page number cut to content", grey(line(number, QRectF(), 0)), true, 0);
        row("one short line", grey(line(words, middle, Qt::AlignLeft)), false, 12);
        row("one short line in pencil grey", grey(line(words, middle, Qt::AlignLeft, 140, 245)),
            false, 12);
        row("one short line cut to content", grey(line(words, QRectF(), 0)), false, 12);
        row("full text", grey(mirroredText(0, 255)), false, 1000);
        row("photo, colour", a4Photo(Dpi), false, 0);
        row("off-white, dust, punches, 1-bit", bilevel(offWhiteWithDustAndPunches()), true, 0);
        row("one short line, 1-bit", bilevel(line(words, middle, Qt::AlignLeft)), false, 12);
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
