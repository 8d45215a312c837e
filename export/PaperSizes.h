#pragma once

#include <QCoreApplication>
#include <QList>
#include <QPageSize>
#include <QSizeF>
#include <QString>

// The program's own paper-size ids, stored under PaperSize. They are the paper ids of an
// earlier toolkit generation and must stay so: stored settings of every installation hold
// them. Qt 6 numbers its QPageSize ids differently, so they are only ever mapped to, never
// stored. Any thread.
class PaperSizes
{
    Q_DECLARE_TR_FUNCTIONS(PaperSizes)

public:
    enum Id
    {
        A4 = 0,
        Letter = 2,
        Legal = 3,
        A0 = 5,
        A1 = 6,
        A2 = 7,
        A3 = 8,
        A5 = 9,
        A6 = 10,
        Tabloid = 29,
    };

    struct Offer
    {
        QString label;
        int id;
    };

    // The sizes the PDF dialog offers, in its order.
    static QList<Offer> offered();
    // id when it is one of ours, otherwise A4.
    static Id known(int id);
    // Paper size in points, portrait, as PDF's standard page sizes define it.
    static QSizeF points(int id);
    // Width and height swapped for landscape.
    static QSizeF points(int id, bool landscape);
    static QPageSize::PageSizeId pageSizeId(int id);
};
