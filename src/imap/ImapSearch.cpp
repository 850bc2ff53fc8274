#include <algorithm>
#include <cstring>

#include "imap/EtpanUtil.h"
#include "imap/ImapClient.h"

namespace imap {

namespace {

// libetpan takes ownership of the key's strings and frees them with free().
char* owned(const QString& text) {
    return strdup(text.toUtf8().constData());
}

mailimap_date* date(const QDate& d) {
    return mailimap_date_new(d.day(), d.month(), d.year());
}

mailimap_search_key* flagKey(int type) {
    return mailimap_search_key_new(type, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   0, nullptr, nullptr, nullptr);
}

bool isAscii(const std::optional<QString>& text) {
    return !text ||
           std::all_of(text->begin(), text->end(), [](QChar c) { return c.unicode() < 128; });
}

mailimap_search_key* buildKey(const SearchCriteria& c) {
    mailimap_search_key* all = mailimap_search_key_new_multiple_empty();
    auto add = [&](mailimap_search_key* key) { mailimap_search_key_multiple_add(all, key); };
    if (c.subject) add(mailimap_search_key_new_subject(owned(*c.subject)));
    if (c.body) add(mailimap_search_key_new_body(owned(*c.body)));
    if (c.from) add(mailimap_search_key_new_from(owned(*c.from)));
    if (c.to) add(mailimap_search_key_new_to(owned(*c.to)));
    if (c.cc) add(mailimap_search_key_new_cc(owned(*c.cc)));
    if (c.bcc) add(mailimap_search_key_new_bcc(owned(*c.bcc)));
    if (c.recipient)
        add(mailimap_search_key_new_or(
            mailimap_search_key_new_to(owned(*c.recipient)),
            mailimap_search_key_new_or(mailimap_search_key_new_cc(owned(*c.recipient)),
                                       mailimap_search_key_new_bcc(owned(*c.recipient)))));
    if (c.sender)
        add(mailimap_search_key_new_or(
            mailimap_search_key_new_from(owned(*c.sender)),
            mailimap_search_key_new_header(owned(QStringLiteral("Sender")), owned(*c.sender))));
    if (c.messageId)
        add(mailimap_search_key_new_header(owned(QStringLiteral("Message-ID")),
                                           owned(*c.messageId)));
    if (c.since) add(mailimap_search_key_new_since(date(*c.since)));
    if (c.before) add(mailimap_search_key_new_before(date(*c.before)));
    if (c.larger) add(mailimap_search_key_new_larger(*c.larger));
    if (c.seen) add(flagKey(*c.seen ? MAILIMAP_SEARCH_KEY_SEEN : MAILIMAP_SEARCH_KEY_UNSEEN));
    if (clist_count(all->sk_data.sk_multiple) == 0) add(mailimap_search_key_new_all());
    return all;
}

}  // namespace

QList<quint32> Client::search(const SearchCriteria& criteria) {
    requireConnection();
    const detail::SearchKeyPtr key(buildKey(criteria));
    const bool ascii = isAscii(criteria.subject) && isAscii(criteria.body) &&
                       isAscii(criteria.from) && isAscii(criteria.to) && isAscii(criteria.cc) &&
                       isAscii(criteria.bcc) && isAscii(criteria.recipient) &&
                       isAscii(criteria.sender) && isAscii(criteria.messageId);
    clist* raw = nullptr;
    startCommand();
    check(mailimap_uid_search(imap_, ascii ? nullptr : "UTF-8", key.get(), &raw), "UID SEARCH");
    QList<quint32> uids;
    detail::forEach<uint32_t>(raw, [&](uint32_t* uid) { uids << *uid; });
    if (raw) mailimap_search_result_free(raw);
    std::sort(uids.begin(), uids.end());
    return uids;
}

}  // namespace imap
