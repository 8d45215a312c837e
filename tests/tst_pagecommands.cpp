#include "BrightnessDlg.h"
#include "CropBoxItem.h"
#include "DocumentHistory.h"
#include "EditHistory.h"
#include "ExportDlg.h"
#include "FileSizeLimit.h"
#include "ImageEditor.h"
#include "ImageFileWriter.h"
#include "ImageLoading.h"
#include "KSlabWidget.h"
#include "MessageBoxAnswerer.h"
#include "NoticeTexts.h"
#include "PageListWidget.h"
#include "PdfWriter.h"
#include "PhotoGraphicsView.h"
#include "SettingsKeys.h"
#include "StartPanel.h"
#include "TestHelpers.h"
#include "WindowFixture.h"

#include <QtTest>
#include <QtWidgets>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {
const QList<QColor> &pageColours()
{
    static const QList<QColor> colours = {Qt::red,     Qt::green, Qt::blue,    Qt::yellow,
                                          Qt::magenta, Qt::cyan,  Qt::darkRed, Qt::darkGreen};
    return colours;
}

QImage solidPage(const QColor &colour, QSize size = QSize(60, 40))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The colour a page file shows in its middle.
QColor colourOf(const QString &path)
{
    const QImage image(path);
    return image.isNull() ? QColor() : image.pixelColor(image.width() / 2, image.height() / 2);
}

bool near(const QColor &a, const QColor &b)
{
    return a.isValid() && qAbs(a.red() - b.red()) < 40 && qAbs(a.green() - b.green()) < 40 &&
           qAbs(a.blue() - b.blue()) < 40;
}

// Index into pageColours() of every page in order, -1 where a page shows none of them.
QList<int> pageColourIndexes(const PageListWidget &store)
{
    QList<int> result;
    for (const QString &path : store.pagePaths()) {
        int found = -1;
        for (int i = 0; i < pageColours().size(); ++i) {
            if (near(colourOf(path), pageColours()[i]))
                found = i;
        }
        result << found;
    }
    return result;
}

// A white page with a black square in its top-left corner.
QImage markedPage(QImage::Format format = QImage::Format_RGB32)
{
    QImage image = solidPage(Qt::white, QSize(80, 40)).convertToFormat(format);
    QPainter(&image).fillRect(0, 0, 12, 12, Qt::black);
    return image;
}

// jpeg with an EXIF block whose orientation is 6: turn a quarter clockwise to show it.
QByteArray turnedByExif(const QByteArray &jpeg)
{
    const QByteArray exif = QByteArray("Exif\0\0MM\0*\0\0\0\x08\0\x01", 16) +
                            QByteArray("\x01\x12\0\x03\0\0\0\x01\0\x06\0\0", 12) +
                            QByteArray(4, '\0');
    const int length = int(exif.size()) + 2;
    return jpeg.left(2) + QByteArray("\xff\xe1", 2) + char(length >> 8) + char(length & 0xff) +
           exif + jpeg.mid(2);
}

using Files = QList<QPair<QString, QByteArray>>;

// What a command-line tool (its words split at spaces) writes to output, run in a folder of files.
QByteArray madeBy(const QString &commandLine, const Files &files, const QString &output)
{
    QTemporaryDir dir;
    for (const auto &[name, bytes] : files)
        writeFile(dir.filePath(name), bytes);
    QStringList arguments = commandLine.split(u' ');
    QProcess tool;
    tool.setWorkingDirectory(dir.path());
    tool.start(arguments.takeFirst(), arguments);
    tool.waitForFinished(60000);
    return contentOf(dir.filePath(output));
}

// One TIFF file holding the pictures as its pages, put together by libtiff's tiffcp.
QByteArray multiPageTiff(const QList<QImage> &pictures)
{
    Files files;
    for (const QImage &picture : pictures)
        files.append({u"%1.tif"_s.arg(files.size()), encoded(picture, "TIFF")});
    QString commandLine = u"tiffcp"_s;
    for (const auto &file : files)
        commandLine += u' ' + file.first;
    return madeBy(commandLine + u" all.tif"_s, files, u"all.tif"_s);
}

// The PDF our own export makes of the page files (JPEG and Group 4 TIFF pages).
QByteArray exported(const QList<QImage> &pages)
{
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < pages.size(); ++i) {
        paths << dir.filePath(
            u"%1_o.%2"_s.arg(i).arg(pages[i].depth() == 1 ? u"tiff"_s : u"jpg"_s));
        writePageImage(pages[i], paths.last());
    }
    const QString out = dir.filePath(u"out.pdf"_s);
    return PdfWriter(PdfPageOptions()).write(paths, out).outcome == PdfWriter::Outcome::Written
               ? contentOf(out)
               : QByteArray();
}

// Where textOnlyPdf() writes its word, in points from the top left.
const QRect wordBox(72, 72, 400, 100);

// An A4 page of text only; hugeSecondPage: then a page too large to draw.
QByteArray textOnlyPdf(bool hugeSecondPage = false)
{
    QByteArray pdf;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    QPainter painter(&writer);
    QFont font = painter.font();
    font.setPointSize(48);
    painter.setFont(font);
    painter.drawText(wordBox, Qt::AlignCenter, u"Quillary"_s);
    if (hugeSecondPage) {
        writer.setPageSize(QPageSize(QSizeF(14000, 14000), QPageSize::Point));
        writer.newPage();
        painter.drawText(wordBox, Qt::AlignCenter, u"Quillary"_s);
    }
    painter.end();
    return pdf;
}

// Loads a file of bytes named name through the window's loading; the document's pages.
QStringList loadOne(MainWindow &window, const QString &name, const QByteArray &bytes)
{
    QTemporaryDir dir;
    if (!writeFile(dir.filePath(name), bytes))
        return {u"(not written)"_s};
    window.loadFiles({dir.filePath(name)});
    return window.pageStore()->pagePaths();
}

// The notices after loading name: none, or the one refusing it for reason.
QStringList refusalNotices(const QString &name, const QString &reason)
{
    if (reason.isEmpty())
        return {};
    return {QStringLiteral("<h4>Sorry, can't load file. Wrong file format.<br>%1<br>The file is "
                           "%2.</h4>")
                .arg(name.toHtmlEscaped(), reason)};
}

