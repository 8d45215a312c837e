#pragma once

#include <QSize>
#include <QString>

// The text side of the Word document: the fragments kept under ":/template/" (one picture
// relationship, the first page's picture, a later page's picture, a page break) filled in for
// each page, and the two package parts they are spliced into.
//
// Pictures are sized in EMU (914400 per inch) from their pixels and resolution and limited to
// the A4 page's text area: first to the width cap, then to the height cap, keeping the aspect.
// Relationship ids start at rId10, above the template's own ids.
// Any thread; a loaded template is read-only.
class DocxTemplate
{
public:
    static constexpr qint64 EmuPerInch = 914400;
    static constexpr qint64 MaxWidthEmu = 5254942;
    static constexpr qint64 MaxHeightEmu = 8315325;

    // The picture's width and height in EMU; dpi 0 or less counts as Qt's default 96.
    static QSize pictureExtent(const QSize &pixels, int dpi);
    // "rId" + (n + 10) for the n-th picture (0-based).
    static QString relationshipId(int n);

    // Reads the fragments from the resources; false when one is missing or empty.
    bool load();

    // The relationship of picture n to "media/" + target.
    QString relationship(int n, const QString &target) const;
    // The paragraph holding picture n with the given extent; page n > 0 follows a page break.
    QString page(int n, const QSize &extent) const;
    const QString &pageBreak() const { return m_pageBreak; }

    // The document part with pages (already joined) in the place of "[PAGES]"; without pages
    // an empty paragraph keeps the body valid.
    static QString fillDocument(const QString &document, const QString &pages);
    // The relationships part with relationships in the place of "[IMGIDS]".
    static QString fillRelationships(const QString &part, const QString &relationships);

private:
    QString m_relation;
    QString m_firstPage;
    QString m_page;
    QString m_pageBreak;
};
