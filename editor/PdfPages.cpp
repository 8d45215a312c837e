#include "PdfPages.h"

#include "SettingsKeys.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QTransform>
#include <QtEndian>

#include <podofo/podofo.h>
#include <poppler-qt6.h>

#include <memory>
#include <optional>
#include <vector>

namespace {
// The translation context of the messages.
struct PdfPages
{
    Q_DECLARE_TR_FUNCTIONS(PdfPages)
};

using namespace PoDoFo;

// The limits readPageImage sets for a picture file hold for a drawn page too.
constexpr int MaxSide = 40000;
constexpr qint64 MaxPixels = 600'000'000;
// JPEG pages keep their own file; the picture in memory only makes the thumbnail (at most
// 300 pixels), so a small one spares time and memory for files of hundreds of pages.
constexpr int PreviewSide = 400;
constexpr double PointsPerInch = 72.0;
constexpr double InchesPerMeter = 1 / 0.0254;

struct Refusal
{
    LoadFailure failure = LoadFailure::None;
    QString reason; // for the user, follows "Can't open name: "
};

const PdfObject *resolve(const PdfDocument &document, const PdfObject *object)
{
    if (object && object->IsReference())
        return document.GetObjects()->GetObject(object->GetReference());
    return object;
}

const PdfObject *key(const PdfDocument &document, const PdfObject *dictionary, const char *name)
{
    dictionary = resolve(document, dictionary);
    if (!dictionary || !dictionary->IsDictionary())
        return nullptr;
    return resolve(document, dictionary->GetDictionary().GetKey(PdfName(name)));
}

qint64 number(const PdfDocument &document, const PdfObject *dictionary, const char *name,
              qint64 fallback)
{
    const PdfObject *value = key(document, dictionary, name);
    return value && value->IsNumber() ? value->GetNumber() : fallback;
}

// The one filter of a stream; empty when there is none or more than one.
QByteArray onlyFilter(const PdfDocument &document, const PdfObject *image)
{
    const PdfObject *filter = key(document, image, "Filter");
    if (filter && filter->IsArray() && filter->GetArray().size() == 1)
        filter = resolve(document, &filter->GetArray()[0]);
    return filter && filter->IsName() ? QByteArray::fromStdString(filter->GetName().GetName())
                                      : QByteArray();
}

// The decode parameters of the one filter.
const PdfObject *decodeParameters(const PdfDocument &document, const PdfObject *image)
{
    const PdfObject *parameters = key(document, image, "DecodeParms");
    if (parameters && parameters->IsArray() && parameters->GetArray().size() == 1)
        parameters = resolve(document, &parameters->GetArray()[0]);
    return parameters && parameters->IsDictionary() ? parameters : nullptr;
}

// The colour space's number of components, 0 for one we do not take as it is (CMYK, indexed,
// calibrated spaces, whose pixels would come in with other colours).
int components(const PdfDocument &document, const PdfObject *image)
{
    const PdfObject *space = key(document, image, "ColorSpace");
    if (!space)
        return 0;
    if (space->IsName()) {
        const std::string name = space->GetName().GetName();
        return name == "DeviceGray" ? 1 : name == "DeviceRGB" ? 3 : 0;
    }
    if (space->IsArray() && space->GetArray().size() == 2 &&
        resolve(document, &space->GetArray()[0])->IsName() &&
        resolve(document, &space->GetArray()[0])->GetName().GetName() == "ICCBased") {
        const qint64 n = number(document, &space->GetArray()[1], "N", 0);
        return n == 1 || n == 3 ? int(n) : 0;
    }
    return 0;
}

// The colours of the samples 0 and 1 of a 1-bit picture in black and white: a grey one, or
// one indexed into black and white (img2pdf's 1-bit PNG pages); empty for any other.
QList<QRgb> bilevelColours(const PdfDocument &document, const PdfObject *image)
{
    const QList<QRgb> blackWhite{qRgb(0, 0, 0), qRgb(255, 255, 255)};
    if (components(document, image) == 1)
        return blackWhite;
    const PdfObject *space = key(document, image, "ColorSpace");
    if (!space || !space->IsArray() || space->GetArray().size() != 4)
        return {};
    const PdfArray &indexed = space->GetArray();
    const PdfObject *kind = resolve(document, &indexed[0]);
    const PdfObject *base = resolve(document, &indexed[1]);
    const PdfObject *highest = resolve(document, &indexed[2]);
    const PdfObject *lookup = resolve(document, &indexed[3]);
    if (!kind->IsName() || kind->GetName().GetName() != "Indexed" || !base->IsName() ||
        !highest->IsNumber() || highest->GetNumber() != 1 ||
        (!lookup->IsString() && !lookup->IsHexString()))
        return {};
    const std::string baseName = base->GetName().GetName();
    const int n = baseName == "DeviceGray" ? 1 : baseName == "DeviceRGB" ? 3 : 0;
    const QByteArray table(lookup->GetString().GetString(),
                           qsizetype(lookup->GetString().GetLength()));
    if (n == 0 || table.size() != 2 * n)
        return {};
    QList<QRgb> colours;
    for (int entry = 0; entry < 2; ++entry) {
        const QByteArray colour = table.mid(entry * n, n);
        if (colour != QByteArray(n, '\0') && colour != QByteArray(n, '\xff'))
            return {};
        colours << (colour.at(0) ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
    return colours;
}

// Whether /Decode swaps black and white ([1 0]); nullopt for any other mapping.
std::optional<bool> inverted(const PdfDocument &document, const PdfObject *image)
{
    const PdfObject *decode = key(document, image, "Decode");
    if (!decode)
        return false;
    if (!decode->IsArray() || decode->GetArray().size() != 2)
        return std::nullopt;
    const PdfObject *low = resolve(document, &decode->GetArray()[0]);
    const PdfObject *high = resolve(document, &decode->GetArray()[1]);
    if (!low || !high || (!low->IsReal() && !low->IsNumber()) ||
        (!high->IsReal() && !high->IsNumber()))
        return std::nullopt;
    const double from = low->GetReal();
    const double to = high->GetReal();
    if (from == 0 && to == 1)
        return false;
    if (from == 1 && to == 0)
        return true;
    return std::nullopt;
}

// The image XObject that the page's content only places, with where it goes (in points);
// null when the content does anything else.
const PdfObject *onlyPicture(const PdfDocument &document, PdfPage *page, QTransform *placed)
{
    std::vector<QTransform> stack;
    QTransform matrix;
    std::vector<PdfVariant> operands;
    const PdfObject *picture = nullptr;
    PdfContentsTokenizer tokenizer(page);
    EPdfContentsType type;
    const char *keyword = nullptr;
    PdfVariant variant;
    while (tokenizer.ReadNext(type, keyword, variant)) {
        if (type == ePdfContentsType_Variant) {
            operands.push_back(variant);
            continue;
        }
        if (type != ePdfContentsType_Keyword)
            return nullptr;
        const std::string op = keyword;
        if (op == "q" && operands.empty()) {
            stack.push_back(matrix);
        } else if (op == "Q" && operands.empty() && !stack.empty()) {
            matrix = stack.back();
            stack.pop_back();
        } else if (op == "cm" && operands.size() == 6) {
            double m[6];
            for (int i = 0; i < 6; ++i) {
                if (!operands[i].IsReal() && !operands[i].IsNumber())
                    return nullptr;
                m[i] = operands[i].GetReal();
            }
            matrix = QTransform(m[0], m[1], m[2], m[3], m[4], m[5]) * matrix;
        } else if (op == "Do" && operands.size() == 1 && operands[0].IsName() && !picture) {
            const PdfObject *xobjects = key(document, page->GetResources(), "XObject");
            picture = key(document, xobjects, operands[0].GetName().GetName().c_str());
            const PdfObject *subtype = key(document, picture, "Subtype");
            if (!subtype || !subtype->IsName() || subtype->GetName().GetName() != "Image" ||
                !picture->HasStream())
                return nullptr;
            *placed = matrix;
        } else {
            return nullptr;
        }
        operands.clear();
    }
    return operands.empty() ? picture : nullptr;
}

QByteArray inflated(const QByteArray &raw, qint64 expected)
{
    QByteArray sized(4, '\0');
    qToBigEndian(quint32(expected), sized.data());
    return qUncompress(sized + raw);
}

// The rows of a 1-bit picture without the PNG predictors (one byte is the unit then).
QByteArray unpredicted(const QByteArray &data, qint64 predictor, qsizetype stride)
{
    if (predictor < 10)
        return data;
    QByteArray rows;
    QByteArray previous(stride, '\0');
    for (qsizetype at = 0; at + stride + 1 <= data.size(); at += stride + 1) {
        const int type = quint8(data.at(at));
        QByteArray row = data.mid(at + 1, stride);
        for (qsizetype i = 0; i < stride; ++i) {
            const int left = i > 0 ? quint8(row.at(i - 1)) : 0;
            const int up = quint8(previous.at(i));
            const int corner = i > 0 ? quint8(previous.at(i - 1)) : 0;
            int add = 0;
            if (type == 1) {
                add = left;
            } else if (type == 2) {
                add = up;
            } else if (type == 3) {
                add = (left + up) / 2;
            } else if (type == 4) {
                const int p = left + up - corner;
                const int pa = qAbs(p - left), pb = qAbs(p - up), pc = qAbs(p - corner);
                add = pa <= pb && pa <= pc ? left : pb <= pc ? up : corner;
            } else if (type != 0) {
                return QByteArray();
            }
            row[i] = char(quint8(row.at(i)) + add);
        }
        rows += row;
        previous = row;
    }
    return rows;
}

// A TIFF file around a Group 4 code, so that the TIFF reader decodes it.
QByteArray tiffAround(const QByteArray &code, int width, int height, bool blackIs1)
{
    struct Entry
    {
        quint16 tag;
        quint16 type; // 3 short, 4 long
        quint32 value;
    };
    const quint32 dataOffset = 8 + 2 + 8 * 12 + 4;
    // Without BlackIs1 the code's black runs are 0 samples, shown black: min-is-white.
    const Entry entries[] = {{256, 4, quint32(width)},
                             {257, 4, quint32(height)},
                             {258, 3, 1},
                             {259, 3, 4},
                             {262, 3, blackIs1 ? 1u : 0u},
                             {273, 4, dataOffset},
                             {278, 4, quint32(height)},
                             {279, 4, quint32(code.size())}};
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    const auto put16 = [&tiff](quint16 value) {
        tiff.append(char(value & 0xff)).append(char(value >> 8));
    };
    const auto put32 = [&put16](quint32 value) {
        put16(quint16(value & 0xffff));
        put16(quint16(value >> 16));
    };
    put16(8);
    for (const Entry &entry : entries) {
        put16(entry.tag);
        put16(entry.type);
        put32(1);
        if (entry.type == 3) {
            put16(quint16(entry.value));
            put16(0);
        } else {
            put32(entry.value);
        }
    }
    put32(0);
    return tiff + code;
}

void setResolution(QImage &image, const QTransform &placed)
{
    const double width = placed.m11() / PointsPerInch;
    const double height = placed.m22() / PointsPerInch;
    image.setDotsPerMeterX(qRound(image.width() / width * InchesPerMeter));
    image.setDotsPerMeterY(qRound(image.height() / height * InchesPerMeter));
}

// The page as its one picture, without loss; nullopt when it must be drawn. *image: the
// picture's object, if the page has one. Throws PdfError for a damaged stream.
std::optional<LoadedPage> pictureOf(const PdfDocument &document, PdfPage *page,
                                    const PdfObject **picture)
{
    QTransform placed;
    const PdfObject *image = onlyPicture(document, page, &placed);
    *picture = image;
    // Only a picture standing upright: a turned or mirrored one would have to be re-coded.
    if (!image || page->GetRotation() % 360 != 0 || !placed.isScaling() || placed.m11() <= 0 ||
        placed.m22() <= 0 || key(document, image, "SMask") || key(document, image, "Mask"))
        return std::nullopt;
    const qint64 width = number(document, image, "Width", 0);
    const qint64 height = number(document, image, "Height", 0);
    if (width <= 0 || height <= 0 || width > MaxSide || height > MaxSide ||
        width * height > MaxPixels)
        return std::nullopt;
    const QByteArray filter = onlyFilter(document, image);
    const PdfObject *parameters = decodeParameters(document, image);
    const PdfObject *mask = key(document, image, "ImageMask");
    const bool stencil = mask && mask->IsBool() && mask->GetBool();
    const qint64 bits = stencil ? 1 : number(document, image, "BitsPerComponent", 0);
    const std::optional<bool> swapped = inverted(document, image);
    if (!swapped)
        return std::nullopt;

    LoadedPage result;
    if (filter == "DCTDecode" && !stencil && bits == 8 && !*swapped &&
        components(document, image) != 0) {
        char *bytes = nullptr;
        pdf_long length = 0;
        image->GetStream()->GetCopy(&bytes, &length);
        result.jpeg = QByteArray(bytes, qsizetype(length));
        podofo_free(bytes);
        QBuffer buffer(&result.jpeg);
        QImageReader reader(&buffer, "jpeg");
        // A JPEG of another size than the image says is not what a reader shows.
        if (reader.size() != QSize(int(width), int(height)))
            throw PdfError(ePdfError_InvalidStream);
        if (qMax(width, height) > PreviewSide)
            reader.setScaledSize(QSize(int(width), int(height))
                                     .scaled(PreviewSide, PreviewSide, Qt::KeepAspectRatio));
        bool complete = true;
        result.image = readWholeJpeg(reader, &complete);
        if (result.image.isNull() || !complete)
            throw PdfError(ePdfError_InvalidStream);
        return result;
    }
    QList<QRgb> colours =
        stencil ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)} : bilevelColours(document, image);
    if (bits != 1 || colours.isEmpty())
        return std::nullopt;
    if (*swapped)
        std::swap(colours[0], colours[1]);
    if (filter == "CCITTFaxDecode") {
        // Group 4 only, in the layout a TIFF strip has; other fax codes are drawn.
        if (colours[0] != qRgb(0, 0, 0) || number(document, parameters, "K", 0) >= 0 ||
            number(document, parameters, "Columns", 1728) != width ||
            number(document, parameters, "Rows", height) != height)
            return std::nullopt;
        const PdfObject *align = key(document, parameters, "EncodedByteAlign");
        if (align && align->IsBool() && align->GetBool())
            return std::nullopt;
        const PdfObject *blackIs1 = key(document, parameters, "BlackIs1");
        const bool black1 = blackIs1 && blackIs1->IsBool() && blackIs1->GetBool();
        char *bytes = nullptr;
        pdf_long length = 0;
        image->GetStream()->GetCopy(&bytes, &length);
        const QByteArray code(bytes, qsizetype(length));
        podofo_free(bytes);
        QByteArray tiff = tiffAround(code, int(width), int(height), black1);
        QBuffer buffer(&tiff);
        result.image = QImageReader(&buffer, "tiff").read();
        if (result.image.size() != QSize(int(width), int(height)) || result.image.depth() != 1)
            throw PdfError(ePdfError_InvalidStream);
    } else if (filter == "FlateDecode" || filter.isEmpty()) {
        const qsizetype stride = (width + 7) / 8;
        const qint64 predictor = number(document, parameters, "Predictor", 1);
        if (predictor != 1 && predictor < 10)
            return std::nullopt;
        char *bytes = nullptr;
        pdf_long length = 0;
        image->GetStream()->GetCopy(&bytes, &length);
        const QByteArray raw(bytes, qsizetype(length));
        podofo_free(bytes);
        // The library's predictor miscounts rows of less than a byte per pixel.
        const QByteArray rows = unpredicted(
            filter.isEmpty() ? raw : inflated(raw, (stride + 1) * height), predictor, stride);
        if (rows.size() < stride * height)
            throw PdfError(ePdfError_InvalidStream);
        result.image = QImage(int(width), int(height), QImage::Format_Mono);
        result.image.setColorTable(colours);
        for (int y = 0; y < height; ++y)
            memcpy(result.image.scanLine(y), rows.constData() + y * stride, size_t(stride));
    } else {
        return std::nullopt;
    }
    setResolution(result.image, placed);
    result.asTiff = true;
    return result;
}

Refusal renderPage(Poppler::Document &document, int index, LoadedPage &drawn)
{
    const std::unique_ptr<Poppler::Page> page = document.page(index);
    if (!page)
        return {LoadFailure::Damaged, PdfPages::tr("page %1 can't be read.").arg(index + 1)};
    const QSizeF size = page->pageSizeF() * (PdfRenderDpi / PointsPerInch);
    if (size.width() > MaxSide || size.height() > MaxSide ||
        size.width() * size.height() > MaxPixels)
        return {LoadFailure::TooLarge, PdfPages::tr("page %1 is too large.").arg(index + 1)};
    QImage image = page->renderToImage(PdfRenderDpi, PdfRenderDpi);
    if (image.isNull())
        return {LoadFailure::Damaged, PdfPages::tr("page %1 can't be drawn.").arg(index + 1)};
    // The page background is white paper; a page file holds no transparency.
    image = image.convertToFormat(QImage::Format_RGB32);
    // Encoded at once, as its page file will be, and only a preview kept for the thumbnail.
    QBuffer encoded(&drawn.jpeg);
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, "jpeg");
    writer.setQuality(readSetting(Settings::JpegQuality).toInt());
    if (!writer.write(image))
        return {LoadFailure::TooLarge, PdfPages::tr("page %1 is too large.").arg(index + 1)};
    drawn.image = qMax(image.width(), image.height()) > PreviewSide
                      ? image.scaled(PreviewSide, PreviewSide, Qt::KeepAspectRatio,
                                     Qt::SmoothTransformation)
                      : image;
    return {};
}

