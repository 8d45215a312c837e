// The Word document export: picture sizes, the written package as a reader sees it (parts,
// content types, relationships, one picture per page with page breaks between them), and the
// dialog's outcomes, a cancel in the middle included.
#include "DocxGenerator.h"
#include "DocxTemplate.h"
#include "ExportWordDlg.h"
#include "ImageFileWriter.h"
#include "MessageBoxAnswerer.h"
#include "PdfProgress.h"
#include "SelectFolderWidget.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QDir>
#include <QLineEdit>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>

#include <functional>

namespace {
const QStringList TemplateParts = {QStringLiteral("[Content_Types].xml"),
                                   QStringLiteral("_rels/.rels"),
                                   QStringLiteral("docProps/app.xml"),
                                   QStringLiteral("docProps/core.xml"),
                                   QStringLiteral("word/document.xml"),
                                   QStringLiteral("word/fontTable.xml"),
                                   QStringLiteral("word/settings.xml"),
                                   QStringLiteral("word/styles.xml"),
                                   QStringLiteral("word/webSettings.xml"),
                                   QStringLiteral("word/theme/theme1.xml"),
                                   QStringLiteral("word/_rels/document.xml.rels")};

// Every entry of the ZIP package at path, by name; empty when it is no readable ZIP file.
QMap<QString, QByteArray> readPackage(const QString &path)
{
    QMap<QString, QByteArray> entries;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return entries;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFile entry(&zip);
        if (!entry.open(QIODevice::ReadOnly))
            return {};
        entries.insert(zip.getCurrentFileName(), entry.readAll());
    }
    return entries;
}

// The attribute name of the elements called element, in document order.
QStringList attributes(const QByteArray &xml, const char *element, const char *name)
{
    QStringList values;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.qualifiedName() == QLatin1String(element))
            values << reader.attributes().value(QLatin1String(name)).toString();
    }
    return values;
}

// The pictures and page breaks of the body in order: "D" a drawing, "|" a page break.
QString bodySequence(const QByteArray &document)
{
    QString sequence;
    QXmlStreamReader reader(document);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (reader.qualifiedName() == QLatin1String("w:drawing"))
            sequence += QLatin1Char('D');
        else if (reader.qualifiedName() == QLatin1String("w:br") &&
                 reader.attributes().value(QLatin1String("w:type")) == QLatin1String("page"))
            sequence += QLatin1Char('|');
    }
    return sequence;
}

QString sniffedType(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("image/jpeg");
    if (bytes.startsWith("\x89PNG\r\n\x1A\n"))
        return QStringLiteral("image/png");
    return QStringLiteral("unknown");
}
} // namespace

class TestWordExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_pageDir.isValid());
        const struct
        {
            const char *name;
            QSize size;
            PageKind kind;
            int dpi;
        } pages[] = {{"00000001_o.jpg", QSize(600, 800), PageKind::Grey, 300},
                     {"00000002_o.tiff", QSize(2480, 3508), PageKind::Mono, 300},
                     {"00000003_o.jpg", QSize(400, 300), PageKind::Colour, 96},
                     {"00000004_o.jpg", QSize(300, 400), PageKind::Colour, 150}};
        for (const auto &page : pages) {
            const QString path = m_pageDir.filePath(QLatin1String(page.name));
            QVERIFY(writePageImage(drawnPage(page.size, page.kind, page.dpi), path));
            m_pages << path;
        }
        m_missing = m_pageDir.filePath(QStringLiteral("00000000_o.jpg"));
    }

    void init()
    {
        QSettings().clear();
        QVERIFY(m_out.isValid());
        QVERIFY(QDir(m_out.path()).removeRecursively() && QDir().mkpath(m_out.path()));
    }

    void extent_data()
    {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<QSize>("emu");
        row("A4 at 300 dpi: width cap", QSize(2480, 3508), 300, QSize(5254942, 7433200));
        row("very tall: height cap after the width cap", QSize(2000, 12000), 300,
            QSize(1385887, 8315325));
        row("small page: natural size", QSize(600, 800), 300, QSize(1828800, 2438400));
        row("no resolution: 96 dpi", QSize(96, 192), 0, QSize(914400, 1828800));
    }

    void extent()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, dpi);
        QFETCH(QSize, emu);
        QCOMPARE(DocxTemplate::pictureExtent(pixels, dpi), emu);
    }

    // The package read back: the template's parts, well-formed, every part with a content
    // type, each picture's bytes of the type it is declared as, one drawing per existing page
    // in page order with page breaks between them, ids from rId10 on.
    void package_data()
    {
        QTest::addColumn<QList<int>>("pages"); // indexes into m_pages; -1 a missing file
        QTest::addColumn<QList<QSize>>("extents");
        row("a missing file, then grey, 1-bit and colour pages", QList<int>{-1, 0, 1, 2},
            QList<QSize>{{1828800, 2438400}, {5254942, 7433200}, {3810000, 2857500}});
        row("no usable page", QList<int>{-1}, QList<QSize>{});
    }

    void package()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QList<QSize>, extents);
        QStringList list;
        QStringList existing;
        for (int index : pages) {
            list << (index < 0 ? m_missing : m_pages.at(index));
            if (index >= 0)
                existing << m_pages.at(index);
        }
        const QString path = m_out.filePath(QStringLiteral("out.docx"));
        DocxGenerator generator;
        generator.setPages(list);
        QVERIFY(generator.run(path));
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("out.docx")});

        const QMap<QString, QByteArray> entries = readPackage(path);
        QStringList media;
        for (const QString &name : entries.keys()) {
            if (name.startsWith(QLatin1String("word/media/")))
                media << name;
            else
                QVERIFY2(TemplateParts.contains(name), qPrintable(name));
        }
        QCOMPARE(entries.size() - media.size(), TemplateParts.size());
        QCOMPARE(media.size(), existing.size());

        for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
            if (!it.key().endsWith(QLatin1String(".xml")) &&
                !it.key().endsWith(QLatin1String(".rels")))
                continue;
            QXmlStreamReader reader(it.value());
            while (!reader.atEnd())
                reader.readNext();
            QVERIFY2(!reader.hasError(),
                     qPrintable(it.key() + QLatin1String(": ") + reader.errorString()));
            QVERIFY(!it.value().contains("[PAGES]") && !it.value().contains("[IMGIDS]"));
        }

        // Content types: overrides by part name, defaults by extension.
        const QByteArray types = entries.value(QStringLiteral("[Content_Types].xml"));
        const QStringList overrideNames = attributes(types, "Override", "PartName");
        const QStringList overrideTypes = attributes(types, "Override", "ContentType");
        const QStringList extensions = attributes(types, "Default", "Extension");
        const QStringList defaultTypes = attributes(types, "Default", "ContentType");
        const auto typeOf = [&](const QString &name) {
            const int part = overrideNames.indexOf(QLatin1Char('/') + name);
            if (part >= 0)
                return overrideTypes.at(part);
            const int byExtension = extensions.indexOf(QFileInfo(name).suffix());
            return byExtension >= 0 ? defaultTypes.at(byExtension) : QString();
        };
        for (const QString &name : entries.keys()) {
            if (name != QLatin1String("[Content_Types].xml"))
                QVERIFY2(!typeOf(name).isEmpty(), qPrintable(name));
        }

        // Relationships and drawings, page by page.
        const QByteArray rels = entries.value(QStringLiteral("word/_rels/document.xml.rels"));
        const QStringList ids = attributes(rels, "Relationship", "Id");
        const QStringList targets = attributes(rels, "Relationship", "Target");
        const QByteArray document = entries.value(QStringLiteral("word/document.xml"));
        const QStringList embedded = attributes(document, "a:blip", "r:embed");
        const QStringList widths = attributes(document, "wp:extent", "cx");
        const QStringList heights = attributes(document, "wp:extent", "cy");
        QCOMPARE(embedded.size(), existing.size());
        for (int n = 0; n < existing.size(); ++n) {
            const QString id = QStringLiteral("rId%1").arg(10 + n);
            QCOMPARE(embedded.at(n), id);
            QVERIFY(ids.contains(id));
            const QString mediaName = QStringLiteral("word/") + targets.at(ids.indexOf(id));
            QVERIFY2(entries.contains(mediaName), qPrintable(mediaName));
            const QByteArray bytes = entries.value(mediaName);
            QCOMPARE(typeOf(mediaName), sniffedType(bytes));

            const QByteArray page = contentOf(existing.at(n));
            if (page.startsWith("\xFF\xD8"))
                QCOMPARE(bytes, page); // JPEG pages byte for byte
            else
                QCOMPARE(QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32),
                         QImage(existing.at(n)).convertToFormat(QImage::Format_RGB32));
            QCOMPARE(QSize(widths.at(n).toInt(), heights.at(n).toInt()), extents.at(n));
        }
        QCOMPARE(bodySequence(document),
                 QStringList(existing.size(), QStringLiteral("D")).join(QLatin1Char('|')));
        QVERIFY(document.contains("<w:sectPr>"));
    }

    // Through the dialog: a finished export replaces the earlier file and is reported; a
    // cancel after the second page reports nothing, keeps the earlier file byte for byte and
    // leaves nothing else behind; a path that cannot be written is reported as failed.
    void dialogOutcome_data()
    {
        QTest::addColumn<bool>("earlierFile");
        QTest::addColumn<int>("cancelAtPage"); // 0: never
        QTest::addColumn<bool>("folderInTheWay");
        row("finished, replaces the earlier file", true, 0, false);
        row("cancelled, earlier file kept", true, 2, false);
        row("cancelled, no file made", false, 2, false);
        row("a folder of that name: failed", false, 0, true);
    }

    void dialogOutcome()
    {
        QFETCH(bool, earlierFile);
        QFETCH(int, cancelAtPage);
        QFETCH(bool, folderInTheWay);
        const QString path = m_out.filePath(QStringLiteral("kept.docx"));
        QVERIFY(!folderInTheWay || QDir().mkdir(path));
        const QByteArray earlier("earlier export");
        QVERIFY(!earlierFile || writeFile(path, earlier));
        writeSetting(Settings::WordFolderPlace, 2);
        writeSetting(Settings::WordDocFolder, m_out.path());

        ExportWordDlg dialog;
        dialog.folderField()->setChooser(
            [](QWidget *, const QString &, const QString &) { return QString(); });
        QSignalSpy applied(&dialog, &ExportWordDlg::applied);
        QSignalSpy failed(&dialog, &ExportWordDlg::failed);
        dialog.setPages(m_pages);
        named<QLineEdit>(dialog, "Document Name")->setText(QStringLiteral("kept"));
        dialog.show();

        MessageBoxAnswerer answerer(QMessageBox::Yes);
        int cancelledAt = 0;
        std::function<void()> watch = [&] {
            auto *progress = dialog.findChild<PdfProgress *>();
            if (progress == nullptr || !progress->isVisible())
                return QTimer::singleShot(0, &dialog, watch);
            auto *cancel = progress->findChild<QPushButton *>();
            connect(progress->findChild<QProgressBar *>(), &QProgressBar::valueChanged, cancel,
                    [&, cancel](int page) {
                        if (page == cancelAtPage && cancelledAt == 0) {
                            cancelledAt = page;
                            cancel->click();
                        }
                    });
        };
        QTimer::singleShot(0, &dialog, watch);
        for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
            if (button->text() == QLatin1String("Save"))
                button->click();
        }

        QCOMPARE(cancelledAt, cancelAtPage);
        QVERIFY(!dialog.isVisible());
        QStringList expectedFiles;
        if (earlierFile || (cancelAtPage == 0 && !folderInTheWay))
            expectedFiles << QStringLiteral("kept.docx");
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden), expectedFiles);
        QCOMPARE(failed.count(), folderInTheWay ? 1 : 0);
        if (folderInTheWay) {
            QCOMPARE(failed.at(0).at(0).toString(), QDir::toNativeSeparators(path));
            QCOMPARE(applied.count(), 0);
            QVERIFY(QFileInfo(path).isDir());
        } else if (cancelAtPage == 0) {
            QCOMPARE(applied.count(), 1);
            QCOMPARE(applied.at(0).at(0).toString(), QDir::toNativeSeparators(path));
            QCOMPARE(readPackage(path).keys().filter(QStringLiteral("word/media/")).size(),
                     m_pages.size());
        } else {
            QCOMPARE(applied.count(), 0);
            if (earlierFile)
                QCOMPARE(contentOf(path), earlier);
        }
    }

private:
    QTemporaryDir m_pageDir;
    QTemporaryDir m_out;
    QStringList m_pages;
    QString m_missing;
};

QTEST_MAIN(TestWordExport)
#include "tst_wordexport.moc"
