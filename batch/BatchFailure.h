#pragma once

#include <QString>

// How the command line ends, and the one line it says on standard error when it fails:
// "quillary-batch: SUBJECT: REASON". Any thread.
struct BatchFailure
{
    enum Status
    {
        Complete = 0,
        Failed = 1,
        Usage = 2,
        Interrupted = 130,
    };

    int status = Complete;
    // The input, output or option the line is about; may be empty.
    QString subject;
    QString reason;

    explicit operator bool() const { return status != Complete; }
    static BatchFailure failed(const QString &subject, const QString &reason)
    {
        return {Failed, subject, reason};
    }
};
