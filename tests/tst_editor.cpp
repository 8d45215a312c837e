// The image editor: zoom and fit arithmetic, turns written back into the page file in the
// file's own format, failed writes that leave page and screen as the file has them, and files
// that must not be taken for good pages.
#include "CropBoxItem.h"
#include "ImageEditor.h"
#include "ImageLoading.h"
#include "PhotoGraphicsScene.h"
#include "PhotoGraphicsView.h"
#include "PhotoPixmapItem.h"
#include "SettingsKeys.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QtEndian>
#include <QtTest/qtestspontaneevent.h>

#include <csignal>
#include <sys/resource.h>

namespace {
enum class Kind
{
    Colour,
    Grey,
    Mono
};

// Quadrants with a distinct top-left one, plus lines so that compression has detail to keep.
QImage drawnPage(const QSize &size, Kind kind = Kind::Colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int w = size.width() / 2;
    const int h = size.height() / 2;
    painter.fillRect(0, 0, w, h, kind == Kind::Colour ? Qt::red : Qt::black);
    if (kind == Kind::Colour) {
        painter.fillRect(w, 0, w + 1, h, Qt::green);
        painter.fillRect(0, h, w, h + 1, Qt::blue);
    }
    for (int x = w + 3; x < size.width() - 8; x += 7)
        painter.drawLine(x, h, x + 5, size.height() - 8);
    painter.end();
    if (kind == Kind::Mono)
        return image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    return kind == Kind::Grey ? image.convertToFormat(QImage::Format_Grayscale8) : image;
}

bool near(QRgb a, QRgb b)
{
    return qAbs(qRed(a) - qRed(b)) + qAbs(qGreen(a) - qGreen(b)) + qAbs(qBlue(a) - qBlue(b)) < 60;
}

// 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
QRgb cornerColour(const QImage &image, int corner)
{
    return image.pixel(corner % 2 ? image.width() - 4 : 3, corner / 2 ? image.height() - 4 : 3);
}

QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return buffer.data();
}

template <typename T> QByteArray bytesOf(T value, bool bigEndian)
{
    QByteArray bytes(sizeof(T), '\0');
    bigEndian ? qToBigEndian(value, bytes.data()) : qToLittleEndian(value, bytes.data());
    return bytes;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray pngClaiming(quint32 width, quint32 height)
{
    const auto chunk = [](const QByteArray &typeAndData) {
        return bytesOf(quint32(typeAndData.size() - 4), true) + typeAndData +
               bytesOf(crc32(typeAndData), true);
    };
    return QByteArray("\x89PNG\r\n\x1a\n", 8) +
           chunk("IHDR" + bytesOf(width, true) + bytesOf(height, true) +
                 QByteArray("\x08\x02\x00\x00\x00", 5)) +
           chunk(QByteArray("IDAT\x78\x9c", 6)) + chunk("IEND");
}

QByteArray bmpClaiming(qint32 width, qint32 height)
{
    return "BM" + bytesOf(quint32(70), false) + bytesOf(0, false) + bytesOf(54, false) +
           bytesOf(40, false) + bytesOf(width, false) + bytesOf(height, false) +
           QByteArray("\x01\x00\x18\x00", 4) + QByteArray(40, '\0');
}

// While this lives, files grow no larger than bytes: a write that really fails, even as root,
// with the old file left in place.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

template <typename... Values> void row(const char *name, Values... values)
{
    (QTest::newRow(name) << ... << values);
}
} // namespace

Q_DECLARE_METATYPE(Kind)

