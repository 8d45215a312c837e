// The image editor: zoom, turns and edits written in the file's format, failures, bad files.
#include "BrightnessDlg.h"
#include "CropBoxItem.h"
#include "EditHistory.h"
#include "EditorFixture.h"
#include "FileSizeLimit.h"
#include "PhotoGraphicsScene.h"
#include "PhotoPixmapItem.h"
#include "SettingsKeys.h"
#include "ToneCurve.h"

#include <QtTest/qtestspontaneevent.h>
#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {
// 0 top-left, 1 top-right, 2 bottom-left, 3 bottom-right.
QRgb cornerColour(const QImage &image, int corner)
{
    return image.pixel(corner % 2 ? image.width() - 4 : 3, corner / 2 ? image.height() - 4 : 3);
}

QByteArray bmpClaiming(qint32 width, qint32 height)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("BM", 2);
    out << quint32(70) << 0 << 54 << 40 << width << height << quint16(1) << quint16(24);
    return bytes + QByteArray(40, '\0');
}
} // namespace

class TestEditor : public EditorFixture
{
    Q_OBJECT

private slots:
    void zoom_data()
    {
        QTest::addColumn<QSize>("imageSize");
        QTest::addColumn<QSize>("editorSize");
        QTest::addColumn<bool>("fitFirst");
        QTest::addColumn<double>("shownScale");
        QTest::addColumn<int>("steps");        // > 0: zoomIn() calls, < 0: zoomOut() calls
        QTest::addColumn<QList<int>>("wheel"); // then the window system's wheel, these deltas
        QTest::addColumn<double>("expectedScale");
        const QSize view(1000, 800);
        const QSize large(4000, 3000);
        const QList<int> none;
        // 990 x 790 available: 4000 x 3000 fits as 990 x 742.
        row("larger page fitted", large, view, false, 0.2475, 1, none, 0.2975);
        row("one pixel wider fitted", QSize(1001, 800), view, false, 988.0 / 1001, 0, none,
            988.0 / 1001);
        row("page as large as view 1:1", view, view, false, 1.0, 0, none, 1.0);
        row("twenty in stop at 2.0", QSize(800, 600), view, false, 1.0, 20, none, 2.0);
        row("nineteen out reach 0.05", QSize(800, 600), view, false, 1.0, -19, none, 0.05);
        row("0.07 out stops at 0.05", QSize(10000, 100), QSize(710, 800), false, 0.07, -1, none,
            0.05);
        row("fit above 2.0 then in", QSize(100, 50), view, true, 9.9, 1, none, 2.0);
        row("wheel forward, or without delta, in", large, view, false, 0.2475, 0,
            QList<int>{120, 0}, 0.3475);
        row("wheel back, however little, out", large, view, false, 0.2475, 0, QList<int>{-1},
            0.1975);
    }

    // Without a page, and once it is cleared, there is nothing to turn or zoom.
    void zoom()
    {
        QFETCH(QSize, imageSize);
        QFETCH(QSize, editorSize);
        QFETCH(bool, fitFirst);
        QFETCH(double, shownScale);
        QFETCH(int, steps);
        QFETCH(QList<int>, wheel);
        QFETCH(double, expectedScale);
        showSized(editorSize);
        const WriteResult turned = m_editor->rotateBy(90);
        QVERIFY(!turned.ok && turned.error.isEmpty());
        m_editor->zoomIn();
        m_editor->zoomFit();
        QCOMPARE(m_editor->scale(), 1.0);

        QImage image(imageSize, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = write(encoded(image, "PNG"), u"p.png"_s);
        QVERIFY(m_editor->showPage(path));
        QVERIFY(!m_editor->cropBox()->isVisible());
        if (fitFirst)
            m_editor->zoomFit();
        QCOMPARE(m_editor->scale(), shownScale);

        for (int i = 0; i < qAbs(steps); ++i)
            steps > 0 ? m_editor->zoomIn() : m_editor->zoomOut();
        QWidget *viewport = m_editor->view()->viewport();
        const QPointF at = QRectF(viewport->rect()).center();
        for (const int delta : wheel) {
            QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), QPoint(0, delta),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QSpontaneKeyEvent::setSpontaneous(&event);
            qApp->notify(viewport, &event);
        }
        QCOMPARE(m_editor->scale(), expectedScale);
        QCOMPARE(m_editor->picture()->scale(), expectedScale);
        const QSizeF scaled = QSizeF(imageSize) * expectedScale;
        QCOMPARE(m_editor->scene()->sceneRect(),
                 QRectF(QPointF(-scaled.width() / 2, -scaled.height() / 2), scaled));

        m_editor->clearPage();
        QVERIFY(!m_editor->picture() && !m_editor->cropBox() && m_editor->currentImage().isNull());
        QVERIFY(m_editor->scene()->items().isEmpty());
        QVERIFY(!m_editor->rotateBy(-90).ok);
        QCOMPARE(QImageReader(path).size(), imageSize);
    }

