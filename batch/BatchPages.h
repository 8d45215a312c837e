#pragma once

#include "BatchFailure.h"
#include "ImageFileWriter.h"
#include "PageProcessing.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>

class ConsoleProgress;

// Turns the inputs of the command line into page files in a private folder, as the window
// turns loaded files into the pages of its document: the same loading code, the same page
// file rule (JPEG, 1-bit TIFF), optionally the same page processor. A JPEG file that needs
// no turning is taken as it is, by a link, so its bytes reach the document unchanged.
// Pages are written one at a time: memory does not grow with the page count.
// Main thread (the page processor is waited for in an event loop).
class BatchPages
{
public:
    struct Cleaning
    {
        bool enabled = false;
        bool split = false;
        bool blackAndWhite = false;
        PageProcessingOptions options;
    };

    // folder: where the page files go; it exists and is this run's own.
    BatchPages(const QString &folder, const Cleaning &cleaning, ConsoleProgress &progress);

    // The pictures of a folder in natural name order (page2 before page10); other files in
    // it are named in warnings. A file that is not a folder is itself.
    QStringList expand(const QString &input);

    // Reads every input in order; stops at the first that gives no page, or at a Ctrl+C.
    BatchFailure read(const QStringList &inputs);
    // Adds a scanned page, cleaned as the other pages are; false with failure filled in when
    // it could not be written.
    bool addScanned(const QImage &page, BatchFailure *failure);

    // Whether a JPEG taken as it is is first checked to be whole (the loader checks every
    // other file); off when the export checks every page anyway. On by default.
    void setCheckingJpeg(bool check) { m_checkJpeg = check; }

    const QStringList &files() const { return m_files; }
    // The input a page file came from; empty for none of ours.
    QString inputOf(const QString &pageFile) const { return m_inputs.value(pageFile); }
    // Per-page remarks for the summary: skipped files, pages that went in uncleaned.
    const QStringList &warnings() const { return m_warnings; }

private:
    BatchFailure readFile(const QString &input);
    bool takeAsItIs(const QString &input, BatchFailure *failure);
    bool addImage(const QImage &image, const QString &input, BatchFailure *failure);
    // Names the next page file with suffix and has write make it.
    bool addFile(const QString &input, const QString &suffix, BatchFailure *failure,
                 const std::function<WriteResult(const QString &)> &write);
    QString nextName(const QString &suffix) const;

    QString m_folder;
    Cleaning m_cleaning;
    ConsoleProgress &m_progress;
    bool m_checkJpeg = true;
    QStringList m_files;
    QHash<QString, QString> m_inputs;
    QStringList m_warnings;
};