class TestEditor : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    ImageEditor *m_editor = nullptr;

    QString write(const QByteArray &bytes, const QString &name)
    {
        QFile file(m_dir->filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qWarning() << "can't write" << file.fileName();
        return file.fileName();
    }

    void showSized(const QSize &editorSize)
    {
        m_editor->resize(editorSize);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor));
        QCOMPARE(m_editor->view()->size(), editorSize);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
        QCoreApplication::setApplicationName(QStringLiteral("QuillaryEditorTest"));
        raiseImageAllocationLimit();
    }

    void init()
    {
        QSettings().clear();
        m_dir = new QTemporaryDir;
        m_editor = new ImageEditor;
        showSized(QSize(1000, 800));
    }

    void cleanup()
    {
        delete m_editor;
        delete m_dir;
    }

    void zoom_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QSize>("editorSize");
        QTest::addColumn<bool>("fitFirst");
        QTest::addColumn<double>("shownScale");
        QTest::addColumn<int>("steps"); // > 0: zoomIn() calls, < 0: zoomOut() calls
        QTest::addColumn<double>("expectedScale");
        const QSize view(1000, 800);
        // 990 x 790 available: 4000 x 3000 fits as 990 x 742.
        row("larger page fitted", QSize(4000, 3000), view, false, 0.2475, 1, 0.2975);
        row("one pixel wider fitted", QSize(1001, 800), view, false, 988.0 / 1001, 0, 988.0 / 1001);
        row("page as large as view 1:1", view, view, false, 1.0, 0, 1.0);
        row("twenty in stop at 2.0", QSize(800, 600), view, false, 1.0, 20, 2.0);
        row("nineteen out reach 0.05", QSize(800, 600), view, false, 1.0, -19, 0.05);
        row("0.07 out stops at 0.05", QSize(10000, 100), QSize(710, 800), false, 0.07, -1, 0.05);
        row("fit above 2.0 then in", QSize(100, 50), view, true, 9.9, 1, 2.0);
    }

    void zoom()
    {
        QFETCH(QSize, imageSize);
        QFETCH(QSize, editorSize);
        QFETCH(bool, fitFirst);
        QFETCH(double, shownScale);
        QFETCH(int, steps);
        QFETCH(double, expectedScale);
        showSized(editorSize);
        QImage image(imageSize, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(m_editor->showPage(write(encoded(image, "PNG"), QStringLiteral("p.png"))));
        if (fitFirst)
            m_editor->zoomFit();
        QCOMPARE(m_editor->scale(), shownScale);

        for (int i = 0; i < qAbs(steps); ++i)
            steps > 0 ? m_editor->zoomIn() : m_editor->zoomOut();
        QCOMPARE(m_editor->scale(), expectedScale);
        QCOMPARE(m_editor->picture()->scale(), expectedScale);
        const QSizeF scaled = QSizeF(imageSize) * expectedScale;
        QCOMPARE(m_editor->scene()->sceneRect(),
                 QRectF(QPointF(-scaled.width() / 2, -scaled.height() / 2), scaled));
    }

    void pageGeometryZoomAndClearing()
    {
        // Without a page there is nothing to turn or zoom.
        const WriteResult turned = m_editor->rotateBy(90);
        QVERIFY(!turned.ok && turned.error.isEmpty());
        m_editor->zoomIn();
        m_editor->zoomFit();
        QCOMPARE(m_editor->scale(), 1.0);

        QImage image(3999, 2001, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = write(encoded(image, "PNG"), QStringLiteral("p.png"));
        QVERIFY(m_editor->showPage(path));
        QCOMPARE(m_editor->picture()->offset(), QPointF(-1999, -1000));
        // A fresh, hidden crop box per page: half the page, centred, above the picture.
        CropBoxItem *box = m_editor->cropBox();
        QCOMPARE(box->parentItem(), m_editor->picture());
        QVERIFY(!box->isVisible());
        QCOMPARE(box->box(), QRectF(-999, -500, 1998, 1000));

        // The wheel turned over the picture, delivered as from the window system (as QTest does
        // for mouse events): the view passes it on to the editor instead of scrolling. A turn
        // without a delta zooms in; a backward one, however small, out.
        QWidget *viewport = m_editor->view()->viewport();
        const QPointF at = QRectF(viewport->rect()).center();
        const double fitted = m_editor->scale();
        const int deltas[] = {120, 0, -1};
        const double steps[] = {1, 2, 1};
        for (int i = 0; i < 3; ++i) {
            QWheelEvent wheel(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, deltas[i]),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&wheel);
            qApp->notify(viewport, &wheel);
            QCOMPARE(m_editor->scale(), fitted + steps[i] * 0.05);
        }

        m_editor->clearPage();
        QVERIFY(!m_editor->picture() && !m_editor->cropBox() && m_editor->currentImage().isNull());
        QVERIFY(m_editor->scene()->items().isEmpty());
        QVERIFY(!m_editor->rotateBy(-90).ok);
        QCOMPARE(QImageReader(path).size(), QSize(3999, 2001));
    }

    void turn_data()
    {
        // The file keeps the format its name says and the depth of its kind of page.
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // format of the file before the turns
        QTest::addColumn<int>("degrees");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("corner"); // where the top-left corner ends up; -1: paper there
        const QString jpg = QStringLiteral("p_o.jpg");
        const QString tiff = QStringLiteral("p_o.tiff");
        const QByteArray JPG("JPG"), TIFF("TIFF");
        row("colour left", Kind::Colour, jpg, JPG, -90, 1, 2);
        row("colour right", Kind::Colour, jpg, JPG, 90, 1, 1);
        row("colour flip", Kind::Colour, jpg, JPG, 180, 1, 3);
        row("grey right", Kind::Grey, jpg, JPG, 90, 1, 1);
        row("1-bit left", Kind::Mono, tiff, TIFF, -90, 1, 2);
        row("1-bit flip", Kind::Mono, tiff, TIFF, 180, 1, 3);
        row("1-bit four rights", Kind::Mono, tiff, TIFF, 90, 4, 0);
        row("1-bit odd angle", Kind::Mono, tiff, TIFF, 45, 1, -1);
        row("colour odd angle", Kind::Colour, jpg, JPG, -30, 1, -1);
        row("JPEG named .tiff becomes TIFF", Kind::Colour, tiff, JPG, -90, 1, 2);
        row("1-bit PNG stays PNG", Kind::Mono, QStringLiteral("p.png"), QByteArray("PNG"), -90, 1,
            2);
    }

    void turn()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, degrees);
        QFETCH(int, times);
        QFETCH(int, corner);
        const QByteArray suffix = QFileInfo(name).suffix().toLatin1();
        const QByteArray expectedFormat = suffix == "jpg" ? QByteArray("jpeg") : suffix;
        const int expectedDepth = kind == Kind::Mono ? 1 : kind == Kind::Grey ? 8 : 32;
        const QString path = write(encoded(drawnPage({123, 77}, kind), content.constData()), name);
        QVERIFY(m_editor->showPage(path));
        const QImage original = m_editor->currentImage();

        QImage onDisk;
        for (int turn = 0; turn < times; ++turn) {
            const WriteResult turned = m_editor->rotateBy(degrees);
            QVERIFY2(turned.ok, qPrintable(turned.error));
            QImageReader reader(path);
            QCOMPARE(reader.format(), expectedFormat);
            onDisk = reader.read();
            QCOMPARE(onDisk.depth(), expectedDepth);
        }
        const QImage shown = m_editor->currentImage();
        QCOMPARE(onDisk.size(), shown.size());
        QCOMPARE(m_editor->picture()->pixmap().size(), shown.size());
        QCOMPARE(m_editor->picture()->offset(),
                 QPointF(-(shown.width() / 2), -(shown.height() / 2)));
        if (corner < 0) {
            QVERIFY(near(cornerColour(onDisk, 0), qRgb(255, 255, 255)));
            return;
        }
        const bool quarter = (degrees * times) % 180 != 0;
        QCOMPARE(shown.size(), quarter ? original.size().transposed() : original.size());
        QVERIFY(near(cornerColour(onDisk, corner), cornerColour(original, 0)));
        if (corner != 0)
            QVERIFY(!near(cornerColour(onDisk, 0), cornerColour(original, 0)));
        // 1-bit pages move exactly: what is shown is what the file has, four turns give it back.
        if (kind == Kind::Mono) {
            QCOMPARE(onDisk.convertToFormat(QImage::Format_RGB32),
                     shown.convertToFormat(QImage::Format_RGB32));
            if (corner == 0)
                QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                         original.convertToFormat(QImage::Format_RGB32));
        }
    }

    void turnFollowsJpegQuality()
    {
        const QString path =
            write(encoded(drawnPage({400, 300}), "JPG"), QStringLiteral("p_o.jpg"));
        QVERIFY(m_editor->showPage(path));
        writeSetting(Settings::JpegQuality, 20);
        QVERIFY(m_editor->rotateBy(180).ok);
        const qint64 low = QFileInfo(path).size();
        writeSetting(Settings::JpegQuality, 95);
        QVERIFY(m_editor->rotateBy(180).ok);
        QVERIFY2(QFileInfo(path).size() > 2 * low, qPrintable(QString::number(low)));
    }

    void failedWriteKeepsPage_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("removeFolder"); // else: the disk takes no more bytes
        row("colour page, folder gone", Kind::Colour, true);
        row("1-bit page, folder gone", Kind::Mono, true);
        row("colour page, disk full", Kind::Colour, false);
        row("1-bit page, disk full", Kind::Mono, false);
    }

    void failedWriteKeepsPage()
    {
        QFETCH(Kind, kind);
        QFETCH(bool, removeFolder);
        const bool mono = kind == Kind::Mono;
        const QByteArray bytes = encoded(drawnPage({400, 300}, kind), mono ? "TIFF" : "JPG");
        QDir folder(m_dir->filePath(QStringLiteral("Current")));
        QVERIFY(folder.mkpath(QStringLiteral(".")));
        const QString path =
            write(bytes, QLatin1String(mono ? "Current/p_o.tiff" : "Current/p_o.jpg"));
        QVERIFY(m_editor->showPage(path));
        const QImage before = m_editor->currentImage();

        WriteResult turned;
        if (removeFolder) {
            QVERIFY(folder.removeRecursively());
            turned = m_editor->rotateBy(-90);
        } else {
            const FileSizeLimit limit(256);
            turned = m_editor->rotateBy(-90);
        }
        QVERIFY(!turned.ok);
        QVERIFY(turned.error.contains(QFileInfo(path).fileName()));
        QCOMPARE(m_editor->currentImage(), before);
        QCOMPARE(m_editor->picture()->pixmap().size(), before.size());
        if (!removeFolder) {
            // A full disk leaves the old file whole, with no temporary file beside it.
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), bytes);
            QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden).size(), 1);
        }
    }

    void pageFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: no file
        QTest::addColumn<bool>("good");
        QTest::addColumn<QString>("messageHas");
        const QImage page = drawnPage({300, 200});
        const QByteArray jpeg = encoded(page, "JPG");
        // A metadata segment holding end-of-image markers, as thumbnails in metadata do.
        const QByteArray metadata("\xFF\xE1\x00\x08\xFF\xD9\xFF\xD9\x00\x00", 10);
        QByteArray random(4096, '\0');
        QRandomGenerator(1234).fillRange(reinterpret_cast<quint32 *>(random.data()), 1024);
        const QString jpg = QStringLiteral("p_o.jpg");
        const QString incomplete = QStringLiteral("incomplete");
        const QString any;

        // JPEG files that end properly although their last bytes are not the end marker.
        row("progressive", jpg, encoded(page, "JPG", true), true, any);
        row("bytes after the end", jpg, jpeg + QByteArray(64, '\0'), true, any);

        row("zero bytes", jpg, QByteArray(""), false, any);
        row("missing file", jpg, QByteArray(), false, any);
        row("truncated JPEG", jpg, jpeg.left(jpeg.size() / 2), false, incomplete);
        row("JPEG without end marker", jpg, jpeg.chopped(2), false, incomplete);
        row("JPEG cut in the middle, end marker after it", jpg,
            jpeg.left(jpeg.size() / 2) + QByteArray("\xff\xd9", 2), false, incomplete);
        row("truncated JPEG, end marker in metadata", jpg,
            jpeg.left(2) + metadata + jpeg.mid(2, jpeg.size() / 2), false, incomplete);
        row("random bytes named .jpg", jpg, random, false, any);
        row("PNG claiming 100000 x 100000", QStringLiteral("p.png"), pngClaiming(100000, 100000),
            false, QStringLiteral("100000"));
        row("PNG claiming 30000 x 30000, too many pixels", QStringLiteral("p.png"),
            pngClaiming(30000, 30000), false, QStringLiteral("30000"));
        row("BMP claiming 45000 x 100, too wide", QStringLiteral("p.bmp"), bmpClaiming(45000, 100),
            false, QStringLiteral("45000"));
    }

    void pageFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, good);
        QFETCH(QString, messageHas);
        const QString path = bytes.isNull() ? m_dir->filePath(name) : write(bytes, name);

        QString error = QStringLiteral("stale");
        const QImage read = readPageImage(path, &error);
        if (good) {
            QCOMPARE(read.size(), QSize(300, 200));
            QVERIFY(error.isEmpty());
            return;
        }
        QVERIFY(read.isNull());
        QVERIFY2(error.contains(name) && error.contains(messageHas), qPrintable(error));

        // The editor keeps showing, zooming and turning the page it had.
        const QString shown =
            write(encoded(drawnPage({200, 100}), "JPG"), QStringLiteral("good.jpg"));
        QVERIFY(m_editor->showPage(shown));
        m_editor->zoomIn();
        const QImage before = m_editor->currentImage();
        PhotoPixmapItem *picture = m_editor->picture();
        error.clear();
        QVERIFY(!m_editor->showPage(path, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(m_editor->pagePath(), shown);
        QCOMPARE(m_editor->currentImage(), before);
        QCOMPARE(m_editor->picture(), picture);
        QCOMPARE(m_editor->scale(), 1.05);
        QVERIFY(m_editor->rotateBy(90).ok);
        QCOMPARE(QImageReader(shown).size(), QSize(100, 200));
    }
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
