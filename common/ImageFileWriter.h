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
// quality -1: the writer's default. Any thread.
WriteResult writeImageFile(const QImage &image, const QString &path, const char *format = nullptr,
                           int quality = -1);

// The page image rule: a 1-bit image is written as TIFF with default options, any other as
// JPEG with the stored JPEG quality. Where the file's suffix names another format (a 1-bit
// image into ".jpg", a grey one into ".tiff", ".png" …), the suffix decides, so the content
// always matches the name.
WriteResult writePageImage(const QImage &image, const QString &path);