    void turn_data()
    {
        // The file keeps the format its name says and the depth of its kind of page.
        QTest::addColumn<PageKind>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // format of the file before the turns
        QTest::addColumn<int>("degrees");
        QTest::addColumn<int>("times");
        QTest::addColumn<int>("corner");    // where the top-left corner ends up; -1: paper there
        QTest::addColumn<QString>("fault"); // the write fails: the page stays as it was
        const QString jpg = u"p_o.jpg"_s;
        const QString tiff = u"p_o.tiff"_s;
        const QByteArray JPG("JPG"), TIFF("TIFF");
        const QString none, gone = u"folder gone"_s, full = u"disk full"_s;
        row("colour left", PageKind::Colour, jpg, JPG, -90, 1, 2, none);
        row("colour right", PageKind::Colour, jpg, JPG, 90, 1, 1, none);
        row("colour flip", PageKind::Colour, jpg, JPG, 180, 1, 3, none);
        row("grey right", PageKind::Grey, jpg, JPG, 90, 1, 1, none);
        row("1-bit flip", PageKind::Mono, tiff, TIFF, 180, 1, 3, none);
        row("1-bit four rights", PageKind::Mono, tiff, TIFF, 90, 4, 0, none);
        row("1-bit odd angle", PageKind::Mono, tiff, TIFF, 45, 1, -1, none);
        row("colour odd angle", PageKind::Colour, jpg, JPG, -30, 1, -1, none);
        row("JPEG named .tiff becomes TIFF", PageKind::Colour, tiff, JPG, -90, 1, 2, none);
        row("1-bit PNG stays PNG", PageKind::Mono, u"p.png"_s, QByteArray("PNG"), -90, 1, 2, none);
        row("colour page, folder gone", PageKind::Colour, jpg, JPG, -90, 1, 2, gone);
        row("1-bit page, folder gone", PageKind::Mono, tiff, TIFF, -90, 1, 2, gone);
        row("colour page, disk full", PageKind::Colour, jpg, JPG, -90, 1, 2, full);
        row("1-bit page, disk full", PageKind::Mono, tiff, TIFF, -90, 1, 2, full);
    }

