#include <algorithm>
#include <exception>
#include <functional>
#include <utility>

#include "imap/EtpanUtil.h"
#include "imap/ImapClient.h"

namespace imap {

namespace {

QList<Address> addresses(clist* list) {
    QList<Address> result;
    detail::forEach<mailimap_address>(list, [&](mailimap_address* a) {
        result << Address{detail::bytes(a->ad_personal_name), detail::bytes(a->ad_mailbox_name),
                          detail::bytes(a->ad_host_name)};
    });
    return result;
}

Envelope envelope(const mailimap_envelope* e) {
    Envelope env;
    if (!e) return env;
    env.date = detail::bytes(e->env_date);
    env.subject = detail::bytes(e->env_subject);
    env.messageId = detail::bytes(e->env_message_id);
    env.inReplyTo = detail::bytes(e->env_in_reply_to);
    if (e->env_from) env.from = addresses(e->env_from->frm_list);
    if (e->env_sender) env.sender = addresses(e->env_sender->snd_list);
    if (e->env_reply_to) env.replyTo = addresses(e->env_reply_to->rt_list);
    if (e->env_to) env.to = addresses(e->env_to->to_list);
    if (e->env_cc) env.cc = addresses(e->env_cc->cc_list);
    if (e->env_bcc) env.bcc = addresses(e->env_bcc->bcc_list);
    return env;
}

QDateTime internalDate(const mailimap_date_time* d) {
    if (!d) return {};
    // The zone comes as the digits of "+hhmm", e.g. -130 for -01:30.
    const int sign = d->dt_zone < 0 ? -1 : 1;
    const int zone = d->dt_zone * sign;
    const int offset = sign * ((zone / 100) * 3600 + (zone % 100) * 60);
    const QDateTime local(QDate(d->dt_year, d->dt_month, d->dt_day),
                          QTime(d->dt_hour, d->dt_min, d->dt_sec), Qt::OffsetFromUTC, offset);
    return local.toUTC();
}

unsigned flags(const mailimap_msg_att_dynamic* dyn) {
    unsigned result = 0;
    if (!dyn) return result;
    detail::forEach<mailimap_flag_fetch>(dyn->att_list, [&](mailimap_flag_fetch* f) {
        if (f->fl_type != MAILIMAP_FLAG_FETCH_OTHER || !f->fl_flag) return;
        switch (f->fl_flag->fl_type) {
            case MAILIMAP_FLAG_SEEN:
                result |= Seen;
                break;
            case MAILIMAP_FLAG_ANSWERED:
                result |= Answered;
                break;
            case MAILIMAP_FLAG_FLAGGED:
                result |= Flagged;
                break;
            case MAILIMAP_FLAG_DELETED:
                result |= Deleted;
                break;
            case MAILIMAP_FLAG_DRAFT:
                result |= Draft;
                break;
            default:
                break;
        }
    });
    return result;
}

MessageSummary summary(mailimap_msg_att* msg) {
    MessageSummary s;
    detail::forEach<mailimap_msg_att_item>(msg->att_list, [&](mailimap_msg_att_item* item) {
        if (item->att_type == MAILIMAP_MSG_ATT_ITEM_DYNAMIC) {
            s.flags = flags(item->att_data.att_dyn);
            return;
        }
        if (item->att_type != MAILIMAP_MSG_ATT_ITEM_STATIC) return;
        const mailimap_msg_att_static* st = item->att_data.att_static;
        switch (st->att_type) {
            case MAILIMAP_MSG_ATT_UID:
                s.uid = st->att_data.att_uid;
                break;
            case MAILIMAP_MSG_ATT_RFC822_SIZE:
                s.size = st->att_data.att_rfc822_size;
                break;
            case MAILIMAP_MSG_ATT_INTERNALDATE:
                s.internalDate = internalDate(st->att_data.att_internal_date);
                break;
            case MAILIMAP_MSG_ATT_ENVELOPE:
                s.envelope = envelope(st->att_data.att_env);
                break;
            default:
                break;
        }
    });
    return s;
}

}  // namespace

QList<quint32> Client::allUids() {
    SearchCriteria all;
    return search(all);
}

namespace {

// What one streamed UID FETCH hands over, batch by batch, while libetpan is still
// reading the server's answer: each batch is stored and reported before the rest
// has arrived, so the server keeps sending while the cache writes.
struct SummaryStream {
    const QList<quint32>* wanted = nullptr;  // this command's UIDs, ascending
    qsizetype batchSize = 0;
    qsizetype total = 0;
    qsizetype done = 0;  // UIDs accounted for in earlier batches and commands
    const Progress* progress = nullptr;
    std::function<void(QList<MessageSummary>&&)> deliver;
    QList<MessageSummary> pending;
    // Once cancelled or failed, the rest of the answer is read but dropped.
    bool cancelled = false;
    std::exception_ptr failure;

