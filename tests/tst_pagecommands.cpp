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
#include "TwoSidedStackDlg.h"
#include "WindowFixture.h"

#include <QtTest>
#include <QtWidgets>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {
const QList<QColor> pageColours = {Qt::red,     Qt::green, Qt::blue,    Qt::yellow,
                                   Qt::magenta, Qt::cyan,  Qt::darkRed, Qt::darkGreen};
constexpr int jpegError = 39; // per colour channel

QImage solidPage(const QColor &colour, QSize size = QSize(60, 40))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The colour a page file shows in its middle; black when it cannot be read.
QRgb colourOf(const QString &path)
{
    const QImage image(path);
    return image.isNull() ? qRgb(0, 0, 0) : image.pixel(image.width() / 2, image.height() / 2);
}

// Index into pageColours of every page in order; -1 where a page shows none of them, or its
// tile or file in the page folder is not numbered by its place.
QList<int> pageColourIndexes(const PageListWidget &store)
{
    QList<int> result;
    for (const QString &path : store.pagePaths()) {
        const int place = int(result.size()) + 1;
        const QString file = u"%1_o.jpg"_s.arg(place, 8, 10, QChar(u'0'));
        const bool numbered = store.slabAt(place - 1)->title() == u"Page %1"_s.arg(place) &&
                              path == QDir(store.currentFolder()).filePath(file);
        int found = -1;
        for (int i = 0; i < pageColours.size(); ++i) {
            if (numbered && near(colourOf(path), pageColours[i].rgb(), jpegError))
                found = i;
        }
        result << found;
    }
    return result;
}

