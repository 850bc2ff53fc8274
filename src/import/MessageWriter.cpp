#include "import/MessageWriter.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QTimeZone>

#include "store/Props.h"

namespace import {

namespace {
constexpr int kMessageKind = 3;

store::SqlValue timeValue(const std::optional<QDateTime>& t) {
    if (!t) return store::SqlValue();
    // Through the zone database: local-time conversions would ask the C library,
    // which looks at /etc/localtime again on every call.
    static const QTimeZone local = QTimeZone::systemTimeZone();
    return store::secondsOf(t->toTimeZone(local));
}

QString topicOf(const QString& subject) {
    static const QRegularExpression prefix(QStringLiteral("^\\s*((re|fw|fwd|aw|wg)\\s*:\\s*)+"),
                                           QRegularExpression::CaseInsensitiveOption);
    return QString(subject).remove(prefix);
}
}  // namespace

MessageWriter::MessageWriter(store::Db& db)
    : db_(db),
      // By the hash first: left to itself the planner may walk the whole folder.
      duplicate_(db.prepare("SELECT 1 FROM message_sources s INDEXED BY message_sources_hash "
                            "JOIN messages m ON m.rid = s.message "
                            "WHERE s.hash = ?1 AND +m.folder = ?2 AND s.message_id IS ?3 LIMIT 1")),
      eidTaken_(db.prepare("SELECT 1 FROM messages WHERE eid = ?1")),
      message_(db.prepare(
          "INSERT INTO messages(rid, eid, folder, importance, type, subject, time_sent, "
          "conv_topic, conv_index, sender_name, time_received, size, body, has_sender, "
          "sender_address, unread, sent, delivery_receipt, read_receipt) "
          "VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, 0, 0, "
          "0)")),
      recipient_(db.prepare(
          "INSERT INTO recipients(message, name, address, type, display_type, address_type) "
          "VALUES(?1, ?2, ?3, ?4, 0, 'SMTP')")),
      attachment_(db.prepare("INSERT INTO attachments(message, name, type, position, data) "
                             "VALUES(?1, ?2, 1, ?3, ?4)")),
      source_(db.prepare(
          "INSERT INTO message_sources(message, message_id, hash, raw) VALUES(?1, ?2, ?3, ?4)")) {}

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
    duplicate_.reset();
    duplicate_.bind(1, store::SqlValue(hash)).bind(2, folder).bind(3, messageId);
    if (duplicate_.step()) return false;

    const std::int64_t rid = nextRid();
    next_ = rid + 1;
    QString eid = store::makeEntryId(kMessageKind, rid);
    for (std::int64_t k = 1;; ++k) {
        eidTaken_.reset();
        eidTaken_.bind(1, eid);
        if (!eidTaken_.step()) break;
        eid = store::makeEntryId(kMessageKind, rid + (k << 40));
    }

    message_.reset();
    message_.bind(1, rid)
        .bind(2, eid)
        .bind(3, folder)
        .bind(4, m.importance)
        .bind(5, m.messageClass)
        .bind(6, m.subject)
        .bind(7, timeValue(m.sent))
        .bind(8, topicOf(m.subject))
        .bind(9, store::SqlValue(QByteArray()))
        .bind(10, m.hasSender ? store::SqlValue(m.senderName) : store::SqlValue())
        .bind(11, timeValue(m.received))
        .bind(12, static_cast<std::int64_t>(std::min<qint64>(m.size, INT32_MAX)))
        .bind(13, m.body)
        .bind(14, m.hasSender ? 1 : 0)
        .bind(15, m.hasSender ? store::SqlValue(m.senderAddress) : store::SqlValue())
        .bind(16, m.unread ? 1 : 0)
        .run();
    for (const mime::Recipient& r : m.recipients) {
        recipient_.reset();
        recipient_.bind(1, rid)
            .bind(2, r.name)
            .bind(3, r.address)
            .bind(4, static_cast<int>(r.type))
            .run();
    }
    int position = 0;
    for (const mime::Attachment& a : m.attachments) {
        attachment_.reset();
        attachment_.bind(1, rid)
            .bind(2, a.name)
            .bind(3, position++)
            .bind(4, store::SqlValue(a.data))
            .run();
    }
    source_.reset();
    source_.bind(1, rid)
        .bind(2, messageId)
        .bind(3, store::SqlValue(hash))
        .bind(4, store::SqlValue(m.raw))
        .run();
    return true;
}

}  // namespace import
