#include "BatchOptions.h"

#include "ImageFolderWriter.h"
#include "OcrLanguages.h"
#include "PaperSizes.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("BatchOptions", text);
}

// The wavelet encoder's range, as the DjVu dialog offers it.
constexpr int MinDjvuPercent = 5;
constexpr int MaxDjvuPercent = 100;

// A whole number in [low, high]; false when text is none.
bool readNumber(const QString &text, int low, int high, int *value)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < low || number > high)
        return false;
    *value = number;
    return true;
}

bool readFormat(const QString &name, BatchOptions::Format *format)
{
    for (BatchOptions::Format known : {BatchOptions::Format::Pdf, BatchOptions::Format::Docx,
                                       BatchOptions::Format::Djvu, BatchOptions::Format::Images}) {
        if (name.compare(BatchOptions::formatName(known), Qt::CaseInsensitive) == 0) {
            *format = known;
            return true;
        }
    }
    if (name.compare(QLatin1String("djv"), Qt::CaseInsensitive) == 0) {
        *format = BatchOptions::Format::Djvu;
        return true;
    }
    return false;
}

// The output's format from its name: a known suffix, or a folder (a name ending in a slash,
// or an existing folder) for images.
bool formatFromOutput(const QString &output, BatchOptions::Format *format)
{
    if (output.endsWith(QLatin1Char('/')) || QFileInfo(output).isDir()) {
        *format = BatchOptions::Format::Images;
        return true;
    }
    const QString suffix = QFileInfo(output).suffix();
    return !suffix.isEmpty() && suffix.compare(QLatin1String("images"), Qt::CaseInsensitive) != 0 &&
           readFormat(suffix, format);
}

// "1.5" for all four margins, or "left,right,top,bottom", in centimetres as the dialog's.
bool readMargins(const QString &text, PdfLayout::Margins *margins)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 1 && parts.size() != 4)
        return false;
    double values[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        values[i] = parts.at(parts.size() == 1 ? 0 : i).trimmed().toDouble(&ok);
        // The dialog's range.
        if (!ok || values[i] < 0.0 || values[i] > 2.0)
            return false;
    }
    *margins = {values[0], values[1], values[2], values[3]};
    return true;
}
} // namespace

QString BatchOptions::formatName(Format format)
{
    switch (format) {
    case Format::Pdf:
        return QStringLiteral("pdf");
    case Format::Docx:
        return QStringLiteral("docx");
    case Format::Djvu:
        return QStringLiteral("djvu");
    case Format::Images:
        return QStringLiteral("images");
    }
    return QString();
}

