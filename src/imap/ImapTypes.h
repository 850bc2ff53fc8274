#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace imap {

enum class Security { None, StartTls, Tls };

// What a user needs to decide on a certificate that does not verify.
struct CertificateInfo {
    QString host;
    QString subject;
    QString issuer;
    QDateTime validFrom;
    QDateTime validUntil;
    QString fingerprint;  // SHA-256 of the certificate, upper-case hex pairs joined by colons
    QString reason;       // why it does not verify
};

// Long enough for a busy server, short enough that a silent one is noticed soon.
inline constexpr std::chrono::seconds kDefaultTimeout{5};

struct ConnectOptions {
    QString host;
    quint16 port = 143;
    Security security = Security::None;
    // Applies to connecting and to every wait for the server afterwards.
    std::chrono::seconds timeout{kDefaultTimeout};
    // SHA-256 of the certificate (hex, colons and case ignored) that is accepted even
    // though it does not verify, for self-signed servers the user has chosen to trust.
    QString acceptedFingerprint;
    // A PEM or DER file of CA certificates trusted for this connection besides the
    // system's (a company's own CA); empty for the system's alone.
    QString caFile;
    // Asked about a certificate that neither verifies nor carries the accepted
    // fingerprint: true trusts it for this connection. Unset, it is refused.
    std::function<bool(const CertificateInfo&)> trustCertificate;
};

struct Capabilities {
    bool uidPlus = false;
    bool condStore = false;
    bool qresync = false;
};

struct MailboxInfo {
    QString name;     // full name as the server spells it, hierarchy delimiter included
    QChar delimiter;  // null when the server has no hierarchy
    bool selectable = true;
    // The LIST attributes beyond \Noselect and \Noinferiors, without the
    // backslash: "Sent", "Trash", "Drafts" (SPECIAL-USE), "HasChildren" ...
    QStringList attributes;
};

struct MailboxStatus {
    quint32 uidValidity = 0;
    quint32 uidNext = 0;
    quint32 exists = 0;
    quint64 highestModSeq = 0;  // 0 when the server has no CONDSTORE
};

// Address and envelope texts are kept as the server sent them (possibly encoded
// words): decoding them is the MIME reader's business.
struct Address {
    QByteArray name;
    QByteArray mailbox;
    QByteArray host;
    QByteArray email() const { return host.isEmpty() ? mailbox : mailbox + '@' + host; }
    friend bool operator==(const Address&, const Address&) = default;
};

struct Envelope {
    QByteArray date;
    QByteArray subject;
    QByteArray messageId;
    QByteArray inReplyTo;
    QList<Address> from, sender, replyTo, to, cc, bcc;
    friend bool operator==(const Envelope&, const Envelope&) = default;
};

enum Flag : unsigned {
    Seen = 1u << 0,
    Answered = 1u << 1,
    Flagged = 1u << 2,
    Deleted = 1u << 3,
    Draft = 1u << 4,
};

struct MessageSummary {
    quint32 uid = 0;
    unsigned flags = 0;      // Flag bits
    QDateTime internalDate;  // UTC
    quint32 size = 0;
    Envelope envelope;
    friend bool operator==(const MessageSummary&, const MessageSummary&) = default;
};

// One UID SEARCH; every criterion given must hold. `recipient` matches To, Cc or Bcc;
// `sender` matches From or, for mail without one, the Sender header; `messageId`
// the Message-ID header.
struct SearchCriteria {
    std::optional<QString> subject{}, body{}, from{}, to{}, cc{}, bcc{}, recipient{}, sender{};
    std::optional<QString> messageId{};
    std::optional<QDate> since{}, before{};
    std::optional<quint32> larger{};
    std::optional<bool> seen{};
};

}  // namespace imap
