#pragma once

#include "PropertyPage.h"

class QComboBox;

// The options page of the three scan qualities: the resolution in dpi that "Middle", "Good"
// and "High" of the main window's quality list stand for.
//
// GUI thread only.
class ScanResPage : public PropertyPage
{
    Q_OBJECT

public:
    explicit ScanResPage(QWidget *parent = nullptr);

public slots:
    // Selects the stored resolution in each list; a stored value that is not offered leaves
    // that list without a current item (and save() then stores 0).
    void load() override;
    void save() override;
    // Shows the defaults (100, 200, 300 dpi) without storing them.
    void byDefault();

private:
    static void selectResolution(QComboBox *list, int dpi);

    QComboBox *m_middle;
    QComboBox *m_good;
    QComboBox *m_high;
};
