#pragma once

// Moving a finished file into place so that a crash or a power cut leaves
// either the old state or the whole new file, never a part of it.

#include <QString>

namespace store {

// Flushes `path` to disk, renames it to `target` (which must not exist) and
// flushes the folder so that the new name survives a power cut too. False, with
// `path` left where it was, when any step fails.
bool commitFile(const QString& path, const QString& target);

// Removes a store file and the rollback journal SQLite may have left next to it.
void removeStoreFiles(const QString& path);

}  // namespace store
