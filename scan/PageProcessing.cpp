#include "PageProcessing.h"

#include "ImageFileWriter.h"
#include "SettingsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

Q_LOGGING_CATEGORY(lcProcessing, "quillary.scan.processing")

namespace {
const QLatin1String ProcessorName("quillary-pageproc");
const QLatin1String CompatibleProcessorName("scantailor-cli");
const QLatin1String SingleResult("proc.tif");
const QLatin1String LeftResult("proc_1L.tif");
const QLatin1String RightResult("proc_2R.tif");

// Creates folder if missing and deletes the files in it; sub-folders are left alone.
void prepareFolder(const QString &path)
{
    QDir folder(path);
    if (!folder.mkpath(QStringLiteral(".")))
        qCWarning(lcProcessing) << "can't create" << path;
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : files) {
        if (!folder.remove(name))
            qCWarning(lcProcessing) << "can't delete" << folder.filePath(name);
    }
}

QStringList processorArguments(bool book, bool blackAndWhite, bool autoContrast, int dpi,
                               const QString &inputFile, const QString &outputFolder)
{
    QStringList arguments;
    if (book)
        arguments << QStringLiteral("-l=2") << QStringLiteral("--orientation=left");
    else
        arguments << QStringLiteral("-l=1");
    if (blackAndWhite) {
        arguments << QStringLiteral("--color-mode=black_and_white");
    } else {
        arguments << QStringLiteral("--color-mode=color_grayscale");
        if (autoContrast)
            arguments << QStringLiteral("--normalize-illumination");
    }
    arguments << QStringLiteral("--white-margins") << QStringLiteral("--margins=1")
              << QStringLiteral("--dpi=%1").arg(dpi) << QStringLiteral("--output-dpi=%1").arg(dpi)
              << inputFile << outputFolder;
    return arguments;
}

// Runs the processor until it finishes or the time limit passes; a processor still running
// then is killed. Returns false when it could not be started at all.
bool runProcessor(const QString &program, const QStringList &arguments, int timeLimitMs)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        qCWarning(lcProcessing) << "can't start" << program << process.errorString();
        return false;
    }
    if (process.state() != QProcess::NotRunning) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        limit.start(timeLimitMs);
        loop.exec();
    }
    if (process.state() != QProcess::NotRunning) {
        qCWarning(lcProcessing) << program << "took longer than" << timeLimitMs << "ms; stopped";
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qCWarning(lcProcessing) << program << "failed:" << process.exitCode()
                                << process.readAllStandardError().trimmed();
    }
    return true;
}

// The result file's page, or a null image when the processor did not write it (or wrote
// something unreadable).
QImage result(const QString &outputFolder, const QString &name)
{
    const QString path = outputFolder + QLatin1Char('/') + name;
    if (!QFileInfo::exists(path))
        return QImage();
    QImage image(path);
    if (image.isNull())
        qCWarning(lcProcessing) << "can't read" << path;
    return image;
}
} // namespace

QString defaultPageProcessor()
{
    const QString beside =
        QCoreApplication::applicationDirPath() + QLatin1Char('/') + ProcessorName;
    if (QFileInfo::exists(beside))
        return beside;
    return QStandardPaths::findExecutable(CompatibleProcessorName);
}

QList<QImage> processScannedPage(const QImage &page, bool book, bool blackAndWhite,
                                 const PageProcessingOptions &options)
{
    if (page.isNull())
        return {};
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString inputFolder = data + QStringLiteral("/Processing");
    const QString outputFolder = inputFolder + QStringLiteral("/output");
    const QString inputFile = inputFolder + QStringLiteral("/proc.tif");
    prepareFolder(inputFolder);
    prepareFolder(outputFolder);
    const bool autoContrast = readSetting(Settings::AutoContrast).toBool();

    const QList<QImage> unprocessed{page};
    const WriteResult saved = writeImageFile(page, inputFile, "TIFF");
    if (!saved) {
        qCWarning(lcProcessing) << saved.error;
        return unprocessed;
    }
    const int dpi = page.logicalDpiX();
    const QString program =
        options.processor.isEmpty() ? defaultPageProcessor() : options.processor;
    if (program.isEmpty() || !QFileInfo::exists(program)) {
        qCInfo(lcProcessing) << "no page processor; the page goes in unprocessed";
        return unprocessed;
    }
    const QStringList arguments =
        processorArguments(book, blackAndWhite, autoContrast, dpi, inputFile, outputFolder);
    if (!runProcessor(program, arguments, options.timeLimitMs))
        return unprocessed;

    QList<QImage> pages;
    if (book) {
        for (const QLatin1String &name : {LeftResult, RightResult}) {
            const QImage half = result(outputFolder, name);
            if (!half.isNull())
                pages.append(half);
        }
    } else {
        const QImage single = result(outputFolder, SingleResult);
        if (!single.isNull())
            pages.append(single);
    }
    // A spread with neither half written falls back too: the scan must not be lost.
    return pages.isEmpty() ? unprocessed : pages;
}
