// Searchable PDFs, judged by the real readers (pdftotext, qpdf, pdffonts) a user's tools use.
#include "ExportDlg.h"
#include "OcrCache.h"
#include "OcrEngine.h"
#include "OcrQueue.h"
#include "PdfTestTools.h"
#include "PdfWriter.h"
#include "SelectFolderWidget.h"
#include "SettingsKeys.h"

#include <QtTest>
#include <QtWidgets>

using namespace PdfTestTools;

namespace {
constexpr int dpi = 300;

// Draws lines of text at 300 dpi in DejaVu Sans, 16 pt, as a JPEG page; words gets where each
// word's ink is, in points from the top left of the page image.
QString drawText(const QString &path, const QStringList &lines, QHash<QString, QRectF> *words)
{
    QImage image(1600, 120 + 110 * int(lines.size()), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(16 * dpi / 72);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QFontMetricsF metrics(font);
        double y = 60 + metrics.ascent();
        for (const QString &line : lines) {
            double x = 80;
            for (const QString &word : line.split(QLatin1Char(' '))) {
                painter.drawText(QPointF(x, y), word);
                const QRectF ink = metrics.tightBoundingRect(word).translated(x, y);
                if (words)
                    words->insert(word,
                                  QRectF(ink.topLeft() * 72.0 / dpi, ink.size() * 72.0 / dpi));
                x += metrics.horizontalAdvance(word + QLatin1Char(' '));
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

// Top left of the paper, natural size: the picture's points are the page's points.
PdfPageOptions corner()
{
    PdfPageOptions options;
    options.centred = false;
    return options;
}

// The export as the dialog runs it with recognition on, without the dialog.
PdfWriter::Outcome exportWithText(const QStringList &pages, const QString &languages,
                                  const QString &out)
{
    OcrQueue queue(pages, languages);
    return PdfWriter(corner())
        .write(pages, out, {},
               [&](int index, OcrPage *text) {
                   return queue.take(index, text, {}) == OcrQueue::Status::Ready;
               })
        .outcome;
}

// One word of pdftotext -bbox, in points from the top left.
QRectF bboxOf(const QString &pdf, const QString &word)
{
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpression entry(QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                                                  "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">%1</word>")
                                       .arg(QRegularExpression::escape(word)));
    const QRegularExpressionMatch m = entry.match(html);
    if (!m.hasMatch())
        return QRectF();
    return QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                  QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()));
}

QString textOf(const QString &pdf)
{
    return run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).simplified();
}

// The creation time and the file identifier are the only bytes that differ between runs.
QByteArray withoutTime(QByteArray pdf)
{
    static const QRegularExpression variable(
        QStringLiteral("/CreationDate ?\\([^)]*\\)|/ID ?\\[[^\\]]*\\]"));
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
        m_english = drawText(m_dir.filePath(QStringLiteral("english.jpg")),
                             {QStringLiteral("The quick brown fox jumps"),
                              QStringLiteral("over the lazy dog today")},
                             &m_words);
        m_russian = drawText(
            m_dir.filePath(QStringLiteral("russian.jpg")),
            {QStringLiteral("Съешь же ещё этих мягких"), QStringLiteral("французских булок")},
            &m_words);
        QVERIFY(!m_english.isEmpty() && !m_russian.isEmpty());
    }

    void init()
    {
        QSettings().clear();
        OcrCache::instance().clear();
    }

    // Both pages in reading order, each word at its place, in the very letters drawn.
    void textLayer()
    {
        const QString pdf = m_dir.filePath(QStringLiteral("text.pdf"));
        QCOMPARE(exportWithText({m_english, m_russian}, QStringLiteral("eng+rus"), pdf),
                 PdfWriter::Outcome::Written);

        run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
        const QList<ImageRow> images = pdfImages(pdf);
        QCOMPARE(images.size(), 2);
        for (const ImageRow &image : images)
            QCOMPARE(image.encoding, QStringLiteral("jpeg"));
        // One font, embedded as a subset, with a map back to the characters.
        const QString fonts = run(QStringLiteral("pdffonts"), {pdf});
        QVERIFY2(QRegularExpression(
                     QStringLiteral("\\+DejaVuSans +CID TrueType +Identity-H +yes yes yes"))
                     .match(fonts)
                     .hasMatch(),
                 qPrintable(fonts));
        QCOMPARE(textOf(pdf), QStringLiteral("The quick brown fox jumps over the lazy dog today "
                                             "Съешь же ещё этих мягких французских булок"));
        // A line's last word: no space shares its box. Its ink on all four sides, within a point.
        for (const QString &probe : {QStringLiteral("jumps"), QStringLiteral("булок")}) {
            const QRectF found = bboxOf(pdf, probe);
            const QRectF drawn = m_words.value(probe);
            QVERIFY2(!found.isNull(), qPrintable(probe));
            const double off =
                qMax(qMax(qAbs(found.left() - drawn.left()), qAbs(found.right() - drawn.right())),
                     qMax(qAbs(found.top() - drawn.top()), qAbs(found.bottom() - drawn.bottom())));
            QVERIFY2(off < 1.0, qPrintable(QStringLiteral("%1 points off").arg(off)));
        }
    }

    // Words whose boxes almost touch, one letter each, as the engine gives them: the text
    // layer keeps them apart and its lines apart, as pdftotext reads them in the order of the
    // file (as copying does).
    void wordsStayApart_data()
    {
        QTest::addColumn<QStringList>("lines");
        row("Latin", QStringList{QStringLiteral("a I")});
        row("Cyrillic", QStringList{QStringLiteral("в и с у")});
        row("two lines", QStringList{QStringLiteral("a I"), QStringLiteral("в и")});
    }
    void wordsStayApart()
    {
        QFETCH(QStringList, lines);
        OcrPage text;
        text.imageSize = QImage(m_english).size();
        for (int y = 0; y < lines.size(); ++y) {
            const QStringList words = lines.at(y).split(QLatin1Char(' '));
            for (int x = 0; x < words.size(); ++x) {
                OcrWord word;
                word.text = words.at(x);
                word.box = QRect(100 + 41 * x, 100 + 100 * y, 40, 60); // one pixel apart
                word.endsLine = x == words.size() - 1;
                text.words << word;
            }
        }
        const QString pdf = m_dir.filePath(QStringLiteral("apart.pdf"));
        QCOMPARE(PdfWriter(corner())
                     .write({m_english}, pdf, {},
                            [&text](int, OcrPage *page) {
                                *page = text;
                                return true;
                            })
                     .outcome,
                 PdfWriter::Outcome::Written);
        QStringList said =
            run(QStringLiteral("pdftotext"), words("-raw") << pdf << QStringLiteral("-"))
                .split(QLatin1Char('\n'));
        // Without blank lines and the page's form feed.
        said.replaceInStrings(QRegularExpression(QStringLiteral("^\\s+|\\s+$")), QString())
            .removeAll(QString());
        QCOMPARE(said, lines);
    }

    // Without recognition nothing of the text layer reaches the file; with it switched off in
    // the dialog the file is the writer's plain one.
    void offIsUnchanged()
    {
        const QString plain = m_dir.filePath(QStringLiteral("plain.pdf"));
        const QString empty = m_dir.filePath(QStringLiteral("empty.pdf"));
        const QStringList pages{m_english, m_russian};
        QCOMPARE(PdfWriter(corner()).write(pages, plain).outcome, PdfWriter::Outcome::Written);
        QCOMPARE(PdfWriter(corner())
                     .write(pages, empty, {}, [](int, OcrPage *) { return true; })
                     .outcome,
                 PdfWriter::Outcome::Written);
        QCOMPARE(withoutTime(contentOf(empty)), withoutTime(contentOf(plain)));
        QVERIFY(!contentOf(plain).contains("/Font"));

        QTemporaryDir out;
        const auto dialog = exportDialog(pages, out.path());
        dialog->findChild<QLineEdit *>()->setText(QStringLiteral("off"));
        const int before = OcrEngine::recognitionCount();
        dialog->apply();
        QCOMPARE(OcrEngine::recognitionCount(), before);
        QCOMPARE(withoutTime(contentOf(out.filePath(QStringLiteral("off.pdf")))),
                 withoutTime(contentOf(plain)));
    }

    void cacheSkipsUnchangedPages()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("1.jpg"));
        const QString second = dir.filePath(QStringLiteral("2.jpg"));
        QVERIFY(QFile::copy(m_english, first) && QFile::copy(m_english, second));
        // Apart in time, so that swapped files never match each other's entry by chance.
        QVERIFY(touch(first, -10) && touch(second, -20));
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        const QList<std::pair<const char *, int>> runs{
            {"first", 2}, {"again", 0}, {"moved", 0}, {"edited", 1}};
        for (const auto &[name, recognised] : runs) {
            if (qstrcmp(name, "moved") == 0) {
                // The store swaps two pages' files, as a move does.
                const QString aside = dir.filePath(QStringLiteral("aside.jpg"));
                QVERIFY(QFile::rename(first, aside) && QFile::rename(second, first) &&
                        QFile::rename(aside, second));
                OcrCache::instance().renumber({first, second}, {second, first});
            }
            if (qstrcmp(name, "edited") == 0) {
                QVERIFY(!drawText(second, {QStringLiteral("Edited page")}, nullptr).isEmpty());
                QVERIFY(touch(second, 5));
            }
            const int before = OcrEngine::recognitionCount();
            QCOMPARE(exportWithText({first, second}, QStringLiteral("eng"), pdf),
                     PdfWriter::Outcome::Written);
            QVERIFY2(OcrEngine::recognitionCount() - before == recognised, name);
        }
        QVERIFY(textOf(pdf).endsWith(QLatin1String("today Edited page")));
    }

    void missingLanguageIsTold()
    {
        QTemporaryDir out;
        writeSetting(Settings::RecogniseText, true);
        writeSetting(Settings::RecognitionLanguages, QStringLiteral("eng+xyz"));
        const auto owned = exportDialog({m_english}, out.path());
        ExportDlg &dialog = *owned;
        dialog.show();
        QSignalSpy applied(&dialog, &ExportDlg::applied);
        QSignalSpy failed(&dialog, &ExportDlg::failed);
        dialog.apply();
        QVERIFY2(dialog.recognitionMessage().contains(QLatin1String("tesseract-ocr-xyz")),
                 qPrintable(dialog.recognitionMessage()));
        QVERIFY(dialog.isVisible());
        QVERIFY(applied.isEmpty() && failed.isEmpty());
        QVERIFY(entries(out.path()).isEmpty());
        // The choice came from the stored PDF settings and goes back with them.
        QCOMPARE(dialog.optionsFromWidgets().languages, QStringLiteral("eng+xyz"));
        QVERIFY(dialog.optionsFromWidgets().recognise);
    }

private:
    QTemporaryDir m_dir;
    QString m_english;
    QString m_russian;
    QHash<QString, QRectF> m_words;
};

QTEST_MAIN(TestOcr)
#include "tst_ocr.moc"