    void turn()
    {
        QFETCH(PageKind, kind);
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(int, degrees);
        QFETCH(int, times);
        QFETCH(int, corner);
        QFETCH(QString, fault);
        const QByteArray suffix = QFileInfo(name).suffix().toLatin1();
        const QByteArray expectedFormat = suffix == "jpg" ? QByteArray("jpeg") : suffix;
        const int expectedDepth = kind == PageKind::Mono ? 1 : kind == PageKind::Grey ? 8 : 32;
        // Large enough that no page file fits in the full disk's 256 bytes.
        const QSize size = fault.isEmpty() ? QSize(123, 77) : QSize(400, 300);
        QDir folder(m_dir->filePath(u"Current"_s));
        QVERIFY(folder.mkpath(u"."_s));
        const QByteArray bytes = encoded(drawnPage(size, kind), content.constData());
        const QString path = write(bytes, u"Current/"_s + name);
        QVERIFY(m_editor->showPage(path));
        const QImage original = m_editor->currentImage();

        if (!fault.isEmpty()) {
            QVERIFY(fault != "folder gone"_L1 || folder.removeRecursively());
            WriteResult turned;
            {
                const FileSizeLimit limit(fault == "disk full"_L1 ? 256 : RLIM_INFINITY);
                turned = m_editor->rotateBy(degrees);
            }
            QVERIFY(!turned.ok);
            QVERIFY(turned.error.contains(name));
            QCOMPARE(m_editor->currentImage(), original);
            QCOMPARE(m_editor->picture()->pixmap().size(), original.size());
            if (fault == "disk full"_L1) {
                // The old file stays whole, with no temporary file beside it.
                QCOMPARE(contentOf(path), bytes);
                QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden).size(), 1);
            }
            return;
        }
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
            QVERIFY(near(cornerColour(onDisk, 0), qRgb(255, 255, 255), 30));
            return;
        }
        const bool quarter = (degrees * times) % 180 != 0;
        QCOMPARE(shown.size(), quarter ? original.size().transposed() : original.size());
        QVERIFY(near(cornerColour(onDisk, corner), cornerColour(original, 0), 30));
        if (corner != 0)
            QVERIFY(!near(cornerColour(onDisk, 0), cornerColour(original, 0), 30));
        // 1-bit pages move exactly: what is shown is what the file has, four turns give it back.
        if (kind == PageKind::Mono) {
            QCOMPARE(onDisk.convertToFormat(QImage::Format_RGB32),
                     shown.convertToFormat(QImage::Format_RGB32));
            if (corner == 0)
                QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                         original.convertToFormat(QImage::Format_RGB32));
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
        const QString jpg = u"p_o.jpg"_s;
        const QString incomplete = u"incomplete"_s;
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
        row("PPM claiming 30000 x 30000, too many pixels", u"p.ppm"_s,
            QByteArray("P6 30000 30000 255\n"), false, u"30000"_s);
        row("BMP claiming 45000 x 100, too wide", u"p.bmp"_s, bmpClaiming(45000, 100), false,
            u"45000"_s);
        row("BMP claiming 100 x 45000, too tall", u"p.bmp"_s, bmpClaiming(100, 45000), false,
            u"45000"_s);
    }

    void pageFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, good);
        QFETCH(QString, messageHas);
        const QString path = bytes.isNull() ? m_dir->filePath(name) : write(bytes, name);

        QString error = u"stale"_s;
        const QImage read = readPageImage(path, &error);
        if (good) {
            QCOMPARE(read.size(), QSize(300, 200));
            QVERIFY(error.isEmpty());
            return;
        }
        QVERIFY(read.isNull());
        QVERIFY2(error.contains(name) && error.contains(messageHas), qPrintable(error));

        // The editor keeps showing, zooming and turning the page it had.
        const QString shown = write(encoded(drawnPage({200, 100}), "JPG"), u"good.jpg"_s);
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
    // Preview on a reduced page; OK rewrites, Cancel not; undo/redo of it and two turns.
    void brightness_data()
    {
        QTest::addColumn<PageKind>("kind");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("brightness");
        QTest::addColumn<int>("contrast");
        QTest::addColumn<QString>("labels"); // as the user reads them
        row("cancel at both ends", PageKind::Colour, false, 100, -100, u"100 -100"_s);
        row("cancel small negative", PageKind::Colour, false, -5, 5, u"-05 005"_s);
        row("OK at 0/0 still rewrites", PageKind::Colour, true, 0, 0, u"000 000"_s);
        row("OK 50 on a grey page", PageKind::Grey, true, 50, 30, u"050 030"_s);
        row("OK on a 1-bit page keeps it 1-bit", PageKind::Mono, true, 40, 10, u"040 010"_s);
    }
    void brightness()
    {
        QFETCH(PageKind, kind);
        QFETCH(bool, accept);
        QFETCH(int, brightness);
        QFETCH(int, contrast);
        QFETCH(QString, labels);
        const bool mono = kind == PageKind::Mono;
        const QByteArray bytes = encoded(drawnPage({1200, 900}, kind), mono ? "TIFF" : "JPG");
        const QString path = write(bytes, QLatin1String(mono ? "p_o.tiff" : "p_o.jpg"));
        const QDateTime old(QDate(2001, 1, 1), QTime(0, 0));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(old, QFileDevice::FileModificationTime));
        file.close();
        QVERIFY(m_editor->showPage(path));
        const QImage before = m_editor->currentImage();
        QSignalSpy applied(m_editor, &ImageEditor::contrastChanged);

        m_editor->contrast();
        BrightnessDlg *dialog = m_editor->brightnessDialog();
        QVERIFY(dialog && dialog->isVisible());
        const auto shownLabels = [dialog] {
            return dialog->brightnessLabel()->text() + u' ' + dialog->contrastLabel()->text();
        };
        const QImage source = dialog->sourceImage();
        QVERIFY(!source.isNull() && source.width() < 1200);
        QCOMPARE(dialog->previewImage(), source);
        dialog->brightnessSlider()->setValue(77); // a preview of another value first
        dialog->brightnessSlider()->setValue(brightness);
        dialog->contrastSlider()->setValue(contrast);
        QCOMPARE(shownLabels(), labels);
        QImage preview = source.copy();
        applyToneCurve(preview, brightness, contrast);
        QCOMPARE(dialog->previewImage(), preview);
        dialog->buttons()
            ->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)
            ->click();
        QVERIFY(!dialog->isVisible());
        // Nothing of the page stays once the dialog is closed.
        QVERIFY(dialog->sourceImage().isNull() && dialog->previewImage().isNull());
        QVERIFY(dialog->sourceScene()->items().isEmpty());
        QVERIFY(dialog->destinationScene()->items().isEmpty());
        if (!accept) {
            QCOMPARE(contentOf(path), bytes);
            QCOMPARE(QFileInfo(path).lastModified(), old);
            QCOMPARE(applied.count(), 0);
            QCOMPARE(m_editor->currentImage(), before);
            QVERIFY(!m_editor->canUndo() && !m_editor->canRedo());
            // The next opening starts unchanged, whatever the last one left.
            m_editor->contrast();
            QCOMPARE(shownLabels(), u"000 000"_s);
            QCOMPARE(dialog->previewImage(), dialog->sourceImage());
            return;
        }
        QVERIFY(QFileInfo(path).lastModified() > old);
        QCOMPARE(applied.count(), 1);
        QCOMPARE(applied.first(), (QVariantList{brightness, contrast}));
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray(mono ? "tiff" : "jpeg"));
        const QImage onDisk = reader.read();
        QCOMPARE(onDisk.depth(), before.depth());
        QImage expected = before.copy();
        QCOMPARE(applyToneCurve(expected, brightness, contrast), !mono);
        QCOMPARE(m_editor->currentImage(), expected);
        QVERIFY(near(cornerColour(onDisk, 0), cornerColour(expected, 0), 30));

        QList<QByteArray> versions{bytes, contentOf(path)};
        writeSetting(Settings::JpegQuality, 20); // each turn writes at the quality set then
        QVERIFY(m_editor->rotateBy(90).ok);
        versions << contentOf(path);
        writeSetting(Settings::JpegQuality, 95);
        QVERIFY(m_editor->rotateBy(180).ok);
        versions << contentOf(path);
        QVERIFY(mono || versions[3].size() > versions[2].size() * 3 / 2);
        for (qsizetype i = versions.size() - 1; i > 0; --i) {
            QVERIFY(m_editor->canUndo() && m_editor->undo().ok);
            QCOMPARE(contentOf(path), versions.at(i - 1));
            QCOMPARE(m_editor->currentImage(), readPageImage(path));
        }
        QVERIFY(!m_editor->canUndo() && !m_editor->undo().ok);
        for (qsizetype i = 1; i < versions.size(); ++i) {
            QVERIFY(m_editor->canRedo() && m_editor->redo().ok);
            QCOMPARE(contentOf(path), versions.at(i));
        }
        QVERIFY(!m_editor->canRedo());

        QVERIFY(m_editor->undo().ok);
        QVERIFY(m_editor->canRedo());
        QVERIFY(m_editor->rotateBy(-90).ok);
        QVERIFY(!m_editor->canRedo());
        QVERIFY(m_editor->undo().ok);
        QCOMPARE(contentOf(path), versions.at(2));
    }

    // Kept versions of a 1000-byte file under ten steps and byte limits; a failed write none.
    void historyLimits_data()
    {
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<int>("edits");
        QTest::addColumn<int>("undos");
        row("twelve edits, ten kept", qint64(1) << 30, 12, 10);
        row("three fit the bytes", qint64(3500), 6, 3);
        row("one larger than the bytes", qint64(500), 3, 1);
    }
    void historyLimits()
    {
        QFETCH(qint64, maxBytes);
        QFETCH(int, edits);
        QFETCH(int, undos);
        const auto version = [](int n) { return QByteArray::number(n).leftJustified(1000, '.'); };
        const QString page = write(version(0), u"p.bin"_s);
        EditHistory history(nullptr, 10, maxBytes);
        const auto writeVersion = [&](int n) {
            return [&, n] { return WriteResult{writeFile(page, version(n)), QString()}; };
        };
        for (int n = 1; n <= edits; ++n)
            QVERIFY(history.rewrite(page, writeVersion(n)).ok);
        QVERIFY(!history.rewrite(page, [] { return WriteResult{false, u"no"_s}; }));
        QCOMPARE(contentOf(page), version(edits));

        int undone = 0;
        while (history.canUndo(page)) {
            QVERIFY(history.undo(page).ok);
            ++undone;
        }
        QCOMPARE(undone, undos);
        QCOMPARE(contentOf(page), version(edits - undos));
        // Clearing removes the kept files with their folder.
        const QString kept = history.folder();
        QVERIFY(QFileInfo(kept).isDir());
        history.clear();
        QVERIFY(!QFileInfo::exists(kept));
        QCOMPARE(history.bytesKept(), 0);
        QVERIFY(!history.canRedo(page));
    }
};

QTEST_MAIN(TestEditor)
#include "moc_EditorFixture.cpp"
#include "tst_editor.moc"
