#include "DibBuffer.h"
#include "EzPrevScan.h"
#include "HImage.h"
#include "ProcessExit.h"
#include "SanePageReader.h"
#include "SaneScannerLibrary.h"
#include "SaneStatusText.h"
#include "SettingsKeys.h"
#include "SourceSelectDlg.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

#include <sane/sane.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {
using Option = std::pair<QByteArray, QVariant>;

struct Session
{
    std::unique_ptr<EzPrevScan> frame;
    SaneScannerLibrary *library = nullptr;
    QList<QImage> pages;
    std::function<void(int)> afterPage; // called with the number of pages so far
};

std::unique_ptr<Session> makeSession(int colourMode, int dpi)
{
    auto session = std::make_unique<Session>();
    auto library = std::make_unique<SaneScannerLibrary>();
    session->library = library.get();
    session->frame = std::make_unique<EzPrevScan>(std::move(library));
    session->frame->setColorMode(colourMode);
    session->frame->setResolution(dpi);
    Session *raw = session.get();
    QObject::connect(raw->frame.get(), &EzPrevScan::pageScanned, raw->frame.get(), [raw] {
        raw->pages << raw->frame->image()->copy();
        raw->frame->releaseImage();
        if (raw->afterPage)
            raw->afterPage(int(raw->pages.size()));
    });
    // The test backend's page thread, cancelled while still busy, can keep a lock for good.
    QObject::connect(raw->frame.get(), &EzPrevScan::percentScan, raw->frame.get(),
                     [] { QThread::msleep(2); });
    return session;
}

// A driver of our own making: frames with whatever parameters and bytes a test gives.
class ScriptedReader : public SanePageReader
{
public:
    struct Frame
    {
        SANE_Parameters parameters;
        QByteArray data;
    };

    explicit ScriptedReader(QList<Frame> frames)
        : SanePageReader(nullptr, {}, {}), m_frames(std::move(frames))
    {
    }

    int bytesRead = 0;
    int cancels = 0;

protected:
    SANE_Status startFrame() override
    {
        m_offset = 0;
        return ++m_frame < m_frames.size() ? SANE_STATUS_GOOD : SANE_STATUS_INVAL;
    }
    SANE_Status frameParameters(SANE_Parameters *parameters) override
    {
        *parameters = m_frames.at(m_frame).parameters;
        return SANE_STATUS_GOOD;
    }
    SANE_Status readData(SANE_Byte *buffer, SANE_Int maxLength, SANE_Int *length) override
    {
        const QByteArray &data = m_frames.at(m_frame).data;
        *length = std::min<SANE_Int>(maxLength, SANE_Int(data.size() - m_offset));
        if (*length == 0)
            return SANE_STATUS_EOF;
        memcpy(buffer, data.constData() + m_offset, size_t(*length));
        m_offset += *length;
        bytesRead += *length;
        return SANE_STATUS_GOOD;
    }
    void cancelDevice() override { ++cancels; }

private:
    QList<Frame> m_frames;
    int m_frame = 0;
    qsizetype m_offset = 0;
};

SANE_Parameters frameParameters(SANE_Frame format, int width, int lines, int bytesPerLine,
                                int depth = 8, bool last = true)
{
    return {format, last ? SANE_TRUE : SANE_FALSE, bytesPerLine, width, lines, depth};
}

int sample(int channel, int x, int y)
{
    return 60 * channel + 10 * y + x;
}

// A three-pass 5 x 3 page, each frame's rows padded to its own length with bytes never shown.
QList<ScriptedReader::Frame> paddedPasses(const QList<int> &strides)
{
    QList<ScriptedReader::Frame> frames;
    for (const SANE_Frame format : {SANE_FRAME_RED, SANE_FRAME_GREEN, SANE_FRAME_BLUE}) {
        const int channel = int(frames.size());
        const int stride = strides.at(channel);
        QByteArray data(stride * 3, '\xee');
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x)
                data[y * stride + x] = char(sample(channel, x, y));
        }
        frames.append({frameParameters(format, 5, 3, stride, 8, channel == 2), data});
    }
    return frames;
}
} // namespace