// Opens the file for drawing; null with the refusal when it cannot be drawn.
std::unique_ptr<Poppler::Document> openForDrawing(const QString &path, Refusal *refusal)
{
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document) {
        *refusal = {LoadFailure::Damaged, PdfPages::tr("the file is damaged.")};
    } else if (document->isLocked()) {
        *refusal = {LoadFailure::Protected, PdfPages::tr("the file is protected by a password.")};
        document.reset();
    } else {
        document->setRenderHint(Poppler::Document::Antialiasing);
        document->setRenderHint(Poppler::Document::TextAntialiasing);
    }
    return document;
}

Refusal readPages(const QString &path, const PageSink &take)
{
    // Damage is reported to the user; the libraries' own logs would only repeat it on stderr.
    Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
    PdfError::EnableLogging(false);
    PdfMemDocument document;
    // Opened at the first page that has to be drawn.
    std::unique_ptr<Poppler::Document> drawing;
    try {
        document.Load(QFile::encodeName(path).constData());
        const int count = document.GetPageCount();
        if (count <= 0)
            return {LoadFailure::Damaged, PdfPages::tr("the file has no pages.")};
        for (int index = 0; index < count; ++index) {
            PdfPage *page = document.GetPage(index);
            if (!page)
                return {LoadFailure::Damaged,
                        PdfPages::tr("page %1 can't be read.").arg(index + 1)};
            const PdfObject *pictureObject = nullptr;
            std::optional<LoadedPage> picture = pictureOf(document, page, &pictureObject);
            if (!picture) {
                Refusal refusal;
                if (!drawing && !(drawing = openForDrawing(path, &refusal)))
                    return refusal;
                picture.emplace();
                refusal = renderPage(*drawing, index, *picture);
                if (refusal.failure != LoadFailure::None)
                    return refusal;
            }
            // Handed over at once and the picture's stream let go, so memory does not grow
            // with the page count.
            if (pictureObject)
                document.FreeObjectMemory(const_cast<PdfObject *>(pictureObject), true);
            picture->index = index;
            picture->count = count;
            if (!take(std::move(*picture)))
                return {};
        }
    } catch (const PdfError &error) {
        // Poppler knows encryption methods that the reader may not.
        const std::unique_ptr<Poppler::Document> locked = Poppler::Document::load(path);
        if (error.GetError() == ePdfError_InvalidPassword || (locked && locked->isLocked()))
            return {LoadFailure::Protected, PdfPages::tr("the file is protected by a password.")};
        return {LoadFailure::Damaged, PdfPages::tr("the file is damaged.")};
    }
    return {};
}
} // namespace

LoadedFile readPdfPages(const QString &path, const PageSink &take)
{
    LoadedFile result;
    const Refusal refusal = readPages(path, take);
    if (refusal.failure != LoadFailure::None) {
        result.failure = refusal.failure;
        result.error =
            PdfPages::tr("Can't open %1: %2").arg(QFileInfo(path).fileName(), refusal.reason);
    }
    return result;
}

bool isPdfFile(const QString &path)
{
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0)
        return true;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-";
}
