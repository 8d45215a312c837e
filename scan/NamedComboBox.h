#pragma once

#include <QComboBox>

// A list whose name for assistive technology is its label (the QLabel whose buddy it is, or
// its accessible name), with the chosen item as its value. Qt's own interface on Linux names
// a combo box by its current text, so "Middle:" would be read as "100".
// GUI thread only.
class NamedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit NamedComboBox(QWidget *parent = nullptr);
};
