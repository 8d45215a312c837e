#include "PaperSizes.h"

QList<PaperSizes::Offer> PaperSizes::offered()
{
    return {
        {tr("A4"), A4}, {tr("Letter"), Letter}, {tr("A0"), A0}, {tr("A1"), A1},
        {tr("A2"), A2}, {tr("A3"), A3},         {tr("A5"), A5}, {tr("A6"), A6},
    };
}

PaperSizes::Id PaperSizes::known(int id)
{
    switch (id) {
    case A4:
    case Letter:
    case Legal:
    case A0:
    case A1:
    case A2:
    case A3:
    case A5:
    case A6:
    case Tabloid:
        return Id(id);
    default:
        return A4;
    }
}

QSizeF PaperSizes::points(int id)
{
    switch (known(id)) {
    case A0:
        return {2384, 3370};
    case A1:
        return {1684, 2384};
    case A2:
        return {1191, 1684};
    case A3:
        return {842, 1190}; // the PDF library's A3; ISO's is 1190.55 high
    case A5:
        return {420, 595};
    case A6:
        return {297, 420};
    case Letter:
        return {612, 792};
    case Legal:
        return {612, 1008};
    case Tabloid:
        return {792, 1224};
    case A4:
        break;
    }
    return {595, 842};
}

QSizeF PaperSizes::points(int id, bool landscape)
{
    const QSizeF portrait = points(id);
    return landscape ? portrait.transposed() : portrait;
}

QPageSize::PageSizeId PaperSizes::pageSizeId(int id)
{
    switch (known(id)) {
    case A0:
        return QPageSize::A0;
    case A1:
        return QPageSize::A1;
    case A2:
        return QPageSize::A2;
    case A3:
        return QPageSize::A3;
    case A5:
        return QPageSize::A5;
    case A6:
        return QPageSize::A6;
    case Letter:
        return QPageSize::Letter;
    case Legal:
        return QPageSize::Legal;
    case Tabloid:
        return QPageSize::Tabloid;
    case A4:
        break;
    }
    return QPageSize::A4;
}
