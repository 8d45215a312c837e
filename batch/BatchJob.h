#pragma once

#include "BatchFailure.h"
#include "BatchOptions.h"

#include <QJsonObject>
#include <QStringList>

// One document made from the command line: checks the output's place, reads the inputs into
// page files in a private temporary folder of this process (never the window's work folder,
// never its lock, so any number of runs go side by side), and writes the document.
// Main thread.
class BatchJob
{
public:
    explicit BatchJob(const BatchOptions &options);

    BatchFailure run();

    // Files skipped and pages that went in uncleaned, for the user.
    const QStringList &warnings() const { return m_warnings; }
    // pages, bytes, seconds and warnings of the last run, for --json.
    QJsonObject summary(const BatchFailure &failure) const;

private:
    BatchFailure checkOutput() const;

    const BatchOptions &m_options;
    int m_pages = 0;
    qint64 m_bytes = 0;
    double m_seconds = 0;
    QStringList m_warnings;
};