    bool stopped() const { return cancelled || failure; }

    // Stores the pending batch and reports it as `reached` of `total`.
    void flush(qsizetype reached) {
        if (stopped() || (pending.isEmpty() && reached == done)) return;
        try {
            std::sort(pending.begin(), pending.end(),
                      [](const auto& a, const auto& b) { return a.uid < b.uid; });
            if (!pending.isEmpty()) deliver(std::exchange(pending, {}));
            done = reached;
            if (*progress && !(*progress)(done, total)) cancelled = true;
        } catch (...) {
            failure = std::current_exception();
        }
    }
};

// Called by libetpan for each FETCH response as it is parsed; C code above us,
// so nothing may be thrown through it.
void onSummary(mailimap_msg_att* msg, void* context) {
    auto* stream = static_cast<SummaryStream*>(context);
    if (stream->stopped()) return;
    MessageSummary s = summary(msg);
    // Unsolicited FETCH responses (flag changes by others) carry no UID we asked for.
    if (s.uid == 0 || !std::binary_search(stream->wanted->begin(), stream->wanted->end(), s.uid))
        return;
    stream->pending << std::move(s);
    if (stream->pending.size() == stream->batchSize)
        stream->flush(std::min(stream->done + stream->batchSize, stream->total));
}

// libetpan hands FETCH responses to the handler only while a progress callback is set.
void noItemProgress(size_t, size_t, void*) {}

// Installs the handler for one command and removes it again however the command ends
// (a transport failure frees the session, leaving nothing to remove it from).
class StreamGuard {
  public:
    StreamGuard(mailimap* const& imap, SummaryStream* stream) : imap_(imap) {
        mailimap_set_progress_callback(imap_, nullptr, &noItemProgress, nullptr);
        mailimap_set_msg_att_handler(imap_, &onSummary, stream);
    }
    ~StreamGuard() {
        if (!imap_) return;
        mailimap_set_msg_att_handler(imap_, nullptr, nullptr);
        mailimap_set_progress_callback(imap_, nullptr, nullptr, nullptr);
    }
    StreamGuard(const StreamGuard&) = delete;
    StreamGuard& operator=(const StreamGuard&) = delete;

