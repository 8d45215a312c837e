#include "DocxTemplate.h"

#include <QFile>

namespace {
QString readResource(const QString &name)
{
    QFile file(QStringLiteral(":/template/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll()).trimmed();
}
} // namespace

QSize DocxTemplate::pictureExtent(const QSize &pixels, int dpi)
{
    const qint64 w = pixels.width();
    const qint64 h = pixels.height();
    if (w <= 0 || h <= 0)
        return QSize();
    if (dpi <= 0)
        dpi = 96;
    // Integer arithmetic truncates exactly where floating point could land a unit low.
    qint64 cx = w * EmuPerInch / dpi;
    qint64 cy = h * EmuPerInch / dpi;
    if (cx > MaxWidthEmu) {
        cx = MaxWidthEmu;
        cy = MaxWidthEmu * h / w;
    }
    if (cy > MaxHeightEmu) {
        cy = MaxHeightEmu;
        cx = MaxHeightEmu * w / h;
    }
    // A page of a few pixels at a huge resolution would otherwise vanish.
    return QSize(int(qMax<qint64>(cx, 1)), int(qMax<qint64>(cy, 1)));
}

QString DocxTemplate::relationshipId(int n)
{
    return QStringLiteral("rId%1").arg(n + 10);
}

bool DocxTemplate::load()
{
    m_relation = readResource(QStringLiteral("relation.xml"));
    m_firstPage = readResource(QStringLiteral("firstpage.xml"));
    m_page = readResource(QStringLiteral("page.xml"));
    m_pageBreak = readResource(QStringLiteral("pagebreak.xml"));
    return !m_relation.isEmpty() && !m_firstPage.isEmpty() && !m_page.isEmpty() &&
           !m_pageBreak.isEmpty();
}

QString DocxTemplate::relationship(int n, const QString &target) const
{
    return QString(m_relation)
        .replace(QLatin1String("[RID]"), relationshipId(n))
        .replace(QLatin1String("[TARGET]"), target);
}

QString DocxTemplate::page(int n, const QSize &extent) const
{
    // Every picture gets its own drawing id: word processors expect them unique.
    return QString(n == 0 ? m_firstPage : m_page)
        .replace(QLatin1String("[WIDTH]"), QString::number(extent.width()))
        .replace(QLatin1String("[HEIGHT]"), QString::number(extent.height()))
        .replace(QLatin1String("[RID]"), relationshipId(n))
        .replace(QLatin1String("[PICID]"), QString::number(n + 1));
}

QString DocxTemplate::fillDocument(const QString &document, const QString &pages)
{
    return QString(document).replace(QLatin1String("[PAGES]"),
                                     pages.isEmpty() ? QStringLiteral("<w:p/>") : pages);
}

QString DocxTemplate::fillRelationships(const QString &part, const QString &relationships)
{
    return QString(part).replace(QLatin1String("[IMGIDS]"), relationships);
}
