#pragma once

#include <QString>

// One scanner a library can reach: the library's own device name, which is what the
// settings remember, and a label for people.
struct ScannerSource
{
    QString name;
    QString label;
};