// Files showing pageColours from first on, one each, or else picture where given.
QStringList pageFiles(const QTemporaryDir &dir, int first, int count, const QImage &picture = {})
{
    QStringList files;
    for (int i = first; i < first + count; ++i) {
        files << dir.filePath(u"page%1.png"_s.arg(i));
        (picture.isNull() ? solidPage(pageColours[i]) : picture).save(files.last());
    }
    return files;
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

// Files loaded together (no bytes: missing; a name ending in '/': a folder) and what they become.
struct Load
{
    Files files{};
    QStringList suffixes{}; // of the pages made
    QVariantList pages{};   // per page: its file's own bytes, the picture it shows, or ink's place
    QStringList notices{};
    bool upright = false; // pages are turned upright on loading
    QString note{};       // on the first page
    bool cancel = false;  // as soon as the progress shows
};

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
    QString commandLine = u"tiffcp"_s;
    for (const QImage &picture : pictures) {
        files.append({u"%1.tif"_s.arg(files.size()), encoded(picture, "TIFF")});
        commandLine += u' ' + files.last().first;
    }
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

// The notice refusing to load name for reason.
QStringList refusal(const QString &name, const QString &reason)
{
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

Q_DECLARE_METATYPE(Load)

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

    // Loads count pages of pageFiles(), those at checked checked.
    void loadPages(MainWindow &window, const QTemporaryDir &dir, int count,
                   const QList<int> &checked = {}, const QImage &picture = {})
    {
        window.loadFiles(pageFiles(dir, 0, count, picture));
        for (int index : checked)
            window.pageStore()->slabAt(index)->setChecked(true);
    }

    // Loading goes on past files that fail, each named in a notice, and never keeps half a file.
    void loading_data()
    {
        QTest::addColumn<Load>("load");
        const QStringList jpg{u"jpg"_s};
        const QImage red = solidPage(Qt::red);
        const QList<QImage> fax{solidPage(Qt::red, QSize(50, 40)),
                                markedPage().convertToFormat(QImage::Format_Mono),
                                solidPage(Qt::blue, QSize(70, 20))};
        row("multi-page TIFF, one page 1-bit", Load{.files = {{u"fax.tif"_s, multiPageTiff(fax)}},
                                                    .suffixes = {u"jpg"_s, u"tiff"_s, u"jpg"_s},
                                                    .pages = {fax[0], fax[1], fax[2]}});

        QImage transparent(80, 40, QImage::Format_ARGB32);
        transparent.fill(Qt::transparent);
        QPainter(&transparent).fillRect(0, 0, 12, 12, Qt::black);
        row("transparent PNG", Load{.files = {{u"ink.png"_s, encoded(transparent, "PNG")}},
                                    .suffixes = jpg,
                                    .pages = {markedPage()}});
        QImage blueInk = markedPage(QImage::Format_Mono);
        blueInk.setColor(blueInk.pixelIndex(3, 3), qRgb(0, 0, 255));
        row("blue ink 1-bit PNG", Load{.files = {{u"blue.png"_s, encoded(blueInk, "PNG")}},
                                       .suffixes = jpg,
                                       .pages = {blueInk}});
        const QByteArray photo = encoded(markedPage(), "JPG");
        row("JPEG turned by EXIF",
            Load{.files = {{u"phone.jpg"_s, turnedByExif(photo)}},
                 .suffixes = jpg,
                 .pages = {markedPage().transformed(QTransform().rotate(90))}});
        row("JPEG cut in the middle, end marker after it",
            Load{
                .files = {{u"cut.jpg"_s, photo.left(photo.size() / 2) + QByteArray("\xff\xd9", 2)}},
                .notices = refusal(u"cut.jpg"_s, u"damaged"_s)});
        row("words named .png, markup in the name",
            Load{.files = {{u"notes & <b>.png"_s, QByteArray("just some words")}},
                 .notices = refusal(u"notes & <b>.png"_s, u"not a picture"_s)});

        const QByteArray mono =
            encoded(solidPage(Qt::white).convertToFormat(QImage::Format_Mono), "TIFF");
        row("a batch with a missing file and a folder",
            Load{.files = {{u"photo.jpg"_s, encoded(red, "JPG")},
                           {u"gone.jpg"_s, QByteArray()},
                           {u"letter.tif"_s, mono},
                           {u"album.png/"_s, QByteArray()},
                           {u"SHOUT.TIF"_s, mono}},
                 .suffixes = {u"jpg"_s, u"tiff"_s, u"jpg"_s},
                 .pages = {red, QImage::fromData(mono), QImage::fromData(mono)},
                 .notices = {QStringLiteral("<h4>Sorry, can't load file.<br>Can't open gone.jpg: "
                                            "it is missing.</h4>"),
                             QStringLiteral("<h4>Sorry, can't load file.<br>Can't open album.png: "
                                            "it is not a regular file.</h4>")}});

        // The turn upright is an edit; a page without text is left and noted.
        const QImage picture = a4Photo(150);
        const QTransform onItsSide = QTransform().rotate(-90);
        row("upright: text on its side",
            Load{.files = {{u"side.png"_s,
                            encoded(a4Page(150, true).transformed(onItsSide), "PNG")}},
                 .suffixes = jpg,
                 .pages = {a4Page(150, true)},
                 .upright = true});
        row("upright: picture without text",
            Load{.files = {{u"side.png"_s, encoded(picture.transformed(onItsSide), "PNG")}},
                 .suffixes = jpg,
                 .pages = {picture.transformed(onItsSide)},
                 .upright = true,
                 .note = u"Which way up?"_s});

        // Cancel keeps the files loaded before whole and takes back the one it cut short.
        const QByteArray three = multiPageTiff({red, solidPage(Qt::green), solidPage(Qt::blue)});
        row("Cancel within the only file",
            Load{.files = {{u"three.tif"_s, three}}, .cancel = true});
        row("Cancel before the second file",
            Load{.files = {{u"one.png"_s, encoded(red, "PNG")}, {u"three.tif"_s, three}},
                 .suffixes = jpg,
                 .pages = {red},
                 .cancel = true});

        // PDF pages: a JPEG's own bytes, a 1-bit picture, or where a drawn page shows ink.
        QImage bits = solidPage(Qt::white, QSize(203, 61));
        {
            QPainter painter(&bits);
            painter.fillRect(20, 10, 37, 21, Qt::black);
            painter.fillRect(202, 60, 1, 1, Qt::black); // the last bit of a row padded to bytes
        }
        bits = bits.convertToFormat(QImage::Format_Mono);
        const QByteArray scanned =
            madeBy(u"img2pdf a.jpg b.png -o out.pdf"_s,
                   {{u"a.jpg"_s, photo}, {u"b.png"_s, encoded(bits, "PNG")}}, u"out.pdf"_s);
        const auto pdf = [](const QByteArray &bytes) { return Files{{u"scan.pdf"_s, bytes}}; };
        row("img2pdf: JPEG and 1-bit PNG pages",
            Load{.files = pdf(scanned), .suffixes = {u"jpg"_s, u"tiff"_s}, .pages = {photo, bits}});
        const QImage greyPhoto = markedPage(QImage::Format_Grayscale8);
        const QImage g4 = markedPage().scaled(97, 64).convertToFormat(QImage::Format_Mono);
        const QByteArray ours = exported({g4, greyPhoto});
        row("our export: Group 4 and JPEG pages",
            Load{.files = pdf(ours),
                 .suffixes = {u"tiff"_s, u"jpg"_s},
                 .pages = {g4, madeBy(u"pdfimages -all -f 2 -l 2 in.pdf out"_s,
                                      {{u"in.pdf"_s, ours}}, u"out-000.jpg"_s)}});
        const double scale = 300 / 72.0; // pages are drawn at 300 dpi
        row("text only: drawn",
            Load{.files = pdf(textOnlyPdf()),
                 .suffixes = jpg,
                 .pages = {QRect(wordBox.topLeft() * scale, wordBox.size() * scale)}});
        const QStringList damaged = refusal(u"scan.pdf"_s, u"damaged"_s);
        row("PDF cut in the middle",
            Load{.files = pdf(scanned.left(scanned.size() / 2)), .notices = damaged});
        // The decoder would fill the missing part with grey and call it a success.
        QImage busy(200, 200, QImage::Format_RGB32);
        for (int y = 0; y < busy.height(); ++y)
            for (int x = 0; x < busy.width(); ++x)
                busy.setPixel(x, y, qRgb(x * 37 ^ y * 91, x * y, x ^ y));
        const QByteArray busyJpeg = encoded(busy, "JPG");
        QByteArray cut =
            madeBy(u"img2pdf busy.jpg -o out.pdf"_s, {{u"busy.jpg"_s, busyJpeg}}, u"out.pdf"_s);
        cut.replace(int(cut.indexOf(busyJpeg) + busyJpeg.size() * 3 / 4), 2, "\xff\xd9");
        row("PDF JPEG picture ending early", Load{.files = pdf(cut), .notices = damaged});
        // The first page was already in the document when the second failed.
        row("PDF second page too large to draw",
            Load{.files = pdf(textOnlyPdf(true)),
                 .notices = refusal(u"scan.pdf"_s, u"too large"_s)});
        const QByteArray locked = madeBy(u"qpdf --encrypt u o 256 -- in.pdf out.pdf"_s,
                                         {{u"in.pdf"_s, scanned}}, u"out.pdf"_s);
        row("PDF locked by a password",
            Load{.files = pdf(locked),
                 .notices = refusal(u"scan.pdf"_s, u"protected by a password"_s)});
    }
    void loading()
    {
        QFETCH(Load, load);
        writeSetting(Settings::AutoOrientation, load.upright);
        QTemporaryDir dir;
        QStringList files;
        for (const auto &[name, bytes] : load.files) {
            const bool folder = name.endsWith(u'/');
            files << dir.filePath(folder ? name.chopped(1) : name);
            if (folder)
                QVERIFY(QDir().mkpath(files.last()));
            else if (!bytes.isNull())
                QVERIFY(writeFile(files.last(), bytes));
        }
        auto window = makeWindow();
        QTimer canceller;
        connect(&canceller, &QTimer::timeout, [&] {
            if (auto *progress = window->findChild<QProgressDialog *>()) {
                progress->cancel();
                canceller.stop();
            }
        });
        if (load.cancel)
            canceller.start(0);
        window->loadFiles(files);
        PageListWidget *store = window->pageStore();
        const QStringList pages = store->pagePaths();
        QCOMPARE(pages.size(), load.suffixes.size());
        for (int i = 0; i < pages.size(); ++i) {
            QCOMPARE(QFileInfo(pages[i]).fileName(),
                     u"%1_o.%2"_s.arg(i + 1, 8, 10, QChar(u'0')).arg(load.suffixes[i]));
            const QVariant &want = load.pages[i];
            const QImage page(pages[i]);
            if (want.typeId() == QMetaType::QByteArray) {
                QCOMPARE(contentOf(pages[i]), want.toByteArray());
            } else if (want.typeId() == QMetaType::QRect) {
                const QImage grey = page.convertToFormat(QImage::Format_Grayscale8);
                QVERIFY(qAbs(grey.width() - 2480) <= 1 && qAbs(grey.height() - 3508) <= 1);
                const QRect box = want.toRect();
                int ink = 0;
                for (int y = box.top(); y <= box.bottom(); ++y)
                    for (int x = box.left(); x <= box.right(); ++x)
                        ink += qGray(grey.pixel(x, y)) < 128 ? 1 : 0;
                QVERIFY2(ink > 1000, qPrintable(QString::number(ink)));
                QCOMPARE(qGray(grey.pixel(10, 10)), 255);
            } else if (load.suffixes[i] == "tiff"_L1) {
                QCOMPARE(page.depth(), 1);
                QCOMPARE(page.convertToFormat(QImage::Format_RGB32),
                         want.value<QImage>().convertToFormat(QImage::Format_RGB32));
            } else { // JPEG is lossy: the size, and the middle and corners as drawn
                const QImage drawn = want.value<QImage>();
                QCOMPARE(page.size(), drawn.size());
                const QRect inner = page.rect().adjusted(3, 3, -3, -3);
                for (const QPoint at : {inner.center(), inner.topLeft(), inner.topRight(),
                                        inner.bottomLeft(), inner.bottomRight()})
                    QVERIFY2(near(page.pixel(at), drawn.pixel(at), jpegError),
                             qPrintable(pages[i]));
            }
        }
        QCOMPARE(noticeTexts(*window), load.notices);
        QCOMPARE(store->pageNote(0), load.note);
        QCOMPARE(window->action(Command::Undo)->isEnabled(), load.upright && load.note.isEmpty());
        // Nothing of a refused or cancelled file stays, nor waits to be restored.
        QCOMPARE(store->waitingPageFiles(), QStringList());
        QCOMPARE(QDir(store->currentFolder()).entryList(QDir::Files).size(), 2 * pages.size());
        QCOMPARE(window->action(Command::RotateLeft)->isEnabled(), !pages.isEmpty());
        QCOMPARE(window->editor()->currentImage().isNull(), pages.isEmpty());
        // The last file that made pages; a cancelled one is the last given.
        QCOMPARE(
            readSetting(Settings::LastPath).toString(),
            pages.isEmpty()
                ? QString()
                : QFileInfo(files.at(files.size() - (load.cancel ? 2 : 1))).absoluteFilePath());
        if (!pages.isEmpty()) {
            QCOMPARE(store->currentIndex(), pages.size() - 1);
            QCOMPARE(window->workAreaStack()->currentIndex(), int(MainWindow::EditorArea));
            QCOMPARE(window->pagePanelStack()->currentIndex(), int(MainWindow::PageStorePanel));
        }
    }

    // Pages come back byte for byte, check marks too, through Undo and Redo of edits and commands.
    void pageCommands_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QList<int>>("checked");
        QTest::addColumn<int>("current");    // and edited
        QTest::addColumn<bool>("sameOrder"); // of a two-sided stack's backs
        QTest::addColumn<QList<int>>("order");
        const int remove = int(Command::RemoveAllChecked);
        const int stack = int(Command::TwoSidedStack);
        row("current page in the middle", int(Command::RemovePage), QList<int>{}, 1, false,
            QList<int>{0, 2, 3, 4, 5});
        row("all", int(Command::RemoveAll), QList<int>{}, 2, false, QList<int>{});
        row("all but current in the middle", int(Command::RemoveAllButThis), QList<int>{}, 2, false,
            QList<int>{2});
        row("checked, none checked", remove, QList<int>{}, 0, false, QList<int>{0, 1, 2, 3, 4, 5});
        row("checked, the current among them", remove, QList<int>{0, 2}, 2, false,
            QList<int>{1, 3, 4, 5});
        row("checked, one before the current", remove, QList<int>{1}, 2, false,
            QList<int>{0, 2, 3, 4, 5});
        row("checked, all", remove, QList<int>{0, 1, 2, 3, 4, 5}, 0, false, QList<int>{});
        row("unchecked, some", int(Command::RemoveAllUnchecked), QList<int>{1}, 0, false,
            QList<int>{1});
        row("unchecked, all checked", int(Command::RemoveAllUnchecked),
            QList<int>{0, 1, 2, 3, 4, 5}, 0, false, QList<int>{0, 1, 2, 3, 4, 5});
        row("moved to the top", int(Command::MoveTop), QList<int>{1}, 1, false,
            QList<int>{1, 0, 2, 3, 4, 5});
        // A one-sided feeder's fronts, then backs, come in reading order as one move.
        row("two-sided stack turned over", stack, QList<int>{}, 0, false,
            QList<int>{0, 5, 1, 4, 2, 3});
        row("two-sided stack, same order", stack, QList<int>{}, 0, true,
            QList<int>{0, 3, 1, 4, 2, 5});
        row("two-sided stack of checked pages", stack, QList<int>{1, 2, 3, 4}, 0, false,
            QList<int>{0, 1, 4, 2, 3, 5});
        row("two-sided stack of an odd count refused", stack, QList<int>{1, 2, 3}, 0, false,
            QList<int>{0, 1, 2, 3, 4, 5});
    }
    void pageCommands()
    {
        QFETCH(int, command);
        QFETCH(QList<int>, checked);
        QFETCH(int, current);
        QFETCH(bool, sameOrder);
        QFETCH(QList<int>, order);
        QTemporaryDir dir;
        auto window = makeWindow();
        loadPages(*window, dir, 6, checked);
        PageListWidget *store = window->pageStore();
        QList<QByteArray> originals;
        for (const QString &path : store->pagePaths())
            originals << contentOf(path);
        store->setCurrentPage(current);
        window->rotateRight();
        window->rotateRight();

        const QList<int> all{0, 1, 2, 3, 4, 5};
        const bool stack = Command(command) == Command::TwoSidedStack;
        const bool refused = stack && checked.size() % 2 != 0;
        const bool asks = Command(command) != Command::MoveTop;
        MessageBoxAnswerer answers(QMessageBox::No);
        bool yes = false;
        QTimer stackAnswerer; // the two-sided stack asks in a dialog of its own
        connect(&stackAnswerer, &QTimer::timeout, [&] {
            if (auto *dialog =
                    qobject_cast<TwoSidedStackDlg *>(QApplication::activeModalWidget())) {
                dialog->findChildren<QRadioButton *>().at(sameOrder ? 1 : 0)->click();
                yes ? dialog->accept() : dialog->reject();
            }
        });
        stackAnswerer.start(10);
        if (asks) {
            window->action(Command(command))->trigger();
            QCOMPARE(pageColourIndexes(*store), all);
        }
        answers.setAnswer(QMessageBox::Yes);
        yes = true;
        window->action(Command(command))->trigger();
        QCOMPARE(answers.count(QMessageBox::Question), asks && !stack ? 2 : 0);
        if (stack)
            QCOMPARE(noticeTexts(*window).size(), refused ? 2 : 0);
        QCOMPARE(pageColourIndexes(*store), order);
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
        int steps = refused ? 2 : 3; // a removal of nothing is a step too
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
        QCOMPARE(window->pageCountLabel()->text(), u"6 pages"_s);
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
        loadPages(*window, dir, pages, checked);
        PageListWidget *store = window->pageStore();
        QMap<int, QByteArray> bytes;
        for (int i = 0; i < pages; ++i)
            bytes.insert(i, contentOf(store->pagePaths()[i]));
        store->setCurrentPage(current);

        QMimeData *data = nullptr;
        if (dragged >= 0) {
            data = store->dragData(store->dragPositions(dragged));
        } else {
            QList<QUrl> urls;
            for (const QString &file : pageFiles(dir, pages, 3))
                urls << QUrl::fromLocalFile(file);
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
        QCOMPARE(QDir(store->currentFolder()).entryList({u"*_o.*"_s}, QDir::Files).size(),
                 order.size());
        for (int i = 0; i < order.size(); ++i) {
            const QImage *thumbnail = store->slabAt(i)->image();
            QVERIFY(thumbnail && near(thumbnail->pixel(thumbnail->rect().center()),
                                      pageColours[order[i]].rgb(), jpegError));
            if (bytes.contains(order[i]))
                QCOMPARE(contentOf(store->pagePaths()[i]), bytes.value(order[i]));
        }
        QCOMPARE(pageColourIndexes(*store).indexOf(shownColour), store->currentIndex());
        QCOMPARE(window->editor()->pagePath(), store->pagePaths()[store->currentIndex()]);
        const QImage shown = window->editor()->currentImage();
        QVERIFY(
            near(shown.pixel(shown.rect().center()), pageColours[shownColour].rgb(), jpegError));
    }

    // A restore comes after new pages, skips unreadable files; putting aside warns before deleting.
    void restoringASession_data()
    {
        QTest::addColumn<int>("kept");          // sessions kept aside, the oldest with 2 pages
        QTest::addColumn<int>("left");          // pages of the last run
        QTest::addColumn<QByteArray>("second"); // written over the second page file
        QTest::addColumn<int>("added");         // new pages loaded before the restore
        QTest::addColumn<QList<int>>("order");
        QTest::addColumn<QStringList>("notices"); // of the restore
        QTest::addColumn<QString>("warning");
        const int most = EarlierSessions::KeptSessions;
        row("moved pages", 0, 3, QByteArray(), 0, QList<int>{2, 0, 1}, QStringList(), QString());
        row("new pages first, five kept", most, 4, QByteArray(), 2, QList<int>{4, 5, 3, 0, 1, 2},
            QStringList(),
            QStringLiteral("5 earlier sessions kept; the oldest, 2 pages of 3 March 2024, will be "
                           "removed when you start a new document."));
        row("new page first, four kept", most - 1, 1, QByteArray(), 1, QList<int>{1, 0},
            QStringList(), QString());
        row("nothing waits: the newest kept session", most, 0, QByteArray(), 1, QList<int>{0, 1},
            QStringList(), QString());
        row("nothing to restore", 0, 0, QByteArray(), 0, QList<int>{},
            QStringList{u"<h4>There is no earlier session to restore.</h4>"_s}, QString());
        row("garbage", 0, 2, QByteArray("garbage"), 0, QList<int>{1},
            QStringList{u"Wrong file format"_s}, QString());
        // The page shown afterwards is the cut one: the editor says so too.
        row("JPEG cut short", 0, 2, QByteArray("cut"), 0, QList<int>{1, 0},
            QStringList{QStringLiteral("<h4>Page 2 (00000002_o.jpg) cannot be read: the file is "
                                       "incomplete.<br>The page is kept as it was found.</h4>"),
                        u"Can't open 00000002_o.jpg: the file is incomplete."_s},
            QString());
    }
    void restoringASession()
    {
        QFETCH(int, kept);
        QFETCH(int, left);
        QFETCH(QByteArray, second);
        QFETCH(int, added);
        QFETCH(QList<int>, order);
        QFETCH(QStringList, notices);
        QFETCH(QString, warning);
        const MessageBoxAnswerer yes(QMessageBox::Yes);
        const QString work = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString oldest = work + u"/Earlier Sessions/2024-03-03 10-00-00.000"_s;
        for (int i = 0; i < kept; ++i) {
            const QString folder =
                work + u"/Earlier Sessions/2024-03-0%1 10-00-00.000"_s.arg(i + 3);
            QVERIFY(QDir().mkpath(folder));
            for (int page = 1; page <= (i == 0 ? 2 : 1); ++page) {
                const QString path = folder + u"/0000000%1_o.jpg"_s.arg(page);
                QVERIFY(solidPage(pageColours[page]).save(path));
                QFile file(path);
                QVERIFY(file.open(QIODevice::ReadWrite));
                QVERIFY(file.setFileTime(QDateTime(QDate(2024, 3, 3), QTime(12, 0)),
                                         QFileDevice::FileModificationTime));
            }
        }
        QTemporaryDir dir;
        QList<QByteArray> files;
        if (left > 0) {
            QString versions;
            QString removed;
            {
                // The last page is edited, then removed; the new last one is moved to the top.
                auto first = makeWindow();
                loadPages(*first, dir, left + 1);
                first->rotateLeft();
                first->rotateLeft();
                versions = first->editor()->history()->folder();
                QCOMPARE(QDir(versions).entryList(QDir::Files).size(), 2);
                first->removePage();
                removed = first->documentHistory()->folder();
                QCOMPARE(QDir(removed).entryList(QDir::Files).size(), 2);
                first->moveTop();
                for (const QString &path : first->pageStore()->pagePaths())
                    files << contentOf(path);
            }
            // Kept versions and removed pages live outside "Current": a restart finds only pages.
            QVERIFY(!QFileInfo::exists(versions));
            QVERIFY(!QFileInfo::exists(removed));
        }
        auto window = makeWindow();
        PageListWidget *store = window->pageStore();
        QCOMPARE(store->waitingPageFiles().size(), left);
        const QString damaged = store->currentFolder() + u"/00000002_o.jpg"_s;
        if (second == "cut")
            second = contentOf(damaged).chopped(10);
        QVERIFY(second.isEmpty() || writeFile(damaged, second));
        QCOMPARE(window->startPanel()->restoreButton()->isVisibleTo(window.get()), left > 0);
        const QString offer = u"%1 pages from your last session"_s.arg(left);
        QCOMPARE(noticeTexts(*window).filter(offer).size(), left > 0 ? 1 : 0);
        QCOMPARE(window->startPanel()->message(), left > 0 ? offer : QString());
        QCOMPARE(window->startPanel()->removalWarning(), warning);
        QCOMPARE(noticeTexts(*window).filter(u"will be removed"_s).size(),
                 warning.isEmpty() ? 0 : 1);

        window->loadFiles(pageFiles(dir, left, added));
        if (kept > 0)
            QCOMPARE(QFileInfo::exists(oldest), warning.isEmpty());
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
        QVERIFY(!window->action(Command::Undo)->isEnabled());
        // Only a skipped file still waits; a kept session restored is no longer waiting.
        QCOMPARE(window->startPanel()->message().isEmpty(), order.size() >= left + added);

        if (empty)
            return;
        // A new page drops the undo of a removal: removals are kept by position.
        window->removeAll();
        QVERIFY(window->action(Command::Undo)->isEnabled());
        loadPages(*window, dir, 1);
        QCOMPARE(store->count(), 1);
        QVERIFY(!window->action(Command::Undo)->isEnabled());
        QCOMPARE(QDir(window->documentHistory()->folder()).entryList(QDir::Files).size(), 0);
    }

    // Each export finds every page in order, or only the checked one, and ends with its notice.
    void exportCommands_data()
    {
        QTest::addColumn<int>("command");
        // The reader's words, run on what was written; none: page 2 is cut short, nothing written.
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("says"); // what the reader prints
        QTest::addColumn<QString>("notice");
        QTest::addColumn<bool>("checkedOnly"); // only the second page, the checked one
        const QString media = u"word/media/0000000%1_o.jpeg\n"_s;
        row("PDF", int(Command::BuildPdf), u"pdfinfo"_s, u"Pages:\\s+3\\n"_s,
            u"PDF file was created."_s, false);
        row("PDF, checked pages only", int(Command::BuildPdf), u"pdfinfo"_s, u"Pages:\\s+1\\n"_s,
            u"PDF file was created."_s, true);
        row("Word", int(Command::BuildWord), u"unzip -Z1"_s,
            media.arg(1) + media.arg(2) + media.arg(3), u"Word file was created."_s, false);
        row("DjVu", int(Command::BuildDjvu), u"djvused -e n"_s, u"^3\\n$"_s,
            u"DjVu file was created."_s, false);
        row("pictures", int(Command::ExportFiles), u"ls"_s, u"^(.+_\\d\\.\\w+\\n){3}$"_s,
            u"Images were saved."_s, false);
        const QString damaged =
            u"<br>Page 2 (00000002_o.jpg) cannot be read: the file is incomplete."_s;
        for (const auto &[name, command, kind] :
             {std::tuple("PDF, a page cut short", Command::BuildPdf, "PDF"),
              std::tuple("Word, a page cut short", Command::BuildWord, "Word"),
              std::tuple("DjVu, a page cut short", Command::BuildDjvu, "DjVu"),
              std::tuple("pictures, a page cut short", Command::ExportFiles, "Image")}) {
            row(name, int(command), QString(), QString(),
                u"Error while %1 file creating."_s.arg(QLatin1String(kind)) + damaged, false);
        }
    }
    void exportCommands()
    {
        QFETCH(int, command);
        QFETCH(QString, reader);
        QFETCH(QString, says);
        QFETCH(QString, notice);
        QFETCH(bool, checkedOnly);
        const bool cut = reader.isEmpty();
        QTemporaryDir pictures;
        QTemporaryDir output;
        auto window = makeWindow();
        loadPages(*window, pictures, 3, {1});
        const QString second = window->pageStore()->pagePaths().at(1);
        if (cut)
            QVERIFY(writeFile(second, contentOf(second).chopped(10)));
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
        auto window = makeWindow();
        loadPages(*window, dir, 3, {0, 1}, markedPage());
        PageListWidget *store = window->pageStore();
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
            QVERIFY(qGreen(colourOf(pagePath)) > 100 && qGreen(colourOf(thumbPath)) > 100);
        }
        if (changed) {
            window->action(Command::Undo)->trigger();
            QCOMPARE(contentOf(pagePath), pageBytes);
            QVERIFY(near(colourOf(thumbPath), qRgb(255, 0, 0), jpegError));
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
};

QTEST_MAIN(TestPageCommands)
#include "tst_pagecommands.moc"
