#include "PdfWriter.h"

#include "ImageHeader.h"
#include "PaperSizes.h"
#include "PdfLayout.h"
#include "PdfSaveFileDevice.h"

#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

#include <podofo/podofo.h>

Q_LOGGING_CATEGORY(lcPdfWriter, "quillary.export.pdf")

namespace {
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

QString describe(const PoDoFo::PdfError &error)
{
    return QString::fromUtf8(PoDoFo::PdfError::ErrorMessage(error.GetError()));
}
} // namespace

PdfWriter::PdfWriter(const PdfPageOptions &options) : m_options(options)
{
}

PdfWriter::Result PdfWriter::write(const QStringList &pages, const QString &outputPath,
                                   const PageStarted &pageStarted) const
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
        return {Outcome::CannotWrite, outputPath, file.errorString()};
    }

    const PoDoFo::EPdfPageSize pageSize = pdfPageSize(m_options.paperId);
    PdfSaveFileDevice device(&file);
    QString currentPage;
    try {
        PoDoFo::PdfStreamedDocument document(&device);
        for (int i = 0; i < pages.size(); ++i) {
            if (pageStarted && !pageStarted(i)) {
                device.discard();
                return {Outcome::Cancelled, QString(), QString()};
            }
            currentPage = pages.at(i);
            const QString suffix = QFileInfo(currentPage).suffix();
            const bool tiff = suffix == QLatin1String("tiff");
            if (!tiff && suffix != QLatin1String("jpg")) {
                device.discard();
                return {Outcome::UnsupportedPage, currentPage, QString()};
            }

            PoDoFo::PdfPage *page = document.CreatePage(
                PoDoFo::PdfPage::CreateStandardPageSize(pageSize, m_options.isLandscape()));
            PoDoFo::PdfImage image(&document);
            // Loaded before the painter takes the page, so that a failing file leaves no
            // half-painted page behind. JPEG bytes go in as they are, never re-encoded.
            const QByteArray nativePath = QFile::encodeName(currentPage);
            if (tiff)
                image.LoadFromTiff(nativePath.constData());
            else
                image.LoadFromJpeg(nativePath.constData());
            const QSize pixels(int(image.GetWidth()), int(image.GetHeight()));
            // The resolution from the header only: decoding every page would double the
            // time of an export.
            const ImageHeader header = ImageHeader::read(currentPage);
            const PoDoFo::PdfRect box = page->GetPageSize();
            const PdfLayout::Placement placement = PdfLayout::place(
                QSizeF(box.GetWidth(), box.GetHeight()), pixels, header.dpiX(), header.dpiY(),
                m_options.margins, m_options.scaleMode, m_options.centred);

            PoDoFo::PdfPainter painter;
            painter.SetPage(page);
            painter.DrawImage(placement.x, placement.y, &image, placement.scaleX, placement.scaleY);
            painter.FinishPage();
            currentPage.clear();
        }
        document.Close();
    } catch (const PoDoFo::PdfError &error) {
        device.discard();
        qCWarning(lcPdfWriter) << "PDF library failed:" << describe(error) << "page" << currentPage
                               << "output" << outputPath;
        if (!currentPage.isEmpty() && !device.hasFailed())
            return {Outcome::UnreadablePage, currentPage, describe(error)};
        return {Outcome::CannotWrite, outputPath, describe(error)};
    }

    if (!file.commit()) {
        qCWarning(lcPdfWriter) << "cannot replace" << outputPath << file.errorString();
        return {Outcome::CannotWrite, outputPath, file.errorString()};
    }
    return {Outcome::Written, outputPath, QString()};
}
