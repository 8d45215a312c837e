// Searchable PDFs, judged by the real readers (pdftotext, qpdf, pdffonts) a user's tools use.
#include "ExportDlg.h"
#include "OcrCache.h"
#include "OcrEngine.h"
#include "OcrQueue.h"
#include "PdfTestTools.h"
#include "PdfWriter.h"
#include "SelectFolderWidget.h"
#include "SettingsKeys.h"

#include <QtWidgets>

using namespace Qt::StringLiterals;

using namespace PdfTestTools;

namespace {
constexpr int dpi = 300;

// Lines of 16 pt text as a JPEG page; words gets each word's ink, in points from the top left.
QString drawText(const QString &path, const QStringList &lines, QHash<QString, QRectF> &words)
{
    QImage image(1600, 120 + 110 * int(lines.size()), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QFont font(u"DejaVu Sans"_s);
        font.setPixelSize(16 * dpi / 72);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QFontMetricsF metrics(font);
        double y = 60 + metrics.ascent();
        for (const QString &line : lines) {
            double x = 80;
            for (const QString &word : line.split(u' ')) {
                painter.drawText(QPointF(x, y), word);
                const QRectF ink = metrics.tightBoundingRect(word).translated(x, y);
                words.insert(word, QRectF(ink.topLeft() * 72.0 / dpi, ink.size() * 72.0 / dpi));
                x += metrics.horizontalAdvance(word + u' ');
            }
            y += 110;
        }
    }
    return atDpi(image, dpi).save(path, "JPG", 90) ? path : QString();
}

// Sets the file's modification time seconds from now.
bool touch(const QString &path, int seconds)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) &&
           file.setFileTime(QDateTime::currentDateTime().addSecs(seconds),
                            QFileDevice::FileModificationTime);
}

// The export dialog on pages, writing into folder without asking.
std::unique_ptr<ExportDlg> exportDialog(const QStringList &pages, const QString &folder)
{
    writeSetting(Settings::FolderPlace, 2);
    writeSetting(Settings::DocFolder, folder);
    writeSetting(Settings::ByCenter, false);
    auto dialog = std::make_unique<ExportDlg>();
    dialog->folderField()->setChooser(
        [](QWidget *, const QString &, const QString &) { return QString(); });
    dialog->setPages(pages);
    return dialog;
}

// The creation time and the file identifier are the only bytes that differ between runs.
QByteArray withoutTime(QByteArray pdf)
{
    static const QRegularExpression variable(u"/CreationDate ?\\([^)]*\\)|/ID ?\\[[^\\]]*\\]"_s);
    return QString::fromLatin1(pdf).remove(variable).toLatin1();
}
} // namespace

