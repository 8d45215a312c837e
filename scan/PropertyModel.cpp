#include "PropertyModel.h"

#include <QSize>

namespace {
constexpr QSize itemSizeHint(100, 32);
} // namespace

PropertyModel::PropertyModel(QObject *parent)
    : QAbstractItemModel(parent), m_root(std::make_unique<Item>())
{
    addItem(m_root.get(), tr("Scanner"), QStringLiteral("PT_Scanner"), ScannerKind);
    addItem(m_root.get(), tr("Resolution"), QStringLiteral("PT_ScanRes"), ScanResKind);
}

PropertyModel::~PropertyModel() = default;

int PropertyModel::Item::row() const
{
    if (!parent)
        return 0;
    for (std::size_t i = 0; i < parent->children.size(); ++i) {
        if (parent->children[i].get() == this)
            return int(i);
    }
    return 0;
}

void PropertyModel::addItem(Item *parent, const QString &name, const QString &identifier, int kind)
{
    auto item = std::make_unique<Item>();
    item->name = name;
    item->identifier = identifier;
    item->kind = kind;
    item->parent = parent;
    parent->children.push_back(std::move(item));
}

PropertyModel::Item *PropertyModel::itemFor(const QModelIndex &index) const
{
    if (index.isValid())
        return static_cast<Item *>(index.internalPointer());
    return m_root.get();
}

QModelIndex PropertyModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column, itemFor(parent)->children[std::size_t(row)].get());
}

QModelIndex PropertyModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return {};
    Item *parentItem = itemFor(child)->parent;
    if (!parentItem || parentItem == m_root.get())
        return {};
    return createIndex(parentItem->row(), 0, parentItem);
}

int PropertyModel::rowCount(const QModelIndex &parent) const
{
    // Only the first column has children, as every tree model must say.
    if (parent.column() > 0)
        return 0;
    return int(itemFor(parent)->children.size());
}

int PropertyModel::columnCount(const QModelIndex &) const
{
    return 1;
}

QVariant PropertyModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Item *item = itemFor(index);
    switch (role) {
    case Qt::DisplayRole:
        return item->name;
    case Qt::DecorationRole: {
        const QString path = iconPath(item->kind);
        if (path.isEmpty())
            return {};
        return QIcon(path);
    }
    case Qt::SizeHintRole:
        return itemSizeHint;
    default:
        return {};
    }
}

Qt::ItemFlags PropertyModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

QString PropertyModel::identifier(const QModelIndex &index) const
{
    return itemFor(index)->identifier;
}

int PropertyModel::kind(const QModelIndex &index) const
{
    return index.isValid() ? itemFor(index)->kind : -1;
}

QModelIndex PropertyModel::find(const Item *parent, const QString *identifier, int kind) const
{
    for (const auto &child : parent->children) {
        const bool match = identifier ? child->identifier == *identifier : child->kind == kind;
        if (match)
            return createIndex(child->row(), 0, child.get());
        const QModelIndex below = find(child.get(), identifier, kind);
        if (below.isValid())
            return below;
    }
    return {};
}

QModelIndex PropertyModel::indexOfIdentifier(const QString &identifier) const
{
    // The root is no category, so its empty identifier never matches.
    if (identifier.isEmpty())
        return {};
    return find(m_root.get(), &identifier, -1);
}

QModelIndex PropertyModel::indexOfKind(int kind) const
{
    return find(m_root.get(), nullptr, kind);
}

QString PropertyModel::iconPath(int kind)
{
    switch (kind) {
    case ScanResKind:
        return QStringLiteral(":/images/Measure");
    case ScannerKind:
        return QStringLiteral(":/images/ScanPage");
    default:
        return {};
    }
}
