#pragma once

#include <QCoreApplication>
#include <QString>

// Whether a page file holds a whole picture, found from its structure alone: a JPEG's marker
// segments up to its end-of-image marker, a TIFF's strips or tiles inside the file, any other
// format's header. Cheap enough to run on every page of an export: nothing is decoded, so a
// file cut short is caught, but not every kind of damage inside the compressed data.
//
// One check for every place a page file is taken in: restoring a session, loading a JPEG and
// each exporter before it reads a page. Any thread.
class PageFileCheck
{
    Q_DECLARE_TR_FUNCTIONS(PageFileCheck)

public:
    enum class Problem
    {
        None,
        Missing,     // no such file, or it cannot be opened
        Empty,       // nothing in it
        NotAPicture, // no image format knows it
        Incomplete,  // ends before the picture does (a cut-off copy, a full disk)
        Damaged,     // its structure is broken
    };

    static PageFileCheck check(const QString &path);

    explicit operator bool() const { return m_problem == Problem::None; }
    Problem problem() const { return m_problem; }
    const QString &path() const { return m_path; }
    // For the user, to follow "cannot be read:": "the file is incomplete"; empty when whole.
    QString reason() const { return reasonFor(m_problem); }
    static QString reasonFor(Problem problem);
    // For the user: "Page 2 (00000002_o.jpg) cannot be read: the file is incomplete."
    // position is 0-based.
    QString pageMessage(int position) const;
    // The same message with another reason, for a page that failed later on (in a decoder).
    static QString pageMessage(int position, const QString &path, const QString &why);

private:
    QString m_path;
    Problem m_problem = Problem::None;
};
