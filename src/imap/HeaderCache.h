#pragma once

#include <QList>
#include <QString>
#include <optional>

#include "imap/ImapClient.h"
#include "imap/ImapTypes.h"

struct sqlite3;
struct sqlite3_stmt;

namespace imap {

// What one sync did, for progress reports and the tests.
struct SyncReport {
    bool rebuilt = false;   // nothing usable was cached (first open or UIDVALIDITY changed)
    qsizetype fetched = 0;  // summaries fetched for messages new to the cache
    qsizetype removed = 0;  // cached messages no longer on the server
    qsizetype flagsChanged = 0;
    friend bool operator==(const SyncReport&, const SyncReport&) = default;
};

// One cached message as a listing reads it. A listing needs the UID and subject
// of every message but the rest of very few, so the envelope stays in the cache
// until HeaderCache::envelope() is asked for it.
struct CachedSummary {
    quint32 uid = 0;
    unsigned flags = 0;         // Flag bits
    qint64 internalDateMs = 0;  // UTC; 0 when the server gave none
    quint32 size = 0;
    QByteArray subject;  // the envelope's subject as the server sent it
    MessageSummary with(Envelope envelope) const;
};

// The message summaries of an account's mailboxes kept in one SQLite file, keyed
// by mailbox, UIDVALIDITY and UID, so opening a big folder again costs one
// comparison with the server instead of fetching every header.
class HeaderCache {
  public:
    explicit HeaderCache(const QString& path);
    ~HeaderCache();
    HeaderCache(const HeaderCache&) = delete;
    HeaderCache& operator=(const HeaderCache&) = delete;

    // Selects the mailbox and brings its cached summaries up to date: everything
    // again when UIDVALIDITY changed, else new UIDs fetched, vanished ones dropped
    // and flags refreshed (only those changed since the last sync with CONDSTORE).
    // Each fetched batch is committed at once, so a cancelled first open keeps its
    // progress and the next sync continues from there.
    SyncReport sync(Client& client, const QString& mailbox, const Progress& progress = {});

    // The cached summaries in UID order (empty for a mailbox never synced).
    QList<MessageSummary> messages(const QString& mailbox);
    // The same without their envelopes.
    QList<CachedSummary> listing(const QString& mailbox);
    // One cached message's envelope; nullopt once it is no longer cached.
    std::optional<Envelope> envelope(const QString& mailbox, quint32 uidValidity, quint32 uid);
    // As the server last reported it, except `exists`: the messages cached then.
    std::optional<MailboxStatus> status(const QString& mailbox);

  private:
    void exec(const char* sql);
    int schemaVersion();
    void forget(const QString& mailbox);
    void saveStatus(const QString& mailbox, const MailboxStatus& status);
    void insert(const QString& mailbox, quint32 uidValidity, const QList<MessageSummary>& batch);
    void updateFlags(const QString& mailbox, quint32 uidValidity, const QList<FlagState>& flags);
    void removeUids(const QString& mailbox, quint32 uidValidity, const QList<quint32>& uids);
    QList<FlagState> cachedFlags(const QString& mailbox, quint32 uidValidity);
    qsizetype count(const QString& mailbox, quint32 uidValidity);
    [[noreturn]] void fail(const char* what);

    sqlite3* db_ = nullptr;
    sqlite3_stmt* envelopeQuery_ = nullptr;  // prepared once: asked once per message read
    QString path_;
};

}  // namespace imap
