#include "NamedComboBox.h"

#include "NamedComboBoxAccessible.h"

#include <QAccessible>

NamedComboBox::NamedComboBox(QWidget *parent) : QComboBox(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&NamedComboBoxAccessible::factory);
        return true;
    }();
    Q_UNUSED(factoryInstalled)
}
