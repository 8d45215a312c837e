#pragma once

#include <QCoreApplication>
#include <QString>

// Where an exporter writes and whether the result is opened afterwards: one record per
// exporter, kept in the settings store under that exporter's own keys.
//
// Name keys are written on every export but never read back: the dialogs start their name
// field with defaultName() and then keep what the user typed while the program runs.
// Any thread; reading and writing go to the settings store at once.
class QDate;

class DestinationSettings
{
    Q_DECLARE_TR_FUNCTIONS(DestinationSettings)

public:
    enum class Kind
    {
        Pdf,
        Image,
        Word,
        Djvu
    };
    enum FolderPlace
    {
        Desktop = 0,
        Documents = 1,
        OtherFolder = 2
    };
    // Why a destination cannot be written to; found before anything is written.
    enum class Problem
    {
        None,
        NoFolder, // no folder, or one that is not an absolute path
        NoName,   // nothing left of the name once the extension is removed
        BadName,  // a name that would leave the folder: a separator, "." or ".."
    };

    // Folder place and folder from the store, need open with the exporter's own default,
    // name = defaultName(kind).
    static DestinationSettings read(Kind kind);
    // Writes every field under kind's keys.
    void write(Kind kind) const;

    // "Document %1" with today's date in the user's words; "Document" for image folders.
    static QString defaultName(Kind kind);
    // The date in the locale's long form, without the weekday.
    static QString documentDate(const QDate &date);
    // ".pdf", ".docx", ".djvu"; empty for image folders.
    static QString extension(Kind kind);

    // The desktop, the user's documents folder or the chosen folder, by folder place.
    QString outputFolder() const;
    // outputFolder() + "/" + name without a trailing extension (in any case) + extension, in
    // native separators.
    QString outputPath(const QString &extension) const;
    // Whether outputPath(extension) names one new entry inside a known folder.
    Problem check(const QString &extension) const;
    // Desktop or documents: folders the program may create when they are missing.
    bool isStandardPlace() const { return folderPlace == Desktop || folderPlace == Documents; }

    int folderPlace = Documents;
    QString folder;
    QString name;
    bool needOpen = false;

private:
    QString bareName(const QString &extension) const;
};
