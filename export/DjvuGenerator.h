#pragma once

#include "DocxGenerator.h"

#include <QString>

class ExportProgress;
class QWidget;

// Turns the page list into one multi-page DjVu file with the DjVuLibre tools: every page
// through c44 (colour, grey) or cjb2 (black and white), then djvm bundles the per-page files
// in list order. The encoders of different pages run side by side, a few at a time.
//
// All or nothing: a missing tool, an unreadable page, an encoder that fails, crashes, runs
// past the time limit or leaves no file, and a cancel all end with no file written, and an
// earlier file of the same name stays as it was. The finished file replaces it in one step.
//
// The per-page files go to the private work folder of DocxGenerator. GUI thread: run() shows
// a DjvuProgress and waits for the tools in a local event loop.
class DjvuGenerator : public DocxGenerator
{
    Q_DECLARE_TR_FUNCTIONS(DjvuGenerator)

public:
    enum class Outcome
    {
        Written,
        Failed,
        Cancelled,
    };

    DjvuGenerator();
    ~DjvuGenerator() override;

    // True only when the complete file was written to outputPath.
    bool run(const QString &outputPath) override;
    bool write(const QString &outputPath, ExportProgress &progress) override;

    // How the last run() ended, and why it failed (for the log; failureReason() is for the
    // notice).
    Outcome outcome() const { return m_outcome; }
    bool wasCancelled() const override { return m_outcome == Outcome::Cancelled; }
    const QString &error() const { return m_error; }

    // How long one tool may run before the export gives up; three minutes by default.
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }
    // How many encoders run at once; the number of processor cores by default.
    void setParallelRuns(int runs) { m_parallelRuns = qMax(1, runs); }
    // The wavelet encoder's size target in percent (5 to 100); the stored setting by default.
    void setPercent(int percent) { m_percent = percent; }

    // A DjVuLibre tool in the "djvu" folder beside the program, else on PATH; empty when
    // neither has it.
    static QString toolPath(const QString &name);

private:
    // Encodes every page into the work folder; the per-page files in list order.
    Outcome encodePages(const QString &work, QStringList &outputs);
    bool bundle(const QString &work, const QStringList &outputs, const QString &outputPath);
    bool fail(const QString &error);

    // The progress while write() works.
    ExportProgress *m_progress = nullptr;
    int m_percent = 0; // 0: the stored setting
    int m_timeLimitMs = 180000;
    int m_parallelRuns;
    Outcome m_outcome = Outcome::Failed;
    QString m_error;
};
