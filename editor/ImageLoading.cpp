#include "ImageLoading.h"

#include "PageFileCheck.h"
#include "PdfPages.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QMutex>
#include <QPainter>

#include <atomic>

namespace {
// The translation context of the messages.
struct ImageLoading
{
    Q_DECLARE_TR_FUNCTIONS(ImageLoading)
};

constexpr int MaxSide = 40000;
constexpr qint64 MaxPixels = 600'000'000;
// A 600 dpi A3 colour page is 7016 x 9921 pixels at 4 bytes each, about 280 MB.
constexpr int AllocationLimitMb = 1024;

// Catches, on the reading thread only, the JPEG decoder's warning that data is missing: the
// decoder then fills the rest of the picture with grey and still reports success.
thread_local bool *t_missingData = nullptr;
std::atomic<QtMessageHandler> g_previousHandler{nullptr};
QMutex g_watchMutex;
int g_watchers = 0;

void watchDecoder(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (t_missingData && type == QtWarningMsg &&
        qstrcmp(context.category, "qt.gui.imageio.jpeg") == 0 &&
        message.contains(QLatin1String("premature end"), Qt::CaseInsensitive)) {
        *t_missingData = true;
        return;
    }
    if (const QtMessageHandler previous = g_previousHandler.load())
        previous(type, context, message);
}

class DecoderWatch
{
public:
    DecoderWatch()
    {
        const QMutexLocker lock(&g_watchMutex);
        if (g_watchers++ == 0)
            g_previousHandler = qInstallMessageHandler(watchDecoder);
        t_missingData = &m_missingData;
    }
    ~DecoderWatch()
    {
        t_missingData = nullptr;
        const QMutexLocker lock(&g_watchMutex);
        if (--g_watchers == 0)
            qInstallMessageHandler(g_previousHandler.load());
    }
    DecoderWatch(const DecoderWatch &) = delete;
    DecoderWatch &operator=(const DecoderWatch &) = delete;
    bool missingData() const { return m_missingData; }

private:
    bool m_missingData = false;
};

struct Refusal
{
    LoadFailure failure = LoadFailure::None;
    QString message;
};

// Reads the reader's current picture with every check; name is for the messages.
QImage readChecked(QImageReader &reader, const QString &path, const QString &name, Refusal *refusal)
{
    const auto refuse = [refusal](LoadFailure failure, const QString &message) {
        *refusal = {failure, message};
        return QImage();
    };
    const QSize size = reader.size();
    if (reader.supportsOption(QImageIOHandler::Size) && !size.isValid())
        return refuse(
            LoadFailure::Damaged,
            ImageLoading::tr("Can't open %1: the picture's header is damaged.").arg(name));
    if (size.isValid() && (size.width() > MaxSide || size.height() > MaxSide ||
                           qint64(size.width()) * size.height() > MaxPixels))
        return refuse(LoadFailure::TooLarge,
                      ImageLoading::tr("Can't open %1: the picture is too large (%2 x %3 pixels).")
                          .arg(name)
                          .arg(size.width())
                          .arg(size.height()));

    const bool jpeg = reader.format() == "jpeg";
    // The JPEG decoder fills a cut-off file with grey and only warns; such a file must not
    // pass for a good page.
    if (jpeg && !PageFileCheck::check(path))
        return refuse(LoadFailure::Damaged,
                      ImageLoading::tr("Can't open %1: the file is incomplete.").arg(name));

    bool complete = true;
    const QImage image = jpeg ? readWholeJpeg(reader, &complete) : reader.read();
    if (image.isNull())
        return refuse(LoadFailure::Damaged,
                      ImageLoading::tr("Can't open %1: %2").arg(name, reader.errorString()));
    if (!complete)
        return refuse(LoadFailure::Damaged,
                      ImageLoading::tr("Can't open %1: the file is incomplete.").arg(name));
    *refusal = {};
    return image;
}

} // namespace

QImage readWholeJpeg(QImageReader &reader, bool *complete)
{
    const DecoderWatch watch;
    QImage image = reader.read();
    *complete = !watch.missingData();
    return image;
}

