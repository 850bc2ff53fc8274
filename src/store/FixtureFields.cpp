#include <cmath>

#include "messaging/Error.h"
#include "store/FixtureWriter.h"
#include "store/PropertyBag.h"
#include "store/Props.h"

// The custom fields of a fixture's messages and address entries.

namespace store::fixture {

using mapi::VarType;

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

}  // namespace store::fixture