  private:
    mailimap* const& imap_;
};

// Batches per UID FETCH: libetpan sends one command and reads its whole answer
// before the next can go out, so fewer, longer commands save round trips, while
// a cancel still waits for at most one command's answer.
constexpr qsizetype kBatchesPerCommand = 10;

}  // namespace

QList<MessageSummary> Client::fetchSummaries(const QList<quint32>& uids, const Progress& progress,
                                             const BatchSink& sink) {
    requireConnection();
    QList<quint32> sorted = uids;
    std::sort(sorted.begin(), sorted.end());
    QList<MessageSummary> result;
    SummaryStream stream;
    stream.batchSize = batchSize_;
    stream.total = sorted.size();
    stream.progress = &progress;
    stream.deliver = [&](QList<MessageSummary>&& batch) {
        if (sink)
            sink(batch);
        else
            result << batch;
    };
    const qsizetype perCommand = batchSize_ * kBatchesPerCommand;
    for (qsizetype first = 0; first < sorted.size(); first += perCommand) {
        const QList<quint32> chunk = sorted.mid(first, perCommand);
        const detail::SetPtr set(detail::uidSet(chunk));
        const detail::FetchTypePtr type(mailimap_fetch_type_new_fetch_att_list_empty());
        mailimap_fetch_type_new_fetch_att_list_add(type.get(), mailimap_fetch_att_new_uid());
        mailimap_fetch_type_new_fetch_att_list_add(type.get(), mailimap_fetch_att_new_flags());
        mailimap_fetch_type_new_fetch_att_list_add(type.get(),
                                                   mailimap_fetch_att_new_internaldate());
        mailimap_fetch_type_new_fetch_att_list_add(type.get(),
                                                   mailimap_fetch_att_new_rfc822_size());
        mailimap_fetch_type_new_fetch_att_list_add(type.get(), mailimap_fetch_att_new_envelope());
        stream.wanted = &chunk;
        clist* raw = nullptr;
        {
            const StreamGuard guard(imap_, &stream);
            startCommand();
            check(mailimap_uid_fetch(imap_, set.get(), type.get(), &raw), "UID FETCH");
        }
        // Every response went to the handler; the list is empty but still ours.
        const detail::FetchListPtr fetched(raw);
        // The last, short batch of the command; UIDs the server no longer has count as done.
        stream.flush(first + chunk.size());
        if (stream.failure) std::rethrow_exception(stream.failure);
        if (stream.cancelled)
            throw Error(ErrorKind::Cancelled,
                        QStringLiteral("Fetching the message list was cancelled"));
    }
    return result;
}

QList<FlagState> Client::fetchFlags(const QList<quint32>& uids, quint64 changedSince) {
    requireConnection();
    QList<quint32> sorted = uids;
    std::sort(sorted.begin(), sorted.end());
    QList<FlagState> result;
    for (qsizetype first = 0; first < sorted.size(); first += batchSize_ * 10) {
        const QList<quint32> batch = sorted.mid(first, batchSize_ * 10);
        const detail::SetPtr set(detail::uidSet(batch));
        const detail::FetchTypePtr type(mailimap_fetch_type_new_fetch_att_list_empty());
        mailimap_fetch_type_new_fetch_att_list_add(type.get(), mailimap_fetch_att_new_uid());
        mailimap_fetch_type_new_fetch_att_list_add(type.get(), mailimap_fetch_att_new_flags());
        clist* raw = nullptr;
        startCommand();
        check(changedSince ? mailimap_uid_fetch_changedsince(imap_, set.get(), type.get(),
                                                             changedSince, &raw)
                           : mailimap_uid_fetch(imap_, set.get(), type.get(), &raw),
              "UID FETCH");
        const detail::FetchListPtr fetched(raw);
        detail::forEach<mailimap_msg_att>(raw, [&](mailimap_msg_att* msg) {
            const MessageSummary s = summary(msg);
            if (s.uid != 0 && std::binary_search(batch.begin(), batch.end(), s.uid))
                result.append({s.uid, s.flags});
        });
    }
    std::sort(result.begin(), result.end(),
              [](const auto& a, const auto& b) { return a.uid < b.uid; });
    return result;
}

QByteArray Client::fetchMessage(quint32 uid) {
    requireConnection();
    const detail::SetPtr set(mailimap_set_new_single(uid));
    const detail::FetchTypePtr type(mailimap_fetch_type_new_fetch_att_list_empty());
    mailimap_fetch_type_new_fetch_att_list_add(type.get(), mailimap_fetch_att_new_uid());
    mailimap_fetch_type_new_fetch_att_list_add(
        type.get(), mailimap_fetch_att_new_body_peek_section(mailimap_section_new(nullptr)));
    clist* raw = nullptr;
    startCommand();
    check(mailimap_uid_fetch(imap_, set.get(), type.get(), &raw), "UID FETCH");
    const detail::FetchListPtr fetched(raw);
    std::optional<QByteArray> body;
    detail::forEach<mailimap_msg_att>(raw, [&](mailimap_msg_att* msg) {
        quint32 gotUid = 0;
        std::optional<QByteArray> content;
        detail::forEach<mailimap_msg_att_item>(msg->att_list, [&](mailimap_msg_att_item* item) {
            if (item->att_type != MAILIMAP_MSG_ATT_ITEM_STATIC) return;
            const mailimap_msg_att_static* st = item->att_data.att_static;
            if (st->att_type == MAILIMAP_MSG_ATT_UID) gotUid = st->att_data.att_uid;
            if (st->att_type == MAILIMAP_MSG_ATT_BODY_SECTION && st->att_data.att_body_section) {
                const mailimap_msg_att_body_section* sec = st->att_data.att_body_section;
                content = sec->sec_body_part
                              ? QByteArray(sec->sec_body_part, qsizetype(sec->sec_length))
                              : QByteArray();
            }
        });
        if (gotUid == uid && content) body = content;
    });
    if (!body)
        throw Error(ErrorKind::Rejected,
                    QStringLiteral("The message with UID %1 is no longer on the server").arg(uid));
    return *body;
}

}  // namespace imap
