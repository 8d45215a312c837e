#pragma once

#include "ImageLoading.h"

#include <QString>

// The resolution of pages that are drawn.
constexpr int PdfRenderDpi = 300;

// Reads the pages of a PDF file as pages of the document, handing each to take as soon as
// it is read (see readImageFilePages).
//
// A page whose content only places one picture (what scanners and our own PDF export write)
// comes in as that picture without loss: a JPEG picture as its own bytes (LoadedPage::jpeg),
// a black-and-white picture (Group 4 fax code, or 1 bit compressed with Flate) as a 1-bit
// picture with the same bits, its resolution taken from the size the page gives it. Any
// other page (text, drawings, several pictures, a turned page) is drawn at PdfRenderDpi.
//
// Refuses, with the reason for the user: a file protected by a password, a damaged file, a
// file without pages, a page too large to draw. Any thread; the caller owns the pages.
LoadedFile readPdfPages(const QString &path, const PageSink &take);

// Whether path names a PDF file: its suffix, or its first bytes when the suffix is another.
bool isPdfFile(const QString &path);
