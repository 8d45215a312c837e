#pragma once

#include "ImageFileWriter.h"

#include <QString>

// The program's own folder for temporary files, which only this user can have made:
// "quillary" in the per-user runtime folder, else "quillary-<uid>" in the system temporary
// folder, else a fresh private folder there. Created on demand with mode 0700; a folder of
// that name made by someone else, or open to others, is never used. Empty only when no
// folder can be made at all. Any thread.
QString applicationTempFolder();

// Makes path a folder that only this user can use: creates it with mode 0700, or accepts an
// existing real folder (not a link) owned by this user with no rights for group or others.
// Never loosens or takes over what is there. ok false with the reason otherwise.
WriteResult makePrivateFolder(const QString &path);

// The pattern for a QTemporaryDir of this run inside parent (empty: the program's temporary
// folder): "<parent>/<kind>-<pid>-XXXXXX", so that a later start can tell the folders a
// crashed run left behind from those of a run still going. Empty when there is no folder.
QString runFolderPattern(const QString &kind, const QString &parent = QString());

// Deletes the run folders of kind (see runFolderPattern) in parent whose process no longer
// exists. Other folders are never touched. Failures are ignored.
void removeStaleRunFolders(const QString &parent, const QString &kind);

// Deletes what earlier runs left in the program's own temporary folder: "Temp*" files with
// names longer than 32 characters, and the run folders (see runFolderPattern) of processes
// that no longer exist. Failures are ignored.
void removeStaleTempFiles();

// Deletes every file and sub-folder inside folder, making read-only entries writable first;
// the folder itself stays. Returns false when anything could not be removed.
bool removeFolderContents(const QString &folder);
