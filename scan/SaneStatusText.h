#pragma once

#include <QString>

// The one place that turns a SANE status (a SANE_Status value) into what we tell the user.
// Used for the library's error text and in diagnostics. Any thread.
QString saneStatusText(int status);
