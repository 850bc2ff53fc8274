#include "import/MessageWriter.h"

#include <QCryptographicHash>
#include <QTimeZone>

#include "model/Subject.h"
#include "store/Props.h"
#include "store/Tables.h"

namespace import {

namespace {
store::SqlValue timeValue(const std::optional<QDateTime>& t) {
    if (!t) return store::SqlValue();
    // Through the zone database: local-time conversions would ask the C library,
    // which looks at /etc/localtime again on every call.
    static const QTimeZone local = QTimeZone::systemTimeZone();
    return store::secondsOf(t->toTimeZone(local));
}

}  // namespace

MessageWriter::MessageWriter(store::Db& db) : db_(db) {}

std::int64_t MessageWriter::nextRid() {
    // Rows are numbered here so the identifier goes in with the row; the
    // write lock of the open transaction keeps anyone else from taking one.
    store::Stmt q = db_.prepare("SELECT COALESCE(MAX(rid), 0) + 1 FROM messages");
    q.step();
    return std::max(next_, q.integer(0));
}

bool MessageWriter::write(std::int64_t folder, const mime::ParsedMessage& m) {
    const QByteArray hash = QCryptographicHash::hash(m.raw, QCryptographicHash::Sha1);
    const store::SqlValue messageId =
        m.messageId.isEmpty() ? store::SqlValue() : store::SqlValue(m.messageId);
    if (store::importedInFolder(db_, hash, folder, messageId)) return false;

    const std::int64_t rid = nextRid();
    next_ = rid + 1;
    const QString eid = store::freeEntryId(store::EntryKind::Message, rid, [&](const QString& e) {
        return store::entryIdTaken(db_, store::EntryKind::Message, e);
    });
    store::insertMessage(
        db_,
        {{"rid", rid},
         {"eid", eid},
         {"folder", folder},
         {"importance", m.importance},
         {"type", m.messageClass},
         {"subject", m.subject},
         {"time_sent", timeValue(m.sent)},
         {"conv_topic", model::conversationTopic(m.subject)},
         {"conv_index", store::SqlValue(QByteArray())},
         {"sender_name", m.hasSender ? store::SqlValue(m.senderName) : store::SqlValue()},
         {"time_received", timeValue(m.received)},
         {"size", static_cast<std::int64_t>(std::min<qint64>(m.size, INT32_MAX))},
         {"body", m.body},
         {"has_sender", std::int64_t{m.hasSender ? 1 : 0}},
         {"sender_address", m.hasSender ? store::SqlValue(m.senderAddress) : store::SqlValue()},
         {"unread", std::int64_t{m.unread ? 1 : 0}},
         {"sent", std::int64_t{0}},
         {"delivery_receipt", std::int64_t{0}},
         {"read_receipt", std::int64_t{0}}});
    for (const mime::Recipient& r : m.recipients)
        store::insertRecipient(db_, rid, r.name, r.address, std::int64_t{static_cast<int>(r.type)},
                               std::int64_t{0}, QStringLiteral("SMTP"));
    std::int64_t position = 0;
    for (const mime::Attachment& a : m.attachments)
        store::insertAttachment(db_, rid, a.name, std::int64_t{1}, position++,
                                store::SqlValue(a.data));
    store::insertMessageSource(db_, rid, messageId, hash, m.raw);
    return true;
}

}  // namespace import
