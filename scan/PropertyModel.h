#pragma once

#include <QAbstractItemModel>
#include <QIcon>

#include <memory>
#include <vector>

// The categories of the options dialog as a one-column tree. Each item has a display name,
// an identifier that is stored to reopen the dialog on it, and a kind that selects its page.
// Only the display name, an icon and a fixed size hint are offered as data; identifier and
// kind are read through the functions below so that views never show them.
//
// GUI thread only. The model owns its items; the structure never changes after construction.
class PropertyModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    // Page kinds as stored with the items; the gap at 1 is part of the numbering.
    enum PageKind
    {
        ScanResKind = 0,
        ScannerKind = 2
    };

    explicit PropertyModel(QObject *parent = nullptr);
    ~PropertyModel() override;

    QModelIndex index(int row, int column,
                      const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Identifier of the item (the root's, empty, for an invalid index).
    QString identifier(const QModelIndex &index) const;
    // Kind of the item, or -1 for an invalid index.
    int kind(const QModelIndex &index) const;
    // The item with this identifier, or an invalid index when no item has it.
    QModelIndex indexOfIdentifier(const QString &identifier) const;
    // The first item of this kind, or an invalid index.
    QModelIndex indexOfKind(int kind) const;

    // Resource path of the icon shown for a kind; empty for kinds without an icon.
    static QString iconPath(int kind);

private:
    struct Item
    {
        QString name;
        QString identifier;
        int kind = -1;
        Item *parent = nullptr;
        std::vector<std::unique_ptr<Item>> children;

        int row() const;
    };

    void addItem(Item *parent, const QString &name, const QString &identifier, int kind);
    Item *itemFor(const QModelIndex &index) const;
    QModelIndex find(const Item *parent, const QString *identifier, int kind) const;

    std::unique_ptr<Item> m_root;
};
