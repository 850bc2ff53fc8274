#include "store/Fixture.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <cmath>
#include <map>

#include "messaging/Error.h"
#include "messaging/LocalTime.h"
#include "store/Backend.h"
#include "store/DurableFile.h"
#include "store/Profiles.h"
#include "store/Props.h"
#include "store/StoreObjects.h"
#include "store/Tables.h"

namespace store {

using mapi::VarType;

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

namespace {

class Writer {
  public:
    Writer(Db& db, QString file) : db_(db), file_(std::move(file)) {}
    void run(const QJsonObject& doc);

  private:
    [[noreturn]] void fail(const QString& place, const QString& problem) const {
        throw FixtureError(QStringLiteral("%1: %2: %3").arg(file_, place, problem).toStdString());
    }
    static QString at(const QString& place, const QString& key) {
        return place.isEmpty() ? key : place + QLatin1Char('.') + key;
    }
    static QString at(const QString& place, const QString& key, qsizetype i) {
        return QStringLiteral("%1[%2]").arg(at(place, key)).arg(i);
    }
    void keys(const QJsonObject& o, const QString& place,
              std::initializer_list<const char*> allowed) const;
    QJsonObject object(const QJsonValue& v, const QString& place) const;
    QJsonArray array(const QJsonObject& o, const char* key, const QString& place) const;

    SqlValue text(const QJsonObject& o, const char* key, const QString& place,
                  const QString& def = QString()) const;
    SqlValue integer(const QJsonObject& o, const char* key, const QString& place, std::int64_t min,
                     std::int64_t max, std::int64_t def = 0) const;
    SqlValue boolean(const QJsonObject& o, const char* key, const QString& place,
                     bool def = false) const;
    SqlValue date(const QJsonObject& o, const char* key, const QString& place) const;
    std::optional<std::int64_t> parseDate(const QString& s) const;

    // The id given (upper-cased), or nullopt for one generated from the row.
    std::optional<QString> explicitId(const QJsonObject& o, const QString& place);
    QString assignId(const std::optional<QString>& given, EntryKind kind, std::int64_t rid);

    void store(const QJsonObject& o, const QString& place);
    std::int64_t folder(const QJsonObject& o, const QString& place, std::int64_t store,
                        std::optional<std::int64_t> parent, std::map<QString, std::int64_t>& ids,
                        bool root);
    void message(const QJsonObject& o, const QString& place, std::int64_t folder);
    void fields(const QJsonObject& o, const QString& place, OwnerKind kind, std::int64_t owner);
    void addressList(const QJsonObject& o, const QString& place);
    void entry(const QJsonObject& o, const QString& place, std::int64_t list,
               std::optional<std::int64_t> parent);
    void profiles(const QJsonObject& doc);

    Db& db_;
    QString file_;
    QSet<QString> usedIds_;
    std::vector<std::pair<QString, std::int64_t>> stores_;  // id -> row, in order
    std::vector<std::pair<QString, std::int64_t>> lists_;   // name -> row, in order
};

void Writer::keys(const QJsonObject& o, const QString& place,
                  std::initializer_list<const char*> allowed) const {
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key().startsWith(QLatin1Char('_'))) continue;
        bool ok = false;
        for (const char* a : allowed) ok = ok || it.key() == QLatin1String(a);
        if (!ok) fail(at(place, it.key()), QStringLiteral("unknown key"));
    }
}

QJsonObject Writer::object(const QJsonValue& v, const QString& place) const {
    if (!v.isObject()) fail(place, QStringLiteral("expected an object"));
    return v.toObject();
}

QJsonArray Writer::array(const QJsonObject& o, const char* key, const QString& place) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return {};
    if (!v.isArray()) fail(at(place, QLatin1String(key)), QStringLiteral("expected an array"));
    return v.toArray();
}

SqlValue Writer::text(const QJsonObject& o, const char* key, const QString& place,
                      const QString& def) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return def;
    if (v.isNull()) return SqlValue();
    if (!v.isString()) fail(at(place, QLatin1String(key)), QStringLiteral("expected a string"));
    return v.toString();
}

SqlValue Writer::integer(const QJsonObject& o, const char* key, const QString& place,
                         std::int64_t min, std::int64_t max, std::int64_t def) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return def;
    if (v.isNull()) return SqlValue();
    const double d = v.toDouble();
    if (!v.isDouble() || d != std::floor(d))
        fail(at(place, QLatin1String(key)), QStringLiteral("expected a whole number"));
    if (d < static_cast<double>(min) || d > static_cast<double>(max))
        fail(at(place, QLatin1String(key)),
             QStringLiteral("must be between %1 and %2").arg(min).arg(max));
    return static_cast<std::int64_t>(d);
}