class TestSane : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(u"Plenwick"_s);
        QCoreApplication::setApplicationName(u"QuillarySaneTest"_s);
        // Only SANE's virtual test device, whatever is plugged into this machine.
        if (qEnvironmentVariableIsEmpty("SANE_CONFIG_DIR"))
            qputenv("SANE_CONFIG_DIR", QUILLARY_SANE_CONFIG_DIR);
        QLoggingCategory::setFilterRules(
            u"quillary.scan.*.debug=false\nquillary.scan.*.info=false"_s);
    }

    void init() { QSettings().clear(); }

    void runDeliversPagesOrStopsAtAFailure_data()
    {
        QTest::addColumn<int>("colourMode");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<bool>("white");
        QTest::addColumn<QRectF>("area"); // millimetres of the glass; empty: all of it
        QTest::addColumn<int>("paperSource");
        QTest::addColumn<int>("acquireImage");
        QTest::addColumn<Option>("option");
        QTest::addColumn<int>("atPage"); // pages delivered before the option is set
        QTest::addColumn<int>("pages");
        QTest::addColumn<QString>("told");
        const Option none;
        const QRectF glass;
        const QString quiet;
        row("grey 50 dpi", 2, 50, false, glass, 0, 0, none, 0, 1, quiet);
        row("colour 100 dpi", 4, 100, true, glass, 0, 0, none, 0, 1, quiet);
        row("colour, one frame per colour", 4, 50, true, glass, 0, 0, Option("three-pass", true), 0,
            1, quiet);
        row("colour, 16-bit samples", 4, 50, false, glass, 0, 0, Option("depth", 16), 0, 1, quiet);
        row("part of the glass", 2, 100, false, QRectF(5, 8, 20, 30), 0, 0, none, 0, 1, quiet);
        row("feeder, all images: ten pages, then empty", 2, 50, false, glass, 1, 1, none, 0, 10,
            saneStatusText(SANE_STATUS_NO_DOCS));
        row("feeder, one image", 2, 50, false, glass, 1, 0, none, 0, 1, quiet);
        row("flatbed, all images: one page", 2, 50, false, glass, 0, 1, none, 0, 1, quiet);
#define STATUS_ROW(name, atPage)                                                                   \
    row(#name " after " #atPage, 4, 50, false, glass, 1, 1,                                        \
        Option("read-return-value", QStringLiteral(#name)), atPage, atPage, saneStatusText(name))
        STATUS_ROW(SANE_STATUS_JAMMED, 0);
        STATUS_ROW(SANE_STATUS_JAMMED, 2);
        STATUS_ROW(SANE_STATUS_COVER_OPEN, 2);
        STATUS_ROW(SANE_STATUS_IO_ERROR, 2);
        STATUS_ROW(SANE_STATUS_NO_DOCS, 2); // feeder empty while reading
#undef STATUS_ROW
    }

    void runDeliversPagesOrStopsAtAFailure()
    {
        QFETCH(int, colourMode);
        QFETCH(int, dpi);
        QFETCH(bool, white);
        QFETCH(QRectF, area);
        QFETCH(int, paperSource);
        QFETCH(int, acquireImage);
        QFETCH(Option, option);
        QFETCH(int, atPage);
        QFETCH(int, pages);
        QFETCH(QString, told);
        // An empty feeder ends a run without failing it.
        const bool fails = !told.isEmpty() && told != saneStatusText(SANE_STATUS_NO_DOCS);
        writeSetting(Settings::PaperSource, paperSource);
        writeSetting(Settings::AcquireImage, acquireImage);
        auto session = makeSession(colourMode, dpi);
        Session *raw = session.get();
        raw->library->setDeviceOption("test-picture", white ? u"Solid white"_s : u"Solid black"_s);
        raw->frame->setScanArea(area);
        session->afterPage = [raw, option, atPage](int pages) {
            if (pages == atPage && !option.first.isEmpty())
                raw->library->setDeviceOption(option.first, option.second);
        };
        session->afterPage(0); // an option set from the start
        QSignalSpy failed(raw->frame.get(), &EzPrevScan::failedScan);
        QSignalSpy percent(raw->frame.get(), &EzPrevScan::percentScan);
        QSignalSpy started(raw->frame.get(), &EzPrevScan::pageStarted);

        raw->frame->scan();

        QCOMPARE(raw->pages.size(), pages);
        QCOMPARE(failed.count(), fails ? 1 : 0);
        QCOMPARE(raw->library->hasError(), fails);
        QCOMPARE(raw->library->errorText(), told);
        QVERIFY(raw->library->openDevice().isEmpty());
        // Every sheet is counted, one that fails too.
        QCOMPARE(started.count(), pages + (fails ? 1 : 0));
        for (int i = 0; i < pages; ++i)
            QCOMPARE(started.at(i), (QVariantList{i + 1, acquireImage != 0}));
        if (pages > 0) {
            const QImage &page = raw->pages.last();
            const QRgb colour = white ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
            if (area.isEmpty()) {
                // The test device's glass (tests/sane/test.conf): 40 x 50 mm.
                QCOMPARE(page.size(), QSize(int(dpi * 40 / 25.4), int(dpi * 50 / 25.4)));
            } else {
                QVERIFY(raw->library->scanAreaApplied());
                QVERIFY2(qAbs(page.width() - dpi * area.width() / 25.4) <= 1 &&
                             qAbs(page.height() - dpi * area.height() / 25.4) <= 1,
                         qPrintable(u"%1 x %2"_s.arg(page.width()).arg(page.height())));
            }
            QCOMPARE(page.format(),
                     colourMode == 4 ? QImage::Format_RGB888 : QImage::Format_Indexed8);
            QCOMPARE(page.pixel(0, 0), colour);
            QCOMPARE(page.pixel(page.width() - 1, page.height() - 1), colour);
            QCOMPARE(page.dotsPerMeterX(), int(std::lround(dpi / 0.0254)));
            QCOMPARE(percent.first().first().toInt(), 0);
            // A run stopped while reading ends on the sheet that never came.
            QCOMPARE(percent.last().first().toInt(), atPage == 0 ? 100 : 0);
        }

        // The next run starts afresh once the paper is free again.
        session->afterPage = nullptr;
        QSettings().clear(); // one page from the glass
        raw->library->setDeviceOption("read-return-value", u"Default"_s);
        raw->frame->scan();
        QCOMPARE(raw->pages.size(), pages + 1);
        QCOMPARE(failed.count(), fails ? 1 : 0);
    }

    void sourceIsPickedFromTheDevicesChoices_data()
    {
        QTest::addColumn<QStringList>("choices");
        QTest::addColumn<bool>("feeder");
        QTest::addColumn<bool>("duplex");
        QTest::addColumn<QString>("expected");
        const auto list = [](const char *names) { return QString::fromLatin1(names).split(u'|'); };
        const QStringList common = list("Flatbed|ADF Front|ADF Back|ADF Duplex");
        row("glass", common, false, false, "Flatbed");
        row("feeder: its front side, never the back alone", common, true, false, "ADF Front");
        row("both sides", common, true, true, "ADF Duplex");
        row("both sides without a duplex source: one-sided feeder",
            list("Flatbed|Automatic Document Feeder"), true, true, "Automatic Document Feeder");
        row("a source named only Duplex is a feeder", list("Duplex|Flatbed"), false, false,
            "Flatbed");
        row("no feeder", list("Flatbed"), true, false, "");
    }

    void sourceIsPickedFromTheDevicesChoices()
    {
        QFETCH(QStringList, choices);
        QFETCH(bool, feeder);
        QFETCH(bool, duplex);
        QFETCH(QString, expected);
        QCOMPARE(SaneScannerLibrary::pickSource(choices, feeder, duplex), expected);
    }

    void readerTakesOrRefusesWhatTheDriverAnnounces_data()
    {
        QTest::addColumn<QList<ScriptedReader::Frame>>("frames");
        QTest::addColumn<int>("status");
        const QByteArray some(300, '\x7f');
        const auto one = [](const SANE_Parameters &p, const QByteArray &data = {}) {
            return QList<ScriptedReader::Frame>{{p, data}};
        };
        // One frame of a three-pass page, 10 x 3 pixels.
        const auto pass = [&some](SANE_Frame format, int bytesPerLine, bool last = false) {
            return ScriptedReader::Frame{frameParameters(format, 10, 3, bytesPerLine, 8, last),
                                         some.left(30)};
        };
        // Reserving lines x bytes per line of these would abort the program.
        row("1.7 TB announced", one(frameParameters(SANE_FRAME_RGB, 65535, 65535, 65535 * 6, 16)),
            int(SANE_STATUS_NO_MEM));
        row("a gigabyte per line of 100 pixels",
            one(frameParameters(SANE_FRAME_GRAY, 100, 100, 1 << 30)), int(SANE_STATUS_UNSUPPORTED));
        row("padded rows beyond the page bound",
            one(frameParameters(SANE_FRAME_RGB, 16384, 16384, 16384 * 12, 16)),
            int(SANE_STATUS_NO_MEM));
        row("fewer bytes per line than pixels",
            one(frameParameters(SANE_FRAME_GRAY, 100, 3, 99), some), int(SANE_STATUS_UNSUPPORTED));
        row("depth 12", one(frameParameters(SANE_FRAME_GRAY, 10, 3, 15, 12), some),
            int(SANE_STATUS_UNSUPPORTED));
        row("three-pass, a colour twice",
            QList<ScriptedReader::Frame>{pass(SANE_FRAME_RED, 10), pass(SANE_FRAME_RED, 10),
                                         pass(SANE_FRAME_BLUE, 10, true)},
            int(SANE_STATUS_UNSUPPORTED));
        row("three-pass, a gigabyte per line in a later frame",
            QList<ScriptedReader::Frame>{pass(SANE_FRAME_RED, 10), pass(SANE_FRAME_GREEN, 1 << 30)},
            int(SANE_STATUS_UNSUPPORTED));
        row("three-pass, later frames padded more", paddedPasses({5, 8, 6}), int(SANE_STATUS_GOOD));
        row("three-pass, first frame padded most", paddedPasses({8, 5, 6}), int(SANE_STATUS_GOOD));
    }

    void readerTakesOrRefusesWhatTheDriverAnnounces()
    {
        QFETCH(QList<ScriptedReader::Frame>, frames);
        QFETCH(int, status);
        ScriptedReader reader(frames);
        std::unique_ptr<DibBuffer> page;

        QCOMPARE(int(reader.read(300, &page)), status);

        if (status == SANE_STATUS_GOOD) {
            QVERIFY(page);
            const QImage image = HImage::fromDib(*page);
            QCOMPARE(image.size(), QSize(5, 3));
            for (int y = 0; y < 3; ++y) {
                for (int x = 0; x < 5; ++x)
                    QCOMPARE(image.pixel(x, y),
                             qRgb(sample(0, x, y), sample(1, x, y), sample(2, x, y)));
            }
            return;
        }
        QVERIFY(!page);
        QVERIFY(!reader.errorText().isEmpty());
        QVERIFY(reader.errorText() != saneStatusText(SANE_STATUS_UNSUPPORTED));
        QCOMPARE(reader.cancels, 1);
        // Refused from the parameters alone: the refused frame's bytes were never asked for.
        QVERIFY(reader.bytesRead <= 30);
    }

    void selectedSourceIsRememberedAndOpened()
    {
        // Answers the next device dialog: picks a row, or cancels for -1.
        QString preselected;
        const auto answer = [this, &preselected](int row) {
            QTimer::singleShot(0, this, [&preselected, row] {
                auto *dialog = qobject_cast<SourceSelectDlg *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                preselected = dialog->selectedSource();
                if (row < 0)
                    return dialog->reject();
                dialog->findChild<QListWidget *>()->setCurrentRow(row);
                dialog->accept();
            });
        };
        SaneScannerLibrary library;
        // Two devices of one model are told apart by their names.
        QCOMPARE(library.sourceNames(), (QStringList{u"Noname frontend-tester (test:0)"_s,
                                                     u"Noname frontend-tester (test:1)"_s}));
        answer(1);
        QVERIFY(library.selectSource(nullptr));
        QCOMPARE(preselected, u"test:0"_s);
        QVERIFY(library.open());
        QCOMPARE(library.openDevice(), u"test:1"_s);
        library.endFeederRun();
        QVERIFY(library.openDevice().isEmpty());

        // The dialog opens on the remembered device; cancelling keeps it.
        answer(-1);
        QVERIFY(!library.selectSource(nullptr));
        QCOMPARE(preselected, u"test:1"_s);
        QCOMPARE(readSetting(Settings::ScannerDevice).toString(), u"test:1"_s);

        // A remembered device that has gone away falls back to the first.
        writeSetting(Settings::ScannerDevice, u"test:9"_s);
        QVERIFY(library.open());
        QCOMPARE(library.openDevice(), u"test:0"_s);
        library.endFeederRun();
    }

    // An eSCL server on 127.0.0.1 through sane-airscan; SANE reads its set-up once: a child scans.
    void networkScannerDeliversAPage()
    {
        if (qEnvironmentVariableIsSet("QUILLARY_ESCL_CHILD"))
            return scanFromNetworkScanner();
        QTemporaryDir config;
        QImage served(400, 500, QImage::Format_Grayscale8);
        served.fill(230);
        for (int y = 100; y < 200; ++y)
            memset(served.scanLine(y), 20, size_t(served.width()));
        const QString grey = config.filePath(u"grey.jpg"_s);
        const QString colour = config.filePath(u"colour.jpg"_s);
        QVERIFY(served.save(grey) && served.convertToFormat(QImage::Format_RGB32).save(colour));
        QProcess server;
        server.start(u"python3"_s,
                     {QStringLiteral(QUILLARY_SANE_CONFIG_DIR "/escl_server.py"), colour, grey});
        QVERIFY(server.waitForReadyRead(10000));
        const QByteArray port = server.readLine().trimmed();
        QVERIFY(writeFile(config.filePath(u"dll.conf"_s), "airscan\n"));
        QVERIFY(writeFile(config.filePath(u"airscan.conf"_s),
                          "[devices]\n\"Loopback Scanner\" = http://127.0.0.1:" + port +
                              "/eSCL, eSCL\n[options]\ndiscovery = disable\n"));
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"SANE_CONFIG_DIR"_s, config.path());
        environment.insert(u"QUILLARY_ESCL_CHILD"_s, u"1"_s);
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {u"networkScannerDeliversAPage"_s});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitCode(), 0);
        server.kill();
        server.waitForFinished();
    }

    void everyStatusHasItsOwnWording()
    {
        QSet<QString> texts;
        for (int status = SANE_STATUS_GOOD; status <= 13; ++status)
            texts << saneStatusText(status);
        QCOMPARE(texts.size(), 14);
        QVERIFY(saneStatusText(99).contains(u"99"_s));
    }

private:
    void scanFromNetworkScanner()
    {
        writeSetting(Settings::ScannerDevice, u"airscan:e0:Loopback Scanner"_s);
        auto session = makeSession(2, 100);
        QCOMPARE(session->library->sourceNames(), QStringList{u"eSCL Loopback Scanner"_s});
        session->frame->scan();
        QCOMPARE(session->pages.size(), 1);
        const QImage page = session->pages.first().convertToFormat(QImage::Format_Grayscale8);
        QCOMPARE(page.size(), QSize(400, 500));
        QVERIFY(qAbs(qGray(page.pixel(200, 150)) - 20) < 12);
        QVERIFY(qAbs(qGray(page.pixel(200, 400)) - 230) < 12);
    }
};

// Cancelled scans leave the test backend's reader threads mid-call: leave as the program does.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    TestSane test;
    leaveProcess(QTest::qExec(&test, argc, argv));
}
#include "tst_sane.moc"
