#include "imap/EtpanUtil.h"
#include "imap/ImapClient.h"

namespace imap {

namespace {

bool isSelectable(const mailimap_mbx_list_flags* flags) {
    if (!flags) return true;
    if (flags->mbf_type == MAILIMAP_MBX_LIST_FLAGS_SFLAG &&
        flags->mbf_sflag == MAILIMAP_MBX_LIST_SFLAG_NOSELECT)
        return false;
    bool selectable = true;
    detail::forEach<mailimap_mbx_list_oflag>(flags->mbf_oflags, [&](mailimap_mbx_list_oflag* f) {
        if (f->of_type == MAILIMAP_MBX_LIST_OFLAG_FLAG_EXT && f->of_flag_ext &&
            qstricmp(f->of_flag_ext, "NonExistent") == 0)
            selectable = false;
    });
    return selectable;
}

mailimap_flag_list* flagList(unsigned flags) {
    mailimap_flag_list* list = mailimap_flag_list_new_empty();
    if (flags & Seen) mailimap_flag_list_add(list, mailimap_flag_new_seen());
    if (flags & Answered) mailimap_flag_list_add(list, mailimap_flag_new_answered());
    if (flags & Flagged) mailimap_flag_list_add(list, mailimap_flag_new_flagged());
    if (flags & Deleted) mailimap_flag_list_add(list, mailimap_flag_new_deleted());
    if (flags & Draft) mailimap_flag_list_add(list, mailimap_flag_new_draft());
    return list;
}

mailimap_date_time* dateTime(const QDateTime& when) {
    if (!when.isValid()) return nullptr;
    const QDateTime utc = when.toUTC();
    return mailimap_date_time_new(utc.date().day(), utc.date().month(), utc.date().year(),
                                  utc.time().hour(), utc.time().minute(), utc.time().second(), 0);
}

}  // namespace

QList<MailboxInfo> Client::list() {
    requireConnection();
    clist* result = nullptr;
    startCommand();
    check(mailimap_list(imap_, "", "*", &result), "LIST");
    QList<MailboxInfo> mailboxes;
    detail::forEach<mailimap_mailbox_list>(result, [&](mailimap_mailbox_list* mb) {
        MailboxInfo info;
        info.name = QString::fromUtf8(mb->mb_name);
        info.delimiter = mb->mb_delimiter ? QChar::fromLatin1(mb->mb_delimiter) : QChar();
        info.selectable = isSelectable(mb->mb_flag);
        if (mb->mb_flag)
            detail::forEach<mailimap_mbx_list_oflag>(
                mb->mb_flag->mbf_oflags, [&](mailimap_mbx_list_oflag* f) {
                    if (f->of_type == MAILIMAP_MBX_LIST_OFLAG_FLAG_EXT && f->of_flag_ext)
                        info.attributes << QString::fromUtf8(f->of_flag_ext);
                });
        mailboxes << info;
    });
    if (result) mailimap_list_result_free(result);
    return mailboxes;
}

void Client::create(const QString& mailbox) {
    requireConnection();
    startCommand();
    check(mailimap_create(imap_, mailbox.toUtf8().constData()), "CREATE");
}

void Client::remove(const QString& mailbox) {
    requireConnection();
    startCommand();
    check(mailimap_delete(imap_, mailbox.toUtf8().constData()), "DELETE");
}

MailboxStatus Client::select(const QString& mailbox) {
    return open(mailbox, false);
}

MailboxStatus Client::examine(const QString& mailbox) {
    return open(mailbox, true);
}

MailboxStatus Client::open(const QString& mailbox, bool readOnly) {
    requireConnection();
    const QByteArray name = mailbox.toUtf8();
    MailboxStatus status;
    startCommand();
    if (caps_.condStore) {
        uint64_t modSeq = 0;
        check(readOnly ? mailimap_examine_condstore(imap_, name.constData(), &modSeq)
                       : mailimap_select_condstore(imap_, name.constData(), &modSeq),
              readOnly ? "EXAMINE" : "SELECT");
        status.highestModSeq = modSeq;
    } else {
        check(readOnly ? mailimap_examine(imap_, name.constData())
                       : mailimap_select(imap_, name.constData()),
              readOnly ? "EXAMINE" : "SELECT");
    }
    if (const mailimap_selection_info* info = imap_->imap_selection_info) {
        status.uidValidity = info->sel_uidvalidity;
        status.uidNext = info->sel_uidnext;
        status.exists = info->sel_exists;
    }
    return status;
}

quint32 Client::append(const QString& mailbox, const QByteArray& message, unsigned flags,
                       const QDateTime& internalDate) {
    requireConnection();
    const QByteArray name = mailbox.toUtf8();
    const detail::FlagListPtr list(flagList(flags));
    const std::unique_ptr<mailimap_date_time, void (*)(mailimap_date_time*)> date(
        dateTime(internalDate), &mailimap_date_time_free);
    startCommand();
    if (caps_.uidPlus) {
        uint32_t uidValidity = 0, uid = 0;
        check(mailimap_uidplus_append(imap_, name.constData(), list.get(), date.get(),
                                      message.constData(), size_t(message.size()), &uidValidity,
                                      &uid),
              "APPEND");
        return uid;
    }
    check(mailimap_append(imap_, name.constData(), list.get(), date.get(), message.constData(),
                          size_t(message.size())),
          "APPEND");
    return 0;
}

void Client::deleteMessage(quint32 uid) {
    requireConnection();
    // Without UID EXPUNGE, EXPUNGE would also remove any other message someone
    // flagged \Deleted, so nothing is touched at all.
    if (!caps_.uidPlus)
        throw Error(ErrorKind::NotSupported,
                    QStringLiteral(
                        "The server %1 cannot expunge a single message (no UIDPLUS); nothing was "
                        "deleted")
                        .arg(options_.host));
    storeFlags(uid, Deleted, true);
    const detail::SetPtr set(mailimap_set_new_single(uid));
    startCommand();
    check(mailimap_uid_expunge(imap_, set.get()), "UID EXPUNGE");
}

void Client::addFlags(quint32 uid, unsigned flags) {
    storeFlags(uid, flags, true);
}

void Client::removeFlags(quint32 uid, unsigned flags) {
    storeFlags(uid, flags, false);
}

void Client::storeFlags(quint32 uid, unsigned flags, bool add) {
    requireConnection();
    const detail::SetPtr set(mailimap_set_new_single(uid));
    mailimap_store_att_flags* store =
        add ? mailimap_store_att_flags_new_add_flags_silent(flagList(flags))
            : mailimap_store_att_flags_new_remove_flags_silent(flagList(flags));
    startCommand();
    const int stored = mailimap_uid_store(imap_, set.get(), store);
    mailimap_store_att_flags_free(store);
    check(stored, "UID STORE");
}

}  // namespace imap
