// The Word document export: picture sizes, the written package as a reader sees it, and the
// dialog's outcomes, a cancel in the middle included.
#include "DocxGenerator.h"
#include "DocxTemplate.h"
#include "ExportWordDlg.h"
#include "ImageFileWriter.h"
#include "MessageBoxAnswerer.h"
#include "ProgressCanceller.h"
#include "SelectFolderWidget.h"
#include "SettingsKeys.h"
#include "TestHelpers.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

namespace {
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
        m_missing = m_pageDir.filePath(u"00000000_o.jpg"_s);
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
        QTest::addColumn<QSize>("emu"); // natural size and the width cap: see package()
        row("very tall: height cap after the width cap", QSize(2000, 12000), 300,
            QSize(1385887, 8315325));
        row("no resolution: 96 dpi", QSize(96, 192), 0, QSize(914400, 1828800));
    }

    void extent()
    {
        QFETCH(QSize, pixels);
        QFETCH(int, dpi);
        QFETCH(QSize, emu);
        QCOMPARE(DocxTemplate::pictureExtent(pixels, dpi), emu);
    }

    // The package read back: well-formed, every part with a content type and every declared
    // part there, each picture's bytes of its declared type, one drawing per existing page in
    // page order with page breaks between them, ids from rId10 on.
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
        const QString path = m_out.filePath(u"out.docx"_s);
        DocxGenerator generator;
        generator.setPages(list);
        QVERIFY(generator.run(path));
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"out.docx"_s});

        const QMap<QString, QByteArray> entries = readPackage(path);
        QCOMPARE(entries.keys().filter(u"word/media/"_s).size(), existing.size());

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
        const QByteArray types = entries.value(u"[Content_Types].xml"_s);
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
        for (const QString &name : overrideNames)
            QVERIFY2(entries.contains(name.mid(1)), qPrintable(name));
        const QByteArray packageRels = entries.value(u"_rels/.rels"_s);
        for (const QString &target : attributes(packageRels, "Relationship", "Target"))
            QVERIFY2(entries.contains(target), qPrintable(target));

        // Relationships and drawings, page by page.
        const QByteArray rels = entries.value(u"word/_rels/document.xml.rels"_s);
        const QStringList ids = attributes(rels, "Relationship", "Id");
        const QStringList targets = attributes(rels, "Relationship", "Target");
        for (const QString &target : targets)
            QVERIFY2(entries.contains(u"word/"_s + target), qPrintable(target));
        const QByteArray document = entries.value(u"word/document.xml"_s);
        const QStringList embedded = attributes(document, "a:blip", "r:embed");
        const QStringList widths = attributes(document, "wp:extent", "cx");
        const QStringList heights = attributes(document, "wp:extent", "cy");
        QCOMPARE(embedded.size(), existing.size());
        for (int n = 0; n < existing.size(); ++n) {
            const QString id = u"rId%1"_s.arg(10 + n);
            QCOMPARE(embedded.at(n), id);
            QVERIFY(ids.contains(id));
            const QString mediaName = u"word/"_s + targets.at(ids.indexOf(id));
            const QByteArray bytes = entries.value(mediaName);
            QCOMPARE(typeOf(mediaName), QMimeDatabase().mimeTypeForData(bytes).name());

            const QByteArray page = contentOf(existing.at(n));
            if (page.startsWith("\xFF\xD8"))
                QCOMPARE(bytes, page); // JPEG pages byte for byte
            else
                QCOMPARE(QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32),
                         QImage(existing.at(n)).convertToFormat(QImage::Format_RGB32));
            QCOMPARE(QSize(widths.at(n).toInt(), heights.at(n).toInt()), extents.at(n));
        }
        QCOMPARE(bodySequence(document),
                 QStringList(existing.size(), u"D"_s).join(QLatin1Char('|')));
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
        const QString path = m_out.filePath(u"kept.docx"_s);
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
        named<QLineEdit>(dialog, "Document Name")->setText(u"kept"_s);
        dialog.show();

        MessageBoxAnswerer answerer(QMessageBox::Yes);
        const ProgressCanceller canceller(&dialog, cancelAtPage);
        for (QPushButton *button : dialog.findChildren<QPushButton *>()) {
            if (button->text() == QLatin1String("Save"))
                button->click();
        }

        QCOMPARE(canceller.pressedAt(), cancelAtPage);
        QVERIFY(!dialog.isVisible());
        QStringList expectedFiles;
        if (earlierFile || (cancelAtPage == 0 && !folderInTheWay))
            expectedFiles << u"kept.docx"_s;
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden), expectedFiles);
        QCOMPARE(failed.count(), folderInTheWay ? 1 : 0);
        if (folderInTheWay) {
            QCOMPARE(failed.at(0).at(0).toString(), QDir::toNativeSeparators(path));
            QCOMPARE(applied.count(), 0);
            QVERIFY(QFileInfo(path).isDir());
        } else if (cancelAtPage == 0) {
            QCOMPARE(applied.count(), 1);
            QCOMPARE(applied.at(0).at(0).toString(), QDir::toNativeSeparators(path));
            QCOMPARE(readPackage(path).keys().filter(u"word/media/"_s).size(), m_pages.size());
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
