#include "DjvuGenerator.h"

#include "DialogProgress.h"
#include "DjvuPageJob.h"
#include "DjvuProgress.h"
#include "SettingsKeys.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

Q_LOGGING_CATEGORY(lcDjvu, "quillary.export.djvu")

namespace {
// The tool's last words, for the log.
// For the user: the tools come in one Debian package.
QString missingTool(const QString &name)
{
    return DjvuGenerator::tr("The DjVu tool %1 is not installed. Install it with: apt-get install "
                             "djvulibre-bin")
        .arg(name);
}

QString lastLine(const QByteArray &output)
{
    const QList<QByteArray> lines = output.trimmed().split('\n');
    return lines.isEmpty() ? QString() : QString::fromLocal8Bit(lines.last().trimmed());
}

// Starts program under owner; done(error) is called exactly once: an empty error when the
// tool exited normally with status 0 and left promised behind as a non-empty file. A tool
// that runs past timeLimitMs is reported (and left to the caller to end).
QProcess *startTool(QObject *owner, const QString &program, const QStringList &arguments,
                    const QString &workFolder, const QString &promised, int timeLimitMs,
                    const std::function<void(const QString &)> &done)
{
    auto *process = new QProcess(owner);
    process->setWorkingDirectory(workFolder);
    process->setStandardOutputFile(QProcess::nullDevice());
    auto *timer = new QTimer(process);
    timer->setSingleShot(true);
    const QString name = QFileInfo(program).fileName();
    auto reported = std::make_shared<bool>(false);
    auto report = [reported, done](const QString &error) {
        if (*reported)
            return;
        *reported = true;
        done(error);
    };

    QObject::connect(timer, &QTimer::timeout, process, [=] {
        report(DjvuGenerator::tr("%1 did not finish within %2 seconds.")
                   .arg(name)
                   .arg(timeLimitMs / 1000));
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [=](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            report(DjvuGenerator::tr("%1 could not be started: %2")
                       .arg(program, process->errorString()));
    });
    QObject::connect(
        process, &QProcess::finished, process, [=](int code, QProcess::ExitStatus status) {
            timer->stop();
            const QString said = lastLine(process->readAllStandardError());
            if (status != QProcess::NormalExit)
                report(DjvuGenerator::tr("%1 stopped unexpectedly. %2").arg(name, said));
            else if (code != 0)
                report(DjvuGenerator::tr("%1 failed with exit status %2. %3")
                           .arg(name)
                           .arg(code)
                           .arg(said));
            else if (QFileInfo(promised).size() <= 0)
                report(DjvuGenerator::tr("%1 left no file %2.")
                           .arg(name, QDir::toNativeSeparators(promised)));
            else
                report(QString());
        });
    process->start(program, arguments);
    timer->start(timeLimitMs);
    return process;
}

// Ends every tool still running under owner, so that none outlives the export.
void endTools(QObject &owner)
{
    for (QTimer *timer : owner.findChildren<QTimer *>())
        timer->stop();
    for (QProcess *process : owner.findChildren<QProcess *>()) {
        QObject::disconnect(process, nullptr, nullptr, nullptr);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}
} // namespace

DjvuGenerator::DjvuGenerator() : m_parallelRuns(qMax(1, QThread::idealThreadCount()))
{
}

DjvuGenerator::~DjvuGenerator() = default;

QString DjvuGenerator::toolPath(const QString &name)
{
    const QFileInfo beside(QCoreApplication::applicationDirPath() + QStringLiteral("/djvu/") +
                           name);
    if (beside.isFile() && beside.isExecutable())
        return beside.absoluteFilePath();
    return QStandardPaths::findExecutable(name);
}

bool DjvuGenerator::fail(const QString &error)
{
    if (m_error.isEmpty())
        m_error = error;
    qCWarning(lcDjvu).noquote() << error;
    return false;
}

bool DjvuGenerator::run(const QString &outputPath)
{
    DialogProgress progress(std::make_unique<DjvuProgress>(int(pages().size()), progressWindow()));
    return write(outputPath, progress);
}

bool DjvuGenerator::write(const QString &outputPath, ExportProgress &progress)
{
    m_outcome = Outcome::Failed;
    m_error.clear();
    setFailureReason(QString());
    m_progress = &progress;
    progress.setCreatingPhase();
    QCoreApplication::processEvents();

    const QString work = workFolder();
    QStringList outputs;
    if (work.isEmpty()) {
        fail(tr("No temporary folder for the DjVu pages."));
    } else if (toolPath(QStringLiteral("djvm")).isEmpty()) {
        // Known before any page is encoded: nothing could be bundled.
        fail(tr("djvm was not found."));
        setFailureReason(missingTool(QStringLiteral("djvm")));
    } else {
        m_outcome = encodePages(work, outputs);
        if (m_outcome == Outcome::Written && !bundle(work, outputs, outputPath) &&
            m_outcome == Outcome::Written)
            m_outcome = Outcome::Failed;
    }

    progress.finish();
    m_progress = nullptr;
    return m_outcome == Outcome::Written;
}

DjvuGenerator::Outcome DjvuGenerator::encodePages(const QString &work, QStringList &outputs)
{
    const int percent =
        qBound(5, m_percent > 0 ? m_percent : readSetting(Settings::DjvuPercent).toInt(), 100);
    const QStringList &list = pages();
    outputs.clear();
    QObject owner;
    QEventLoop loop;
    QHash<QString, QString> tools;
    int next = 0;
    int running = 0;
    int finished = 0;
    bool stopped = false;
    bool cancelled = false;

    const auto stop = [&](const QString &error) {
        if (!error.isEmpty())
            fail(error);
        stopped = true;
        loop.quit();
    };
    QObject::connect(m_progress, &ExportProgress::cancelled, &loop, [&] {
        cancelled = true;
        stop(QString());
    });

    std::function<void()> launchMore = [&] {
        while (!stopped && running < m_parallelRuns && next < list.size()) {
            const int position = next++;
            const DjvuPageJob job =
                DjvuPageJob::prepare(list.at(position), position, work, percent);
            if (!job.isValid()) {
                setFailureReason(job.error());
                return stop(job.error());
            }
            const QString name = job.toolName();
            if (!tools.contains(name))
                tools.insert(name, toolPath(name));
            if (tools.value(name).isEmpty()) {
                setFailureReason(missingTool(name));
                return stop(tr("%1 was not found.").arg(name));
            }
            outputs.append(job.output());
            ++running;
            startTool(&owner, tools.value(name), job.arguments(), work, job.output(), m_timeLimitMs,
                      [&](const QString &error) {
                          --running;
                          if (!error.isEmpty())
                              return stop(error);
                          m_progress->setWritingPhase(++finished);
                          if (finished == list.size())
                              return loop.quit();
                          // Started from the loop, not from inside the tool's own signal.
                          QTimer::singleShot(0, &loop, launchMore);
                      });
            // A page's preparation can take a moment: keep the window and the cancel alive.
            QCoreApplication::processEvents();
        }
    };

    m_progress->setWritingPhase(0);
    if (!list.isEmpty()) {
        QTimer::singleShot(0, &loop, launchMore);
        loop.exec();
    }
    endTools(owner);
    if (cancelled)
        return Outcome::Cancelled;
    if (stopped || finished != list.size())
        return Outcome::Failed;
    return Outcome::Written;
}

bool DjvuGenerator::bundle(const QString &work, const QStringList &outputs,
                           const QString &outputPath)
{
    if (outputs.isEmpty())
        return fail(tr("There is no page to write."));
    const QString bundled = work + QStringLiteral("/bundle.djvu");
    QObject owner;
    QEventLoop loop;
    bool done = false;
    QString error;
    QObject::connect(m_progress, &ExportProgress::cancelled, &loop, [&] {
        m_outcome = Outcome::Cancelled;
        loop.quit();
    });
    // The per-page files by name, in list order: djvm takes the pages as they are given.
    const QStringList arguments = QStringList{QStringLiteral("-c"), bundled} + outputs;
    startTool(&owner, toolPath(QStringLiteral("djvm")), arguments, work, bundled, m_timeLimitMs,
              [&](const QString &said) {
                  done = true;
                  error = said;
                  loop.quit();
              });
    loop.exec();
    endTools(owner);
    if (m_outcome == Outcome::Cancelled)
        return false;
    if (!done || !error.isEmpty())
        return fail(done ? error : tr("djvm did not finish."));

    // The old file is replaced only by a complete new one.
    QFile source(bundled);
    QSaveFile target(outputPath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(source.errorString());
    if (!target.open(QIODevice::WriteOnly))
        return fail(tr("Can't write %1: %2")
                        .arg(QDir::toNativeSeparators(outputPath), target.errorString()));
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        if (chunk.isEmpty() || target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            return fail(tr("Can't write %1: %2")
                            .arg(QDir::toNativeSeparators(outputPath), target.errorString()));
        }
    }
    if (!target.commit())
        return fail(tr("Can't write %1: %2")
                        .arg(QDir::toNativeSeparators(outputPath), target.errorString()));
    return true;
}
