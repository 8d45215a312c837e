#pragma once

#include <QStringList>

// The scanner library the program talks to: SANE on a real system, a scripted fake in tests.
// GUI thread only. The window owns the library object for the whole run.
class ScannerLibrary
{
public:
    virtual ~ScannerLibrary() = default;

    // Names of every scanner source the library can reach, in the library's order.
    virtual QStringList sourceNames() = 0;
};
