// The page store: each page's files, title and place, kept through moves, restarts and failures.
#include "FlowLayout.h"
#include "KSlabWidget.h"
#include "PageListWidget.h"
#include "TestHelpers.h"

#include <QtGui>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {
struct Page
{
    int id;
    bool blackAndWhite = false;
};

// One picture per page id: a solid colour for JPEG pages, a bit pattern for 1-bit pages.
QColor colourFor(int id)
{
    return QColor(16 * (id % 16) + 8, 16 * ((id / 16) % 16) + 8, 16 * ((id / 256) % 16) + 8);
}

bool patternBit(int id, int x, int y)
{
    return ((quint64(id) + 1) * 0x9E3779B97F4A7C15ULL >> (y * 8 + x)) & 1;
}

QImage pictureFor(int id, bool blackAndWhite = false)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colourFor(id));
    for (int y = 0; blackAndWhite && y < 8; ++y) {
        for (int x = 0; x < 8; ++x)
            image.setPixel(x, y, patternBit(id, x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    }
    return image;
}

// Writes page id as a page file, and its thumbnail unless told not to, as an earlier run did.
void writePageFile(const QString &path, const Page &page, bool thumbnail = true)
{
    const QImage picture = pictureFor(page.id, page.blackAndWhite);
    QVERIFY(page.blackAndWhite ? picture.convertToFormat(QImage::Format_Mono).save(path, "TIFF")
                               : picture.save(path, "JPG", 90));
    if (thumbnail)
        QVERIFY(picture.save(PageFolder::thumbnailFor(path), "JPG"));
}

// Whether image shows page; lossy JPEG is compared loosely.
bool shows(const QImage &image, const Page &page)
{
    if (image.size() != QSize(8, 8))
        return false;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (page.blackAndWhite ? (qGray(pixel) < 128) != patternBit(page.id, x, y)
                                   : !near(pixel, colourFor(page.id).rgb(), 6))
                return false;
        }
    }
    return true;
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

QStringList numberedFiles(const QList<Page> &pages)
{
    QStringList names;
    for (int i = 0; i < pages.size(); ++i) {
        const QString base = PageFolder::numberText(i + 1);
        names << base + QLatin1String(pages.at(i).blackAndWhite ? "_o.tiff" : "_o.jpg")
              << base + "_s.jpg"_L1;
    }
    names.sort();
    return names;
}
} // namespace

class TestPageStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_root = nullptr;
    PageListWidget *m_store = nullptr;

    // Empty when the store shows exactly pages in order (files, tile, title), else what differs.
    QString verifyPages(const QList<Page> &pages) const
    {
        if (m_store->count() != pages.size())
            return u"%1 pages, not %2"_s.arg(m_store->count()).arg(pages.size());
        const auto *strip =
            static_cast<FlowLayout *>(m_store->widget()->layout()->itemAt(0)->layout());
        for (int i = 0; i < pages.size(); ++i) {
            const QString image = m_store->pagePaths().at(i);
            const KSlabWidget *tile = m_store->slabAt(i);
            if (tile->title() != u"Page %1"_s.arg(i + 1))
                return u"title at %1: %2"_s.arg(i).arg(tile->title());
            if (strip->itemAt(i)->widget() != tile)
                return u"tile %1 out of place in the strip"_s.arg(i);
            // The files tell the visible order, so a restart finds it again.
            if (!QFileInfo(image).fileName().startsWith(PageFolder::numberText(i + 1)))
                return u"position %1 has file %2"_s.arg(i).arg(image);
            if (image.endsWith(".tiff"_L1) != pages.at(i).blackAndWhite ||
                !shows(QImage(image), pages.at(i)) ||
                !shows(QImage(m_store->thumbnailPaths().at(i)), pages.at(i)) ||
                !shows(*tile->image(), pages.at(i)))
                return u"position %1 does not show page %2"_s.arg(i).arg(pages.at(i).id);
        }
        return QString();
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        m_root = new QTemporaryDir;
        QVERIFY(m_root->isValid());
        m_store = new PageListWidget(nullptr, m_root->path());
    }

    void cleanup()
    {
        delete m_store;
        delete m_root;
    }

    void firstPageFiles_data()
    {
        QTest::addColumn<QSize>("page");
        QTest::addColumn<PageKind>("kind"); // of the picture handed over
        QTest::addColumn<bool>("blackAndWhite");
        QTest::addColumn<QSize>("thumbnail");
        row("exactly the box: kept", QSize(220, 220), PageKind::Colour, false, QSize(220, 220));
        row("one pixel wider: scaled", QSize(221, 100), PageKind::Colour, false, QSize(220, 99));
        row("tall", QSize(100, 300), PageKind::Colour, false, QSize(73, 220));
        row("black and white: 1-bit TIFF", QSize(64, 32), PageKind::Grey, true, QSize(64, 32));
        // A 1-bit picture stored as a colour page is a real JPEG under its ".jpg" name.
        row("1-bit picture, colour page", QSize(64, 32), PageKind::Mono, false, QSize(64, 32));
    }

    void firstPageFiles()
    {
        QFETCH(QSize, page);
        QFETCH(PageKind, kind);
        QFETCH(bool, blackAndWhite);
        QFETCH(QSize, thumbnail);
        const QString folder = m_store->currentFolder();
        const QString name = QLatin1String(blackAndWhite ? "00000001_o.tiff" : "00000001_o.jpg");
        // A folder where a file should go makes the write fail, even for root; nothing is left.
        for (const QString &blocked : {name, u"00000001_s.jpg"_s}) {
            QVERIFY(QDir(folder).mkdir(blocked));
            const WriteResult refused = m_store->addPage(drawnPage(page, kind), blackAndWhite);
            QVERIFY(!refused && !refused.error.isEmpty());
            QCOMPARE(m_store->count(), 0);
            QCOMPARE(entries(folder), QStringList{blocked});
            QVERIFY(QDir(folder).rmdir(blocked));
        }
        QSignalSpy selected(m_store, qOverload<const QString &>(&PageListWidget::pageSelected));
        QVERIFY(m_store->addPage(drawnPage(page, kind), blackAndWhite));

        const QString path = folder + u'/' + name;
        QCOMPARE(entries(folder), (QStringList{name, u"00000001_s.jpg"_s}));
        QCOMPARE(m_store->pagePaths(), QStringList{path});
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray(blackAndWhite ? "tiff" : "jpeg"));
        const QImage stored = reader.read();
        QCOMPARE(stored.size(), page);
        QCOMPARE(stored.depth() == 1, blackAndWhite);
        QImageReader small(m_store->thumbnailPaths().at(0));
        QCOMPARE(small.format(), QByteArray("jpeg"));
        QCOMPARE(small.size(), thumbnail);
        QCOMPARE(m_store->slabAt(0)->image()->size(), thumbnail);
        QCOMPARE(m_store->currentIndex(), 0);
        QCOMPARE(selected.count(), 1);
        QCOMPARE(selected.at(0).at(0).toString(), path);
    }

    // Thousands of adds, moves, removals and restarts: every page keeps its picture and place.
    void randomEditsAndRestartsKeepEveryPicture()
    {
        QRandomGenerator random(20240611);
        const QString kept = m_root->filePath(u"Earlier Sessions"_s);
        QList<Page> pages;
        int nextId = 0;
        for (int step = 0; step < 2000; ++step) {
            const int n = int(pages.size());
            const int roll = int(random.bounded(100));
            if (n == 0 || roll < 36) {
                const Page page{nextId++, random.bounded(5) == 0};
                pages.append(page);
                QVERIFY(
                    m_store->addPage(pictureFor(page.id, page.blackAndWhite), page.blackAndWhite));
            } else if (roll < 66) {
                const int current = int(random.bounded(n));
                m_store->setCurrentPage(current);
                const int move = int(random.bounded(4));
                WriteResult (PageListWidget::*const moves[])() = {
                    &PageListWidget::moveUp, &PageListWidget::moveDown, &PageListWidget::moveTop,
                    &PageListWidget::moveBottom};
                QVERIFY((m_store->*moves[move])());
                const int targets[] = {qMax(0, current - 1), qMin(n - 1, current + 1), 0, n - 1};
                pages.move(current, targets[move]);
                QCOMPARE(m_store->currentIndex(), targets[move]);
            } else if (roll < 97) {
                const int index = int(random.bounded(n));
                QVERIFY(m_store->removePage(index));
                pages.removeAt(index);
                QCOMPARE(m_store->currentIndex(), qMin(index, n - 2));
            } else {
                const QStringList paths = m_store->pagePaths();
                QList<QByteArray> bytes;
                for (const QString &path : paths)
                    bytes << contentOf(path);
                delete m_store; // a restart
                m_store = new PageListWidget(nullptr, m_root->path());
                QCOMPARE(m_store->waitingPageFiles(), paths);
                QList<Page> restored = pages;
                if (random.bounded(2) == 0) {
                    // The new page comes first; the earlier pages wait in a kept session.
                    const Page page{nextId++, false};
                    QVERIFY(m_store->addPage(pictureFor(page.id), false));
                    restored.prepend(page);
                    QCOMPARE(entries(m_store->currentFolder()), numberedFiles({page}));
                    QCOMPARE(m_store->waitingPageFiles(), QStringList());
                    QCOMPARE(entries(kept).size(), 1);
                }
                const PageListWidget::RestoreOutcome outcome = m_store->restoreSession();
                QCOMPARE(outcome.added, pages.size());
                QVERIFY(outcome.unreadable.isEmpty() && outcome.errors.isEmpty());
                const qsizetype offset = restored.size() - pages.size();
                pages = restored;
                QCOMPARE(verifyPages(pages), QString());
                // Restored as they were, and the kept session is gone with its thumbnails.
                for (int i = 0; i < bytes.size(); ++i)
                    QCOMPARE(contentOf(m_store->pagePaths().at(i + offset)), bytes.at(i));
                QCOMPARE(entries(kept), QStringList());
            }
            if (step % 100 == 99) { // the last step too
                QCOMPARE(verifyPages(pages), QString());
                QCOMPARE(entries(m_store->currentFolder()), numberedFiles(pages));
            }
        }
        QVERIFY(pages.size() > 10);
    }

    void restoreKeepsPageFilesAsTheyAre_data()
    {
        // name=id lays a page file there: "b" black and white, "t" without thumbnail,
        // "png" a PNG under the page name, "x" garbage. order: the ids restored, in order.
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("order");
        row("numbered", "00000001_o.jpg=1 00000002_o.tiff=2b 00000003_o.jpg=3", "123");
        row("gaps close", "00000002_o.jpg=1 00000007_o.tiff=2b", "12");
        // A restore stopped halfway: the pages under restore- names have not come back yet.
        row("interrupted restore",
            "00000001_o.jpg=1 restore-00000001_o.jpg=2 restore-00000002_o.tiff=3b", "123");
        row("interrupted renumbering", "00000001_o.jpg=1 moving-00000002_o.jpg=2", "12");
        row("missing thumbnails made again", "00000001_o.jpg=1t 00000002_o.tiff=2bt", "12");
        row("not what the name says: written anew", "00000001_o.jpg=1png 00000002_o.jpg=2", "12");
        row("unreadable file stays", "00000001_o.jpg=1 00000002_o.jpg=x 00000003_o.jpg=3", "13");
    }

    void restoreKeepsPageFilesAsTheyAre()
    {
        QFETCH(QString, files);
        QFETCH(QString, order);
        const QString folder = m_store->currentFolder();
        QHash<int, QByteArray> bytes; // page files that must come back untouched
        QByteArray garbage;
        for (const QString &entry : files.split(u' ')) {
            const QString path = folder + u'/' + entry.section(u'=', 0, 0);
            const QString kind = entry.section(u'=', 1);
            if (kind == "x"_L1) {
                garbage = "not a picture";
                QVERIFY(writeFile(path, garbage));
                continue;
            }
            const Page page{kind.at(0).digitValue(), kind.contains(u'b')};
            if (kind.endsWith("png"_L1)) {
                QVERIFY(pictureFor(page.id).save(path, "PNG"));
                continue;
            }
            writePageFile(path, page, !kind.contains(u't'));
            bytes.insert(page.id, contentOf(path));
        }

        const PageListWidget::RestoreOutcome outcome = m_store->restoreSession();

        QList<Page> pages;
        for (const QChar id : order)
            pages.append({id.digitValue(), files.contains(u"=%1b"_s.arg(id))});
        QCOMPARE(outcome.added, pages.size());
        QCOMPARE(outcome.unreadable.size(), garbage.isEmpty() ? 0 : 1);
        QCOMPARE(verifyPages(pages), QString());
        for (int i = 0; i < pages.size(); ++i) {
            if (bytes.contains(pages.at(i).id))
                QCOMPARE(contentOf(m_store->pagePaths().at(i)), bytes.value(pages.at(i).id));
            else
                QVERIFY(PageFolder::isPageFileOfItsKind(m_store->pagePaths().at(i)));
        }
        // An unreadable file stays, under a name of its own, for the user to look at.
        QCOMPARE(m_store->waitingPageFiles().size(), garbage.isEmpty() ? 0 : 1);
        if (!garbage.isEmpty())
            QCOMPARE(contentOf(m_store->waitingPageFiles().first()), garbage);
    }

    // Commands during a removal are refused (they used to crash); Remove All spares others' files.
    void commandsDuringARemovalAndRemoveAll()
    {
        for (int id = 1; id <= 4; ++id)
            QVERIFY(m_store->addPage(pictureFor(id), false));
        m_store->setCurrentPage(1);
        QList<WriteResult> meanwhile;
        QTimer::singleShot(0, m_store, [&] {
            meanwhile << m_store->moveDown() << m_store->removePage(0) << m_store->clear();
        });
        QVERIFY(m_store->removePage(1));
        QCOMPARE(meanwhile.size(), 3);
        for (const WriteResult &result : meanwhile)
            QVERIFY(!result);
        QCOMPARE(verifyPages({{1}, {3}, {4}}), QString());
        QVERIFY(m_store->moveDown()); // and commands work again afterwards
        QCOMPARE(verifyPages({{1}, {4}, {3}}), QString());

        const QString folder = m_store->currentFolder();
        QVERIFY(writeFile(folder + u"/restore-00000002_o.jpg"_s, "not a picture"));
        QVERIFY(writeFile(folder + u"/.directory"_s, "[Desktop Entry]"));
        QVERIFY(QDir(folder).mkpath(u"leftover/inner"_s));
        const QStringList others = entries(folder).filter(QRegularExpression(u"^[.lr]"_s));
        QVERIFY(m_store->clear());
        QCOMPARE(m_store->count(), 0);
        QCOMPARE(entries(folder), others);
        QCOMPARE(contentOf(folder + u"/restore-00000002_o.jpg"_s), QByteArray("not a picture"));

        QVERIFY(m_store->addPage(pictureFor(9), false));
        QCOMPARE(entries(folder), numberedFiles({{9}}));
        QCOMPARE(verifyPages({{9}}), QString());
        // Put aside with the earlier sessions, as a whole.
        QCOMPARE(entries(m_store->earlierSessions().newest()), others);
    }

    // Only the thumbnail changes, and a 1-bit page has no levels; a blocked one fails each change.
    void thumbnailChanges()
    {
        QImage image(100, 50, QImage::Format_RGB32);
        image.fill(QColor(100, 100, 100));
        QPainter(&image).fillRect(50, 0, 50, 50, Qt::blue);
        QVERIFY(m_store->addPage(image, true));
        QVERIFY(m_store->addPage(image, false));
        const QString untouched = m_store->thumbnailPaths().at(0);
        const QByteArray fileBefore = contentOf(untouched);
        const QImage tileBefore = *m_store->slabAt(0)->image();
        m_store->setCurrentPage(0);
        QVERIFY(m_store->setContrast(50, 0));
        QCOMPARE(contentOf(untouched), fileBefore);
        QCOMPARE(*m_store->slabAt(0)->image(), tileBefore);

        m_store->setCurrentPage(1);
        QVERIFY(m_store->setContrast(50, 0));
        const QString thumbnail = m_store->thumbnailPaths().at(1);
        // 100 + 50 % of 255
        QVERIFY(near(QImage(thumbnail).pixel(20, 20), qRgb(228, 228, 228), 4));
        QVERIFY(near(m_store->slabAt(1)->image()->pixel(20, 20), qRgb(228, 228, 228), 4));
        QVERIFY(m_store->rotateThumbRight());
        QCOMPARE(QImage(thumbnail).size(), QSize(50, 100));
        QVERIFY(near(QImage(thumbnail).pixel(25, 5), qRgb(228, 228, 228), 12)); // left now on top
        QVERIFY(m_store->rotateThumbFlip());
        QVERIFY(qBlue(QImage(thumbnail).pixel(25, 5)) - qRed(QImage(thumbnail).pixel(25, 5)) > 60);
        QCOMPARE(m_store->slabAt(1)->rotation(), 270);
        QVERIFY(m_store->updateThumbnail(pictureFor(3)));
        QVERIFY(shows(QImage(thumbnail), {3}));
        const QImage page(m_store->pagePaths().at(1));
        QCOMPARE(page.size(), QSize(100, 50));
        QVERIFY(near(page.pixel(20, 20), qRgb(100, 100, 100), 6));
        QVERIFY(QFile::remove(thumbnail) && QDir().mkdir(thumbnail));
        for (const WriteResult &result :
             {m_store->updateThumbnail(pictureFor(4)), m_store->rotateThumbRight(),
              m_store->setContrast(10, 10)})
            QVERIFY(!result && !result.error.isEmpty());
    }

    void putAsideKeepsTheNewestSessions_data()
    {
        // kept: sessions with one page each, ids 10, 11 …; waiting: page 1, else a ".directory".
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<bool>("waiting");
        QTest::addColumn<QList<Page>>("restored");
        QStringList ahead;
        QStringList past;
        QStringList numbered;
        for (int month = 1; month <= EarlierSessions::KeptSessions; ++month) {
            ahead << u"2099-%1-01 10-00-00.000"_s.arg(month, 2, 10, QChar(u'0'));
            past << u"2020-%1-01 10-00-00.000"_s.arg(month, 2, 10, QChar(u'0'));
            numbered << u"Session %1 (2099-01-01 10-00-00)"_s.arg(month, 6, 10, QChar(u'0'));
        }
        // The session just put aside is the newest whatever the clock says; the oldest goes.
        const QList<Page> newest{{1}, {14}, {13}, {12}, {11}};
        row("clock behind the kept sessions", ahead, true, newest);
        row("numbered sessions: the next number", numbered, true, newest);
        row("only .directory waits: no session", past, false,
            QList<Page>{{14}, {13}, {12}, {11}, {10}});
    }

    void putAsideKeepsTheNewestSessions()
    {
        QFETCH(QStringList, kept);
        QFETCH(bool, waiting);
        QFETCH(QList<Page>, restored);
        const QString earlier = m_root->path() + u"/Earlier Sessions/"_s;
        for (int i = 0; i < kept.size(); ++i) {
            QVERIFY(QDir().mkpath(earlier + kept.at(i)));
            writePageFile(earlier + kept.at(i) + u"/00000001_o.jpg"_s, {10 + i});
        }
        const QString directory = m_store->currentFolder() + u"/.directory"_s;
        if (waiting)
            writePageFile(m_store->currentFolder() + u"/00000001_o.jpg"_s, {1});
        else
            QVERIFY(writeFile(directory, "[Desktop Entry]"));

        QVERIFY(m_store->addPage(pictureFor(2), false));
        QVERIFY(m_store->clear());
        for (int restore = 0; restore < 10 && m_store->restoreSession().added > 0; ++restore) {
        }
        QCOMPARE(verifyPages(restored), QString());
        QCOMPARE(QFileInfo::exists(directory), !waiting);
    }

    void killWhilePuttingAsideSplitsNothing_data()
    {
        // A first page while 60 pages of the last run wait, killed before the n-th call named:
        // the put-aside is one rename and a new "Current"; page and thumbnail appear by link.
        QTest::addColumn<QString>("call");
        QTest::addColumn<int>("n");
        QTest::addColumn<bool>("killed"); // surely: the program takes that step
        row("before the put-aside", "rename,renameat,renameat2", 1, true);
        // "Current" is made at the start, then again after the put-aside.
        row("after the put-aside, before \"Current\" is made again", "mkdir", 2, true);
        row("before the new page", "linkat", 1, true);
        row("before its thumbnail", "linkat", 2, true);
        row("where a file-by-file move would be half-way", "rename,renameat,renameat2", 30, false);
    }

    void killWhilePuttingAsideSplitsNothing()
    {
        QFETCH(QString, call);
        QFETCH(int, n);
        QFETCH(bool, killed);
        QList<Page> earlier;
        for (int id = 0; id < 60; ++id) {
            earlier.append({id, id % 7 == 0});
            QVERIFY(m_store->addPage(pictureFor(id, id % 7 == 0), id % 7 == 0));
        }
        delete m_store;
        m_store = nullptr;
        QTemporaryDir other;
        const QString picture = other.filePath(u"new.png"_s);
        QVERIFY(pictureFor(99).save(picture));
        QStringList arguments{u"-f"_s, u"-o"_s, u"/dev/null"_s, u"-e"_s, u"trace="_s + call};
        // Folders are counted where "Current" is made only.
        if (call == "mkdir"_L1)
            arguments << u"-P"_s << m_root->path() + u"/Current"_s;
        arguments << u"-e"_s << u"inject=%1:signal=KILL:when=%2"_s.arg(call).arg(n)
                  << QStringLiteral(QUILLARY_TEST_ADDPAGE) << m_root->path() << picture;
        QProcess child;
        child.start(u"strace"_s, arguments);
        QVERIFY2(child.waitForFinished(60000), qPrintable(child.errorString()));
        QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() == 0);
        if (killed)
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // One Restore brings every earlier page back; the new page, if written, comes first.
        m_store = new PageListWidget(nullptr, m_root->path());
        QList<Page> expected;
        qsizetype added = m_store->restoreSession().added;
        if (added == 1) {
            expected.append({99, false});
            added = m_store->restoreSession().added;
        }
        QCOMPARE(added, earlier.size());
        expected += earlier;
        QCOMPARE(verifyPages(expected), QString());
    }
};

QTEST_MAIN(TestPageStore)
#include "tst_pagestore.moc"