ParsedBatchOptions parseBatchOptions(const QStringList &arguments)
{
    ParsedBatchOptions parsed;
    BatchOptions &options = parsed.options;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        tr("Turns page images, folders of them and PDF files into one document: PDF (optionally "
           "searchable), Word, DjVu or a folder of images, without a window."));
    parser.addPositionalArgument(
        tr("INPUT"),
        tr("Image files (JPEG, TIFF, PNG, BMP, multi-page TIFF), PDF files, and folders "
           "(their pictures in natural name order: page2 before page10)."),
        tr("INPUT..."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  tr("Shows this help and exits."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     tr("Shows the version and exits."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    tr("The document to write; its suffix gives the format "
                                       "(.pdf, .docx, .djvu; a folder for images)."),
                                    tr("OUTPUT"));
    const QCommandLineOption format(QStringLiteral("format"),
                                    tr("The format, whatever the output's name: pdf, docx, djvu "
                                       "or images."),
                                    tr("FORMAT"));
    QStringList paperNames;
    for (const PaperSizes::Offer &offer : PaperSizes::offered())
        paperNames << offer.label.toLower();
    const QCommandLineOption paper(QStringLiteral("paper"),
                                   tr("PDF paper size: %1 (a4).").arg(paperNames.join(u'|')),
                                   tr("SIZE"));
    const QCommandLineOption orientation(QStringLiteral("orientation"),
                                         tr("PDF paper orientation: portrait or landscape."),
                                         tr("WAY"));
    const QCommandLineOption fit(QStringLiteral("fit"),
                                 tr("How pages fill the PDF paper: dpi (natural size from the "
                                    "resolution), stretch, or keep (as large as fits, proportions "
                                    "kept)."),
                                 tr("MODE"));
    const QCommandLineOption margin(
        QStringLiteral("margin"),
        tr("PDF margins in centimetres (0 to 2): one for all, or left,right,top,bottom."),
        tr("CM"));
    const QCommandLineOption ocr(QStringLiteral("ocr"),
                                 tr("Makes a searchable PDF with text recognised in the languages "
                                    "given, as eng or eng+rus."),
                                 tr("LANGS"));
    const QCommandLineOption compact(QStringLiteral("compact"),
                                     tr("Makes the smallest PDF: text sharp at full resolution "
                                        "(lossless JBIG2), pictures reduced."));
    const QCommandLineOption pictures(QStringLiteral("pictures"),
                                      tr("How much of the pictures a compact PDF keeps: small, "
                                         "balanced (default) or print; implies --compact."),
                                      tr("LEVEL"));
    const QCommandLineOption quality(QStringLiteral("quality"),
                                     tr("JPEG quality of an image folder, %1 to %2 (%3).")
                                         .arg(ImageFolderWriter::MinQuality)
                                         .arg(ImageFolderWriter::MaxQuality)
                                         .arg(ImageFolderWriter::DefaultQuality),
                                     tr("N"));
    const QCommandLineOption imageFormat(QStringLiteral("image-format"),
                                         tr("File format of an image folder: %1 (jpg).")
                                             .arg(ImageFolderWriter::formats().join(u'|')),
                                         tr("FORMAT"));
    const QCommandLineOption djvuQuality(QStringLiteral("djvu-quality"),
                                         tr("Size target of colour and grey DjVu pages in "
                                            "percent, %1 to %2.")
                                             .arg(MinDjvuPercent)
                                             .arg(MaxDjvuPercent),
                                         tr("PERCENT"));
    const QCommandLineOption clean(QStringLiteral("clean"),
                                   tr("Cleans every page with the page processor as scanned pages "
                                      "are: deskew, white margins, and even illumination when the "
                                      "settings ask for it."));
    const QCommandLineOption deskew(QStringLiteral("deskew"),
                                    tr("Straightens the pages (the page processor, nothing else "
                                       "unless asked)."));
    const QCommandLineOption margins(QStringLiteral("margins"),
                                     tr("Cuts pages to their content with white margins (page "
                                        "processor)."));
    const QCommandLineOption illumination(QStringLiteral("illumination"),
                                          tr("Evens out the illumination (page processor)."));
    const QCommandLineOption blackAndWhite(QStringLiteral("bw"),
                                           tr("Makes the pages black and white (page processor)."));
    const QCommandLineOption split(QStringLiteral("split"),
                                   tr("Splits book spreads into their left and right pages (page "
                                      "processor)."));
    const QCommandLineOption scan(
        QStringLiteral("scan"),
        tr("Adds pages from a scanner after the inputs: --scan for the scanner the window "
           "uses (else the first found), --scan=DEVICE for a SANE device by name."),
        tr("DEVICE"));
    const QCommandLineOption source(QStringLiteral("source"),
                                    tr("Where the scanner takes the paper: feeder (default) or "
                                       "flatbed."),
                                    tr("SOURCE"));
    const QCommandLineOption mode(QStringLiteral("mode"),
                                  tr("Scan colours: color (default), gray or bw."), tr("MODE"));
    const QCommandLineOption resolution(QStringLiteral("resolution"),
                                        tr("Scan resolution in dots per inch, 50 to 1200 (300)."),
                                        tr("DPI"));
    const QCommandLineOption scanPages(QStringLiteral("pages"),
                                       tr("How many pages to scan; by default the feeder until "
                                          "it is empty, one page from the flatbed."),
                                       tr("N"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   tr("Shows no progress; failures are still told."));
    const QCommandLineOption json(QStringLiteral("json"),
                                  tr("Prints a summary on standard output as JSON: pages, bytes, "
                                     "seconds, warnings."));
    parser.addOptions({help,         version,       output,    format, paper,
                       orientation,  fit,           margin,    ocr,    compact, pictures, quality,
                       imageFormat,  djvuQuality,   clean,     deskew, margins,
                       illumination, blackAndWhite, split,     scan,   source,
                       mode,         resolution,    scanPages, quiet,  json});
    parsed.helpText = parser.helpText() +
                      tr("\nExit status: 0 the output is complete, 1 the work failed (nothing "
                         "left behind, an existing output kept), 2 a usage error, 130 "
                         "interrupted.\n");
    const auto refuse = [&parsed](const QString &error) {
        parsed.error = error;
        return parsed;
    };

    // --scan takes its device after "=" only: bare, it is the scanner of the window.
    QStringList given = arguments;
    for (QString &argument : given) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--scan"))
            argument = QStringLiteral("--scan=");
    }
    if (!parser.parse(given))
        return refuse(parser.errorText());
    parsed.help = parser.isSet(help);
    parsed.version = parser.isSet(version);
    if (parsed.help || parsed.version)
        return parsed;

    options.inputs = parser.positionalArguments();
    options.output = parser.value(output);
    ScanRequest &request = options.scan;
    request.enabled = parser.isSet(scan);
    request.device = parser.value(scan);
    if (options.inputs.isEmpty() && !request.enabled)
        return refuse(tr("no input given"));
    if (parser.isSet(source)) {
        const QString where = parser.value(source).toLower();
        if (where != QLatin1String("feeder") && where != QLatin1String("flatbed"))
            return refuse(tr("--source %1: feeder or flatbed").arg(parser.value(source)));
        request.feeder = where == QLatin1String("feeder");
    }
    if (parser.isSet(mode)) {
        const QStringList modes{QStringLiteral("bw"), QStringLiteral("gray"),
                                QStringLiteral("color")};
        const int at = int(modes.indexOf(parser.value(mode).toLower()));
        if (at < 0)
            return refuse(tr("--mode %1: color, gray or bw").arg(parser.value(mode)));
        request.colourMode = QList<int>{1, 2, 4}.at(at);
    }
    if (parser.isSet(resolution) &&
        !readNumber(parser.value(resolution), 50, 1200, &request.resolution))
        return refuse(
            tr("--resolution %1: dots per inch from 50 to 1200").arg(parser.value(resolution)));
    if (parser.isSet(scanPages) && !readNumber(parser.value(scanPages), 1, 100000, &request.pages))
        return refuse(tr("--pages %1: a number of pages").arg(parser.value(scanPages)));
    if (options.output.isEmpty())
        return refuse(tr("no output given (-o OUTPUT)"));
    if (parser.isSet(format)) {
        if (!readFormat(parser.value(format), &options.format))
            return refuse(
                tr("%1: unknown format (pdf, docx, djvu or images)").arg(parser.value(format)));
    } else if (!formatFromOutput(options.output, &options.format)) {
        return refuse(tr("%1: unknown format; name it .pdf, .docx or .djvu, or give --format")
                          .arg(options.output));
    }
    const bool pdfOutput = options.format == BatchOptions::Format::Pdf;

    if (parser.isSet(paper)) {
        const int at = int(paperNames.indexOf(parser.value(paper).toLower()));
        if (at < 0)
            return refuse(tr("--paper %1: unknown paper size").arg(parser.value(paper)));
        options.pdf.paperId = PaperSizes::offered().at(at).id;
    }
    if (parser.isSet(orientation)) {
        const QString way = parser.value(orientation).toLower();
        if (way != QLatin1String("portrait") && way != QLatin1String("landscape"))
            return refuse(tr("--orientation %1: portrait or landscape").arg(way));
        options.pdf.orientation = way == QLatin1String("landscape") ? PdfPageOptions::Landscape
                                                                    : PdfPageOptions::Portrait;
    }
    if (parser.isSet(fit)) {
        const QStringList modes{QStringLiteral("dpi"), QStringLiteral("stretch"),
                                QStringLiteral("keep")};
        const int mode = int(modes.indexOf(parser.value(fit).toLower()));
        if (mode < 0)
            return refuse(tr("--fit %1: dpi, stretch or keep").arg(parser.value(fit)));
        options.pdf.scaleMode =
            QList<int>{PdfLayout::ByDpi, PdfLayout::Stretch, PdfLayout::KeepAspect}.at(mode);
    }
    if (parser.isSet(margin) && !readMargins(parser.value(margin), &options.pdf.margins))
        return refuse(tr("--margin %1: centimetres from 0 to 2, one value or four")
                          .arg(parser.value(margin)));
    if (parser.isSet(ocr)) {
        if (!pdfOutput)
            return refuse(tr("--ocr makes a searchable PDF; the output is no PDF"));
        options.pdf.recognise = true;
        options.pdf.languages = parser.value(ocr);
        const QStringList absent = OcrLanguages::missing(options.pdf.languages);
        if (!absent.isEmpty()) {
            const QString code = absent.first().isEmpty() ? QStringLiteral("eng") : absent.first();
            return refuse(tr("%1: recognition language not installed (package tesseract-ocr-%2)")
                              .arg(code, code));
        }
    }
    if (parser.isSet(compact) || parser.isSet(pictures)) {
        if (!pdfOutput)
            return refuse(tr("--compact makes a compact PDF; the output is no PDF"));
        options.pdf.compact = true;
        if (parser.isSet(pictures)) {
            const QStringList levels{QStringLiteral("small"), QStringLiteral("balanced"),
                                     QStringLiteral("print")};
            options.pdf.pictureLevel = int(levels.indexOf(parser.value(pictures).toLower()));
            if (options.pdf.pictureLevel < 0)
                return refuse(
                    tr("--pictures %1: small, balanced or print").arg(parser.value(pictures)));
        }
    }
    options.imageQuality = ImageFolderWriter::DefaultQuality;
    if (parser.isSet(quality) && !readNumber(parser.value(quality), ImageFolderWriter::MinQuality,
                                             ImageFolderWriter::MaxQuality, &options.imageQuality))
        return refuse(tr("--quality %1: a number from %2 to %3")
                          .arg(parser.value(quality))
                          .arg(ImageFolderWriter::MinQuality)
                          .arg(ImageFolderWriter::MaxQuality));
    if (parser.isSet(imageFormat)) {
        options.imageFormat = parser.value(imageFormat).toLower();
        if (options.imageFormat == QLatin1String("jpeg"))
            options.imageFormat = QStringLiteral("jpg");
        if (options.imageFormat == QLatin1String("tif"))
            options.imageFormat = QStringLiteral("tiff");
        if (!ImageFolderWriter::formats().contains(options.imageFormat))
            return refuse(tr("--image-format %1: %2")
                              .arg(parser.value(imageFormat),
                                   ImageFolderWriter::formats().join(QStringLiteral(", "))));
    }
    if (parser.isSet(djvuQuality) && !readNumber(parser.value(djvuQuality), MinDjvuPercent,
                                                 MaxDjvuPercent, &options.djvuPercent))
        return refuse(tr("--djvu-quality %1: a number from %2 to %3")
                          .arg(parser.value(djvuQuality))
                          .arg(MinDjvuPercent)
                          .arg(MaxDjvuPercent));

    // --clean is what the window does with a scanned page; the others pick single steps.
    const bool cleaned = parser.isSet(clean);
    options.split = parser.isSet(split);
    options.blackAndWhite = parser.isSet(blackAndWhite);
    options.margins = cleaned || parser.isSet(margins);
    options.illumination = parser.isSet(illumination) ? 1 : (cleaned ? -1 : 0);
    options.process = cleaned || options.split || options.blackAndWhite || options.margins ||
                      parser.isSet(illumination) || parser.isSet(deskew);

    options.quiet = parser.isSet(quiet);
    options.json = parser.isSet(json);
    return parsed;
}
