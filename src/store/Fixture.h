#pragma once

// JSON fixtures: a whole mailbox (profiles, stores with their folders and
// messages, address lists) described in one file and written into a fresh
// store file. Keys starting with "_" are ignored (comments); any other unknown
// key, a wrong type or a broken reference refuses the fixture with a message
// "FILE: PLACE: PROBLEM".

#include <QJsonObject>
#include <QString>

#include "store/Database.h"

namespace store {

// Parses the file; a missing file or bad JSON throws FixtureError.
QJsonObject readFixtureFile(const QString& path);

// Checks `doc` and writes it into the empty store `db` in one transaction.
// `file` names the fixture in error messages.
void writeFixture(const QJsonObject& doc, Db& db, const QString& file);

// Writes `doc` as a new store file at `dbPath`; on failure no file is left.
void buildStoreFile(const QJsonObject& doc, const QString& dbPath, const QString& file);

}  // namespace store
