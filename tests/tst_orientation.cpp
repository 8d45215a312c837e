// Which way up a page lies: drawn text pages turned every way are guessed back upright, the
// guess applied to the turned page gives the drawn page again; pages without text are left as
// they are.
#include "PageOrientation.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QTest>

#include <future>

namespace {
const char *const letter =
    "Thank you for your letter of the twelfth about the meeting of the village council. The "
    "minutes of the last meeting were read and agreed, and the clerk reported that the repairs "
    "to the bridge over the river will be finished before the end of the summer. Several people "
    "asked whether the library could stay open later on Thursday evenings, since many of those "
    "who use it work in the town during the day. The council agreed to try this for three "
    "months and to look at the numbers again in the autumn. The next meeting will be held on the "
    "first "
    "Monday of the month at half past seven in the small room of the hall. Please let me know "
    "if you would like anything added to the agenda, and bring the report on the footpaths if "
    "it is ready by then.";

// An A4 page at dpi with a letter of ordinary text in 11 pt type, its resolution stored.
QImage textPage(int dpi, const QString &text = QString::fromLatin1(letter))
{
    QImage page(qRound(8.27 * dpi), qRound(11.69 * dpi), QImage::Format_RGB32);
    page.fill(Qt::white);
    page.setDotsPerMeterX(qRound(dpi / 0.0254));
    page.setDotsPerMeterY(qRound(dpi / 0.0254));
    QPainter painter(&page);
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(11 * dpi / 72);
    painter.setFont(font);
    painter.setPen(QColor(20, 20, 20));
    const QRectF margins(dpi, dpi, page.width() - 2 * dpi, page.height() - 2 * dpi);
    painter.drawText(margins, Qt::TextWordWrap, text);
    return page;
}

// Gradients and shapes, nothing letter-like.
QImage picturePage(int dpi)
{
    QImage page = textPage(dpi, QString());
    QPainter painter(&page);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, page.height());
    sky.setColorAt(0, QColor(40, 90, 200));
    sky.setColorAt(1, QColor(250, 220, 120));
    painter.fillRect(page.rect(), sky);
    QRadialGradient sun(page.width() * 0.7, page.height() * 0.25, dpi);
    sun.setColorAt(0, Qt::white);
    sun.setColorAt(1, QColor(255, 160, 0));
    painter.setBrush(sun);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(page.width() * 0.7, page.height() * 0.25), dpi, dpi);
    painter.setBrush(QColor(120, 60, 30));
    painter.drawRect(QRectF(page.width() * 0.15, page.height() * 0.7, dpi * 1.5, dpi * 2));
    return page;
}

QImage turned(const QImage &page, int degrees)
{
    QImage result = page.transformed(QTransform().rotate(degrees));
    result.setDotsPerMeterX(page.dotsPerMeterX());
    result.setDotsPerMeterY(page.dotsPerMeterY());
    return result;
}

QByteArray describe(const OrientationGuess &guess)
{
    return QByteArray("turn ") + QByteArray::number(guess.turn) + " sure " +
           QByteArray::number(guess.sure) + " confidence " + QByteArray::number(guess.confidence);
}
} // namespace

class TestOrientation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(PageOrientation::available(), "tesseract-ocr-osd is not installed");
    }

    void textIsTurnedUpright_data()
    {
        QTest::addColumn<QImage>("upright");
        QTest::addColumn<int>("turnedBy");   // clockwise
        QTest::addColumn<int>("dpi");        // as the caller passes it
        QTest::addColumn<bool>("elsewhere"); // on a thread of its own beside this one

        const QImage page = textPage(300);
        QTest::newRow("upright") << page << 0 << 0 << false;
        QTest::newRow("a quarter clockwise") << page << 90 << 0 << false;
        QTest::newRow("upside down") << page << 180 << 0 << false;
        QTest::newRow("a quarter anticlockwise") << page << 270 << 0 << false;
        // A scanner's black-and-white page at a lower resolution.
        QTest::newRow("black and white, 150 dpi")
            << textPage(150).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither) << 270 << 0
            << false;
        // Too coarse for the engine as it is; enlarged, its letters are read.
        QTest::newRow("100 dpi") << textPage(100) << 90 << 0 << false;
        // Stored resolution says 72 dpi; the caller knows better.
        QImage unknown = page;
        unknown.setDotsPerMeterX(2835);
        unknown.setDotsPerMeterY(2835);
        QTest::newRow("resolution given") << unknown << 90 << 300 << false;
        QTest::newRow("resolution guessed") << unknown << 180 << 0 << false;
        QTest::newRow("two threads at once") << page << 90 << 0 << true;
    }

    void textIsTurnedUpright()
    {
        QFETCH(QImage, upright);
        QFETCH(int, turnedBy);
        QFETCH(int, dpi);
        QFETCH(bool, elsewhere);
        const QImage scan = turned(upright, turnedBy);

        OrientationGuess guess;
        if (elsewhere) {
            // Each thread has an engine of its own; both work at the same time.
            auto other =
                std::async(std::launch::async, [&] { return detectOrientation(scan, dpi); });
            const OrientationGuess here = detectOrientation(scan, dpi);
            guess = other.get();
            QCOMPARE(here.turn, guess.turn);
            QCOMPARE(here.sure, guess.sure);
        } else {
            guess = detectOrientation(scan, dpi);
        }
        QVERIFY2(guess.sure, describe(guess));
        // The guess applied to what the scanner gave is the page as drawn.
        const QImage straightened = turned(scan, guess.turn);
        QVERIFY2(straightened.convertToFormat(QImage::Format_RGB32) ==
                     upright.convertToFormat(QImage::Format_RGB32),
                 describe(guess));
    }

    void noTextIsLeftAlone_data()
    {
        QTest::addColumn<QImage>("page");
        QTest::addColumn<int>("turnedBy");

        QTest::newRow("picture") << picturePage(300) << 0;
        QTest::newRow("picture upside down") << picturePage(300) << 180;
        QTest::newRow("blank paper") << textPage(300, QString()) << 90;
        QTest::newRow("a signature") << textPage(300, QStringLiteral("Yours sincerely")) << 180;
        QTest::newRow("a short note")
            << textPage(300, QStringLiteral("Back at four, the key is under the mat.")) << 90;
        QTest::newRow("no image") << QImage() << 0;
    }

    void noTextIsLeftAlone()
    {
        QFETCH(QImage, page);
        QFETCH(int, turnedBy);
        const OrientationGuess guess = detectOrientation(turned(page, turnedBy));
        QVERIFY2(!guess.sure, describe(guess));
        QCOMPARE(guess.turn, 0);
    }
};

QTEST_MAIN(TestOrientation)
#include "tst_orientation.moc"
