#include "EzPrevScan.h"
#include "FakeScannerLibrary.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {
const QRgb Red = qRgb(255, 0, 0);
const QRgb Green = qRgb(0, 255, 0);
const QRgb Blue = qRgb(0, 0, 255);

QString describe(const QImage *image)
{
    if (!image)
        return u"none"_s;
    return image->isNull() ? u"null"_s : QString::number(image->pixel(0, 0), 16);
}

struct Session
{
    std::unique_ptr<EzPrevScan> frame;
    FakeScannerLibrary *library = nullptr;
    // Pages (as described) and outcome signals, in the order they came.
    QStringList events;
};

std::unique_ptr<Session> makeSession(const QList<std::optional<DibBuffer>> &pages)
{
    auto session = std::make_unique<Session>();
    auto library = std::make_unique<FakeScannerLibrary>();
    library->setPages(pages);
    session->library = library.get();
    session->frame = std::make_unique<EzPrevScan>(std::move(library));
    Session *raw = session.get();
    EzPrevScan *frame = raw->frame.get();
    // Like the window: take over the page the frame holds, then let the session release it.
    QObject::connect(frame, &EzPrevScan::pageScanned, frame, [raw](QImage *image) {
        raw->events << (image == raw->frame->image() ? describe(image) : u"other"_s);
    });
    QObject::connect(frame, &EzPrevScan::failedScan, frame, [raw] { raw->events << u"failed"_s; });
    QObject::connect(frame, &EzPrevScan::scanCancelled, frame,
                     [raw] { raw->events << u"cancelled"_s; });
    return session;
}

// R, G, B: pages of that colour; '-': nothing acquired; 'x': an unreadable bitmap.
QList<std::optional<DibBuffer>> pagesOf(const QString &script)
{
    QList<std::optional<DibBuffer>> pages;
    for (const char c : script.toLatin1()) {
        if (c == '-')
            pages << std::nullopt;
        else if (c == 'x')
            pages << DibBuffer(QByteArray(12, 'x'));
        else
            pages << FakeScannerLibrary::page(c == 'R' ? Red : c == 'G' ? Green : Blue);
    }
    return pages;
}

QStringList split(const char *calls)
{
    return QString::fromLatin1(calls).split(u' ');
}

QStringList pageCalls(int pages)
{
    QStringList calls;
    for (int i = 1; i <= pages; ++i)
        calls << u"acquirePage(2)"_s << u"releasePage(%1)"_s.arg(i) << u"transferEnded()"_s;
    return calls;
}
} // namespace

class TestScanSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(u"Plenwick"_s);
        QCoreApplication::setApplicationName(u"QuillaryScanSessionTest"_s);
    }

    void init() { QSettings().clear(); }

    void outcomes_data()
    {
        QTest::addColumn<QString>("pages");
        QTest::addColumn<int>("paperSource");
        QTest::addColumn<int>("acquireImage");
        QTest::addColumn<bool>("preview"); // also turns auto contrast off
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("errorState");
        QTest::addColumn<int>("cancelAfter"); // pages announced when Cancel comes; 0: mid-page
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("acquired");
        QTest::addColumn<QStringList>("calls"); // after a leading "...": the last calls only
        const QString r = QString::number(Red, 16), g = QString::number(Green, 16),
                      b = QString::number(Blue, 16);
        const QString failed = u"failed"_s;
        const QString cancelled = u"cancelled"_s;
        const QStringList one =
            split("setTransferCount(1) setMultipleTransfer(0) setResolution(300)");
        const QStringList all =
            split("setTransferCount(-1) setMultipleTransfer(1) setResolution(300)");
        const QStringList open = split("setDriverDialogShown(0) setAutoContrast(1) open()");
        const QStringList flatbed = split("setFeederEnabled(0)");
        const QStringList feeder = split("setFeederEnabled(1)");
        const QStringList end = split("endFeederRun() hasError()");
        const QStringList error = split("hasError()");
        const QStringList rgb{r, g, b};

        // Scripted pages to spare: the run must stop by itself.
        row("one image, flatbed", "RGB", 0, 0, false, true, false, -1, QStringList{r}, 1,
            open + flatbed + one + pageCalls(1) + error);
        row("one image, feeder: one page, then the feeder end", "RGB", 1, 0, false, true, false, -1,
            QStringList{r}, 1, open + feeder + one + pageCalls(1) + end);
        row("all images, feeder: until the transfer ends", "RGB", 1, 1, false, true, false, -1, rgb,
            3, open + feeder + all + pageCalls(3) + end);
        row("all images, flatbed: no feeder end", "RGB", 0, 1, false, true, false, -1, rgb, 3,
            open + flatbed + all + pageCalls(3) + error);
        row("feeder, both sides", "RGB", 2, 1, false, true, false, -1, rgb, 3,
            open + feeder + split("setDuplex(1)") + all + pageCalls(3) + end);
        row("preview shows the driver dialog, auto contrast off", "RGB", 0, 0, true, true, false,
            -1, QStringList{r}, 1,
            split("setDriverDialogShown(1) setAutoContrast(0) open()") + flatbed + one +
                pageCalls(1) + error);
        // The run ends at the failed acquisition: no release, no feeder end, no error query.
        row("nothing acquired: earlier pages kept, then failed", "RG-B", 1, 1, false, true, false,
            -1, QStringList{r, g, failed}, 3, split("... acquirePage(2)"));
        row("error after a page: page, then one failure", "R", 0, 0, false, true, true, -1,
            QStringList{r, failed}, 1, split("... hasError()"));
        row("unreadable bitmap: announced as a null image", "x", 0, 0, false, true, false, -1,
            QStringList{u"null"_s}, 1, split("... hasError()"));
        // Nothing is set up or acquired after a failed open.
        row("open fails, no error: quiet", "R", 1, 1, false, false, false, -1, QStringList(), 0,
            open + error);
        row("open fails with an error: failed", "R", 1, 1, false, false, true, -1,
            QStringList{failed}, 0, open + error);
        row("cancel during the first page: nothing, cancelled", "-RG", 1, 1, false, true, false, 0,
            QStringList{cancelled}, 1, split("... acquirePage(2) cancel()"));
        // The library may still hold pages; the session asks for none after a cancel.
        row("cancel between feeder pages: the page kept, no further page", "RGB", 1, 1, false, true,
            false, 1, QStringList{r, cancelled}, 1,
            split("... cancel() releasePage(1) transferEnded() endFeederRun() hasError()"));
    }

    void outcomes()
    {
        QFETCH(QString, pages);
        QFETCH(int, paperSource);
        QFETCH(int, acquireImage);
        QFETCH(bool, preview);
        QFETCH(bool, opens);
        QFETCH(bool, errorState);
        QFETCH(int, cancelAfter);
        QFETCH(QStringList, events);
        QFETCH(int, acquired);
        QFETCH(QStringList, calls);
        writeSetting(Settings::PaperSource, paperSource);
        writeSetting(Settings::AcquireImage, acquireImage);
        writeSetting(Settings::Preview, preview);
        writeSetting(Settings::AutoContrast, !preview);
        auto session = makeSession(pagesOf(pages));
        session->library->setOpenResult(opens);
        session->library->setErrorState(errorState);
        EzPrevScan *frame = session->frame.get();
        frame->setColorMode(2);
        QVERIFY(QDir(frame->workFolder()).exists());
        frame->cancelScan(); // outside a scan it does nothing
        QVERIFY(session->library->calls().isEmpty());
        auto *bar = frame->findChild<QProgressBar *>();
        QSignalSpy percent(frame, &EzPrevScan::percentScan);
        // Progress reaches the bar; a second scan request (Space again) is refused.
        session->library->setOnAcquire([&] {
            QVERIFY(frame->isScanning());
            session->library->reportProgress(40);
            QCOMPARE(bar->value(), 40);
            frame->scan();
            if (cancelAfter == 0)
                frame->cancelScan();
        });
        connect(frame, &EzPrevScan::pageScanned, frame, [&] {
            if (session->events.count() == cancelAfter)
                frame->cancelScan();
        });

        frame->scan();

        QCOMPARE(session->events, events);
        const QStringList made = session->library->calls();
        QCOMPARE(made.filter(u"acquirePage"_s).size(), acquired);
        QCOMPARE(made.count(u"open()"_s), 1);
        QCOMPARE(percent.count(), acquired);
        QCOMPARE(session->library->pagesOutstanding(), 0);
        if (calls.first() == "..."_L1)
            QCOMPARE(made.mid(made.size() - calls.size() + 1), calls.mid(1));
        else
            QCOMPARE(made, calls);
        // The frame still holds the last page it announced.
        const QStringList shown = events.filter(QRegularExpression(u"^(?!failed|cancelled)"_s));
        QCOMPARE(describe(frame->image()), shown.isEmpty() ? u"none"_s : shown.last());
        QVERIFY(!frame->isScanning());
    }
};

QTEST_MAIN(TestScanSession)
#include "tst_scansession.moc"
