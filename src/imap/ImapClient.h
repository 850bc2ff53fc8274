#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

#include "imap/ImapError.h"
#include "imap/ImapTypes.h"

struct mailimap;

namespace imap {

class ProtocolLog;

// Called after each batch of a long fetch with the messages done so far and the
// total; returning false stops the fetch with ErrorKind::Cancelled.
using Progress = std::function<bool(qsizetype done, qsizetype total)>;
// Receives each batch of a long fetch as it arrives, so it can be stored before the next.
using BatchSink = std::function<void(const QList<MessageSummary>& batch)>;

struct FlagState {
    quint32 uid = 0;
    unsigned flags = 0;
    friend bool operator==(const FlagState&, const FlagState&) = default;
};

// One IMAP connection over libetpan. Every call blocks until the server answers or
// the timeout passes, so it belongs on a worker thread; an instance is used by one
// thread at a time. Failures throw imap::Error.
class Client {
  public:
    Client();
    ~Client();
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Must be set before connect() to see the greeting.
    void setProtocolLog(ProtocolLog* log) { log_ = log; }
    void setFetchBatchSize(int uids) { batchSize_ = uids > 0 ? uids : 1; }

    void connect(const ConnectOptions& options);
    void login(const QString& user, const QString& password);
    // SASL XOAUTH2 with an OAuth 2.0 access token (any length the server takes).
    void loginOAuth2(const QString& user, const QString& accessToken);
    void logout();
    // False once a transport failure (a dropped connection, a timeout) has ended the
    // connection: the client then needs connect() and login() again.
    bool isConnected() const { return imap_ != nullptr; }
    // One round trip: a connection the server or the network dropped while idle
    // fails here rather than in the next command.
    void noop();
    const Capabilities& capabilities() const { return caps_; }

    // Every mailbox in the server's order.
    QList<MailboxInfo> list();
    void create(const QString& mailbox);
    void remove(const QString& mailbox);
    MailboxStatus select(const QString& mailbox);
    MailboxStatus examine(const QString& mailbox);

    // UIDs of the selected mailbox, ascending.
    QList<quint32> allUids();
    // Envelope, flags, INTERNALDATE and RFC822.SIZE of the given UIDs in batches.
    // With a sink the batches go there and the result stays empty.
    QList<MessageSummary> fetchSummaries(const QList<quint32>& uids, const Progress& progress = {},
                                         const BatchSink& sink = {});
    // Flags of the given UIDs; with a mod-sequence (CONDSTORE) only of those changed since.
    QList<FlagState> fetchFlags(const QList<quint32>& uids, quint64 changedSince = 0);
    void addFlags(quint32 uid, unsigned flags);
    void removeFlags(quint32 uid, unsigned flags);
    // The whole message exactly as stored, fetched with BODY.PEEK so it stays unread.
    QByteArray fetchMessage(quint32 uid);
    QList<quint32> search(const SearchCriteria& criteria);
    // Sets \Deleted on one UID and expunges that UID only; refused without UIDPLUS
    // rather than expunging whatever else carries \Deleted.
    void deleteMessage(quint32 uid);
    // Returns the new UID when the server reports it (UIDPLUS), else 0. Without an
    // internal date the server stamps the time of arrival.
    quint32 append(const QString& mailbox, const QByteArray& message, unsigned flags,
                   const QDateTime& internalDate = {});

  private:
    static void onLog(mailimap* session, int type, const char* data, size_t size, void* self);
    void logAuthenticate(const QByteArray& sent);
    void check(int result, const char* what);
    void startCommand();
    void requireConnection() const;
    void disconnect();
    void readCapabilities();
    void verifyCertificate();
    MailboxStatus open(const QString& mailbox, bool readOnly);
    void storeFlags(quint32 uid, unsigned flags, bool add);

    mailimap* imap_ = nullptr;
    ProtocolLog* log_ = nullptr;
    ConnectOptions options_;
    Capabilities caps_;
    QByteArray password_;
    // While an AUTHENTICATE is sent: its argument is never logged, whole or in pieces.
    bool authenticating_ = false;
    bool authenticateLogged_ = false;
    int batchSize_ = 500;
    qint64 commandStartedMs_ = 0;
};

}  // namespace imap
