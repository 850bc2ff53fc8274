#pragma once

// How a message lies in its row of the messages table: the columns and the
// properties they hold, and the statements that read a message or a run of
// them. Shared by the message and the folder walks; internal to the store.

#include <cstdint>

#include "store/Database.h"
#include "store/Props.h"

namespace store::message_rows {

using mapi::VarType;

// Properties kept on a message but not listed in its Fields.
inline constexpr std::uint32_t kSenderAddress = 0x0C1F001E;
inline constexpr std::uint32_t kUnread = 0x7FF0000B;
inline constexpr std::uint32_t kSent = 0x7FF1000B;
inline constexpr std::uint32_t kDeliveryReceipt = 0x0023000B;
inline constexpr std::uint32_t kReadReceipt = 0x0029000B;

// Column order of the messages table as load() reads and Update() writes it.
struct Column {
    const char* name;
    std::uint32_t tag;
    VarType vt;
};
inline const Column kColumns[] = {
    {"importance", tag::Importance, VarType::Long},
    {"type", tag::MessageClass, VarType::String},
    {"subject", tag::Subject, VarType::String},
    {"time_sent", tag::ClientSubmitTime, VarType::Date},
    {"conv_topic", tag::ConversationTopic, VarType::String},
    {"conv_index", tag::ConversationIndex, VarType::Binary},
    {"sender_name", tag::SenderName, VarType::String},
    {"time_received", tag::DeliveryTime, VarType::Date},
    {"size", tag::MessageSize, VarType::Long},
    {"body", tag::Body, VarType::String},
    {"sender_address", kSenderAddress, VarType::String},
    {"unread", kUnread, VarType::Boolean},
    {"sent", kSent, VarType::Boolean},
    {"delivery_receipt", kDeliveryReceipt, VarType::Boolean},
    {"read_receipt", kReadReceipt, VarType::Boolean},
};

#define QV_MESSAGE_COLUMNS                                                               \
    "SELECT eid, folder, has_sender, importance, type, subject, time_sent, conv_topic, " \
    "conv_index, sender_name, time_received, size, NULL, sender_address, unread, sent, " \
    "delivery_receipt, read_receipt"
inline const char* const kLoadSql = QV_MESSAGE_COLUMNS " FROM messages WHERE rid = ?1";
// The same columns for a run of rows, the row id last.
inline const char* const kLoadRangeSql =
    QV_MESSAGE_COLUMNS ", rid FROM messages WHERE rid BETWEEN ?1 AND ?2 ORDER BY rid";
inline constexpr int kRangeRidColumn = 18;
#undef QV_MESSAGE_COLUMNS
// What a walk reads of a run of rows.
inline const char* const kListRangeSql =
    "SELECT eid, folder, subject, rid FROM messages WHERE rid BETWEEN ?1 AND ?2 ORDER BY rid";
inline constexpr int kListRidColumn = 3;

// Steps kListRangeSql over rids[0..count) (ascending, count > 0) and hands
// each(j, q) the row of rids[j]; rows gone since the snapshot are passed over.
template <class Each>
void forEachListedRow(Db& db, const std::int64_t* rids, std::size_t count, Each&& each) {
    Stmt& q = db.cached(kListRangeSql);
    q.bind(1, rids[0]).bind(2, rids[count - 1]);
    std::size_t j = 0;
    while (j < count && q.step()) {
        const std::int64_t rid = q.integer(kListRidColumn);
        while (j < count && rids[j] < rid) ++j;
        if (j < count && rids[j] == rid) each(j++, q);
    }
    q.reset();
}

// Messages read per statement while walking a folder: one lock and one
// statement per batch instead of per message keeps a 100,000-message walk fast.
inline constexpr std::size_t kWalkBatch = 256;

}  // namespace store::message_rows
