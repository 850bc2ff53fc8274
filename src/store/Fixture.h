#pragma once

// JSON fixtures: a whole mailbox (profiles, stores with their folders and
// messages, address lists) described in one file and written into a fresh
// store file. Keys starting with "_" are ignored (comments); any other unknown
// key, a wrong type or a broken reference refuses the fixture with a message
// "FILE: PLACE: PROBLEM".
//
// Beyond the documented keys a fixture may give: messages "deliveryReceipt"
// and "readReceipt" (booleans); recipients "addressType" (default "SMTP");
// attachments "type" (default 1) and "position" (default the index); entries
// "sendRichInfo" (boolean); address lists "id". Ids are hexadecimal text,
// unique across the fixture. Custom fields take "type" 0-8, 10, 11 or 65 (or
// infer it from the JSON value); dates are ISO 8601 text, binary values
// hexadecimal text, currency a number, and an Error field its code in
// "error" (a number or hexadecimal text such as "8004010F"). A field needs an
// "id" (a tag as a number or text) or a "name". Without "profiles" there is one
// profile "Default" over every store and address list.

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
