#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <functional>

class QImageReader;

// Why a file gave no page.
enum class LoadFailure
{
    None,
    Missing,
    NotAFile, // a folder, a pipe or a device: opening a pipe would wait for a writer for ever
    NotAPicture,
    Damaged,
    TooLarge,
    Protected // a PDF file locked by a password
};

// One page taken from an image file, ready for the page store.
struct LoadedPage
{
    QImage image;
    // A 1-bit black-and-white picture from a ".tif"/".tiff" file: kept as a TIFF page.
    bool asTiff = false;
    // The page's JPEG file as it is (a picture taken out of a PDF), stored byte for byte
    // instead of coding image again; image is then only its picture for the thumbnail and
    // may be smaller than the page.
    QByteArray jpeg;
    // Where the page is in its file (0-based) and how many the file has, for progress.
    int index = 0;
    int count = 1;
};

// Takes one page as it is read; false stops the reading (the page could not be kept).
using PageSink = std::function<bool(LoadedPage &&page)>;

// How reading one image file went.
struct LoadedFile
{
    LoadFailure failure = LoadFailure::None;
    // For the user; empty when the file was read.
    QString error;
    explicit operator bool() const { return failure == LoadFailure::None; }
};

// Reads a page image file for showing or editing. Refuses, with a null image and a message for
// the user in *error: files that are not images, files whose header claims more than 40000
// pixels on a side or more than 600 megapixels (checked before any pixel is decoded), JPEG
// files that end before their end marker or whose decoder reports missing data (a cut-off
// download or a full disk), and any read error. Any thread; the caller owns the image.
QImage readPageImage(const QString &path, QString *error = nullptr);

// Reads the reader's JPEG picture; *complete false when the decoder found data missing (it
// then fills the rest with grey and reports success). Any thread.
QImage readWholeJpeg(QImageReader &reader, bool *complete);

// Reads an image file chosen by the user as pages of the document (a PDF file through
// readPdfPages): every picture of a multi-page file in file order, turned as its EXIF
// orientation says, transparent pixels laid on white, a 1-bit picture whose palette is not
// black and white converted through its colours. Each picture is checked as readPageImage
// does and handed to take as soon as it is read, so memory stays flat however long the file.
// One bad picture refuses the whole file: the caller then takes back the pages it was
// given, so a document never holds half a file. Any thread.
LoadedFile readImageFilePages(const QString &path, const PageSink &take);

// A short reason for the user: "damaged", "too large", "not a picture", "missing", "not a
// regular file", "protected by a password"; empty for None.
QString loadFailureReason(LoadFailure failure);

// Lets the image reader allocate enough for a 600 dpi colour A3 page (the toolkit's default
// limit refuses it). Call once at start-up, before any image is read; any thread.
void raiseImageAllocationLimit();