namespace {
bool blackAndWhitePalette(const QImage &image)
{
    const QList<QRgb> colours = image.colorTable();
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    return colours.size() == 2 && ((colours[0] == black && colours[1] == white) ||
                                   (colours[0] == white && colours[1] == black));
}

// What a page may hold: no transparency (a JPEG page has none, and transparent pixels read
// as black), and 1 bit only for black and white.
LoadedPage asPage(QImage image, bool tiffSuffix)
{
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.setDotsPerMeterX(image.dotsPerMeterX());
        flat.setDotsPerMeterY(image.dotsPerMeterY());
        flat.fill(Qt::white);
        QPainter(&flat).drawImage(0, 0, image);
        image = flat;
    } else if (image.depth() == 1 && !blackAndWhitePalette(image)) {
        image = image.convertToFormat(QImage::Format_RGB32);
    }
    const bool asTiff = tiffSuffix && image.depth() == 1;
    return {image, asTiff, QByteArray()};
}
} // namespace

QImage readPageImage(const QString &path, QString *error)
{
    const QString name = QFileInfo(path).fileName();
    QImageReader reader(path);
    Refusal refusal;
    QImage image;
    if (!reader.canRead())
        refusal.message = ImageLoading::tr("Can't open %1: %2").arg(name, reader.errorString());
    else
        image = readChecked(reader, path, name, &refusal);
    if (error)
        *error = refusal.message;
    return image;
}

LoadedFile readImageFilePages(const QString &path, const PageSink &take)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    LoadedFile result;
    if (!info.exists() || !info.isFile()) {
        result.failure = info.exists() ? LoadFailure::NotAFile : LoadFailure::Missing;
        result.error = ImageLoading::tr("Can't open %1: it is %2.")
                           .arg(name, loadFailureReason(result.failure));
        return result;
    }
    if (isPdfFile(path))
        return readPdfPages(path, take);
    QImageReader reader(path);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        result.failure = LoadFailure::NotAPicture;
        result.error = ImageLoading::tr("Can't open %1: %2").arg(name, reader.errorString());
        return result;
    }
    // The pictures of a TIFF are its pages; the frames of an animation are not.
    const bool multiPage = reader.format() == "tiff";
    const int count = multiPage ? qMax(1, reader.imageCount()) : 1;
    // Only a true bilevel TIFF stays a TIFF page; the suffix test is case-sensitive.
    const bool tiffSuffix =
        info.suffix() == QLatin1String("tiff") || info.suffix() == QLatin1String("tif");
    for (int index = 0; index < count; ++index) {
        if (index > 0 && !reader.jumpToNextImage()) {
            result.failure = LoadFailure::Damaged;
            result.error =
                ImageLoading::tr("Can't open %1: page %2 can't be read.").arg(name).arg(index + 1);
            return result;
        }
        Refusal refusal;
        const QImage image = readChecked(reader, path, name, &refusal);
        if (image.isNull()) {
            result.failure = refusal.failure;
            result.error = refusal.message;
            return result;
        }
        LoadedPage page = asPage(image, tiffSuffix);
        page.index = index;
        page.count = count;
        if (!take(std::move(page)))
            return result;
    }
    return result;
}

QString loadFailureReason(LoadFailure failure)
{
    switch (failure) {
    case LoadFailure::None:
        return QString();
    case LoadFailure::Missing:
        return ImageLoading::tr("missing");
    case LoadFailure::NotAFile:
        return ImageLoading::tr("not a regular file");
    case LoadFailure::NotAPicture:
        return ImageLoading::tr("not a picture");
    case LoadFailure::Damaged:
        return ImageLoading::tr("damaged");
    case LoadFailure::TooLarge:
        return ImageLoading::tr("too large");
    case LoadFailure::Protected:
        return ImageLoading::tr("protected by a password");
    }
    return QString();
}

void raiseImageAllocationLimit()
{
    QImageReader::setAllocationLimit(AllocationLimitMb);
}
