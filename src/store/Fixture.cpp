#include "store/Fixture.h"

#include <QFile>
#include <QJsonDocument>

#include "store/Backend.h"
#include "store/DurableFile.h"
#include "store/FixtureWriter.h"
#include "store/Profiles.h"
#include "store/Props.h"

namespace store {

QJsonObject readFixtureFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw FixtureError(
            QStringLiteral("%1: cannot be read: %2").arg(path, f.errorString()).toStdString());
    const QByteArray bytes = f.readAll();
    QJsonParseError err{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError) {
        int line = 1, column = 1;
        for (int i = 0; i < err.offset && i < bytes.size(); ++i) {
            if (bytes[i] == '\n') {
                ++line;
                column = 1;
            } else {
                ++column;
            }
        }
        throw FixtureError(QStringLiteral("%1: line %2, column %3: %4")
                               .arg(path)
                               .arg(line)
                               .arg(column)
                               .arg(err.errorString())
                               .toStdString());
    }
    if (!doc.isObject())
        throw FixtureError(
            QStringLiteral("%1: top level: expected an object").arg(path).toStdString());
    return doc.object();
}

namespace fixture {

void Writer::run(const QJsonObject& doc) {
    keys(doc, QString(), {"profiles", "stores", "addressLists"});
    const QJsonArray stores = array(doc, "stores", QString());
    for (qsizetype i = 0; i < stores.size(); ++i) {
        const QString place = at(QString(), QStringLiteral("stores"), i);
        store(object(stores[i], place), place);
    }
    const QJsonArray lists = array(doc, "addressLists", QString());
    for (qsizetype i = 0; i < lists.size(); ++i) {
        const QString place = at(QString(), QStringLiteral("addressLists"), i);
        addressList(object(lists[i], place), place);
    }
    profiles(doc);
}

void Writer::store(const QJsonObject& o, const QString& place) {
    keys(o, place, {"id", "name", "outbox", "root", "folders"});
    const auto id = explicitId(o, place);
    const std::int64_t rid =
        insertStore(db_, QStringLiteral("pending:%1").arg(stores_.size()), text(o, "name", place));
    stores_.emplace_back(assignId(id, EntryKind::Store, rid), rid);

    std::map<QString, std::int64_t> folderIds;
    QJsonObject root;
    const QString rootPlace = at(place, QStringLiteral("root"));
    if (o.contains(QLatin1String("root"))) root = object(o.value(QLatin1String("root")), rootPlace);
    if (root.contains(QLatin1String("folders")) || root.contains(QLatin1String("messages")))
        fail(rootPlace, QStringLiteral("put the top-level folders in the store's \"folders\""));
    QJsonObject rootWithFolders = root;
    rootWithFolders.insert(QStringLiteral("folders"), o.value(QLatin1String("folders")));
    if (o.contains(QLatin1String("folders")) && !o.value(QLatin1String("folders")).isArray())
        fail(at(place, QStringLiteral("folders")), QStringLiteral("expected an array"));
    const std::int64_t rootRow =
        folder(rootWithFolders, rootPlace, rid, std::nullopt, folderIds, true);
    setStoreRoot(db_, rid, rootRow);

    const QJsonValue outbox = o.value(QLatin1String("outbox"));
    if (!outbox.isUndefined() && !outbox.isNull()) {
        const QString key = outbox.toString().toUpper();
        auto it = folderIds.find(key);
        if (!outbox.isString() || it == folderIds.end())
            fail(at(place, QStringLiteral("outbox")),
                 QStringLiteral("no folder with this id in the store"));
        setStoreOutbox(db_, rid, it->second);
    }
}

std::int64_t Writer::folder(const QJsonObject& o, const QString& place, std::int64_t store,
                            std::optional<std::int64_t> parent,
                            std::map<QString, std::int64_t>& ids, bool root) {
    if (root)
        keys(o, place, {"id", "name", "folders"});
    else
        keys(o, place, {"id", "name", "folders", "messages"});
    const auto id = explicitId(o, place);
    const std::int64_t rid =
        insertFolder(db_, store, parent ? SqlValue(*parent) : SqlValue(), text(o, "name", place));
    ids[assignId(id, EntryKind::Folder, rid)] = rid;
    const QString subPlace = root ? place.left(place.lastIndexOf(QLatin1Char('.'))) : place;
    const QJsonArray subs = array(o, "folders", subPlace);
    for (qsizetype i = 0; i < subs.size(); ++i) {
        const QString p = at(subPlace, QStringLiteral("folders"), i);
        folder(object(subs[i], p), p, store, rid, ids, false);
    }
    const QJsonArray msgs = array(o, "messages", place);
    for (qsizetype i = 0; i < msgs.size(); ++i) {
        const QString p = at(place, QStringLiteral("messages"), i);
        message(object(msgs[i], p), p, rid);
    }
    return rid;
}

void Writer::message(const QJsonObject& o, const QString& place, std::int64_t folder) {
    keys(o, place,
         {"id", "subject", "text", "importance", "sender", "size", "timeReceived", "timeSent",
          "type", "unread", "sent", "conversationIndex", "conversationTopic", "recipients",
          "attachments", "fields", "deliveryReceipt", "readReceipt"});
    const auto id = explicitId(o, place);

    std::int64_t hasSender = 1;
    SqlValue senderName = QString(), senderAddress = QString();
    const QJsonValue sender = o.value(QLatin1String("sender"));
    if (sender.isNull()) {
        hasSender = 0;
        senderName = senderAddress = SqlValue();
    } else if (!sender.isUndefined()) {
        const QString sp = at(place, QStringLiteral("sender"));
        const QJsonObject so = object(sender, sp);
        keys(so, sp, {"name", "address"});
        senderName = text(so, "name", sp);
        senderAddress = text(so, "address", sp);
    }
    SqlValue convIndex = QByteArray();
    const QJsonValue ci = o.value(QLatin1String("conversationIndex"));
    if (ci.isNull()) {
        convIndex = SqlValue();
    } else if (!ci.isUndefined()) {
        if (!ci.isString() || (!ci.toString().isEmpty() && !isHexId(ci.toString())) ||
            ci.toString().size() % 2 != 0)
            fail(at(place, QStringLiteral("conversationIndex")),
                 QStringLiteral("expected hexadecimal digits in pairs"));
        convIndex = QByteArray::fromHex(ci.toString().toLatin1());
    }

    const std::int64_t rid =
        insertMessage(db_, {{"eid", QStringLiteral("pending")},
                            {"folder", folder},
                            {"importance", integer(o, "importance", place, 0, 2)},
                            {"type", text(o, "type", place)},
                            {"subject", text(o, "subject", place)},
                            {"time_sent", date(o, "timeSent", place)},
                            {"conv_topic", text(o, "conversationTopic", place)},
                            {"conv_index", convIndex},
                            {"sender_name", senderName},
                            {"time_received", date(o, "timeReceived", place)},
                            {"size", integer(o, "size", place, 0, INT32_MAX)},
                            {"body", text(o, "text", place)},
                            {"has_sender", hasSender},
                            {"sender_address", senderAddress},
                            {"unread", boolean(o, "unread", place)},
                            {"sent", boolean(o, "sent", place)},
                            {"delivery_receipt", boolean(o, "deliveryReceipt", place)},
                            {"read_receipt", boolean(o, "readReceipt", place)}});
    assignId(id, EntryKind::Message, rid);

    const QJsonArray recips = array(o, "recipients", place);
    for (qsizetype i = 0; i < recips.size(); ++i) {
        const QString p = at(place, QStringLiteral("recipients"), i);
        const QJsonObject r = object(recips[i], p);
        keys(r, p, {"name", "address", "type", "displayType", "addressType"});
        // Read in order, so that the first bad key is the one reported.
        const SqlValue name = text(r, "name", p);
        const SqlValue address = text(r, "address", p);
        const SqlValue type = integer(r, "type", p, INT32_MIN, INT32_MAX, 1);
        const SqlValue displayType = integer(r, "displayType", p, INT32_MIN, INT32_MAX);
        insertRecipient(db_, rid, name, address, type, displayType,
                        text(r, "addressType", p, QStringLiteral("SMTP")));
    }
    const QJsonArray atts = array(o, "attachments", place);
    for (qsizetype i = 0; i < atts.size(); ++i) {
        const QString p = at(place, QStringLiteral("attachments"), i);
        const QJsonObject a = object(atts[i], p);
        keys(a, p, {"name", "text", "base64", "type", "position"});
        SqlValue data = QByteArray();
        if (a.contains(QLatin1String("text")) && a.contains(QLatin1String("base64")))
            fail(p, QStringLiteral("give either \"text\" or \"base64\", not both"));
        if (a.contains(QLatin1String("text"))) {
            const SqlValue t = text(a, "text", p);
            data = std::holds_alternative<QString>(t) ? SqlValue(std::get<QString>(t).toUtf8())
                                                      : SqlValue();
        } else if (a.contains(QLatin1String("base64"))) {
            const SqlValue t = text(a, "base64", p);
            if (std::holds_alternative<QString>(t)) {
                auto decoded = QByteArray::fromBase64Encoding(
                    std::get<QString>(t).toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
                if (!decoded)
                    fail(at(p, QStringLiteral("base64")), QStringLiteral("not valid base64"));
                data = *decoded;
            } else {
                data = SqlValue();
            }
        }
        const SqlValue name = text(a, "name", p);
        const SqlValue type = integer(a, "type", p, INT32_MIN, INT32_MAX, 1);
        insertAttachment(db_, rid, name, type, integer(a, "position", p, INT32_MIN, INT32_MAX, i),
                         data);
    }
    fields(o, place, OwnerKind::Message, rid);
}

void Writer::addressList(const QJsonObject& o, const QString& place) {
    keys(o, place, {"id", "name", "readOnly", "entries"});
    const auto id = explicitId(o, place);
    const QJsonValue name = o.value(QLatin1String("name"));
    if (!name.isString() || name.toString().isEmpty())
        fail(at(place, QStringLiteral("name")), QStringLiteral("an address list needs a name"));
    for (const auto& [n, row] : lists_)
        if (n.compare(name.toString(), Qt::CaseInsensitive) == 0)
            fail(at(place, QStringLiteral("name")), QStringLiteral("duplicate address list name"));
    const std::int64_t rid = insertAddressList(db_, name.toString(), boolean(o, "readOnly", place));
    assignId(id, EntryKind::List, rid);
    lists_.emplace_back(name.toString(), rid);
    const QJsonArray entries = array(o, "entries", place);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const QString p = at(place, QStringLiteral("entries"), i);
        entry(object(entries[i], p), p, rid, std::nullopt);
    }
}

void Writer::entry(const QJsonObject& o, const QString& place, std::int64_t list,
                   std::optional<std::int64_t> parent) {
    keys(o, place,
         {"id", "name", "address", "type", "alias", "displayType", "comment", "fields", "members",
          "sendRichInfo"});
    const auto id = explicitId(o, place);
    const std::int64_t rid =
        insertEntry(db_, {{"eid", QStringLiteral("pending")},
                          {"list", list},
                          {"parent", parent ? SqlValue(*parent) : SqlValue()},
                          {"name", text(o, "name", place)},
                          {"type", text(o, "type", place)},
                          {"address", text(o, "address", place)},
                          {"comment", text(o, "comment", place)},
                          {"display_type", integer(o, "displayType", place, INT32_MIN, INT32_MAX)},
                          {"alias", text(o, "alias", place)},
                          {"send_rich_info", boolean(o, "sendRichInfo", place)}});
    assignId(id, EntryKind::Entry, rid);
    fields(o, place, OwnerKind::Entry, rid);
    const QJsonArray members = array(o, "members", place);
    for (qsizetype i = 0; i < members.size(); ++i) {
        const QString p = at(place, QStringLiteral("members"), i);
        entry(object(members[i], p), p, list, rid);
    }
}

void Writer::profiles(const QJsonObject& doc) {
    QJsonArray all;
    if (doc.contains(QLatin1String("profiles"))) {
        all = array(doc, "profiles", QString());
    } else {
        // No profiles given: one default profile over everything.
        all.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("Default")},
                               {QStringLiteral("default"), true}});
    }
    QStringList names;
    bool haveDefault = false;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QString place = at(QString(), QStringLiteral("profiles"), i);
        const QJsonObject p = object(all[i], place);
        keys(p, place,
             {"name", "password", "default", "server", "mailbox", "stores", "addressLists"});
        const QJsonValue name = p.value(QLatin1String("name"));
        if (!name.isString() || name.toString().isEmpty())
            fail(at(place, QStringLiteral("name")), QStringLiteral("a profile needs a name"));
        for (const QString& n : names)
            if (n.compare(name.toString(), Qt::CaseInsensitive) == 0)
                fail(at(place, QStringLiteral("name")), QStringLiteral("duplicate profile name"));
        names << name.toString();
        auto plain = [&](const char* key) {
            const SqlValue v = text(p, key, place);
            if (!std::holds_alternative<QString>(v))
                fail(at(place, QLatin1String(key)), QStringLiteral("expected a string"));
            return std::get<QString>(v);
        };
        const bool isDefault = std::get<std::int64_t>([&] {
                                   const SqlValue v = boolean(p, "default", place);
                                   if (std::holds_alternative<std::monostate>(v))
                                       fail(at(place, QStringLiteral("default")),
                                            QStringLiteral("expected true or false"));
                                   return v;
                               }()) != 0;
        if (isDefault && haveDefault)
            fail(at(place, QStringLiteral("default")),
                 QStringLiteral("more than one default profile"));
        haveDefault = haveDefault || isDefault;
        const std::int64_t rid =
            insertProfile(db_, {{"name", name.toString()},
                                {"password", hashPassword(plain("password"))},
                                {"is_default", std::int64_t{isDefault ? 1 : 0}},
                                {"server", plain("server")},
                                {"mailbox", plain("mailbox")}});

        std::vector<std::int64_t> storeRows;
        if (p.contains(QLatin1String("stores"))) {
            const QJsonArray ids = array(p, "stores", place);
            for (qsizetype k = 0; k < ids.size(); ++k) {
                const QString sp = at(place, QStringLiteral("stores"), k);
                const QString want = ids[k].toString().toUpper();
                std::optional<std::int64_t> row;
                for (const auto& [sid, srow] : stores_)
                    if (sid == want) row = srow;
                if (!ids[k].isString() || !row) fail(sp, QStringLiteral("no store with this id"));
                storeRows.push_back(*row);
            }
        } else {
            for (const auto& [sid, srow] : stores_) storeRows.push_back(srow);
        }
        for (std::int64_t s : storeRows) addProfileStore(db_, rid, s);

        std::vector<std::int64_t> listRows;
        if (p.contains(QLatin1String("addressLists"))) {
            const QJsonArray wanted = array(p, "addressLists", place);
            for (qsizetype k = 0; k < wanted.size(); ++k) {
                const QString lp = at(place, QStringLiteral("addressLists"), k);
                std::optional<std::int64_t> row;
                for (const auto& [lname, lrow] : lists_)
                    if (wanted[k].isString() && lname == wanted[k].toString()) row = lrow;
                if (!row) fail(lp, QStringLiteral("no address list with this name"));
                listRows.push_back(*row);
            }
        } else {
            for (const auto& [lname, lrow] : lists_) listRows.push_back(lrow);
        }
        for (std::int64_t l : listRows) addProfileList(db_, rid, l);
    }
}

}  // namespace fixture

void writeFixture(const QJsonObject& doc, Db& db, const QString& file) {
    Db::Transaction tx(db);
    fixture::Writer(db, file).run(doc);
    tx.commit();
}

void buildStoreFile(const QJsonObject& doc, const QString& dbPath, const QString& file) {
    if (QFile::exists(dbPath))
        throw FixtureError(QStringLiteral("%1: already exists").arg(dbPath).toStdString());
    // Built under another name and given its own only when complete: a program
    // killed part-way must not leave an empty store that later opens as if it
    // were the whole mailbox. A part left by such a kill is started over.
    const QString part = dbPath + QStringLiteral(".part");
    removeStoreFiles(part);
    try {
        {
            std::shared_ptr<Db> db = Db::open(part, true);
            writeFixture(doc, *db, file);
        }
        if (!commitFile(part, dbPath))
            throw FixtureError(QStringLiteral("%1: cannot be written").arg(dbPath).toStdString());
    } catch (...) {
        removeStoreFiles(part);
        throw;
    }
}

}  // namespace store
