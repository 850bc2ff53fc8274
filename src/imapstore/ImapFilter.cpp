// Message filters on an IMAP folder. What each member and condition means is
// the model's (model/Filter.h), as on the embedded store; here the server
// narrows the folder with one SEARCH, and each candidate is checked locally.
// Members that need the whole message (text, importance, class, fields) fetch
// it only for messages the other members have not already ruled out.

#include "imapstore/ImapObjects.h"
#include "model/Values.h"

namespace imapstore {

using mapi::Variant;

namespace {

// A needle the server can be asked for as a quoted string.
std::optional<QString> searchable(const std::optional<QString>& t) {
    if (!t || t->contains(QLatin1Char('\r')) || t->contains(QLatin1Char('\n')) ||
        t->contains(QChar(0)))
        return std::nullopt;
    return t;
}

QDate dayOf(qint64 serialSeconds) {
    const qint64 days =
        serialSeconds >= 0 ? serialSeconds / 86400 : -((-serialSeconds + 86399) / 86400);
    return QDate(1899, 12, 30).addDays(days);
}

}  // namespace

std::optional<imap::SearchCriteria> serverCriteria(const model::FilterCriteria& c) {
    imap::SearchCriteria s;
    s.subject = searchable(c.subject);
    s.body = searchable(c.text);
    s.sender = searchable(c.sender);
    s.recipient = searchable(c.recipients);
    bool any = s.subject || s.body || s.sender || s.recipient;
    if (c.size && *c.size > 0) {
        s.larger = quint32(*c.size - 1);
        any = true;
    }
    if (c.unread) {
        s.seen = !*c.unread;
        any = true;
    }
    // SEARCH compares days of INTERNALDATE in a zone of the server's choosing: a
    // day's margin either side keeps every message the local times could pass.
    if (c.timeFirst) {
        s.since = dayOf(*c.timeFirst).addDays(-1);
        any = true;
    }
    if (c.timeLast) {
        s.before = dayOf(*c.timeLast).addDays(2);
        any = true;
    }
    if (!any) return std::nullopt;
    return s;
}

bool passes(const model::FilterCriteria& c, ImapMessage& m) {
    using model::containsText;
    const MessageData& d = m.data();
    // Header members first: they need nothing from the server.
    if (c.subject && !containsText(d.subject, *c.subject)) return false;
    if (c.sender && !(d.hasSender && (containsText(d.senderName, *c.sender) ||
                                      containsText(d.senderAddress, *c.sender))))
        return false;
    if (c.recipients) {
        bool any = false;
        for (const mime::Recipient& r : d.recipients)
            any = any || containsText(r.name, *c.recipients) ||
                  containsText(r.address, *c.recipients);
        if (!any) return false;
    }
    if (c.size && d.size < *c.size) return false;
    // Mail on the server is kept as unsent, as the importer keeps it.
    if (c.sent && *c.sent) return false;
    if (c.unread && d.unread != *c.unread) return false;
    if (c.timeFirst || c.timeLast) {
        if (!d.received) return false;
        const std::int64_t received = model::secondsOf(d.received->toLocalTime());
        if ((c.timeFirst && received < *c.timeFirst) || (c.timeLast && received > *c.timeLast))
            return false;
    }
    if (c.text && !containsText(m.full().body, *c.text)) return false;
    if (c.importance && m.full().importance != *c.importance) return false;
    if (c.type && !model::looselyEqual(Variant(m.full().messageClass), Variant(*c.type)))
        return false;
    if (c.conditions.empty()) return true;
    const std::vector<FieldSlot> fields = m.fieldList();
    return *model::joinConditions<bool>(
        c, [&](const FieldSlot& condition) { return model::conditionHolds(condition, fields); },
        [](bool a, bool b, bool useOr) { return useOr ? a || b : a && b; },
        [](bool group) { return !group; });
}

}  // namespace imapstore
