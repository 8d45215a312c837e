#pragma once

#include <QLineF>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

// One recognised word in the pixels of the page image it came from (origin top left).
struct OcrWord
{
    QString text;
    QRect box;
    // From the left to the right end of the word's text line under this word.
    QLineF baseline;
    // How far the word's text line reaches above and below its baseline, in pixels: the
    // same for every word of a line, so that a reader keeps the line's words together.
    qreal ascent = 0;
    qreal descent = 0;
    // The last word of its text line: the next word starts the next line.
    bool endsLine = false;
};

// What recognition found on one page image, in reading order.
struct OcrPage
{
    QSize imageSize;
    QList<OcrWord> words;
};
