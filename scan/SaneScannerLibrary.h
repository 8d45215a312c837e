#pragma once

#include "ScannerLibrary.h"

// Scanner access through SANE. GUI thread only.
class SaneScannerLibrary : public ScannerLibrary
{
public:
    SaneScannerLibrary();
    ~SaneScannerLibrary() override;

    QStringList sourceNames() override;

private:
    bool m_initialised = false;
};
