#pragma once

#include "BatchFailure.h"
#include "BatchOptions.h"

#include <QStringList>

#include <functional>

class ConsoleProgress;

// Writes the page files into the output in the format asked for, through the exporters the
// window uses. A file output replaces an earlier one only when complete; an image folder is
// written into a temporary folder beside the output first. Main thread.
class BatchExport
{
public:
    // inputOf names the input a page file came from, for a page the export cannot read.
    BatchExport(const BatchOptions &options, ConsoleProgress &progress,
                const std::function<QString(const QString &)> &inputOf);

    BatchFailure write(const QStringList &pages);

private:
    BatchFailure writePdf(const QStringList &pages);
    BatchFailure writeDocx(const QStringList &pages);
    BatchFailure writeDjvu(const QStringList &pages);
    BatchFailure writeImages(const QStringList &pages);

    const BatchOptions &m_options;
    ConsoleProgress &m_progress;
    std::function<QString(const QString &)> m_inputOf;
};
