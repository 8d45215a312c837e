// Drawn pages turned every way: the guess applied to the scan must give the drawn page again.
#include "PageOrientation.h"
#include "TestHelpers.h"

#include <future>

using namespace Qt::StringLiterals;

namespace {
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
        QTest::addColumn<bool>("text");      // else left as it is, the guess unsure

        const QImage page = a4Page(300, true);
        for (const int turn : {0, 90, 180, 270})
            QTest::addRow("turned by %d degrees", turn) << page << turn << 0 << false << true;
        const QImage mono =
            a4Page(150, true).convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
        row("black and white, 150 dpi", mono, 270, 0, false, true);
        // Too coarse for the engine as it is; enlarged, its letters are read.
        row("100 dpi", a4Page(100, true), 90, 0, false, true);
        // Stored resolution says 72 dpi; the caller knows better.
        const QImage unknown = atDpi(page, 72);
        row("resolution given", unknown, 90, 300, false, true);
        row("resolution guessed", unknown, 180, 0, false, true);
        row("two threads at once", page, 90, 0, true, true);
        row("picture", a4Photo(300), 0, 0, false, false);
        row("picture upside down", a4Photo(300), 180, 0, false, false);
        row("blank paper", a4Page(300, false), 90, 0, false, false);
        row("a signature", a4Page(300, u"Yours sincerely"_s), 180, 0, false, false);
        row("a short note", a4Page(300, u"Back at four, the key is under the mat."_s), 90, 0, false,
            false);
        row("no image", QImage(), 0, 0, false, false);
    }

    void textIsTurnedUpright()
    {
        QFETCH(QImage, upright);
        QFETCH(int, turnedBy);
        QFETCH(int, dpi);
        QFETCH(bool, elsewhere);
        QFETCH(bool, text);
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
        QVERIFY2(guess.sure == text, describe(guess));
        if (!text) {
            QCOMPARE(guess.turn, 0);
            return;
        }
        // The guess applied to what the scanner gave is the page as drawn.
        const QImage straightened = turned(scan, guess.turn);
        QVERIFY2(straightened.convertToFormat(QImage::Format_RGB32) ==
                     upright.convertToFormat(QImage::Format_RGB32),
                 describe(guess));
    }
};

QTEST_MAIN(TestOrientation)
#include "tst_orientation.moc"
