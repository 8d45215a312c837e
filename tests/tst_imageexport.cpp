// The image-folder export: numbered files in a new sub-folder, failures and cancel.
#include "ExportFileDlg.h"
#include "ImageFileWriter.h"
#include "ProgressCanceller.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

using namespace Qt::StringLiterals;

namespace {
// Page i: a colour of its own with a black line; every third page black and white.
QImage pagePicture(int i)
{
    QImage image(24 + i % 5, 16, QImage::Format_RGB32);
    image.fill(QColor((i * 37) % 256, (i * 91) % 256, (i * 53) % 256));
    for (int x = 0; x < 8; ++x)
        image.setPixel(x, 4, qRgb(0, 0, 0));
    return i % 3 == 2 ? image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither) : image;
}

QStringList makePages(const QString &folder, int count)
{
    QStringList pages;
    for (int i = 0; i < count; ++i) {
        const QImage picture = pagePicture(i);
        pages << folder + u"/%1_o.%2"_s.arg(i).arg(picture.depth() == 1 ? u"tiff"_s : u"png"_s);
        writeImageFile(picture, pages.last());
    }
    return pages;
}

// Mean difference of the colour channels; 256 for pictures of different sizes.
double difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    double sum = 0;
    for (int i = 0; i < a.width() * a.height(); ++i) {
        const QRgb p = a.pixel(i % a.width(), i / a.width());
        const QRgb q = b.pixel(i % a.width(), i / a.width());
        sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
    }
    return sum / (3.0 * a.width() * a.height());
}

// A shown dialog that writes the pages into folder under the name "Scan", in format.
std::unique_ptr<ExportFileDlg> dialogFor(const QString &folder, const QString &format,
                                         const QStringList &pages)
{
    writeSetting(Settings::ImageFolderPlace, 2);
    writeSetting(Settings::ImageDocFolder, folder);
    writeSetting(Settings::ImageFormat, format);
    auto dialog = std::make_unique<ExportFileDlg>();
    dialog->setPages(pages);
    named<QLineEdit>(*dialog, "SubFolder")->setText(u"Scan"_s);
    dialog->show();
    return dialog;
}
} // namespace

class TestImageExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }

    void numberedFiles_data()
    {
        QTest::addColumn<int>("count"); // its digits: those of every number
        QTest::addColumn<QString>("format");
        row("9 JPEG", 9, "jpg");
        row("10 PNG", 10, "png");
        row("100 TIFF", 100, "tiff");
        row("4 BMP", 4, "bmp");
    }

    // Twice with the name Scan: the sub-folders Scan and Scan (1), each with every page.
    void numberedFiles()
    {
        QFETCH(int, count);
        QFETCH(QString, format);
        const int width = int(QString::number(count).size());
        const double tolerance = format == u"jpg"_s ? 8.0 : 0.0; // only JPEG loses detail
        QTemporaryDir in;
        QTemporaryDir out;
        const QStringList pages = makePages(in.path(), count);
        for (const QString &subFolder : {u"Scan"_s, u"Scan (1)"_s}) {
            auto dialog = dialogFor(out.path(), format, pages);
            // Only JPEG has a quality, whether loaded or chosen.
            QCOMPARE(dialog->qualityBox()->isVisible(), format == u"jpg"_s);
            auto *formats = dialog->formatBox();
            formats->setCurrentIndex(formats->findData(format == u"jpg"_s ? u"bmp"_s : u"jpg"_s));
            QCOMPARE(dialog->qualityBox()->isVisible(), format != u"jpg"_s);
            formats->setCurrentIndex(formats->findData(format));
            QSignalSpy applied(dialog.get(), &ExportBaseDlg::applied);
            dialog->apply();
            const QString folder = out.path() + u"/"_s + subFolder + u"/"_s;
            QCOMPARE(applied.size(), 1);
            QCOMPARE(applied.at(0).at(0).toString(), folder);
            QStringList expected;
            for (int i = 0; i < count; ++i) {
                expected << u"Scan_%1.%2"_s.arg(i + 1, width, 10, QChar(u'0')).arg(format);
                QVERIFY2(difference(QImage(folder + expected.last()), pagePicture(i)) <= tolerance,
                         qPrintable(expected.last()));
            }
            QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), expected);
        }
    }

    // Failed or cancelled: nothing of this export stays, and the earlier sub-folder is untouched.
    void failures_data()
    {
        QTest::addColumn<bool>("blockedFolder");
        QTest::addColumn<int>("unreadable"); // pages replaced by garbage, from the second
        QTest::addColumn<bool>("cancel");
        row("sub-folder cannot be made", true, 0, false);
        row("one page unreadable", false, 1, false);
        row("every page unreadable", false, 3, false);
        row("cancel after two pages", false, 0, true);
    }

    void failures()
    {
        QFETCH(bool, blockedFolder);
        QFETCH(int, unreadable);
        QFETCH(bool, cancel);
        QTemporaryDir in;
        QTemporaryDir out;
        const QStringList pages = makePages(in.path(), 3);
        for (int i = 0; i < unreadable; ++i)
            QVERIFY(writeFile(pages.at((i + 1) % 3), "no picture"));
        // A file where the destination folder should be: no folder can be made in it.
        const QString destination = out.filePath(blockedFolder ? u"file"_s : u"dest"_s);
        const QString earlier = destination + u"/Scan/Scan_1.png"_s;
        QVERIFY(blockedFolder ? QFile(destination).open(QIODevice::WriteOnly)
                              : QDir().mkpath(destination + u"/Scan"_s) &&
                                    writeImageFile(pagePicture(7), earlier));
        const QByteArray earlierBytes = blockedFolder ? QByteArray() : contentOf(earlier);

        auto dialog = dialogFor(destination, u"png"_s, pages);
        QSignalSpy applied(dialog.get(), &ExportBaseDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportBaseDlg::failed);
        QSignalSpy partly(dialog.get(), &ExportFileDlg::partlyApplied);
        int writtenAtCancel = -1;
        const ProgressCanceller canceller(dialog.get(), cancel ? 3 : 0, [&] {
            writtenAtCancel = int(QDir(destination + u"/Scan (1)"_s).entryList(QDir::Files).size());
        });
        dialog->apply();

        QVERIFY(applied.isEmpty() && partly.isEmpty());
        QCOMPARE(failed.size(), cancel ? 0 : 1); // a cancel is the user's wish: no notice
        QVERIFY(!QFileInfo::exists(destination + u"/Scan (1)"_s));
        QCOMPARE(writtenAtCancel, cancel ? 2 : -1); // the export really was under way
        if (!blockedFolder)
            QCOMPARE(contentOf(earlier), earlierBytes);
    }
};

QTEST_MAIN(TestImageExport)
#include "tst_imageexport.moc"
