#pragma once

#include <QByteArray>
#include <QSet>

// A TrueType font cut down to the outlines of the glyphs a document uses. Glyph ids stay as
// they are (unused glyphs become empty), so text drawn with the font's own ids needs no
// renumbering; tables a PDF reader does not use for an embedded font are left out.
// Any thread.
class TrueTypeSubset
{
public:
    // Empty when font is not a TrueType font this understands.
    static QByteArray make(const QByteArray &font, const QSet<quint32> &glyphs);
};
