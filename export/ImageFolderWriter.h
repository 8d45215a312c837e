#pragma once

#include <QString>
#include <QStringList>

class ExportProgress;

// Writes every page as its own image file into a folder that exists, numbered in list order
// ("Scan_01.jpg" …), for the image-list dialog and the command line. Each file is written
// whole or not at all; a cancel or a page that cannot be read removes every file this run
// wrote. Same thread as progress.
class ImageFolderWriter
{
public:
    struct Result
    {
        QStringList written;
        // The first file that could not be written.
        QString firstFailed;
        // A page that could not be read, and the message for the user saying why.
        QString unreadablePage;
        QString unreadable;
        bool cancelled = false;
    };

    // The formats offered, as file suffixes: jpg, tiff, png, bmp.
    static QStringList formats();
    // The range and default of the JPEG quality.
    static constexpr int MinQuality = 50;
    static constexpr int MaxQuality = 100;
    static constexpr int DefaultQuality = 85;

    // The digits of pageCount: the width every page number is padded to.
    static int counterWidth(int pageCount);

    // format: one of formats(); jpegQuality: used for JPEG only.
    static Result write(const QStringList &pages, const QString &folder, const QString &name,
                        const QString &format, int jpegQuality, ExportProgress &progress);
};
