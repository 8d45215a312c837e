#pragma once

#include <QAccessibleWidget>

class QComboBox;

// The accessible side of NamedComboBox: a combo box named by its label, whose value is the
// current item and whose one child is the popup list. Actions open and close the popup.
// Made by factory(), which NamedComboBox installs. GUI thread only.
class NamedComboBoxAccessible : public QAccessibleWidget
{
public:
    explicit NamedComboBoxAccessible(QComboBox *box);

    static QAccessibleInterface *factory(const QString &className, QObject *object);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    QComboBox *box() const;
};
