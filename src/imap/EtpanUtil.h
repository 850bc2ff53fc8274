#pragma once

// Small helpers over libetpan's C lists and sets, private to the IMAP client.

#include <libetpan/libetpan.h>

#include <QByteArray>
#include <QList>
#include <memory>

namespace imap::detail {

template <typename T, typename F>
void forEach(clist* list, F&& f) {
    if (!list) return;
    for (clistiter* it = clist_begin(list); it; it = clist_next(it))
        f(static_cast<T*>(clist_content(it)));
}

inline QByteArray bytes(const char* text) {
    return text ? QByteArray(text) : QByteArray();
}

// The UIDs as a set of ranges, so a batch of consecutive UIDs costs one item.
inline mailimap_set* uidSet(const QList<quint32>& sortedUids) {
    mailimap_set* set = mailimap_set_new_empty();
    for (qsizetype i = 0; i < sortedUids.size();) {
        qsizetype j = i;
        while (j + 1 < sortedUids.size() && sortedUids[j + 1] == sortedUids[j] + 1) ++j;
        mailimap_set_add_interval(set, sortedUids[i], sortedUids[j]);
        i = j + 1;
    }
    return set;
}

struct SetDeleter {
    void operator()(mailimap_set* s) const { mailimap_set_free(s); }
};
struct FetchTypeDeleter {
    void operator()(mailimap_fetch_type* f) const { mailimap_fetch_type_free(f); }
};
struct FetchListDeleter {
    void operator()(clist* l) const { mailimap_fetch_list_free(l); }
};
struct SearchKeyDeleter {
    void operator()(mailimap_search_key* k) const { mailimap_search_key_free(k); }
};
struct FlagListDeleter {
    void operator()(mailimap_flag_list* f) const { mailimap_flag_list_free(f); }
};
using SetPtr = std::unique_ptr<mailimap_set, SetDeleter>;
using FetchTypePtr = std::unique_ptr<mailimap_fetch_type, FetchTypeDeleter>;
using FetchListPtr = std::unique_ptr<clist, FetchListDeleter>;
using SearchKeyPtr = std::unique_ptr<mailimap_search_key, SearchKeyDeleter>;
using FlagListPtr = std::unique_ptr<mailimap_flag_list, FlagListDeleter>;

}  // namespace imap::detail