class TestOcr : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_dir.isValid());
        m_corner.centred = false;
        m_english =
            drawText(m_dir.filePath(u"english.jpg"_s),
                     {u"The quick brown fox jumps"_s, u"over the lazy dog today"_s}, m_words);
        m_russian = drawText(m_dir.filePath(u"russian.jpg"_s),
                             {u"Съешь же ещё этих мягких"_s, u"французских булок"_s}, m_words);
        QVERIFY(!m_english.isEmpty() && !m_russian.isEmpty());
    }

    void init()
    {
        QSettings().clear();
        OcrCache::instance().clear();
    }

    // Pages unchanged since, or only moved, are not recognised again; the text layer has both
    // pages in reading order, each word at its place, in the very letters drawn.
    void textLayerAndCache()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(u"1.jpg"_s);
        const QString second = dir.filePath(u"2.jpg"_s);
        QVERIFY(QFile::copy(m_english, first) && QFile::copy(m_russian, second));
        // Apart in time, so that swapped files never match each other's entry by chance.
        QVERIFY(touch(first, -10) && touch(second, -20));
        const QString pdf = dir.filePath(u"text.pdf"_s);
        const QList<std::pair<const char *, int>> runs{
            {"first", 2}, {"again", 0}, {"moved", 0}, {"edited", 1}};
        for (const auto &[name, recognised] : runs) {
            if (qstrcmp(name, "moved") == 0) {
                // The store swaps two pages' files, as a move does.
                const QString aside = dir.filePath(u"aside.jpg"_s);
                QVERIFY(QFile::rename(first, aside) && QFile::rename(second, first) &&
                        QFile::rename(aside, second));
                OcrCache::instance().renumber({first, second}, {second, first});
            }
            if (qstrcmp(name, "edited") == 0) {
                QVERIFY(!drawText(second, {u"Edited in July"_s}, m_words).isEmpty());
                QVERIFY(touch(second, 5));
            }
            const int before = OcrEngine::recognitionCount();
            // As the dialog exports with recognition on.
            OcrQueue queue({first, second}, u"eng+rus"_s);
            const auto recognise = [&queue](int index, OcrPage *text) {
                return queue.take(index, text, {}) == OcrQueue::Status::Ready;
            };
            QCOMPARE(PdfWriter(m_corner).write({first, second}, pdf, {}, recognise).outcome,
                     PdfWriter::Outcome::Written);
            QVERIFY2(OcrEngine::recognitionCount() - before == recognised, name);
        }

        run(u"qpdf"_s, {u"--check"_s, pdf});
        const QList<ImageRow> images = pdfImages(pdf);
        QCOMPARE(images.size(), 2);
        for (const ImageRow &image : images)
            QCOMPARE(image.encoding, u"jpeg"_s);
        // One font, embedded as a subset, with a map back to the characters.
        const QString fonts = run(u"pdffonts"_s, {pdf});
        QVERIFY2(QRegularExpression(u"\\+DejaVuSans +CID TrueType +Identity-H +yes yes yes"_s)
                     .match(fonts)
                     .hasMatch(),
                 qPrintable(fonts));
        QCOMPARE(run(u"pdftotext"_s, {pdf, u"-"_s}).simplified(),
                 u"Съешь же ещё этих мягких французских булок Edited in July"_s);
        // A line's last word: no space shares its box. Its ink on all four sides, within a point.
        const QString boxes = run(u"pdftotext"_s, {u"-bbox"_s, pdf, u"-"_s});
        for (const QString &probe : {u"булок"_s, u"July"_s}) {
            const QRegularExpressionMatch m =
                QRegularExpression(u"<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                                   u"xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">%1</word>"_s.arg(probe))
                    .match(boxes);
            const QRectF found(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                               QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
            const QRectF drawn = m_words.value(probe);
            QVERIFY2(!found.isNull(), qPrintable(probe));
            const double off =
                qMax(qMax(qAbs(found.left() - drawn.left()), qAbs(found.right() - drawn.right())),
                     qMax(qAbs(found.top() - drawn.top()), qAbs(found.bottom() - drawn.bottom())));
            QVERIFY2(off < 1.0, qPrintable(u"%1 points off"_s.arg(off)));
        }
    }

    // One-letter words whose boxes almost touch stay apart, and their lines too, in file order.
    void wordsStayApart_data()
    {
        QTest::addColumn<QStringList>("lines");
        row("Latin", QStringList{u"a I"_s});
        row("Cyrillic", QStringList{u"в и с у"_s});
        row("two lines", QStringList{u"a I"_s, u"в и"_s});
    }
    void wordsStayApart()
    {
        QFETCH(QStringList, lines);
        OcrPage text;
        text.imageSize = QImage(m_english).size();
        for (int y = 0; y < lines.size(); ++y) {
            const QStringList words = lines.at(y).split(u' ');
            for (int x = 0; x < words.size(); ++x) {
                OcrWord word;
                word.text = words.at(x);
                word.box = QRect(100 + 41 * x, 100 + 100 * y, 40, 60); // one pixel apart
                word.endsLine = x == words.size() - 1;
                text.words << word;
            }
        }
        const QString pdf = m_dir.filePath(u"apart.pdf"_s);
        const auto given = [&text](int, OcrPage *page) {
            *page = text;
            return true;
        };
        QCOMPARE(PdfWriter(m_corner).write({m_english}, pdf, {}, given).outcome,
                 PdfWriter::Outcome::Written);
        QStringList said = run(u"pdftotext"_s, words("-raw") << pdf << u"-"_s).split(u'\n');
        // Without blank lines and the page's form feed.
        said.replaceInStrings(QRegularExpression(u"^\\s+|\\s+$"_s), QString()).removeAll(QString());
        QCOMPARE(said, lines);
    }

    // Without recognition, or with it off in the dialog, the file is the writer's plain one.
    void offIsUnchanged()
    {
        const QString plain = m_dir.filePath(u"plain.pdf"_s);
        const QString empty = m_dir.filePath(u"empty.pdf"_s);
        const QStringList pages{m_english, m_russian};
        QCOMPARE(PdfWriter(m_corner).write(pages, plain).outcome, PdfWriter::Outcome::Written);
        const auto noText = [](int, OcrPage *) { return true; };
        QCOMPARE(PdfWriter(m_corner).write(pages, empty, {}, noText).outcome,
                 PdfWriter::Outcome::Written);
        QCOMPARE(withoutTime(contentOf(empty)), withoutTime(contentOf(plain)));
        QVERIFY(!contentOf(plain).contains("/Font"));

        QTemporaryDir out;
        const auto dialog = exportDialog(pages, out.path());
        dialog->findChild<QLineEdit *>()->setText(u"off"_s);
        const int before = OcrEngine::recognitionCount();
        dialog->apply();
        QCOMPARE(OcrEngine::recognitionCount(), before);
        QCOMPARE(withoutTime(contentOf(out.filePath(u"off.pdf"_s))), withoutTime(contentOf(plain)));
    }

    void missingLanguageIsTold()
    {
        QTemporaryDir out;
        writeSetting(Settings::RecogniseText, true);
        writeSetting(Settings::RecognitionLanguages, u"eng+xyz"_s);
        const auto dialog = exportDialog({m_english}, out.path());
        dialog->show();
        QSignalSpy applied(dialog.get(), &ExportDlg::applied);
        QSignalSpy failed(dialog.get(), &ExportDlg::failed);
        dialog->apply();
        QVERIFY2(dialog->recognitionMessage().contains("tesseract-ocr-xyz"_L1),
                 qPrintable(dialog->recognitionMessage()));
        QVERIFY(dialog->isVisible());
        QVERIFY(applied.isEmpty() && failed.isEmpty());
        QVERIFY(entries(out.path()).isEmpty());
        // The choice came from the stored PDF settings and goes back with them.
        QCOMPARE(dialog->optionsFromWidgets().languages, u"eng+xyz"_s);
        QVERIFY(dialog->optionsFromWidgets().recognise);
    }

private:
    QTemporaryDir m_dir;
    PdfPageOptions m_corner; // top left, natural size: the picture's points are the page's
    QString m_english;
    QString m_russian;
    QHash<QString, QRectF> m_words;
};

QTEST_MAIN(TestOcr)
#include "tst_ocr.moc"
