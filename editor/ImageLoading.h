#pragma once

#include <QImage>
#include <QString>

// Reads a page image file for showing or editing. Refuses, with a null image and a message for
// the user in *error: files that are not images, files whose header claims more than 40000
// pixels on a side or more than 600 megapixels (checked before any pixel is decoded), JPEG
// files that end before their end marker (a cut-off download or a full disk), and any read
// error. Any thread; the caller owns the image.
QImage readPageImage(const QString &path, QString *error = nullptr);

// Lets the image reader allocate enough for a 600 dpi colour A3 page (the toolkit's default
// limit refuses it). Call once at start-up, before any image is read; any thread.
void raiseImageAllocationLimit();