SqlValue Writer::boolean(const QJsonObject& o, const char* key, const QString& place,
                         bool def) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return std::int64_t{def ? 1 : 0};
    if (v.isNull()) return SqlValue();
    if (!v.isBool()) fail(at(place, QLatin1String(key)), QStringLiteral("expected true or false"));
    return std::int64_t{v.toBool() ? 1 : 0};
}

std::optional<std::int64_t> Writer::parseDate(const QString& s) const {
    // The plain form needs no QDateTime, whose every local-time construction
    // asks the zone again: a big fixture would spend most of its time there.
    if (s.size() == 19 && s[10] == QLatin1Char('T')) {
        const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
        const QTime t = QTime::fromString(s.mid(11), Qt::ISODate);
        if (d.isValid() && t.isValid() && !mapi::localDayMayShift(d)) return secondsOf(d, t);
    }
    QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(s, Qt::ISODate);
        if (!d.isValid()) return std::nullopt;
        dt = QDateTime(d, QTime(0, 0));
    }
    // Local wall-clock time as written; any zone suffix is not converted.
    return secondsOf(QDateTime(dt.date(), dt.time()));
}

SqlValue Writer::date(const QJsonObject& o, const char* key, const QString& place) const {
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined()) return std::int64_t{0};
    if (v.isNull()) return SqlValue();
    const auto s = v.isString() ? parseDate(v.toString()) : std::nullopt;
    if (!s)
        fail(at(place, QLatin1String(key)),
             QStringLiteral("expected an ISO 8601 date and time such as \"1999-03-01T09:30:00\""));
    return *s;
}

std::optional<QString> Writer::explicitId(const QJsonObject& o, const QString& place) {
    const QJsonValue v = o.value(QLatin1String("id"));
    if (v.isUndefined()) return std::nullopt;
    if (!v.isString() || !isHexId(v.toString()))
        fail(at(place, QStringLiteral("id")), QStringLiteral("expected a hexadecimal string"));
    const QString id = v.toString().toUpper();
    if (usedIds_.contains(id))
        fail(at(place, QStringLiteral("id")), QStringLiteral("duplicate id \"%1\"").arg(id));
    usedIds_.insert(id);
    return id;
}

QString Writer::assignId(const std::optional<QString>& given, EntryKind kind, std::int64_t rid) {
    // Against every id of the fixture, not only those of the row's table.
    const QString id =
        given ? *given
              : freeEntryId(kind, rid, [&](const QString& e) { return usedIds_.contains(e); });
    usedIds_.insert(id);
    setEntryId(db_, kind, rid, id);
    return id;
}

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

