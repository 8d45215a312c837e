#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The recognition languages installed on this machine: one ".traineddata" file each in the
// data folder ($TESSDATA_PREFIX, else the Debian folder). A choice is written as the engine
// takes it, "eng+rus": the first language leads, so the order is kept as given.
// Any thread.
class OcrLanguages
{
    Q_DECLARE_TR_FUNCTIONS(OcrLanguages)

public:
    static QString dataFolder();
    // Sorted; without the data that are no language ("osd", "equ").
    static QStringList installed();
    // The languages of choice whose data file is not installed, in the order given.
    static QStringList missing(const QString &choice);
    // The choices the dialog offers: every installed language alone, and English first
    // with each other one (text in two languages is mostly English with the other).
    static QStringList offered();
    // "English + Russian" for "eng+rus"; unknown codes as they are.
    static QString displayName(const QString &choice);
};
