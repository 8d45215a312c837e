// The Word document export: picture sizes, the package as a reader sees it, dialog outcomes.
#include "DocxGenerator.h"
#include "DocxTemplate.h"
#include "ExportDjvuDlg.h"
#include "ExportWordDlg.h"
#include "MessageBoxAnswerer.h"
#include "PdfTestTools.h"
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

// Of each element called element: the value of attribute value, by that of attribute key.
QMap<QString, QString> attributes(const QByteArray &xml, const char *element, const char *key,
                                  const char *value)
{
    QMap<QString, QString> values;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.qualifiedName() == QLatin1String(element))
            values.insert(reader.attributes().value(QLatin1String(key)).toString(),
                          reader.attributes().value(QLatin1String(value)).toString());
    }
    return values;
}

// The body in order: of a picture, its extent "cx x cy" and its embedded id; "|" a page break.
QStringList body(const QByteArray &document)
{
    QStringList items;
    QXmlStreamReader reader(document);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attrs = reader.attributes();
        if (reader.qualifiedName() == "wp:extent"_L1)
            items << attrs.value("cx"_L1).toString() + u" x "_s + attrs.value("cy"_L1).toString();
        else if (reader.qualifiedName() == "a:blip"_L1)
            items << attrs.value("r:embed"_L1).toString();
        else if (reader.qualifiedName() == "w:br"_L1 && attrs.value("w:type"_L1) == "page"_L1)
            items << u"|"_s;
    }
    return items;
}
} // namespace

class TestWordExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_pageDir.isValid() && m_out.isValid());
        using PdfTestTools::drawPage;
        m_pages = {drawPage(m_pageDir.filePath(u"00000001_o.jpg"_s), {600, 800}, 300),
                   drawPage(m_pageDir.filePath(u"00000002_o.tiff"_s), {2480, 3508}, 300, true),
                   drawPage(m_pageDir.filePath(u"00000003_o.jpg"_s), {400, 300}, 96),
                   drawPage(m_pageDir.filePath(u"00000004_o.jpg"_s), {300, 400}, 150)};
        QVERIFY(!m_pages.contains(QString()));
    }

    void init()
    {
        QSettings().clear();
        QVERIFY(QDir(m_out.path()).removeRecursively() && QDir().mkpath(m_out.path()));
    }

    // The caps beyond the pages of package(): height after width, and 96 dpi when none is given.
    void extent()
    {
        QCOMPARE(DocxTemplate::pictureExtent({2000, 12000}, 300), QSize(1385887, 8315325));
        QCOMPARE(DocxTemplate::pictureExtent({96, 192}, 0), QSize(914400, 1828800));
    }

    // The package read back: well-formed and complete, one drawing per readable page in order.
    void package_data()
    {
        QTest::addColumn<QList<int>>("pages"); // indexes into m_pages; -1 a missing file
        QTest::addColumn<QList<QSize>>("extents");
        row("a missing file, then colour, 1-bit and colour pages", QList<int>{-1, 0, 1, 2},
            QList<QSize>{{1828800, 2438400}, {5254942, 7433200}, {3810000, 2857500}});
        row("no usable page", QList<int>{-1}, QList<QSize>{});
    }

    void package()
    {
        QFETCH(QList<int>, pages);
        QFETCH(QList<QSize>, extents);
        const QString missing = m_pageDir.filePath(u"missing.jpg"_s);
        QStringList list;
        for (int index : pages)
            list << m_pages.value(index, missing);
        QStringList existing = list;
        existing.removeAll(missing);
        const QString path = m_out.filePath(u"out.docx"_s);
        DocxGenerator generator;
        generator.setPages(list);
        QVERIFY(generator.run(path));
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"out.docx"_s});

        const QMap<QString, QByteArray> entries = readPackage(path);
        QCOMPARE(entries.keys().filter(u"word/media/"_s).size(), existing.size());

        for (const QString &name : entries.keys().filter(QRegularExpression(u"\\.(xml|rels)$"_s))) {
            const QByteArray xml = entries.value(name);
            QXmlStreamReader reader(xml);
            while (!reader.atEnd())
                reader.readNext();
            QVERIFY2(!reader.hasError(), qPrintable(name + u": "_s + reader.errorString()));
            QVERIFY(!xml.contains("[PAGES]") && !xml.contains("[IMGIDS]"));
        }

        // Content types: overrides by entry name, defaults by extension.
        const QByteArray types = entries.value(u"[Content_Types].xml"_s);
        const auto overrides = attributes(types, "Override", "PartName", "ContentType");
        const auto defaults = attributes(types, "Default", "Extension", "ContentType");
        const auto typeOf = [&](const QString &name) {
            return overrides.value(u'/' + name, defaults.value(QFileInfo(name).suffix()));
        };
        for (const QString &name : entries.keys())
            QVERIFY2(name == u"[Content_Types].xml"_s || !typeOf(name).isEmpty(), qPrintable(name));
        for (const QString &name : overrides.keys())
            QVERIFY2(entries.contains(name.mid(1)), qPrintable(name));
        const QByteArray packageRels = entries.value(u"_rels/.rels"_s);
        for (const QString &target : attributes(packageRels, "Relationship", "Id", "Target"))
            QVERIFY2(entries.contains(target), qPrintable(target));

        const QByteArray rels = entries.value(u"word/_rels/document.xml.rels"_s);
        const QMap<QString, QString> targets = attributes(rels, "Relationship", "Id", "Target");
        for (const QString &target : targets)
            QVERIFY2(entries.contains(u"word/"_s + target), qPrintable(target));
        QStringList expected;
        for (int n = 0; n < existing.size(); ++n) {
            const QString id = u"rId%1"_s.arg(10 + n);
            if (n > 0)
                expected << u"|"_s;
            expected << u"%1 x %2"_s.arg(extents.at(n).width()).arg(extents.at(n).height()) << id;
            const QString mediaName = u"word/"_s + targets.value(id);
            const QByteArray bytes = entries.value(mediaName);
            QCOMPARE(typeOf(mediaName), QMimeDatabase().mimeTypeForData(bytes).name());

            const QByteArray page = contentOf(existing.at(n));
            if (page.startsWith("\xFF\xD8"))
                QCOMPARE(bytes, page); // JPEG pages byte for byte
            else
                QCOMPARE(QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32),
                         QImage(existing.at(n)).convertToFormat(QImage::Format_RGB32));
        }
        const QByteArray document = entries.value(u"word/document.xml"_s);
        QCOMPARE(body(document), expected);
        QVERIFY(document.contains("<w:sectPr>"));
    }

    // Through the Word and DjVu dialogs: what is reported, and what stays on disk.
    void dialogOutcome_data()
    {
        QTest::addColumn<bool>("djvu");
        QTest::addColumn<bool>("earlierFile");
        QTest::addColumn<int>("cancelAtPage"); // 0: never
        QTest::addColumn<bool>("folderInTheWay");
        row("Word: finished, replaces the earlier file", false, true, 0, false);
        row("Word: cancelled, earlier file kept", false, true, 2, false);
        row("Word: cancelled, no file made", false, false, 2, false);
        row("Word: a folder of that name: failed", false, false, 0, true);
        row("DjVu: finished, replaces the earlier file", true, true, 0, false);
        row("DjVu: cancelled after the first page, earlier file kept", true, true, 1, false);
    }

    void dialogOutcome()
    {
        QFETCH(bool, djvu);
        QFETCH(bool, earlierFile);
        QFETCH(int, cancelAtPage);
        QFETCH(bool, folderInTheWay);
        const QString path = m_out.filePath(djvu ? u"kept.djvu"_s : u"kept.docx"_s);
        QVERIFY(!folderInTheWay || QDir().mkdir(path));
        const QByteArray earlier("earlier export");
        QVERIFY(!earlierFile || writeFile(path, earlier));
        writeSetting(djvu ? Settings::DjvuFolderPlace : Settings::WordFolderPlace, 2);
        writeSetting(djvu ? Settings::DjvuDocFolder : Settings::WordDocFolder, m_out.path());

        auto *djvuDialog = djvu ? new ExportDjvuDlg : nullptr;
        const std::unique_ptr<ExportBaseDlg> dialog(djvu ? static_cast<ExportBaseDlg *>(djvuDialog)
                                                         : new ExportWordDlg);
        dialog->folderField()->setChooser(
            [](QWidget *, const QString &, const QString &) { return QString(); });
        QSignalSpy applied(dialog.get(), &ExportBaseDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportBaseDlg::failed);
        dialog->setPages(m_pages);
        named<QLineEdit>(*dialog, "Document Name")->setText(u"kept"_s);
        if (djvu)
            djvuDialog->percentBox()->setValue(30);
        dialog->show();

        MessageBoxAnswerer answerer(QMessageBox::Yes);
        const ProgressCanceller canceller(dialog.get(), cancelAtPage);
        named<QPushButton>(*dialog, "Save")->click();

        QCOMPARE(canceller.pressedAt(), cancelAtPage);
        QVERIFY(!dialog->isVisible());
        if (djvu) // stored even when cancelled
            QCOMPARE(readSetting(Settings::DjvuPercent).toInt(), 30);
        const bool finished = cancelAtPage == 0 && !folderInTheWay;
        const QStringList kept{QFileInfo(path).fileName()};
        QCOMPARE(QDir(m_out.path()).entryList(QDir::Files | QDir::Hidden),
                 earlierFile || finished ? kept : QStringList());
        QCOMPARE(failed.count(), folderInTheWay ? 1 : 0);
        QCOMPARE(applied.count(), finished ? 1 : 0);
        if (!failed.isEmpty() || !applied.isEmpty())
            QCOMPARE((finished ? applied : failed).at(0).at(0).toString(),
                     QDir::toNativeSeparators(path));
        if (folderInTheWay)
            QVERIFY(QFileInfo(path).isDir());
        else if (finished && djvu)
            QCOMPARE(PdfTestTools::run(u"djvused"_s, {u"-e"_s, u"n"_s, path}), u"4\n"_s);
        else if (finished)
            QCOMPARE(readPackage(path).keys().filter(u"word/media/"_s).size(), m_pages.size());
        else if (earlierFile)
            QCOMPARE(contentOf(path), earlier);
    }

private:
    QTemporaryDir m_pageDir;
    QTemporaryDir m_out;
    QStringList m_pages;
};

QTEST_MAIN(TestWordExport)
#include "tst_wordexport.moc"
