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
// Returns false when the folder can't be made or a file in it can't be deleted.
bool prepareFolder(const QString &path)
{
    QDir folder(path);
    if (!folder.mkpath(QStringLiteral("."))) {
        qCWarning(lcProcessing) << "can't create" << path;
        return false;
    }
    bool emptied = true;
    const QStringList files = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : files) {
        if (!folder.remove(name)) {
            qCWarning(lcProcessing) << "can't delete" << folder.filePath(name);
            emptied = false;
        }
    }
    return emptied;
}

QStringList processorArguments(bool book, bool blackAndWhite, bool autoContrast, bool margins,
                               int dpi, const QString &inputFile, const QString &outputFolder)
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
    if (margins)
        arguments << QStringLiteral("--white-margins") << QStringLiteral("--margins=1");
    arguments << QStringLiteral("--dpi=%1").arg(dpi) << QStringLiteral("--output-dpi=%1").arg(dpi)
              << inputFile << outputFolder;
    return arguments;
}

// The last line the processor wrote on standard error, cut to a length a notice can show.
QString lastLine(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return QString::fromLocal8Bit(lines.last().trimmed()).left(300);
}

// Runs the processor until it finishes or the time limit passes; a processor still running
// then is killed. Empty when it ran to its end and exited 0, else why not, for the user.
QString runProcessor(const QString &program, const QStringList &arguments, int timeLimitMs)
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        qCWarning(lcProcessing) << "can't start" << program << process.errorString();
        return QCoreApplication::translate("PageProcessing",
                                           "The page processor could not be started: %1")
            .arg(process.errorString());
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
        const int seconds = (timeLimitMs + 999) / 1000;
        return QCoreApplication::translate(
            "PageProcessing", "The page processor took longer than %n second(s) and was stopped.",
            nullptr, seconds);
    }
    const QString said = lastLine(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit) {
        qCWarning(lcProcessing) << program << "crashed:" << said;
        return QCoreApplication::translate("PageProcessing",
                                           "The page processor stopped unexpectedly.");
    }
    if (process.exitCode() != 0) {
        qCWarning(lcProcessing) << program << "failed:" << process.exitCode() << said;
        if (said.isEmpty())
            return QCoreApplication::translate("PageProcessing",
                                               "The page processor failed with exit status %1.")
                .arg(process.exitCode());
        return QCoreApplication::translate("PageProcessing", "The page processor failed: %1")
            .arg(said);
    }
    return QString();
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

ProcessedPages processScannedPage(const QImage &page, bool book, bool blackAndWhite,
                                  const PageProcessingOptions &options)
{
    if (page.isNull())
        return {};
    const QString inputFolder =
        options.workFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                  QStringLiteral("/Processing")
            : options.workFolder;
    const QString outputFolder = inputFolder + QStringLiteral("/output");
    const QString inputFile = inputFolder + QStringLiteral("/proc.tif");
    const QList<QLatin1String> promised =
        book ? QList<QLatin1String>{LeftResult, RightResult} : QList<QLatin1String>{SingleResult};
    const auto unprocessed = [&page](const QString &problem) {
        return ProcessedPages{{page}, problem};
    };

    bool prepared = prepareFolder(inputFolder) && prepareFolder(outputFolder);
    // Something under a result's name that is no file (a folder, say) isn't deleted above.
    for (const QLatin1String &name : promised)
        prepared = prepared && !QFileInfo(outputFolder + QLatin1Char('/') + name).exists();
    if (!prepared)
        return unprocessed(
            QCoreApplication::translate("PageProcessing",
                                        "The page processor's work folder %1 could not be emptied.")
                .arg(QDir::toNativeSeparators(outputFolder)));
    const bool autoContrast = options.illumination < 0
                                  ? readSetting(Settings::AutoContrast).toBool()
                                  : options.illumination > 0;

    const WriteResult saved = writeImageFile(page, inputFile, "TIFF");
    if (!saved) {
        qCWarning(lcProcessing) << saved.error;
        return unprocessed(
            QCoreApplication::translate("PageProcessing",
                                        "The page could not be saved for the page processor: %1")
                .arg(saved.error));
    }
    const int dpi = page.logicalDpiX();
    const QString program =
        options.processor.isEmpty() ? defaultPageProcessor() : options.processor;
    if (program.isEmpty() || !QFileInfo::exists(program)) {
        qCInfo(lcProcessing) << "no page processor; the page goes in unprocessed";
        return unprocessed(QString());
    }
    const QStringList arguments = processorArguments(book, blackAndWhite, autoContrast,
                                                     options.margins, dpi, inputFile, outputFolder);
    const QString failed = runProcessor(program, arguments, options.timeLimitMs);
    if (!failed.isEmpty())
        return unprocessed(failed);

    // Half a spread is no result: the user would lose the other page without noticing.
    ProcessedPages processed;
    for (const QLatin1String &name : promised) {
        const QImage result(outputFolder + QLatin1Char('/') + name);
        if (result.isNull()) {
            qCWarning(lcProcessing) << "no readable" << name << "from" << program;
            return unprocessed(QCoreApplication::translate(
                "PageProcessing", "The page processor finished without a readable result."));
        }
        processed.pages.append(result);
    }
    return processed;
}
