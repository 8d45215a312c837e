#include "PdfWriter.h"

#include "Group4Tiff.h"
#include "Jbig2Encoder.h"
#include "MixedRaster.h"
#include "ImageHeader.h"
#include "PageFileCheck.h"
#include "PaperSizes.h"
#include "PdfLayout.h"
#include "PdfSaveFileDevice.h"
#include "PdfTextLayer.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

#include <podofo/podofo.h>

#include <memory>
#include <vector>

Q_LOGGING_CATEGORY(lcPdfWriter, "quillary.export.pdf")

namespace {
// The images painted one over the other on the page's picture rectangle.
struct PageImages
{
    std::vector<std::unique_ptr<PoDoFo::PdfImage>> layers;
    QSize pixels;
};

bool isBlank(const QImage &mask)
{
    for (int y = 0; y < mask.height(); ++y) {
        const uchar *line = mask.constScanLine(y);
        for (int byte = 0; byte < (mask.width() + 7) / 8; ++byte) {
            if (line[byte] != 0)
                return false;
        }
    }
    return true;
}

PoDoFo::EPdfPageSize pdfPageSize(int paperId)
{
    switch (PaperSizes::known(paperId)) {
    case PaperSizes::A0:
        return PoDoFo::ePdfPageSize_A0;
    case PaperSizes::A1:
        return PoDoFo::ePdfPageSize_A1;
    case PaperSizes::A2:
        return PoDoFo::ePdfPageSize_A2;
    case PaperSizes::A3:
        return PoDoFo::ePdfPageSize_A3;
    case PaperSizes::A5:
        return PoDoFo::ePdfPageSize_A5;
    case PaperSizes::A6:
        return PoDoFo::ePdfPageSize_A6;
    case PaperSizes::Letter:
        return PoDoFo::ePdfPageSize_Letter;
    case PaperSizes::Legal:
        return PoDoFo::ePdfPageSize_Legal;
    case PaperSizes::Tabloid:
        return PoDoFo::ePdfPageSize_Tabloid;
    case PaperSizes::A4:
        break;
    }
    return PoDoFo::ePdfPageSize_A4;
}

// A Group 4 page goes in as its own code, as JPEG pages do: decoding it and compressing it
// again with Flate makes it larger and costs time. Returns the size in pixels; invalid: not
// such a file (an older page file, say), left to the PDF library's own TIFF loader.
QSize loadGroup4(PoDoFo::PdfImage *image, const QString &path)
{
    const Group4Tiff::Code tiff = Group4Tiff::read(path);
    if (tiff.code.isEmpty())
        return QSize();
    PoDoFo::PdfDictionary parameters;
    parameters.AddKey(PoDoFo::PdfName("K"), PoDoFo::PdfVariant(PoDoFo::pdf_int64(-1)));
    parameters.AddKey(PoDoFo::PdfName("Columns"),
                      PoDoFo::PdfVariant(PoDoFo::pdf_int64(tiff.size.width())));
    parameters.AddKey(PoDoFo::PdfName("Rows"),
                      PoDoFo::PdfVariant(PoDoFo::pdf_int64(tiff.size.height())));
    if (tiff.blackIs1)
        parameters.AddKey(PoDoFo::PdfName("BlackIs1"), PoDoFo::PdfVariant(true));
    image->SetImageColorSpace(PoDoFo::ePdfColorSpace_DeviceGray);
    // Set before the data: a streamed document writes the dictionary when the stream starts.
    // Only what an image needs (no optional /Type, no /BBox, which images do not have): a
    // black-and-white page is small, so every key counts against other writers.
    PoDoFo::PdfDictionary &dictionary = image->GetObject()->GetDictionary();
    dictionary.RemoveKey(PoDoFo::PdfName::KeyType);
    dictionary.AddKey(PoDoFo::PdfName("Width"),
                      PoDoFo::PdfVariant(PoDoFo::pdf_int64(tiff.size.width())));
    dictionary.AddKey(PoDoFo::PdfName("Height"),
                      PoDoFo::PdfVariant(PoDoFo::pdf_int64(tiff.size.height())));
    dictionary.AddKey(PoDoFo::PdfName("BitsPerComponent"),
                      PoDoFo::PdfVariant(PoDoFo::pdf_int64(1)));
    dictionary.AddKey(PoDoFo::PdfName::KeyFilter, PoDoFo::PdfName("CCITTFaxDecode"));
    dictionary.AddKey(PoDoFo::PdfName("DecodeParms"), parameters);
    PoDoFo::PdfMemoryInputStream stream(tiff.code.constData(), PoDoFo::pdf_long(tiff.code.size()));
    image->GetObject()->GetStream()->SetRawData(&stream, -1);
    return tiff.size;
}

// Black-and-white pixels as lossless JBIG2, which readers decode with black as sample 0: an
// image's black, or where a stencil (imageMask) paints. A text mask's letters that repeat
// pixel for pixel are coded once: its time is small beside the layers'. A page gets one
// region, in less than twice the time of its Group 4 code. Written at once: a streamed
// document writes the dictionary when the stream starts.
void setJbig2(PoDoFo::PdfObject *object, const QImage &bits, bool imageMask)
{
    const QByteArray code =
        imageMask ? Jbig2Encoder::encodeWithSymbols(bits) : Jbig2Encoder::encodeGeneric(bits);
    PoDoFo::PdfDictionary &dictionary = object->GetDictionary();
    dictionary.RemoveKey(PoDoFo::PdfName::KeyType);
    dictionary.AddKey(PoDoFo::PdfName::KeySubtype, PoDoFo::PdfName("Image"));
    dictionary.AddKey(PoDoFo::PdfName("Width"), PoDoFo::PdfVariant(PoDoFo::pdf_int64(bits.width())));
    dictionary.AddKey(PoDoFo::PdfName("Height"),
                      PoDoFo::PdfVariant(PoDoFo::pdf_int64(bits.height())));
    if (imageMask) {
        dictionary.AddKey(PoDoFo::PdfName("ImageMask"), PoDoFo::PdfVariant(true));
    } else {
        dictionary.AddKey(PoDoFo::PdfName("ColorSpace"), PoDoFo::PdfName("DeviceGray"));
        dictionary.AddKey(PoDoFo::PdfName("BitsPerComponent"),
                          PoDoFo::PdfVariant(PoDoFo::pdf_int64(1)));
    }
    dictionary.AddKey(PoDoFo::PdfName::KeyFilter, PoDoFo::PdfName("JBIG2Decode"));
    PoDoFo::PdfMemoryInputStream stream(code.constData(), PoDoFo::pdf_long(code.size()));
    object->GetStream()->SetRawData(&stream, -1);
}

// A black-and-white page file as JBIG2; invalid when it is not one.
QSize loadJbig2(PoDoFo::PdfImage *image, const QString &path)
{
    const QImage bits(path);
    if (!Jbig2Encoder::canEncode(bits))
        return QSize();
    setJbig2(image->GetObject(), bits, false);
    return bits.size();
}

// A colour or grey page as its mixed raster layers: the background, then the text's colours
// painted through the text mask. Empty for a page that cannot be read.
PageImages loadMixedRaster(PoDoFo::PdfDocument &document, const QString &path, int pictureLevel)
{
    PageImages images;
    const MixedRaster::Layers layers =
        MixedRaster::separate(QImage(path), MixedRaster::PictureLevel(pictureLevel));
    if (layers.mask.isNull())
        return images;
    images.pixels = layers.mask.size();
    const QByteArray background = MixedRaster::jpeg(layers.background, layers.jpegQuality);
    images.layers.push_back(std::make_unique<PoDoFo::PdfImage>(&document));
    images.layers.back()->LoadFromJpegData(reinterpret_cast<const unsigned char *>(background.constData()),
                                           PoDoFo::pdf_long(background.size()));
    if (!isBlank(layers.mask)) {
        PoDoFo::PdfObject *mask = document.GetObjects()->CreateObject();
        setJbig2(mask, layers.mask, true);
        const QByteArray colours = MixedRaster::jpeg(layers.foreground, MixedRaster::ForegroundQuality);
        images.layers.push_back(std::make_unique<PoDoFo::PdfImage>(&document));
        images.layers.back()->GetObject()->GetDictionary().AddKey(PoDoFo::PdfName("Mask"),
                                                                   mask->Reference());
        images.layers.back()->LoadFromJpegData(
            reinterpret_cast<const unsigned char *>(colours.constData()),
            PoDoFo::pdf_long(colours.size()));
    }
    return images;
}

// Up to six decimals, trailing zeros dropped: a millionth of a point is far below any dot.
QString number(double value)
{
    QString text = QString::number(value, 'f', 6);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

// The page's whole content is one line per image, stored as it is: the library's painter
// writes every number with 15 decimals and compresses the result, which comes out longer. A
// text layer (text) follows it; hundreds of words do gain from compression.
void drawImages(PoDoFo::PdfPage *page, const PageImages &images, const QRectF &picture,
                const QByteArray &text)
{
    QByteArray content;
    for (const auto &image : images.layers) {
        page->AddResource(image->GetIdentifier(), image->GetObjectReference(),
                          PoDoFo::PdfName("XObject"));
        content += QStringLiteral("q %1 0 0 %2 %3 %4 cm /%5 Do Q\n")
                       .arg(number(picture.width()), number(picture.height()),
                            number(picture.x()), number(picture.y()),
                            QString::fromStdString(image->GetIdentifier().GetName()))
                       .toLatin1();
    }
    content += text;
    PoDoFo::TVecFilters filters;
    if (!text.isEmpty())
        filters.push_back(PoDoFo::ePdfFilter_FlateDecode);
    page->GetContentsForAppending()->GetStream()->Set(content.constData(),
                                                      PoDoFo::pdf_long(content.size()), filters);
}

QString describe(const PoDoFo::PdfError &error)
{
    return QString::fromUtf8(PoDoFo::PdfError::ErrorMessage(error.GetError()));
}
} // namespace

PdfWriter::PdfWriter(const PdfPageOptions &options) : m_options(options)
{
}

PdfWriter::Result PdfWriter::write(const QStringList &pages, const QString &outputPath,
                                   const PageStarted &pageStarted, const PageText &pageText) const
{
    Result result;
    if (pages.isEmpty())
        return result;

    // Nothing is committed unless the whole document was written: QSaveFile drops its
    // temporary file on every early return.
    // Opening first: an output that cannot be written fails before any page work.
    QSaveFile file(outputPath);
    if (!file.open(QIODevice::WriteOnly)) {
        qCWarning(lcPdfWriter) << "cannot open" << outputPath << file.errorString();
        return {Outcome::CannotWrite, outputPath, file.errorString(), QString()};
    }

    const PoDoFo::EPdfPageSize pageSize = pdfPageSize(m_options.paperId);
    PdfSaveFileDevice device(&file);
    QString currentPage;
    int pageIndex = -1;
    try {
        PoDoFo::PdfStreamedDocument document(&device);
        std::unique_ptr<PdfTextLayer> textLayer;
        if (pageText)
            textLayer = std::make_unique<PdfTextLayer>(&document);
        for (int i = 0; i < pages.size(); ++i) {
            if (pageStarted && !pageStarted(i)) {
                device.discard();
                return {Outcome::Cancelled, QString(), QString(), QString()};
            }
            currentPage = pages.at(i);
            pageIndex = i;
            const QString suffix = QFileInfo(currentPage).suffix();
            const bool tiff = suffix == QLatin1String("tiff");
            if (!tiff && suffix != QLatin1String("jpg")) {
                device.discard();
                return {Outcome::UnsupportedPage, currentPage, QString(),
                        PageFileCheck::pageMessage(i, currentPage,
                                                   tr("it is neither a JPEG nor a TIFF page"))};
            }
            // JPEG and Group 4 code go into the file unchecked by the PDF library: a page cut
            // short would be written as it is and reported as a good file.
            const PageFileCheck check = PageFileCheck::check(currentPage);
            if (!check) {
                device.discard();
                return {Outcome::UnreadablePage, currentPage, check.reason(), check.pageMessage(i)};
            }
            OcrPage words;
            if (pageText && !pageText(i, &words)) {
                device.discard();
                return {Outcome::Cancelled, QString(), QString(), QString()};
            }

            PoDoFo::PdfPage *page = document.CreatePage(
                PoDoFo::PdfPage::CreateStandardPageSize(pageSize, m_options.isLandscape()));
            // Loaded before the page gets its content, so that a failing file leaves no
            // half-drawn page behind. Unless compact, JPEG and Group 4 code go in as they
            // are, never re-encoded.
            PageImages images;
            if (m_options.compact && !tiff)
                images = loadMixedRaster(document, currentPage, m_options.pictureLevel);
            if (images.layers.empty()) {
                auto image = std::make_unique<PoDoFo::PdfImage>(&document);
                const QByteArray nativePath = QFile::encodeName(currentPage);
                if (tiff)
                    images.pixels = m_options.compact ? loadJbig2(image.get(), currentPage)
                                                      : loadGroup4(image.get(), currentPage);
                if (!images.pixels.isValid()) {
                    if (tiff) {
                        image->LoadFromTiff(nativePath.constData());
                    } else {
                        // Read in one go: the library's own file reader takes a JPEG in 4 KB
                        // reads, hundreds of system calls a page.
                        QFile jpeg(currentPage);
                        const QByteArray bytes =
                            jpeg.open(QIODevice::ReadOnly) ? jpeg.readAll() : QByteArray();
                        image->LoadFromJpegData(
                            reinterpret_cast<const unsigned char *>(bytes.constData()),
                            PoDoFo::pdf_long(bytes.size()));
                    }
                    images.pixels = QSize(int(image->GetWidth()), int(image->GetHeight()));
                }
                images.layers.push_back(std::move(image));
            }
            const QSize pixels = images.pixels;
            // Obsolete since PDF 1.4 and ignored by readers: 41 bytes a page.
            page->GetResources()->GetDictionary().RemoveKey(PoDoFo::PdfName("ProcSet"));
            // The resolution from the header only: decoding every page would double the
            // time of an export.
            const ImageHeader header = ImageHeader::read(currentPage);
            const PoDoFo::PdfRect box = page->GetPageSize();
            const PdfLayout::Placement placement = PdfLayout::place(
                QSizeF(box.GetWidth(), box.GetHeight()), pixels, header.dpiX(), header.dpiY(),
                m_options.margins, m_options.scaleMode, m_options.centred);

            const QRectF picture(placement.x, placement.y, placement.scaleX * pixels.width(),
                                 placement.scaleY * pixels.height());
            const QByteArray text =
                textLayer ? textLayer->pageContent(page, words, pixels, picture) : QByteArray();
            drawImages(page, images, picture, text);
            currentPage.clear();
        }
        if (textLayer)
            textLayer->finish();
        document.Close();
        // The last gathered output, inside the try: a full disk is told as for any write.
        device.Flush();
    } catch (const PoDoFo::PdfError &error) {
        device.discard();
        qCWarning(lcPdfWriter) << "PDF library failed:" << describe(error) << "page" << currentPage
                               << "output" << outputPath;
        if (!currentPage.isEmpty() && !device.hasFailed())
            return {Outcome::UnreadablePage, currentPage, describe(error),
                    PageFileCheck::pageMessage(pageIndex, currentPage,
                                               tr("the PDF library could not load it"))};
        return {Outcome::CannotWrite, outputPath, describe(error), QString()};
    }

    if (!file.commit()) {
        qCWarning(lcPdfWriter) << "cannot replace" << outputPath << file.errorString();
        return {Outcome::CannotWrite, outputPath, file.errorString(), QString()};
    }
    return {Outcome::Written, outputPath, QString(), QString()};
}
