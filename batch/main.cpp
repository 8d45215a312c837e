#include "BatchJob.h"
#include "BatchOptions.h"
#include "ConsoleProgress.h"
#include "ImageLoading.h"

#include <QGuiApplication>
#include <QJsonDocument>

#include <cstdio>

namespace {
const char ProgramName[] = "quillary-batch";

// The libraries' diagnostics are not for the user: standard error carries progress and at
// most one line per failure. QUILLARY_BATCH_LOG=1 shows them.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg || qEnvironmentVariableIntValue("QUILLARY_BATCH_LOG") > 0)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

void tell(const BatchFailure &failure)
{
    const QString line =
        failure.subject.isEmpty()
            ? QStringLiteral("%1: %2").arg(QLatin1String(ProgramName), failure.reason)
            : QStringLiteral("%1: %2: %3")
                  .arg(QLatin1String(ProgramName), failure.subject, failure.reason);
    std::fprintf(stderr, "%s\n", qPrintable(line));
}
} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietMessages);
    // The text layer's font needs the GUI side of Qt, never a display: whatever the
    // environment says, no window system is asked for.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    // The window's names: the same settings store (read only here) and temporary folder.
    QCoreApplication::setOrganizationName(QStringLiteral("Plenwick"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillary"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLARY_VERSION));
    raiseImageAllocationLimit();

    const ParsedBatchOptions parsed = parseBatchOptions(QCoreApplication::arguments());
    if (parsed.help) {
        std::fputs(qPrintable(parsed.helpText), stdout);
        return BatchFailure::Complete;
    }
    if (parsed.version) {
        std::printf("%s %s\n", ProgramName, QUILLARY_VERSION);
        return BatchFailure::Complete;
    }
    if (!parsed.error.isEmpty()) {
        tell({BatchFailure::Usage, QString(),
              parsed.error + QStringLiteral(" (see quillary-batch --help)")});
        return BatchFailure::Usage;
    }

    ConsoleProgress::catchInterrupts();
    BatchJob job(parsed.options);
    BatchFailure failure = job.run();
    if (failure.status == BatchFailure::Interrupted)
        failure.status = 128 + ConsoleProgress::interruptSignal();
    // Said even when quiet: a file left out must never go unnoticed.
    for (const QString &warning : job.warnings())
        tell({BatchFailure::Complete, QStringLiteral("warning"), warning});
    if (failure)
        tell(failure);
    if (parsed.options.json) {
        std::fputs(QJsonDocument(job.summary(failure)).toJson(QJsonDocument::Indented).constData(),
                   stdout);
    }
    return failure.status;
}
