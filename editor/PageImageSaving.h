#pragma once

#include "ImageFileWriter.h"

#include <QImage>
#include <QString>

// Writes an edited page image back over its file, atomically (the old file stays whole on
// failure). The page rule applies (1-bit: TIFF with default options; else JPEG at the stored
// JpegQuality) whenever it agrees with the file's suffix; otherwise the suffix decides the
// format, so a file's content always matches its name (".jpg"/".jpeg": JPEG at JpegQuality,
// ".tif"/".tiff": TIFF, ".png", ".bmp" …). A file without a known suffix follows the page rule.
// Any thread.
WriteResult savePageImage(const QImage &image, const QString &path);
