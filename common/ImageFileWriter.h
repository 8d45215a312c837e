#pragma once

#include <QImage>
#include <QString>

// Outcome of writing a file: ok, or a message the window can show.
struct WriteResult
{
    bool ok = false;
    QString error;
    explicit operator bool() const { return ok; }
};

// Writes through a temporary file that replaces the target only when complete, so a crash or
// a full disk never leaves a half-written file. format null: chosen from the file suffix.
// quality -1: the writer's default. A black-and-white 1-bit image into TIFF is compressed
// with CCITT Group 4 (see Group4Tiff). A failure names the whole path and the system's
// reason ("No space left on device"). Any thread.
WriteResult writeImageFile(const QImage &image, const QString &path, const char *format = nullptr,
                           int quality = -1);

// Writes bytes that are already a whole file (a JPEG taken as it is) the same safe way.
WriteResult writeFileBytes(const QByteArray &bytes, const QString &path);

// The page image rule: a 1-bit image is written as TIFF (Group 4), any other as JPEG with the
// stored JPEG quality. Where the file's suffix names another format (a 1-bit
// image into ".jpg", a grey one into ".tiff", ".png" …), the suffix decides, so the content
// always matches the name.
WriteResult writePageImage(const QImage &image, const QString &path);
