// Message filters on an IMAP folder, with the embedded store's meaning of every
// member, so the same mail gives the same messages on either store. Members that
// need the whole message (text, importance, class) fetch it only for messages
// the other members have not already ruled out.

#include <QtMath>
#include <cmath>

#include "imapstore/ImapObjects.h"
#include "messaging/Readings.h"
#include "messaging/VbConvert.h"

namespace imapstore {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

namespace {

const char* const kMembers[] = {"Subject",  "Text", "Sender", "Recipients", "Importance",
                                "Size",     "Sent", "Unread", "Type",       "TimeFirst",
                                "TimeLast", "Not",  "Or"};

QString canonical(const QString& member) {
    for (const char* m : kMembers)
        if (member.compare(QLatin1String(m), Qt::CaseInsensitive) == 0) return QLatin1String(m);
    mapi::raise(mapi::code::NoSupport);
}

[[noreturn]] void badValue() {
    mapi::raise(mapi::code::InvalidParameter);
}

double numberOf(const Variant& v) {
    // A date is no number to the filter, however it is stored.
    if (v.type() != VarType::Date)
        if (const auto n = mapi::numberValue(v)) return *n;
    if (v.type() == VarType::String) {
        try {
            return vb::toDouble(v.toText());
        } catch (const mapi::Error&) {
        }
    }
    badValue();
}

std::int32_t longOf(const Variant& v) {
    if (v.type() == VarType::String) {
        try {
            return vb::toLong(v.asString());
        } catch (const mapi::Error&) {
            badValue();
        }
    }
    return static_cast<std::int32_t>(std::llround(numberOf(v)));
}

bool boolOf(const Variant& v) {
    if (v.type() == VarType::Boolean) return v.asBoolean();
    if (v.type() == VarType::String) {
        try {
            return vb::toBoolean(v.asString());
        } catch (const mapi::Error&) {
            badValue();
        }
    }
    return numberOf(v) != 0;
}

QString textOf(const Variant& v) {
    if (v.isNull() || v.isEmpty()) badValue();
    try {
        return v.toText();
    } catch (const mapi::Error&) {
        badValue();
    }
}

qint64 secondsOf(mapi::Date d) {
    return std::llround(d.serial * 86400.0);
}

qint64 dateSeconds(const Variant& v, bool endOfDay) {
    mapi::Date d;
    if (v.type() == VarType::Date) {
        d = v.asDate();
    } else if (v.type() == VarType::String && vb::isDate(v.asString())) {
        try {
            d = vb::toDate(v.asString());
        } catch (const mapi::Error&) {
            badValue();
        }
    } else {
        badValue();
    }
    qint64 s = secondsOf(d);
    // "On or before" a day without a time covers that whole day.
    if (endOfDay && s % 86400 == 0) s += 86399;
    return s;
}

bool contains(const QString& haystack, const QString& needle) {
    return haystack.contains(needle, Qt::CaseInsensitive);
}

// Equality as the embedded store's filters use it: texts ignoring case,
// numbers by value, dates to the second.
bool looselyEqual(const Variant& stored, const Variant& wanted) {
    const VarType a = stored.type();
    const VarType b = wanted.type();
    if (a == VarType::Null || a == VarType::Empty || b == VarType::Null) return false;
    if (a == VarType::Binary || b == VarType::Binary)
        return a == b && stored.asBinary() == wanted.asBinary();
    try {
        if (a == VarType::String || b == VarType::String)
            return stored.toText().compare(wanted.toText(), Qt::CaseInsensitive) == 0;
        if (a == VarType::Date && b == VarType::Date)
            return secondsOf(stored.asDate()) == secondsOf(wanted.asDate());
        if (a == VarType::Boolean || b == VarType::Boolean)
            return (numberOf(stored) != 0) == (numberOf(wanted) != 0);
        return numberOf(stored) == numberOf(wanted);
    } catch (const mapi::Error&) {
        return false;
    }
}

// A needle the server can be asked for as a quoted string.
std::optional<QString> searchable(const Variant& v) {
    const QString t = textOf(v);
    if (t.contains(QLatin1Char('\r')) || t.contains(QLatin1Char('\n')) || t.contains(QChar(0)))
        return std::nullopt;
    return t;
}

QDate dayOf(qint64 serialSeconds) {
    const qint64 days =
        serialSeconds >= 0 ? serialSeconds / 86400 : -((-serialSeconds + 86399) / 86400);
    return QDate(1899, 12, 30).addDays(days);
}

}  // namespace

std::optional<imap::SearchCriteria> ImapFilter::serverCriteria() const {
    imap::SearchCriteria c;
    bool any = false;
    // Each member the server can narrow by; a value it cannot use is left to the
    // local pass, which reports it as the embedded store does.
    auto take = [&](const char* name, auto&& apply) {
        auto it = members_.find(QLatin1String(name));
        if (it == members_.end()) return;
        try {
            if (apply(it->second)) any = true;
        } catch (const mapi::Error&) {
        }
    };
    take("Subject", [&](const Variant& v) { return bool(c.subject = searchable(v)); });
    take("Text", [&](const Variant& v) { return bool(c.body = searchable(v)); });
    take("Sender", [&](const Variant& v) { return bool(c.sender = searchable(v)); });
    take("Recipients", [&](const Variant& v) { return bool(c.recipient = searchable(v)); });
    take("Size", [&](const Variant& v) {
        const std::int32_t least = longOf(v);
        if (least <= 0) return false;
        c.larger = quint32(least - 1);
        return true;
    });
    take("Unread", [&](const Variant& v) {
        c.seen = !boolOf(v);
        return true;
    });
    // SEARCH compares days of INTERNALDATE in a zone of the server's choosing: a
    // day's margin either side keeps every message the local times could pass.
    take("TimeFirst", [&](const Variant& v) {
        c.since = dayOf(dateSeconds(v, false)).addDays(-1);
        return true;
    });
    take("TimeLast", [&](const Variant& v) {
        c.before = dayOf(dateSeconds(v, true)).addDays(2);
        return true;
    });
    if (!any) return std::nullopt;
    return c;
}

void ImapFilter::Set(const QString& member, const Variant& value) {
    members_[canonical(member)] = value;
    ++changes_;
}

Variant ImapFilter::Get(const QString& member) {
    auto it = members_.find(canonical(member));
    return it == members_.end() ? Variant() : it->second;
}

Ref<mapi::Fields> ImapFilter::FieldsOf() {
    return Ref<mapi::Fields>(std::make_shared<ImapFields>(conds_));
}

bool ImapFilter::isEmpty() const {
    for (const auto& [name, value] : members_)
        if (name != QLatin1String("Not") && name != QLatin1String("Or")) return false;
    return conds_->slots().empty();
}

bool ImapFilter::matches(ImapMessage& m) const {
    auto member = [&](const char* name) -> const Variant* {
        auto it = members_.find(QLatin1String(name));
        return it == members_.end() ? nullptr : &it->second;
    };
    const MessageData& d = m.data();
    // Header members first: they need nothing from the server.
    if (const Variant* v = member("Subject"); v && !contains(d.subject, textOf(*v))) return false;
    if (const Variant* v = member("Sender")) {
        const QString t = textOf(*v);
        if (!d.hasSender || !(contains(d.senderName, t) || contains(d.senderAddress, t)))
            return false;
    }
    if (const Variant* v = member("Recipients")) {
        const QString t = textOf(*v);
        bool any = false;
        for (const mime::Recipient& r : d.recipients)
            any = any || contains(r.name, t) || contains(r.address, t);
        if (!any) return false;
    }
    if (const Variant* v = member("Size"); v && d.size < longOf(*v)) return false;
    // Mail on the server is kept as unsent, as the importer keeps it.
    if (const Variant* v = member("Sent"); v && boolOf(*v)) return false;
    if (const Variant* v = member("Unread"); v && d.unread != boolOf(*v)) return false;
    const bool hasReceived = d.received.has_value();
    const qint64 received =
        hasReceived ? secondsOf(mapi::Date::fromDateTime(d.received->toLocalTime())) : 0;
    if (const Variant* v = member("TimeFirst")) {
        const qint64 s = dateSeconds(*v, false);
        if (!hasReceived || received < s) return false;
    }
    if (const Variant* v = member("TimeLast")) {
        const qint64 s = dateSeconds(*v, true);
        if (!hasReceived || received > s) return false;
    }
    if (const Variant* v = member("Text"); v && !contains(m.full().body, textOf(*v))) return false;
    if (const Variant* v = member("Importance"); v && m.full().importance != longOf(*v))
        return false;
    if (const Variant* v = member("Type");
        v && m.full().messageClass.compare(textOf(*v), Qt::CaseInsensitive) != 0)
        return false;

    // Field conditions: joined by AND (or OR), then negated as a group by Not.
    if (conds_->slots().empty()) return true;
    bool useOr = false, negate = false;
    if (const Variant* v = member("Or")) useOr = boolOf(*v);
    if (const Variant* v = member("Not")) negate = boolOf(*v);
    const std::vector<FieldSlot> fields = m.fieldList();
    bool group = !useOr;
    for (const FieldSlot& c : conds_->slots()) {
        bool hit = false;
        for (const FieldSlot& f : fields) {
            const bool same = c.name.isEmpty() ? f.tag == c.tag
                                               : f.name.compare(c.name, Qt::CaseInsensitive) == 0;
            if (same && looselyEqual(f.value, c.value)) hit = true;
        }
        group = useOr ? (group || hit) : (group && hit);
    }
    return negate ? !group : group;
}

}  // namespace imapstore
