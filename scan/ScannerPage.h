#pragma once

#include "PropertyPage.h"

class QCheckBox;
class QComboBox;

// The options page of how the scanner is driven: paper source, how many images one scan
// acquires, the automatic contrast adjustment, the scanner's preview, turning pages upright and
// leaving out blank pages.
//
// GUI thread only.
class ScannerPage : public PropertyPage
{
    Q_OBJECT

public:
    // duplexOffered lists the feeder's two-sided source.
    explicit ScannerPage(bool duplexOffered = false, QWidget *parent = nullptr);

public slots:
    // The stored numbers are list positions; one outside a list leaves it without a current
    // item (and save() then stores 0). A stored two-sided feeder that the scanner in use
    // lacks shows as its one-sided feeder.
    void load() override;
    void save() override;
    // Shows the defaults (flatbed, one image, contrast on, preview off) without storing them.
    void byDefault();

private:
    QComboBox *m_paperSource;
    QComboBox *m_acquire;
    QCheckBox *m_autoContrast;
    QCheckBox *m_preview;
    QCheckBox *m_orientation;
    QCheckBox *m_skipBlank;
};
