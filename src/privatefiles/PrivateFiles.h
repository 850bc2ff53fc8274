#pragma once

// Files with mail or secrets are readable by their owner alone (folders 0700,
// files 0600), whatever the umask, and ones an older version left readable to
// others are narrowed the next time they are opened.

#include <QString>

class QFile;

namespace privatefiles {

// Drops the group and other permission bits of `path` (never following a
// symbolic link), if it is a regular file or folder of this user's. False only
// when it exists, is this user's and stays readable to others.
bool narrow(const QString& path);

// Creates the folder `path` and any missing folder above it with mode 0700.
// Folders that were there are left as they are: one the user names may be
// shared on purpose (narrow() what is known to be the program's own).
bool makeFolder(const QString& path);

// Narrows `folder` and everything below it (a profile folder at start-up).
void narrowTree(const QString& folder);

// To be called before SQLite opens the database `path`: creates it empty with
// mode 0600 when `create` and it is missing, and narrows it and the journals
// SQLite may have left beside it. SQLite gives the journals it creates later
// (-journal, -wal, -shm) the mode of the database file, so they follow.
// SQLite's special names (":memory:", "", "file:" URIs) are left to it.
void prepareDatabase(const QString& path, bool create);

// Opens `path` in `file` for appending, created with mode 0600 when missing
// and narrowed when it was there (a log of a mail session).
bool openForAppend(QFile& file, const QString& path);

// Writes `data` to `path` as a whole: a new file of mode 0600 beside it, flushed
// and renamed over it, so that a crash leaves the old file or the new one.
// The error text, or an empty string.
QString replaceFile(const QString& path, const QByteArray& data);

}  // namespace privatefiles