// Drops data as a drag does: before tile gap (count: after the last), -1 below, -2 view, -3 start.
void dropOnWindow(MainWindow &window, QMimeData *data, int gap)
{
    PageListWidget &store = *window.pageStore();
    QWidget *viewport = gap == -3   ? window.workAreaStack()->currentWidget()
                        : gap == -2 ? window.editor()->view()->viewport()
                                    : store.viewport();
    const int count = store.count();
    const KSlabWidget *tile = store.slabAt(gap < 0 ? count - 1 : qMin(gap, count - 1));
    QPoint point = viewport->rect().center();
    if (gap >= -1) {
        point = tile->mapTo(viewport, gap < 0        ? QPoint(tile->width() / 2, tile->height() + 8)
                                      : gap == count ? QPoint(tile->width() - 2, tile->height() - 2)
                                                     : QPoint(2, 2));
    }
    QDragEnterEvent enter(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(QPointF(point), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    delete data;
}
} // namespace

class TestPageCommands : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QCoreApplication::setOrganizationName(u"Plenwick"_s);
        QCoreApplication::setApplicationName(u"QuillaryPageCommandsTest"_s);
        setUpWindowTests();
        raiseImageAllocationLimit();
    }
    void init() { startAfresh(); }

    // Writes one file per colour and loads them all as pages.
    QStringList loadColours(MainWindow &window, const QTemporaryDir &dir, int count)
    {
        QStringList files;
        for (int i = 0; i < count; ++i) {
            files << dir.filePath(u"page%1.png"_s.arg(i));
            solidPage(pageColours()[i]).save(files.last());
        }
        window.loadFiles(files);
        return files;
    }

    // Cancel keeps the files loaded before whole and takes back the one it cut short.
    void cancellingALoad_data()
    {
        QTest::addColumn<bool>("pictureFirst");
        QTest::addColumn<int>("pages");
        row("within the only file", false, 0);
        row("before the second file", true, 1);
    }
    void cancellingALoad()
    {
        QFETCH(bool, pictureFirst);
        QFETCH(int, pages);
        QTemporaryDir dir;
        QStringList files;
        if (pictureFirst) {
            files << dir.filePath(u"one.png"_s);
            QVERIFY(solidPage(Qt::red).save(files.last()));
        }
        files << dir.filePath(u"three.tif"_s);
        QVERIFY(writeFile(files.last(), multiPageTiff({solidPage(Qt::red), solidPage(Qt::green),
                                                       solidPage(Qt::blue)})));
        auto window = makeWindow();
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, [&] {
            if (auto *progress = window->findChild<QProgressDialog *>()) {
                progress->cancel();
                canceller.stop();
            }
        });
        canceller.start(0);
        window->loadFiles(files);
        QCOMPARE(window->pageStore()->count(), pages);
        QCOMPARE(window->pageStore()->waitingPageFiles(), QStringList());
        QCOMPARE(QDir(window->pageStore()->currentFolder()).entryList(QDir::Files).size(),
                 2 * pages);
        QCOMPARE(noticeTexts(*window), QStringList());
        QCOMPARE(window->action(Command::RotateLeft)->isEnabled(), pages > 0);
    }

    // Turning upright is an edit Undo takes back; a page without text is left and noted.
    void uprightOnLoading_data()
    {
        QTest::addColumn<bool>("text");
        row("text on its side", true);
        row("picture without text", false);
    }
    void uprightOnLoading()
    {
        QFETCH(bool, text);
        writeSetting(Settings::AutoOrientation, true);
        QImage page = a4Page(150, text);
        if (!text) {
            QPainter painter(&page);
            painter.fillRect(QRect(200, 300, 800, 900), QColor(40, 90, 200));
            painter.setBrush(QColor(250, 200, 60));
            painter.drawEllipse(QPoint(600, 700), 250, 250);
        }
        QTemporaryDir dir;
        const QString file = dir.filePath(u"side.png"_s);
        QVERIFY(page.transformed(QTransform().rotate(-90)).save(file));
        auto window = makeWindow();
        window->loadFiles({file});
        PageListWidget *store = window->pageStore();
        QCOMPARE(store->count(), 1);
        const QSize size = QImageReader(store->pagePaths().first()).size();
        QCOMPARE(size.width() < size.height(), text);
        QCOMPARE(store->pageNote(0), text ? QString() : u"Which way up?"_s);
        QCOMPARE(window->action(Command::Undo)->isEnabled(), text);
    }

    // A one-sided feeder's fronts, then backs, come in reading order as one undoable move.
    void twoSidedStack_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<bool>("sameOrder");
        QTest::addColumn<QList<int>>("order");
        row("turned over", 6, QList<int>{}, false, QList<int>{0, 5, 1, 4, 2, 3});
        row("same order", 6, QList<int>{}, true, QList<int>{0, 3, 1, 4, 2, 5});
        row("checked pages only", 6, QList<int>{1, 2, 3, 4}, false, QList<int>{0, 1, 4, 2, 3, 5});
        row("odd count refused", 5, QList<int>{}, false, QList<int>{0, 1, 2, 3, 4});
    }
    void twoSidedStack()
    {
        QFETCH(int, pages);
        QFETCH(QList<int>, checked);
        QFETCH(bool, sameOrder);
        QFETCH(QList<int>, order);
        QTemporaryDir dir;
        auto window = makeWindow();
        loadColours(*window, dir, pages);
        PageListWidget *store = window->pageStore();
        for (int index : checked)
            store->slabAt(index)->setChecked(true);
        const bool refused = pages % 2 != 0;
        if (!refused) {
            QTimer::singleShot(0, [sameOrder] {
                auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                dialog->findChildren<QRadioButton *>().at(sameOrder ? 1 : 0)->click();
                dialog->accept();
            });
        }
        window->action(Command::TwoSidedStack)->trigger();
        QCOMPARE(pageColourIndexes(*store), order);
        QCOMPARE(noticeTexts(*window).size(), refused ? 1 : 0);
        if (refused)
            return;
        window->undo();
        QCOMPARE(pageColourIndexes(*store), (QList<int>{0, 1, 2, 3, 4, 5}));
    }

    // A batch goes on past files that fail, each named in a notice; the rest are pages in order.
    void loadingAMixedBatch()
    {
        QTemporaryDir dir;
        const QString jpeg = dir.filePath(u"photo.jpg"_s);
        QVERIFY(solidPage(Qt::red).save(jpeg, "JPG"));
        const QImage mono = solidPage(Qt::white).convertToFormat(QImage::Format_Mono);
        const QString monoTiff = dir.filePath(u"letter.tif"_s);
        QVERIFY(mono.save(monoTiff, "TIFF"));
        const QString upperTif = dir.filePath(u"SHOUT.TIF"_s);
        QVERIFY(mono.save(upperTif, "TIFF"));
        const QString folder = dir.filePath(u"album.png"_s);
        QVERIFY(QDir().mkpath(folder));

        auto window = makeWindow();
        window->loadFiles({jpeg, dir.filePath(u"gone.jpg"_s), monoTiff, folder, upperTif});
        PageListWidget *store = window->pageStore();
        QStringList names;
        for (const QString &path : store->pagePaths())
            names << QFileInfo(path).fileName();
        QCOMPARE(names,
                 (QStringList{u"00000001_o.jpg"_s, u"00000002_o.tiff"_s, u"00000003_o.jpg"_s}));
        QCOMPARE(QImageReader(store->pagePaths()[1]).read().depth(), 1);
        QCOMPARE(noticeTexts(*window),
                 (QStringList{QStringLiteral("<h4>Sorry, can't load file.<br>Can't open gone.jpg: "
                                             "it is missing.</h4>"),
                              QStringLiteral("<h4>Sorry, can't load file.<br>Can't open album.png: "
                                             "it is not a regular file.</h4>")}));
        QCOMPARE(readSetting(Settings::LastPath).toString(),
                 QFileInfo(upperTif).absoluteFilePath());
        QCOMPARE(window->workAreaStack()->currentIndex(), int(MainWindow::EditorArea));
        QCOMPARE(window->pagePanelStack()->currentIndex(), int(MainWindow::PageStorePanel));
        QCOMPARE(store->currentIndex(), 2);
        QVERIFY(!window->editor()->currentImage().isNull());
    }

    // Pages show what the file shows (TIFF pages, transparency, palette, EXIF turn), or none.
    void loadingPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("suffixes");
        QTest::addColumn<QList<QSize>>("sizes");
        QTest::addColumn<QList<QColor>>("centres");
        QTest::addColumn<QPoint>("probe"); // on the first page
        QTest::addColumn<QColor>("probeColour");
        QTest::addColumn<QString>("reason");

        QImage letter = solidPage(Qt::white, QSize(60, 30));
        QPainter(&letter).fillRect(20, 10, 20, 10, Qt::black);
        row("multi-page TIFF, one page 1-bit", u"fax.tif"_s,
            multiPageTiff({solidPage(Qt::red, QSize(50, 40)),
                           letter.convertToFormat(QImage::Format_Mono),
                           solidPage(Qt::blue, QSize(70, 20))}),
            QStringList{u"jpg"_s, u"tiff"_s, u"jpg"_s}, QList<QSize>{{50, 40}, {60, 30}, {70, 20}},
            QList<QColor>{Qt::red, Qt::black, Qt::blue}, QPoint(2, 2), QColor(Qt::red), QString());

        QImage transparent(80, 40, QImage::Format_ARGB32);
        transparent.fill(Qt::transparent);
        QPainter(&transparent).fillRect(0, 0, 12, 12, Qt::black);
        row("transparent PNG", u"ink.png"_s, encoded(transparent, "PNG"), QStringList{u"jpg"_s},
            QList<QSize>{{80, 40}}, QList<QColor>{Qt::white}, QPoint(3, 3), QColor(Qt::black),
            QString());

        QImage blueInk = markedPage(QImage::Format_Mono);
        blueInk.setColor(blueInk.pixelIndex(3, 3), qRgb(0, 0, 255));
        row("blue ink 1-bit PNG", u"blue.png"_s, encoded(blueInk, "PNG"), QStringList{u"jpg"_s},
            QList<QSize>{{80, 40}}, QList<QColor>{Qt::white}, QPoint(3, 3), QColor(Qt::blue),
            QString());

        const QByteArray photo = encoded(markedPage(), "JPG");
        row("JPEG turned by EXIF", u"phone.jpg"_s, turnedByExif(photo), QStringList{u"jpg"_s},
            QList<QSize>{{40, 80}}, QList<QColor>{Qt::white}, QPoint(36, 3), QColor(Qt::black),
            QString());

        row("JPEG cut in the middle, end marker after it", u"cut.jpg"_s,
            photo.left(photo.size() / 2) + QByteArray("\xff\xd9", 2), QStringList(), QList<QSize>(),
            QList<QColor>(), QPoint(), QColor(), u"damaged"_s);
        row("words named .png, markup in the name", u"notes & <b>.png"_s,
            QByteArray("just some words"), QStringList(), QList<QSize>(), QList<QColor>(), QPoint(),
            QColor(), u"not a picture"_s);
    }
    void loadingPictures()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, suffixes);
        QFETCH(QList<QSize>, sizes);
        QFETCH(QList<QColor>, centres);
        QFETCH(QPoint, probe);
        QFETCH(QColor, probeColour);
        QFETCH(QString, reason);
        auto window = makeWindow();
        const QStringList pages = loadOne(*window, name, bytes);
        QCOMPARE(pages.size(), suffixes.size());
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(QFileInfo(pages[i]).suffix(), suffixes[i]);
            const QImage page(pages[i]);
            QCOMPARE(page.size(), sizes[i]);
            QVERIFY2(near(colourOf(pages[i]), centres[i]), qPrintable(pages[i]));
            if (suffixes[i] == "tiff"_L1)
                QCOMPARE(page.depth(), 1);
        }
        if (!pages.isEmpty())
            QVERIFY(near(QImage(pages[0]).pixelColor(probe), probeColour));
        // A refused file changes nothing else.
        QCOMPARE(window->action(Command::RotateLeft)->isEnabled(), !pages.isEmpty());
        QCOMPARE(readSetting(Settings::LastPath).toString().isEmpty(), pages.isEmpty());
        QCOMPARE(noticeTexts(*window), refusalNotices(name, reason));
    }

    // Expected per page: the JPEG's own bytes, the 1-bit picture, or where a drawn page shows ink.
    void loadingPdf_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QStringList>("suffixes");
        QTest::addColumn<QVariantList>("expected");
        QTest::addColumn<QString>("reason");

        const QByteArray photo = encoded(markedPage(), "JPG");
        QImage letter = solidPage(Qt::white, QSize(203, 61));
        {
            QPainter painter(&letter);
            painter.fillRect(20, 10, 37, 21, Qt::black);
            painter.fillRect(202, 60, 1, 1, Qt::black); // the last bit of a row padded to bytes
        }
        letter = letter.convertToFormat(QImage::Format_Mono);
        const QByteArray scanned =
            madeBy(u"img2pdf a.jpg b.png -o out.pdf"_s,
                   {{u"a.jpg"_s, photo}, {u"b.png"_s, encoded(letter, "PNG")}}, u"out.pdf"_s);
        row("img2pdf: JPEG and 1-bit PNG pages", scanned, QStringList{u"jpg"_s, u"tiff"_s},
            QVariantList{photo, letter}, QString());

        const QImage greyPhoto = markedPage(QImage::Format_Grayscale8);
        const QImage fax = markedPage().scaled(97, 64).convertToFormat(QImage::Format_Mono);
        const QByteArray ours = exported({fax, greyPhoto});
        row("our export: Group 4 and JPEG pages", ours, QStringList{u"tiff"_s, u"jpg"_s},
            QVariantList{fax, madeBy(u"pdfimages -all -f 2 -l 2 in.pdf out"_s,
                                     {{u"in.pdf"_s, ours}}, u"out-000.jpg"_s)},
            QString());

        const double scale = 300 / 72.0; // pages are drawn at 300 dpi
        row("text only: drawn", textOnlyPdf(), QStringList{u"jpg"_s},
            QVariantList{QRect(wordBox.topLeft() * scale, wordBox.size() * scale)}, QString());

        row("cut in the middle", scanned.left(scanned.size() / 2), QStringList(), QVariantList(),
            u"damaged"_s);
        // The decoder would fill the missing part with grey and call it a success.
        QImage busy(200, 200, QImage::Format_RGB32);
        for (int y = 0; y < busy.height(); ++y)
            for (int x = 0; x < busy.width(); ++x)
                busy.setPixel(x, y, qRgb(x * 37 ^ y * 91, x * y, x ^ y));
        const QByteArray busyJpeg = encoded(busy, "JPG");
        QByteArray cut =
            madeBy(u"img2pdf busy.jpg -o out.pdf"_s, {{u"busy.jpg"_s, busyJpeg}}, u"out.pdf"_s);
        cut.replace(int(cut.indexOf(busyJpeg) + busyJpeg.size() * 3 / 4), 2, "\xff\xd9");
        row("JPEG picture ending early", cut, QStringList(), QVariantList(), u"damaged"_s);
        // The first page was already in the document when the second failed.
        row("second page too large to draw", textOnlyPdf(true), QStringList(), QVariantList(),
            u"too large"_s);
        const QByteArray locked = madeBy(u"qpdf --encrypt u o 256 -- in.pdf out.pdf"_s,
                                         {{u"in.pdf"_s, scanned}}, u"out.pdf"_s);
        row("locked by a password", locked, QStringList(), QVariantList(),
            u"protected by a password"_s);
    }
    void loadingPdf()
    {
        QFETCH(QByteArray, pdf);
        QFETCH(QStringList, suffixes);
        QFETCH(QVariantList, expected);
        QFETCH(QString, reason);
        QVERIFY(!pdf.isEmpty());
        const QString name = u"scan.pdf"_s;
        auto window = makeWindow();
        const QStringList pages = loadOne(*window, name, pdf);
        QCOMPARE(pages.size(), suffixes.size());
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(QFileInfo(pages[i]).suffix(), suffixes[i]);
            const QVariant &want = expected[i];
            if (want.typeId() == QMetaType::QByteArray) {
                QCOMPARE(contentOf(pages[i]), want.toByteArray());
            } else if (want.typeId() == QMetaType::QImage) {
                const QImage page(pages[i]);
                QCOMPARE(page.depth(), 1);
                QCOMPARE(page.convertToFormat(QImage::Format_RGB32),
                         want.value<QImage>().convertToFormat(QImage::Format_RGB32));
            } else {
                const QImage page = QImage(pages[i]).convertToFormat(QImage::Format_Grayscale8);
                QVERIFY(qAbs(page.width() - 2480) <= 1 && qAbs(page.height() - 3508) <= 1);
                const QRect box = want.toRect();
                int ink = 0;
                for (int y = box.top(); y <= box.bottom(); ++y)
                    for (int x = box.left(); x <= box.right(); ++x)
                        ink += qGray(page.pixel(x, y)) < 128 ? 1 : 0;
                QVERIFY2(ink > 1000, qPrintable(QString::number(ink)));
                QCOMPARE(qGray(page.pixel(10, 10)), 255);
            }
        }
        QCOMPARE(noticeTexts(*window), refusalNotices(name, reason));
    }

    // Pages come back byte for byte, check marks too, through Undo and Redo of edits and commands.
    void pageCommands_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<int>("current"); // and edited
        QTest::addColumn<QList<int>>("order");
        row("current page in the middle", int(Command::RemovePage), QList<int>{}, 1,
            QList<int>{0, 2, 3});
        row("all", int(Command::RemoveAll), QList<int>{}, 2, QList<int>{});
        row("all but current in the middle", int(Command::RemoveAllButThis), QList<int>{}, 2,
            QList<int>{2});
        row("checked, none checked", int(Command::RemoveAllChecked), QList<int>{}, 0,
            QList<int>{0, 1, 2, 3});
        row("checked, the current among them", int(Command::RemoveAllChecked), QList<int>{0, 2}, 2,
            QList<int>{1, 3});
        row("checked, one before the current", int(Command::RemoveAllChecked), QList<int>{1}, 2,
            QList<int>{0, 2, 3});
        row("checked, all", int(Command::RemoveAllChecked), QList<int>{0, 1, 2, 3}, 0,
            QList<int>{});
        row("unchecked, some", int(Command::RemoveAllUnchecked), QList<int>{1}, 0, QList<int>{1});
        row("unchecked, all checked", int(Command::RemoveAllUnchecked), QList<int>{0, 1, 2, 3}, 0,
            QList<int>{0, 1, 2, 3});
        row("moved to the top", int(Command::MoveTop), QList<int>{1}, 1, QList<int>{1, 0, 2, 3});
    }
    void pageCommands()
    {
        QFETCH(int, command);
        QFETCH(QList<int>, checked);
        QFETCH(int, current);
        QFETCH(QList<int>, order);
        QTemporaryDir dir;
        auto window = makeWindow();
        loadColours(*window, dir, 4);
        PageListWidget *store = window->pageStore();
        QList<QByteArray> originals;
        for (const QString &path : store->pagePaths())
            originals << contentOf(path);
        for (int index : checked)
            store->slabAt(index)->setChecked(true);
        store->setCurrentPage(current);
        window->rotateRight();
        window->rotateRight();

        const QList<int> all{0, 1, 2, 3};
        const bool asks = Command(command) != Command::MoveTop;
        MessageBoxAnswerer answers(QMessageBox::No);
        if (asks) {
            window->action(Command(command))->trigger();
            QCOMPARE(pageColourIndexes(*store), all);
        }
        answers.setAnswer(QMessageBox::Yes);
        window->action(Command(command))->trigger();
        QCOMPARE(answers.count(QMessageBox::Question), asks ? 2 : 0);
        QCOMPARE(pageColourIndexes(*store), order);
        for (int i = 0; i < store->count(); ++i) {
            QCOMPARE(store->slabAt(i)->title(), u"Page %1"_s.arg(i + 1));
            QCOMPARE(QFileInfo(store->pagePaths()[i]).fileName(),
                     u"%1_o.jpg"_s.arg(i + 1, 8, 10, u'0'));
        }
        const bool empty = order.isEmpty();
        QCOMPARE(window->action(Command::RotateLeft)->isEnabled(), !empty);
        QCOMPARE(window->action(Command::MoveUp)->isEnabled(), !empty);
        QCOMPARE(window->workAreaStack()->currentIndex(),
                 int(empty ? MainWindow::StartArea : MainWindow::EditorArea));
        QCOMPARE(window->pagePanelStack()->currentIndex(),
                 int(empty ? MainWindow::EmptyPanel : MainWindow::PageStorePanel));
        QCOMPARE(window->editor()->currentImage().isNull(), empty);
        QCOMPARE(window->pageCountLabel()->text(),
                 empty ? u"No pages"_s : u"%1 pages"_s.arg(order.size()));
        // Nothing of a removed page stays where a restore would find it.
        QCOMPARE(store->waitingPageFiles(), QStringList());
        QCOMPARE(QDir(store->currentFolder()).entryList(QDir::Files).size(), 2 * order.size());
        int steps = 3; // a removal of nothing is a step too
        if (!empty) {
            window->rotateRight();
            if (order.contains(current))
                QCOMPARE(order.at(store->currentIndex()), current);
            ++steps;
        }
        for (int step = 0; step < steps; ++step)
            window->action(Command::Undo)->trigger();
        QVERIFY(!window->action(Command::Undo)->isEnabled());
        QCOMPARE(pageColourIndexes(*store), all);
        QCOMPARE(window->pageCountLabel()->text(), u"4 pages"_s);
        for (int i = 0; i < store->count(); ++i) {
            QCOMPARE(contentOf(store->pagePaths().at(i)), originals.at(i));
            QCOMPARE(store->isChecked(i), checked.contains(i));
        }
        QCOMPARE(window->workAreaStack()->currentIndex(), int(MainWindow::EditorArea));

        for (int step = 0; step < steps; ++step)
            window->action(Command::Redo)->trigger();
        QVERIFY(!window->action(Command::Redo)->isEnabled());
        QCOMPARE(pageColourIndexes(*store), order);
        QCOMPARE(QDir(store->currentFolder()).entryList(QDir::Files).size(), 2 * order.size());
    }

    // Drops land where they were dropped, in order, with tiles, titles and page files renumbered.
    void dropping_data()
    {
        QTest::addColumn<int>("pages");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("dragged"); // the tile the drag starts on; -1: three new files
        QTest::addColumn<int>("gap");
        QTest::addColumn<bool>("duringQuestion"); // while Remove Page asks
        QTest::addColumn<QList<int>>("order");
        row("page 2 after page 5", 6, QList<int>{}, 2, 1, 5, false, QList<int>{0, 2, 3, 4, 1, 5});
        row("checked 1, 3, 6 to the front", 6, QList<int>{0, 2, 5}, 2, 2, 0, false,
            QList<int>{0, 2, 5, 1, 3, 4});
        row("unchecked page alone past the last", 4, QList<int>{1}, 2, 0, 4, false,
            QList<int>{1, 2, 3, 0});
        row("three files between tiles 1 and 2", 3, QList<int>{}, 2, -1, 1, false,
            QList<int>{0, 3, 4, 5, 1, 2});
        row("three files below the tiles: after the current page", 3, QList<int>{}, 0, -1, -1,
            false, QList<int>{0, 3, 4, 5, 1, 2});
        row("three files on the page view: after the current page", 3, QList<int>{}, 1, -1, -2,
            false, QList<int>{0, 1, 3, 4, 5, 2});
        row("three files on an empty window", 0, QList<int>{}, 0, -1, -3, false,
            QList<int>{0, 1, 2});
        row("a page while another command runs", 6, QList<int>{}, 2, 1, 5, true,
            QList<int>{0, 1, 2, 3, 4, 5});
        row("files while another command runs", 3, QList<int>{}, 2, -1, 1, true,
            QList<int>{0, 1, 2});
    }
    void dropping()
    {
        QFETCH(int, pages);
        QFETCH(QList<int>, checked);
        QFETCH(int, current);
        QFETCH(int, dragged);
        QFETCH(int, gap);
        QFETCH(bool, duringQuestion);
        QFETCH(QList<int>, order);
        QTemporaryDir dir;
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        loadColours(*window, dir, pages);
        PageListWidget *store = window->pageStore();
        QMap<int, QByteArray> bytes;
        for (int i = 0; i < pages; ++i)
            bytes.insert(i, contentOf(store->pagePaths()[i]));
        for (int index : checked)
            store->slabAt(index)->setChecked(true);
        store->setCurrentPage(current);

        QMimeData *data = nullptr;
        if (dragged >= 0) {
            data = store->dragData(store->dragPositions(dragged));
        } else {
            QList<QUrl> urls;
            for (int i = pages; i < pages + 3; ++i) {
                urls << QUrl::fromLocalFile(dir.filePath(u"new%1.png"_s.arg(i)));
                QVERIFY(solidPage(pageColours()[i]).save(urls.last().toLocalFile()));
            }
            data = new QMimeData;
            data->setUrls(urls);
        }
        const int shownColour = dragged < 0 && !duringQuestion ? pages + 2 : current;
        if (duringQuestion) {
            QTimer::singleShot(0, [&] {
                dropOnWindow(*window, data, gap);
                qobject_cast<QMessageBox *>(QApplication::activeModalWidget())
                    ->button(QMessageBox::No)
                    ->click();
            });
            window->action(Command::RemovePage)->trigger();
        } else {
            dropOnWindow(*window, data, gap);
        }

        QCOMPARE(pageColourIndexes(*store), order);
        const QStringList files =
            QDir(store->currentFolder()).entryList({u"*_o.*"_s}, QDir::Files, QDir::Name);
        QCOMPARE(files.size(), order.size());
        for (int i = 0; i < order.size(); ++i) {
            QCOMPARE(store->slabAt(i)->title(), u"Page %1"_s.arg(i + 1));
            const QImage *thumbnail = store->slabAt(i)->image();
            QVERIFY(thumbnail && near(thumbnail->pixelColor(thumbnail->rect().center()),
                                      pageColours()[order[i]]));
            QCOMPARE(QFileInfo(store->pagePaths()[i]).fileName(), files[i]);
            QCOMPARE(files[i], u"%1_o.jpg"_s.arg(i + 1, 8, 10, u'0'));
            if (bytes.contains(order[i]))
                QCOMPARE(contentOf(store->pagePaths()[i]), bytes.value(order[i]));
        }
        QCOMPARE(pageColourIndexes(*store).indexOf(shownColour), store->currentIndex());
        QCOMPARE(window->editor()->pagePath(), store->pagePaths()[store->currentIndex()]);
        const QImage shown = window->editor()->currentImage();
        QVERIFY(near(shown.pixelColor(shown.rect().center()), pageColours()[shownColour]));
    }

    // A restore comes after any new pages; an unreadable page file is skipped and left untouched.
    void restoringASession_data()
    {
        QTest::addColumn<int>("left");          // pages of the last run
        QTest::addColumn<QByteArray>("second"); // written over the second page file
        QTest::addColumn<int>("added");         // new pages loaded before the restore
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QStringList>("notices"); // of the restore
        row("moved pages", 3, QByteArray(), 0, QList<int>{2, 0, 1}, QStringList());
        row("new pages first", 4, QByteArray(), 2, QList<int>{4, 5, 3, 0, 1, 2}, QStringList());
        row("nothing to restore", 0, QByteArray(), 0, QList<int>{},
            QStringList{u"<h4>There is no earlier session to restore.</h4>"_s});
        row("garbage", 2, QByteArray("garbage"), 0, QList<int>{1},
            QStringList{u"Wrong file format"_s});
        // The page shown afterwards is the cut one: the editor says so too.
        row("JPEG cut short", 2, QByteArray("cut"), 0, QList<int>{1, 0},
            QStringList{QStringLiteral("<h4>Page 2 (00000002_o.jpg) cannot be read: the file is "
                                       "incomplete.<br>The page is kept as it was found.</h4>"),
                        u"Can't open 00000002_o.jpg: the file is incomplete."_s});
    }
    void restoringASession()
    {
        QFETCH(int, left);
        QFETCH(QByteArray, second);
        QFETCH(int, added);
        QFETCH(QList<int>, order);
        QFETCH(QStringList, notices);
        QTemporaryDir dir;
        QList<QByteArray> files;
        if (left > 0) {
            auto first = makeWindow();
            loadColours(*first, dir, left);
            first->moveTop();
            for (const QString &path : first->pageStore()->pagePaths())
                files << contentOf(path);
        }
        auto window = makeWindow();
        PageListWidget *store = window->pageStore();
        const QString damaged = store->currentFolder() + u"/00000002_o.jpg"_s;
        if (second == "cut")
            second = contentOf(damaged).chopped(10);
        QVERIFY(second.isEmpty() || writeFile(damaged, second));
        QCOMPARE(window->startPanel()->restoreButton()->isVisibleTo(window.get()), left > 0);
        const QString offer = u"%1 pages from your last session"_s.arg(left);
        QCOMPARE(noticeTexts(*window).filter(offer).size(), left > 0 ? 1 : 0);
        QCOMPARE(window->startPanel()->message(), left > 0 ? offer : QString());

        QStringList newFiles;
        for (int i = left; i < left + added; ++i) {
            newFiles << dir.filePath(u"new%1.png"_s.arg(i));
            QVERIFY(solidPage(pageColours()[i]).save(newFiles.last()));
        }
        window->loadFiles(newFiles);
        window->startPanel()->restoreButton()->click();
        QCOMPARE(pageColourIndexes(*store), order);
        for (int i = 0; i < files.size() && second.isEmpty(); ++i)
            QCOMPARE(contentOf(store->pagePaths().at(added + i)), files.at(i));
        if (second.isEmpty())
            QCOMPARE(QDir(store->currentFolder()).entryList(QDir::Files).size(), 2 * order.size());
        else
            QCOMPARE(contentOf(damaged), second);
        QCOMPARE(noticeTexts(*window).size(), (left > 0 ? 1 : 0) + notices.size());
        for (const QString &notice : std::as_const(notices))
            QCOMPARE(noticeTexts(*window).filter(notice).size(), 1);
        const bool empty = order.isEmpty();
        QCOMPARE(window->workAreaStack()->currentIndex(),
                 int(empty ? MainWindow::StartArea : MainWindow::EditorArea));
        QCOMPARE(window->pagePanelStack()->currentIndex(),
                 int(empty ? MainWindow::EmptyPanel : MainWindow::PageStorePanel));
        QCOMPARE(window->action(Command::RotateLeft)->isEnabled(), !empty);
        // Only a skipped file still waits.
        QCOMPARE(window->startPanel()->message().isEmpty(), order.size() == left + added);
    }

    // The start warns before a new document deletes the oldest kept session, and only then.
    void startWarnsBeforeASessionIsDeleted_data()
    {
        QTest::addColumn<int>("kept");     // sessions kept aside, the oldest with 2 pages
        QTest::addColumn<bool>("waiting"); // pages of the last run wait in "Current"
        QTest::addColumn<QString>("warning");
        row("five kept, pages waiting", EarlierSessions::KeptSessions, true,
            QStringLiteral("5 earlier sessions kept; the oldest, 2 pages of 3 March 2024, will be "
                           "removed when you start a new document."));
        row("four kept", EarlierSessions::KeptSessions - 1, true, QString());
        row("nothing waits to be put aside", EarlierSessions::KeptSessions, false, QString());
    }
    void startWarnsBeforeASessionIsDeleted()
    {
        QFETCH(int, kept);
        QFETCH(bool, waiting);
        QFETCH(QString, warning);
        const QString work = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString oldest = work + u"/Earlier Sessions/2024-03-03 10-00-00.000"_s;
        for (int i = 0; i < kept; ++i) {
            const QString folder =
                work + u"/Earlier Sessions/2024-03-0%1 10-00-00.000"_s.arg(i + 3);
            QVERIFY(QDir().mkpath(folder));
            for (int page = 1; page <= (i == 0 ? 2 : 1); ++page) {
                const QString path = folder + u"/0000000%1_o.jpg"_s.arg(page);
                QVERIFY(solidPage(pageColours()[page]).save(path));
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadWrite));
                QVERIFY(file.setFileTime(QDateTime(QDate(2024, 3, 3), QTime(12, 0)),
                                         QFileDevice::FileModificationTime));
            }
        }
        QTemporaryDir dir;
        if (waiting) {
            auto first = makeWindow();
            loadColours(*first, dir, 1);
        }

        auto window = makeWindow();
        QCOMPARE(window->startPanel()->removalWarning(), warning);
        QCOMPARE(noticeTexts(*window).filter(u"will be removed"_s).size(),
                 warning.isEmpty() ? 0 : 1);
        loadColours(*window, dir, 1);
        QCOMPARE(QFileInfo::exists(oldest), warning.isEmpty());
    }

    // Each export finds every page in order, or only the checked one, and ends with its notice.
    void exportCommands_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("reader"); // its words, run on the written file or folder
        QTest::addColumn<QString>("says");   // what the reader prints
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("cut"); // the second page's file cut short: nothing is written
        QTest::addColumn<bool>("checkedOnly"); // only the second page, the checked one
        const QString media = u"word/media/0000000%1_o.jpeg\n"_s;
        row("PDF", int(Command::BuildPdf), u"pdfinfo"_s, u"Pages:\\s+3\\n"_s,
            u"PDF file was created."_s, false, false);
        row("PDF, checked pages only", int(Command::BuildPdf), u"pdfinfo"_s, u"Pages:\\s+1\\n"_s,
            u"PDF file was created."_s, false, true);
        row("Word", int(Command::BuildWord), u"unzip -Z1"_s,
            media.arg(1) + media.arg(2) + media.arg(3), u"Word file was created."_s, false, false);
        row("DjVu", int(Command::BuildDjvu), u"djvused -e n"_s, u"^3\\n$"_s,
            u"DjVu file was created."_s, false, false);
        row("pictures", int(Command::ExportFiles), u"ls"_s, u"^(.+_\\d\\.\\w+\\n){3}$"_s,
            u"Images were saved."_s, false, false);
        const QString damaged =
            u"<br>Page 2 (00000002_o.jpg) cannot be read: the file is incomplete."_s;
        for (const auto &[name, command, kind] :
             {std::tuple("PDF, a page cut short", Command::BuildPdf, "PDF"),
              std::tuple("Word, a page cut short", Command::BuildWord, "Word"),
              std::tuple("DjVu, a page cut short", Command::BuildDjvu, "DjVu"),
              std::tuple("pictures, a page cut short", Command::ExportFiles, "Image")}) {
            row(name, int(command), QString(), QString(),
                u"Error while %1 file creating."_s.arg(QLatin1String(kind)) + damaged, true, false);
        }
    }
    void exportCommands()
    {
        QFETCH(int, command);
        QFETCH(QString, reader);
        QFETCH(QString, says);
        QFETCH(QString, notice);
        QFETCH(bool, cut);
        QFETCH(bool, checkedOnly);
        QTemporaryDir pictures;
        QTemporaryDir output;
        auto window = makeWindow();
        loadColours(*window, pictures, 3);
        const QString second = window->pageStore()->pagePaths().at(1);
        if (cut)
            QVERIFY(writeFile(second, contentOf(second).chopped(10)));
        window->pageStore()->slabAt(1)->setChecked(true);
        for (const auto &[place, folder] :
             {std::pair(Settings::FolderPlace, Settings::DocFolder),
              std::pair(Settings::WordFolderPlace, Settings::WordDocFolder),
              std::pair(Settings::DjvuFolderPlace, Settings::DjvuDocFolder),
              std::pair(Settings::ImageFolderPlace, Settings::ImageDocFolder)}) {
            writeSetting(place, 2);
            writeSetting(folder, output.path());
        }
        writeSetting(Settings::NeedOpen, false);
        writeSetting(Settings::WordNeedOpen, false);
        const QStringList pages = window->pageStore()->pagePaths();
        QAction *action = window->action(Command(command));
        QVERIFY(action->isEnabled());
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<ExportBaseDlg *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->pages(), pages);
            for (QCheckBox *open : dialog->findChildren<QCheckBox *>())
                open->setChecked(false); // no file browser in a test
            named<QCheckBox>(*dialog, "Checked pages only")->setChecked(checkedOnly);
            QCOMPARE(dialog->pages(), checkedOnly ? QStringList{second} : pages);
            dialog->apply();
            dialog->close(); // the PDF dialog stays open over a page that cannot be read
        });
        action->trigger();

        const QStringList written =
            QDir(output.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        if (cut) {
            QVERIFY(written.isEmpty());
            QCOMPARE(noticeTexts(*window), QStringList{u"<h4>%1</h4>"_s.arg(notice)});
            return;
        }
        QCOMPARE(written.size(), 1);
        QStringList arguments = reader.split(u' ') << QDir(output.path()).filePath(written.first());
        QProcess process;
        process.start(arguments.takeFirst(), arguments);
        QVERIFY(process.waitForFinished(30000));
        const QString said = QString::fromUtf8(process.readAllStandardOutput());
        QVERIFY2(said.contains(QRegularExpression(says)), qPrintable(said));
        const QStringList notices = noticeTexts(*window);
        QCOMPARE(notices.size(), 1);
        QVERIFY2(notices.first().contains(notice), qPrintable(notices.first()));
        QVERIFY(notices.first().contains(written.first().toHtmlEscaped()));
    }

    // A turn changes the current page, or with "Turn Checked Pages" every checked one.
    void turning()
    {
        QTemporaryDir dir;
        QStringList files;
        for (int i = 0; i < 3; ++i) {
            files << dir.filePath(u"%1.png"_s.arg(i));
            QVERIFY(markedPage().save(files.last()));
        }
        auto window = makeWindow();
        window->loadFiles(files);
        PageListWidget *store = window->pageStore();
        store->slabAt(0)->setChecked(true);
        store->slabAt(1)->setChecked(true);
        // Each page, then each thumbnail: lying or standing, and the corner of its black mark.
        const auto seen = [store] {
            QStringList seen;
            for (const QString &path : store->pagePaths() + store->thumbnailPaths()) {
                const QImage image(path);
                const int r = image.width() - 4;
                const int b = image.height() - 4;
                const auto dark = [&image](int x, int y) {
                    return image.pixelColor(x, y).lightness() < 60;
                };
                seen << QLatin1String(image.width() < image.height() ? "|" : "-") +
                            QLatin1String(dark(3, 3)   ? "TL"
                                          : dark(r, 3) ? "TR"
                                          : dark(r, b) ? "BR"
                                          : dark(3, b) ? "BL"
                                                       : "?");
            }
            return seen.join(u' ');
        };
        window->rotateRight(); // the current page, the last one, whatever is checked
        QCOMPARE(seen(), u"-TL -TL |TR -TL -TL |TR"_s);
        window->rotateFlip();
        window->rotateLeft(); // a half turn from the start
        QCOMPARE(seen(), u"-TL -TL -BR -TL -TL -BR"_s);
        window->action(Command::TurnChecked)->setChecked(true);
        window->rotateRight();
        QCOMPARE(seen(), u"|TR |TR -BR |TR |TR -BR"_s);
        QVERIFY(noticeTexts(*window).isEmpty());
    }

    // Cancel or a failed write leaves page file and thumbnail; accepting changes both, undoably.
    void editingAPage_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("leaveBy"); // a button's accessible name or text, or a key
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<bool>("changed");
        const int crop = int(Command::Crop);
        const int brightness = int(Command::Brightness);
        row("crop, Accept", crop, u"Accept"_s, false, true);
        row("crop, Enter", crop, u"Return"_s, false, true);
        row("crop, Cancel", crop, u"Cancel"_s, false, false);
        row("crop, Escape", crop, u"Escape"_s, false, false);
        row("crop, Accept, disk full", crop, u"Accept"_s, true, false);
        row("brightness, Cancel", brightness, u"Cancel"_s, false, false);
        row("brightness, OK", brightness, u"OK"_s, false, true);
        row("brightness, OK, disk full", brightness, u"OK"_s, true, false);
    }
    void editingAPage()
    {
        QFETCH(int, command);
        QFETCH(QString, leaveBy);
        QFETCH(bool, diskFull);
        QFETCH(bool, changed);
        QTemporaryDir dir;
        const QString file = dir.filePath(u"wide.png"_s);
        QVERIFY(solidPage(Qt::red, QSize(2000, 1000)).save(file));
        auto window = makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QAction *action = window->action(Command(command));
        QVERIFY(!action->isEnabled());
        window->loadFiles({file});
        const QString pagePath = window->pageStore()->pagePaths().value(0);
        const QString thumbPath = window->pageStore()->thumbnailPaths().value(0);
        const QByteArray pageBytes = contentOf(pagePath);
        const QByteArray thumbBytes = contentOf(thumbPath);

        QVERIFY(!window->action(Command::Undo)->isEnabled());
        action->trigger();
        const bool crop = Command(command) == Command::Crop;
        QAbstractButton *button = nullptr;
        if (crop) {
            QCOMPARE(window->pagePanelStack()->currentIndex(), int(MainWindow::CropPanel));
            QVERIFY(window->editor()->cropBox()->isVisible());
            // The box is 1000 x 500; 95 presses take its right edge to the 50-pixel minimum.
            for (int i = 0; i < 95; ++i)
                QTest::keyClick(window->editor()->view(), Qt::Key_Left,
                                Qt::ControlModifier | Qt::ShiftModifier);
            button =
                named<QPushButton>(*window->pagePanelStack()->currentWidget(), qPrintable(leaveBy));
        } else {
            BrightnessDlg *dialog = window->editor()->brightnessDialog();
            QVERIFY(dialog && dialog->isVisible());
            dialog->brightnessSlider()->setValue(60);
            button = dialog->buttons()->button(leaveBy == "OK"_L1 ? QDialogButtonBox::Ok
                                                                  : QDialogButtonBox::Cancel);
        }
        {
            const FileSizeLimit limit(diskFull ? 256 : RLIM_INFINITY);
            if (button)
                button->click();
            else
                QTest::keyClick(window->editor()->view(),
                                QKeySequence::fromString(leaveBy)[0].key());
        }
        if (crop) { // crop mode is left whichever way
            QVERIFY(!action->isChecked());
            QCOMPARE(window->pagePanelStack()->currentIndex(), int(MainWindow::PageStorePanel));
            QVERIFY(!window->editor()->cropBox()->isVisible());
        }
        const QSize size = changed && crop ? QSize(50, 500) : QSize(2000, 1000);
        QCOMPARE(QImageReader(pagePath).size(), size);
        QCOMPARE(window->editor()->currentImage().size(), size);
        QCOMPARE(contentOf(pagePath) == pageBytes, !changed);
        QCOMPARE(contentOf(thumbPath) == thumbBytes, !changed);
        QCOMPARE(window->action(Command::Undo)->isEnabled(), changed);
        const QStringList notices = noticeTexts(*window);
        QCOMPARE(notices.size(), diskFull ? 1 : 0);
        if (diskFull)
            QVERIFY(notices.first().contains(QFileInfo(pagePath).fileName()));
        if (changed && crop) {
            const QSize thumb = QImageReader(thumbPath).size();
            QVERIFY(thumb.width() < thumb.height());
        } else if (changed) { // brighter red: the other channels rise
            QVERIFY(colourOf(pagePath).green() > 100 && colourOf(thumbPath).green() > 100);
        }
        if (changed) {
            window->action(Command::Undo)->trigger();
            QCOMPARE(contentOf(pagePath), pageBytes);
            QVERIFY(near(colourOf(thumbPath), Qt::red));
            QVERIFY(!window->action(Command::Undo)->isEnabled());
            QVERIFY(window->action(Command::Redo)->isEnabled());
        }

        // Crop mode ends with the document.
        window->action(Command::Crop)->trigger();
        const MessageBoxAnswerer yes(QMessageBox::Yes);
        window->action(Command::RemoveAll)->trigger();
        QVERIFY(!window->action(Command::Crop)->isChecked());
        QCOMPARE(window->pagePanelStack()->currentIndex(), int(MainWindow::EmptyPanel));
    }

    // Kept versions and removed pages live outside "Current", so a restart restores only pages.
    void historyStaysOutOfTheDocument()
    {
        const MessageBoxAnswerer yes(QMessageBox::Yes);
        QTemporaryDir dir;
        QList<QByteArray> pages;
        QString kept;
        QString removed;
        {
            auto first = makeWindow();
            loadColours(*first, dir, 3);
            first->rotateLeft();
            first->rotateLeft();
            kept = first->editor()->history()->folder();
            QCOMPARE(QDir(kept).entryList(QDir::Files).size(), 2);
            first->removePage();
            removed = first->documentHistory()->folder();
            QCOMPARE(QDir(removed).entryList(QDir::Files).size(), 2);
            for (const QString &path : first->pageStore()->pagePaths())
                pages << contentOf(path);
        }
        QVERIFY(!QFileInfo::exists(kept));
        QVERIFY(!QFileInfo::exists(removed));
        auto second = makeWindow();
        QCOMPARE(second->pageStore()->waitingPageFiles().size(), 2);
        second->restoreSession();
        QCOMPARE(second->pageStore()->count(), 2);
        for (int i = 0; i < pages.size(); ++i)
            QCOMPARE(contentOf(second->pageStore()->pagePaths().at(i)), pages.at(i));
        QVERIFY(!second->action(Command::Undo)->isEnabled());

        second->removeAll();
        QVERIFY(second->action(Command::Undo)->isEnabled());
        loadColours(*second, dir, 1);
        QCOMPARE(second->pageStore()->count(), 1);
        QVERIFY(!second->action(Command::Undo)->isEnabled());
        QCOMPARE(QDir(second->documentHistory()->folder()).entryList(QDir::Files).size(), 0);
    }
};

QTEST_MAIN(TestPageCommands)
#include "tst_pagecommands.moc"