void Writer::fields(const QJsonObject& o, const QString& place, OwnerKind kind,
                    std::int64_t owner) {
    const QJsonArray all = array(o, "fields", place);
    QSet<std::uint32_t> tags;
    QSet<QString> names;
    std::uint32_t nextNamed = 0x8000;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QString p = at(place, QStringLiteral("fields"), i);
        const QJsonObject f = object(all[i], p);
        keys(f, p, {"id", "name", "type", "value", "error"});
        if (f.contains(QLatin1String("value")) && f.contains(QLatin1String("error")))
            fail(p, QStringLiteral("give either \"value\" or \"error\", not both"));
        const QJsonValue value = f.value(QLatin1String("value"));
        const QJsonValue error = f.value(QLatin1String("error"));

        // Type: given, or from the value.
        VarType vt = VarType::String;
        if (f.contains(QLatin1String("type"))) {
            const auto t = std::get<std::int64_t>(integer(f, "type", p, 0, 65535));
            switch (t) {
                case 0:
                case 1:
                case 2:
                case 3:
                case 4:
                case 5:
                case 6:
                case 7:
                case 8:
                case 10:
                case 11:
                case 65:
                    vt = static_cast<VarType>(t);
                    break;
                default:
                    fail(at(p, QStringLiteral("type")),
                         QStringLiteral("unsupported type %1 (use 0-8, 10, 11 or 65)").arg(t));
            }
        } else if (f.contains(QLatin1String("error"))) {
            vt = VarType::Error;
        } else if (value.isBool()) {
            vt = VarType::Boolean;
        } else if (value.isDouble()) {
            vt = value.toDouble() == std::floor(value.toDouble()) ? VarType::Long : VarType::Double;
        }
        if (vt == VarType::Error && !f.contains(QLatin1String("error")))
            fail(p, QStringLiteral("a field of type 10 needs \"error\""));
        if (vt != VarType::Error && f.contains(QLatin1String("error")))
            fail(at(p, QStringLiteral("error")),
                 QStringLiteral("only a field of type 10 has an error"));

        // Name and tag.
        const SqlValue nameValue = text(f, "name", p);
        const QString name =
            std::holds_alternative<QString>(nameValue) ? std::get<QString>(nameValue) : QString();
        std::uint32_t tag = 0;
        const QJsonValue id = f.value(QLatin1String("id"));
        if (id.isUndefined()) {
            if (name.isEmpty()) fail(p, QStringLiteral("a field needs an \"id\" or a \"name\""));
            tag = (nextNamed++ << 16) | propTypeOf(vt);
        } else if (id.isDouble() && id.toDouble() == std::floor(id.toDouble()) &&
                   id.toDouble() >= -2147483648.0 && id.toDouble() <= 4294967295.0) {
            tag = static_cast<std::uint32_t>(static_cast<std::int64_t>(id.toDouble()));
        } else if (id.isString()) {
            try {
                const FieldKey key = parseFieldKey(mapi::Variant(id.toString()));
                if (!key.tag) throw mapi::makeError(mapi::code::InvalidParameter);
                tag = *key.tag;
            } catch (const mapi::Error&) {
                fail(at(p, QStringLiteral("id")), QStringLiteral("expected a property tag"));
            }
        } else {
            fail(at(p, QStringLiteral("id")), QStringLiteral("expected a property tag"));
        }
        if ((tag >> 16) >= nextNamed && (tag & 0x80000000u)) nextNamed = (tag >> 16) + 1;
        if (tags.contains(tag))
            fail(at(p, QStringLiteral("id")),
                 QStringLiteral("duplicate field id %1").arg(static_cast<std::int32_t>(tag)));
        tags.insert(tag);
        if (!name.isEmpty()) {
            if (names.contains(name.toLower()))
                fail(at(p, QStringLiteral("name")), QStringLiteral("duplicate field name"));
            names.insert(name.toLower());
        }

        // Value.
        SqlValue stored;
        const QString vp = at(p, QStringLiteral("value"));
        auto bad = [&](const QString& what) { fail(vp, what); };
        if (vt == VarType::Error) {
            const QJsonValue e = error;
            std::int64_t code = 0;
            if (e.isDouble() && e.toDouble() == std::floor(e.toDouble()) &&
                e.toDouble() >= -2147483648.0 && e.toDouble() <= 4294967295.0) {
                code = static_cast<std::int32_t>(
                    static_cast<std::uint32_t>(static_cast<std::int64_t>(e.toDouble())));
            } else if (e.isString()) {
                bool ok = false;
                QString s = e.toString();
                if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) s = s.mid(2);
                const qulonglong n = s.toULongLong(&ok, 16);
                if (!ok || n > 0xFFFFFFFFull)
                    fail(at(p, QStringLiteral("error")), QStringLiteral("expected an error code"));
                code = static_cast<std::int32_t>(static_cast<std::uint32_t>(n));
            } else {
                fail(at(p, QStringLiteral("error")), QStringLiteral("expected an error code"));
            }
            stored = code;
        } else if (value.isNull()) {
            stored = SqlValue();
        } else if (vt == VarType::Empty || vt == VarType::Null) {
            if (!value.isUndefined()) bad(QStringLiteral("a field of type 0 or 1 has no value"));
            stored = std::int64_t{0};
        } else {
            const bool missing = value.isUndefined();
            switch (vt) {
                case VarType::Integer:
                case VarType::Long: {
                    const std::int64_t lo = vt == VarType::Integer ? -32768 : INT32_MIN;
                    const std::int64_t hi = vt == VarType::Integer ? 32767 : INT32_MAX;
                    stored = integer(f, "value", p, lo, hi);
                    break;
                }
                case VarType::Single:
                case VarType::Double:
                    if (!missing && !value.isDouble()) bad(QStringLiteral("expected a number"));
                    stored = missing ? 0.0 : value.toDouble();
                    break;
                case VarType::Currency:
                    if (!missing && !value.isDouble()) bad(QStringLiteral("expected a number"));
                    stored = static_cast<std::int64_t>(
                        std::llround((missing ? 0.0 : value.toDouble()) * 10000.0));
                    break;
                case VarType::Date:
                    stored = date(f, "value", p);
                    break;
                case VarType::String:
                    stored = text(f, "value", p);
                    break;
                case VarType::Boolean:
                    stored = boolean(f, "value", p);
                    break;
                case VarType::Binary:
                    if (!missing && (!value.isString() ||
                                     (!value.toString().isEmpty() && !isHexId(value.toString())) ||
                                     value.toString().size() % 2))
                        bad(QStringLiteral("expected hexadecimal digits in pairs"));
                    stored = QByteArray::fromHex(value.toString().toLatin1());
                    break;
                default:
                    break;
            }
        }
        insertProp(db_, kind, owner, static_cast<std::int64_t>(tag), name, static_cast<int>(vt),
                   stored);
    }
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

}  // namespace

void writeFixture(const QJsonObject& doc, Db& db, const QString& file) {
    Db::Transaction tx(db);
    Writer(db, file).run(doc);
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
