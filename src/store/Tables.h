#pragma once

// The one owner of the store file's tables: every table and index it has, the
// entry identifiers the rows carry, and every statement that writes a row.
// The fixture reader, the object model and the importer write through these
// and nothing else, so a store written by any of them reads the same to all.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "store/Database.h"

namespace store {

// Owner kinds of the custom-property table.
enum class OwnerKind : int { Message = 1, Entry = 2 };

// The kinds of entry identifier, one per table that has them; the number is
// part of every identifier written, so it never changes.
enum class EntryKind : int { Store = 1, Folder = 2, Message = 3, List = 4, Entry = 5 };

// The identifier of row `rid` of `kind`, stepping past those `taken` says are
// in use (an identifier a fixture chose may be one a row would be given).
QString freeEntryId(EntryKind kind, std::int64_t rid,
                    const std::function<bool(const QString&)>& taken);
// Whether a row of `kind`'s table already carries `eid`.
bool entryIdTaken(Db& db, EntryKind kind, const QString& eid);
// Gives row `rid` of `kind`'s table its identifier.
void setEntryId(Db& db, EntryKind kind, std::int64_t rid, const QString& eid);
// Gives row `rid` the first identifier no other row of its table has.
QString assignEntryId(Db& db, EntryKind kind, std::int64_t rid);

// Column name and value, in the order they are written.
using Columns = std::vector<std::pair<const char*, SqlValue>>;

// The tables the importer adds. Kept beside the messages rather than in them
// so stores written before imports existed open unchanged; a transaction must
// be open.
void ensureImportTables(Db& db);
// The tables of a new store file.
void createStoreTables(Db& db);
// The accounts table, which store files written before accounts existed lack
// until their first account is added.
bool hasAccountTable(Db& db);
bool hasTable(Db& db, const char* table);
// Whether `table` has the column: files written before it existed lack it.
bool hasColumn(Db& db, const char* table, const char* name);
void ensureAccountTable(Db& db);

// Profiles.
std::int64_t insertProfile(Db& db, const Columns& columns);
void addProfileStore(Db& db, std::int64_t profile, std::int64_t store);
void addProfileList(Db& db, std::int64_t profile, std::int64_t list);
// The profile "Default", made the default, with every store and address list.
void insertDefaultProfile(Db& db);
// Drops the profile and its links to stores and address lists (not these).
void deleteProfile(Db& db, std::int64_t rid);
// Makes the profile the only default one.
void markDefaultProfile(Db& db, std::int64_t rid);
void renameProfileRow(Db& db, std::int64_t rid, const QString& name);

// Accounts of profiles (the table must exist: ensureAccountTable).
// moveAccount gives row `from` the row id `to`, replacing the row there.
std::int64_t insertAccount(Db& db, const Columns& columns);
void moveAccount(Db& db, std::int64_t from, std::int64_t to);
void deleteAccount(Db& db, std::int64_t rid);
void clearAccountPassword(Db& db, std::int64_t rid);
// False when the row is gone.
bool setAccountFingerprint(Db& db, std::int64_t rid, const QString& fingerprint);

// Stores and folders. A new row carries `eid` until assignEntryId or
// setEntryId gives it its own.
std::int64_t insertStore(Db& db, const QString& eid, const SqlValue& name);
void setStoreRoot(Db& db, std::int64_t store, std::int64_t root);
void setStoreOutbox(Db& db, std::int64_t store, std::int64_t outbox);
std::int64_t insertFolder(Db& db, std::int64_t store, const SqlValue& parent, const SqlValue& name);
// Drops the store with its folders, messages (their recipients, attachments,
// custom properties and import records) and every profile's link to it.
void deleteStore(Db& db, std::int64_t store);

// Drops the folder, its subfolders and every message they hold.
void deleteFolderTree(Db& db, std::int64_t folder);

// Messages. updateMessage and deleteMessage are false when the row is gone.
// copyMessage makes a new row in `folder` with everything message `rid` has
// (recipients, attachments, custom properties, source) and its own entry ID.
std::int64_t copyMessage(Db& db, std::int64_t rid, std::int64_t folder);
std::int64_t insertMessage(Db& db, const Columns& columns);
bool updateMessage(Db& db, std::int64_t rid, const Columns& columns);
bool deleteMessage(Db& db, std::int64_t rid);
void insertRecipient(Db& db, std::int64_t message, const SqlValue& name, const SqlValue& address,
                     const SqlValue& type, const SqlValue& displayType,
                     const SqlValue& addressType);
void deleteRecipients(Db& db, std::int64_t message);
// An attachment with its data, or (insertAttachmentSpace) with room for
// `size` bytes written afterwards a piece at a time (no data when negative).
std::int64_t insertAttachment(Db& db, std::int64_t message, const SqlValue& name,
                              const SqlValue& type, const SqlValue& position, const SqlValue& data);
std::int64_t insertAttachmentSpace(Db& db, std::int64_t message, const SqlValue& name,
                                   const SqlValue& type, const SqlValue& position,
                                   std::int64_t size);
// Drops the message's attachments older than row `before`.
void deleteAttachmentsBefore(Db& db, std::int64_t message, std::int64_t before);

// Whether `folder` holds a message imported from the same bytes (`hash`) and
// Message-ID; and the record of where an imported message came from.
bool importedInFolder(Db& db, const QByteArray& hash, std::int64_t folder,
                      const SqlValue& messageId);
void insertMessageSource(Db& db, std::int64_t message, const SqlValue& messageId,
                         const QByteArray& hash, const QByteArray& raw);

// Custom properties.
void insertProp(Db& db, OwnerKind kind, std::int64_t owner, std::int64_t tag, const QString& name,
                int vtype, const SqlValue& value);
void deleteProps(Db& db, OwnerKind kind, std::int64_t owner);

// Address lists and their entries. deleteEntry drops the entry's members and
// the custom properties of both; false when the row is gone.
std::int64_t insertAddressList(Db& db, const QString& name, const SqlValue& readOnly);
std::int64_t insertEntry(Db& db, const Columns& columns);
bool updateEntry(Db& db, std::int64_t rid, const Columns& columns);
bool deleteEntry(Db& db, std::int64_t rid);

}  // namespace store
