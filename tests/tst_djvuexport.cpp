// The DjVu export with the real DjVuLibre tools (the dialog and cancel: tst_wordexport).
#include "DjvuGenerator.h"
#include "ImageFileWriter.h"
#include "PdfTestTools.h"
#include "TestHelpers.h"

#include <QtTest>
#include <QtWidgets>

using namespace Qt::StringLiterals;

using PdfTestTools::run;

namespace {
const QByteArray oldBytes("an earlier file the user keeps");

// A page of kind ("grey.jpg", "mono.tiff", ...) whose width, 200 + 10 x index, tells its place.
QString makePage(const QString &folder, const QString &kind, int index)
{
    QImage image(200 + 10 * index, 150, QImage::Format_RGB32);
    image.fill(QColor(250, 240, 230));
    QPainter(&image).fillRect(100, 80, 40, 40, Qt::black);
    if (kind.startsWith("grey"_L1))
        image = image.convertToFormat(QImage::Format_Grayscale8);
    else if (kind.startsWith("mono"_L1))
        image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    const QString path = folder + u"/page."_s + kind.section(u'.', 1);
    return QDir().mkpath(folder) && writeImageFile(image, path) ? path : QString();
}

// Each page of the file as "width:Sjbz" (bitonal) or "width:BG44" (wavelet), from djvudump.
QStringList pagesOf(const QString &file)
{
    QStringList pages;
    const QRegularExpression chunk(u"DjVu (\\d+)x\\d+|^\\s*(Sjbz|BG44) "_s);
    for (const QString &line : run(u"djvudump"_s, {file}).split(u'\n')) {
        const QRegularExpressionMatch match = chunk.match(line);
        if (!match.captured(1).isEmpty())
            pages << match.captured(1);
        else if (match.hasMatch() && !pages.isEmpty() && !pages.last().contains(u':'))
            pages.last() += u':' + match.captured(2);
    }
    return pages;
}
} // namespace

class TestDjvuExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }

    // Every kind of page, all under the same file name: none may overwrite another.
    void pagesInOrder()
    {
        const QStringList kinds{u"grey.jpg"_s,  u"mono.tiff"_s,  u"colour.jpg"_s,
                                u"grey.tiff"_s, u"colour.png"_s, u"mono.png"_s};
        QTemporaryDir dir;
        QStringList pages;
        QStringList expected;
        for (int i = 0; i < kinds.size(); ++i) {
            pages << makePage(dir.path() + u"/in%1"_s.arg(i), kinds.at(i), i);
            expected << u"%1:%2"_s.arg(200 + 10 * i)
                            .arg(kinds.at(i).startsWith("mono"_L1) ? u"Sjbz"_s : u"BG44"_s);
        }
        const QString out = dir.path() + u"/out.djvu"_s;
        QVERIFY(writeFile(out, oldBytes));

        DjvuGenerator generator;
        generator.setPages(pages);
        QVERIFY2(generator.run(out), qPrintable(generator.error()));
        QCOMPARE(run(u"djvused"_s, {u"-e"_s, u"n"_s, out}), u"%1\n"_s.arg(pages.size()));
        QCOMPARE(pagesOf(out), expected);
        // As a reader shows it: the square black and the margin light, on every page.
        const QString shown = dir.path() + u"/shown.pgm"_s;
        for (int page = 1; page <= pages.size(); ++page) {
            run(u"ddjvu"_s, {u"-format=pgm"_s, u"-page=%1"_s.arg(page), out, shown});
            const QImage picture(shown);
            QVERIFY2(qGray(picture.pixel(120, 100)) < 64 && qGray(picture.pixel(5, 5)) > 192,
                     qPrintable(expected.at(page - 1)));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 (QStringList{u"out.djvu"_s, u"shown.pgm"_s}));
    }

    void failures_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QByteArray>("script"); // empty: the tool is missing; REAL: the real one
        QTest::addColumn<QString>("reason");    // what the user's notice names; empty: no notice
        row("no djvm", "djvm", QByteArray(), u"djvm"_s);
        row("no c44", "c44", QByteArray(), u"c44"_s);
        row("no cjb2", "cjb2", QByteArray(), u"cjb2"_s);
        row("c44 fails", "c44", QByteArray("REAL \"$@\"; exit 1"), QString());
        row("cjb2 crashes", "cjb2", QByteArray("REAL \"$@\"; kill -SEGV $$"), QString());
        row("c44 leaves nothing", "c44", QByteArray("exit 0"), QString());
        row("c44 hangs", "c44", QByteArray("exec /bin/sleep 30"), QString());
        row("djvm fails", "djvm", QByteArray("REAL \"$@\"; exit 2"), QString());
        row("unreadable page", QString(), QByteArray(), u"Page 2 (page.jpg)"_s);
    }

    // Each ends as a failure, and the earlier file stays whole.
    void failures()
    {
        QFETCH(QString, tool);
        QFETCH(QByteArray, script);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QTemporaryDir tools; // the PATH: the real tools, but for `tool`
        for (const QString &name : {u"c44"_s, u"cjb2"_s, u"djvm"_s}) {
            const QString target = tools.filePath(name);
            const QString real = QStandardPaths::findExecutable(name);
            if (name != tool)
                QVERIFY(QFile::link(real, target));
            else if (!script.isEmpty())
                QVERIFY(writeFile(target, "#!/bin/sh\n" +
                                              script.replace("REAL", QFile::encodeName(real)) +
                                              '\n') &&
                        QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
        }
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(tools.path()));
        const auto restore = qScopeGuard([&path] { qputenv("PATH", path); });

        const QStringList pages = {makePage(dir.filePath(u"a"_s), u"mono.tiff"_s, 0),
                                   makePage(dir.filePath(u"b"_s), u"grey.jpg"_s, 1)};
        if (tool.isEmpty())
            QVERIFY(writeFile(pages.last(), "not a picture"));
        const QString out = dir.filePath(u"out.djvu"_s);
        QVERIFY(writeFile(out, oldBytes));

        DjvuGenerator generator;
        generator.setTimeLimit(1000);
        generator.setPages(pages);
        QVERIFY(!generator.run(out));
        QCOMPARE(generator.outcome(), DjvuGenerator::Outcome::Failed);
        QCOMPARE(generator.failureReason().isEmpty(), reason.isEmpty());
        QVERIFY2(generator.failureReason().contains(reason), qPrintable(generator.failureReason()));
        QCOMPARE(contentOf(out), oldBytes);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"out.djvu"_s});
    }
};

QTEST_MAIN(TestDjvuExport)
#include "tst_djvuexport.moc"
