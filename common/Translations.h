#pragma once

#include <QLocale>

// Installs the English plural forms, then the program's and Qt's own texts in the locale's
// language (from "locale" beside the executable, the installed folder, or the resources that
// every program of ours links). Returns whether the program's texts in that language were
// found; English needs none. GUI thread, before the first widget is built.
bool installTranslators(const QLocale &locale);
