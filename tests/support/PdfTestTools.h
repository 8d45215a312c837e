#pragma once

// What the real PDF readers (qpdf, pdfinfo, pdfimages) say about a written file.

#include "TestHelpers.h"

#include <QtTest>

namespace PdfTestTools {
using namespace Qt::StringLiterals;

// A page image: a colour JPEG, or a 1-bit TIFF when mono, stating dpi as its resolution.
inline QString drawPage(const QString &path, const QSize &pixels, int dpi, bool mono = false)
{
    const QImage image = drawnPage(pixels, mono ? PageKind::Mono : PageKind::Colour, dpi);
    const bool saved = mono ? image.save(path, "TIFF") : image.save(path, "JPG", 85);
    return saved ? path : QString();
}

// "-r 150 -gray" as the arguments of a reader.
inline QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

// Runs a reader; the test fails when it cannot be started or reports an error.
inline QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000)) {
        QTest::qFail(qPrintable(u"%1 did not run"_s.arg(program)), __FILE__, __LINE__);
        return QString();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QTest::qFail(qPrintable(u"%1 failed: %2"_s.arg(
                         program, QString::fromLocal8Bit(process.readAllStandardError()))),
                     __FILE__, __LINE__);
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// A field of pdfinfo's report: "3" for "Pages", "595 x 842" for "Page size" (the first page).
inline QString pdfinfo(const QString &pdf, const QString &field)
{
    const QRegularExpression line(u"^%1:\\s+([\\d.]+( x [\\d.]+)?)"_s.arg(field),
                                  QRegularExpression::MultilineOption);
    return line.match(run(u"pdfinfo"_s, {pdf})).captured(1);
}

inline int pdfinfoPages(const QString &pdf)
{
    return pdfinfo(pdf, u"Pages"_s).toInt();
}

struct ImageRow
{
    int page = 0;
    int width = 0;
    int bitsPerComponent = 0;
    QString encoding;
    int xPpi = 0;
};

inline QList<ImageRow> pdfImages(const QString &pdf)
{
    QList<ImageRow> rows;
    const QStringList lines =
        run(u"pdfimages"_s, {u"-list"_s, pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    for (const QString &line : lines.mid(2)) {
        const QStringList f = line.simplified().split(QLatin1Char(' '));
        if (f.size() < 14)
            continue;
        rows.append({f[0].toInt(), f[3].toInt(), f[7].toInt(), f[8], f[12].toInt()});
    }
    return rows;
}

// One page as written: its MediaBox and the matrix the image is drawn with (a b c d e f).
struct PageRecord
{
    QRectF mediaBox;
    QList<double> matrix;
};

// Reads every page back through qpdf's uncompressed, annotated form.
inline QList<PageRecord> readPages(const QString &pdf)
{
    QTemporaryDir dir;
    const QString qdf = dir.filePath(u"qdf.pdf"_s);
    run(u"qpdf"_s, {u"--qdf"_s, u"--object-streams=disable"_s, pdf, qdf});
    const QString text = QString::fromLatin1(contentOf(qdf));

    const QString number = u"(-?[\\d.]+)"_s;
    const QRegularExpression mediaBox(
        u"/MediaBox \\[\\s*%1\\s+%1\\s+%1\\s+%1\\s*\\]"_s.arg(number));
    const QRegularExpression matrix(u"%1\\s+%1\\s+%1\\s+%1\\s+%1\\s+%1\\s+cm"_s.arg(number));

    QList<PageRecord> pages;
    for (int n = 1;; ++n) {
        const qsizetype pageAt = text.indexOf(u"%% Page %1\n"_s.arg(n));
        const qsizetype contentsAt = text.indexOf(u"%% Contents for page %1\n"_s.arg(n));
        if (pageAt < 0 || contentsAt < 0)
            break;
        PageRecord page;
        const QRegularExpressionMatch box = mediaBox.match(text, pageAt);
        if (box.hasMatch()) {
            page.mediaBox = QRectF(QPointF(box.captured(1).toDouble(), box.captured(2).toDouble()),
                                   QPointF(box.captured(3).toDouble(), box.captured(4).toDouble()));
        }
        const QRegularExpressionMatch cm = matrix.match(text, contentsAt);
        if (cm.hasMatch()) {
            for (int i = 1; i <= 6; ++i)
                page.matrix.append(cm.captured(i).toDouble());
        }
        pages.append(page);
    }
    return pages;
}

// Every entry of folder, for checking that nothing was left behind.
inline QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace PdfTestTools
