#pragma once

#include "ImageFileWriter.h"

#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// The files of the open document in the work folder, without any widget: the folder layout,
// the page file names, writing a page, renumbering after a removal and clearing.
//
// Work folder: root, root/Current (the page files) and root/Config, created on construction.
// A page N owns "Current/%1_o.jpg" (colour or grey, JPEG) or "Current/%1_o.tiff" (1-bit
// TIFF) and its thumbnail "Current/%1_s.jpg", %1 = N zero-padded to 8 digits.
//
// Every file is written through a temporary file that replaces the target only when
// complete, and every failure comes back as a WriteResult with a message for the user.
// Not tied to a thread, but one instance must be used from one thread at a time.
class PageFolder
{
    Q_DECLARE_TR_FUNCTIONS(PageFolder)

public:
    // The two files of one page, absolute paths.
    struct Files
    {
        QString image;
        QString thumbnail;
    };

    // root empty: the per-user application data location.
    explicit PageFolder(const QString &root = QString());

    QString workFolder() const { return m_workFolder; }
    QString currentFolder() const { return m_currentFolder; }
    QString configFolder() const { return m_configFolder; }

    // The names page number would get.
    Files filesFor(int number, bool asTiff) const;
    // "00000042" for 42.
    static QString numberText(int number);

    // The image itself when it fits in box, else scaled down smoothly keeping its aspect.
    static QImage makeThumbnail(const QImage &image, const QSize &box);

    // Writes page number from image: the page image (1-bit TIFF when asTiff, else JPEG with
    // the stored quality) and the thumbnail. Both files or neither: on failure nothing of the
    // page is left behind. On success files and thumbnail receive what was written.
    // jpeg not empty: the page image file is these bytes as they are (asTiff false), and
    // image their picture, for the thumbnail only.
    WriteResult writePage(const QImage &image, bool asTiff, int number, const QSize &box,
                          Files *files, QImage *thumbnail,
                          const QByteArray &jpeg = QByteArray()) const;

    // Thumbnail files: JPEG with the writer's default quality.
    static WriteResult writeThumbnail(const QImage &thumbnail, const QString &path);
    // Reads a thumbnail file, turns it by angle degrees about its centre and writes it back.
    static WriteResult rotateThumbnail(const QString &path, int angle);

    // Deletes both files of a removed page.
    static WriteResult removeFiles(const Files &files);

    // Gives the page at list position p the files numbered p + 1, keeping every page's own
    // content: a file whose new name is still held by another page is first moved aside, so
    // nothing is ever overwritten or swapped. pages is updated as each rename succeeds, so
    // it always tells where the files are, also after a failure.
    WriteResult renumber(QList<Files> &pages) const;

    // The thumbnail file that goes with a page image file: "X_o.jpg" or "X_o.tiff" -> "X_s.jpg".
    static QString thumbnailFor(const QString &pageImage);
    // Whether path holds what its name promises: a JPEG under ".jpg", a 1-bit TIFF under
    // ".tiff". Reads the header only.
    static bool isPageFileOfItsKind(const QString &path);

    // Gives the page file source, and its thumbnail when it has one, the names of page
    // number, without touching their content. Page files waiting in queue that hold one of
    // those names are moved aside first (their entry in queue follows them). On success
    // files tells the new names; files->thumbnail need not exist.
    WriteResult adoptPage(const QString &source, int number, QStringList &queue,
                          Files *files) const;
    // Frees the names of page number (asTiff tells which page image name) for a page about
    // to be written, in the same way.
    WriteResult makeWay(int number, bool asTiff, QStringList &queue) const;

private:
    // Renames one file of pages to target, moving a page file that holds target aside.
    bool renameInto(QList<Files> &pages, QString Files::*member, int index, const QString &target,
                    QString *error) const;
    // Moves the page image at path, with its thumbnail, to a free name starting with prefix.
    // Returns the new name, or empty when the rename failed.
    QString moveAside(const QString &path, const QString &prefix) const;
    QString asideName(const QString &path, const QString &prefix) const;

    QString m_workFolder;
    QString m_currentFolder;
    QString m_configFolder;
};
