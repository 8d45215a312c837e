#pragma once

#include <QString>

// The program's own folder for temporary files, one per user; created on demand.
QString applicationTempFolder();

// Deletes stale "Temp*" files with names longer than 32 characters, left behind in the
// program's own temporary folder by an earlier run. Failures are ignored.
void removeStaleTempFiles();

// Deletes every file and sub-folder inside folder, making read-only entries writable first;
// the folder itself stays. Returns false when anything could not be removed.
bool removeFolderContents(const QString &folder);
