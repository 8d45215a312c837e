#pragma once

#include <QString>

// Deletes folder with everything in it, hidden entries included, making read-only entries
// writable first. Returns false when the folder itself could not be removed (a folder that
// does not exist counts as removed). Any thread.
bool removeFolderRecursively(const QString &folder);
