#pragma once

// Entry identifiers of an IMAP account's objects. They carry everything needed
// to find the object again (account, mailbox, UIDVALIDITY, UID), so they stay
// valid across sessions until the server renumbers the mailbox.

#include <QString>
#include <cstdint>
#include <optional>

namespace imapstore {

struct MessageKey {
    QString mailbox;
    quint32 uidValidity = 0;
    quint32 uid = 0;
};

class EntryIds {
  public:
    // `account` is "user@server"; it keeps two accounts' identifiers apart, and
    // leaves them the same when only the port changes.
    explicit EntryIds(const QString& account);

    QString store() const;
    QString root() const;
    QString folder(const QString& mailbox) const;
    QString message(const MessageKey& key) const;

    bool isRoot(const QString& id) const;
    // The mailbox of one of this account's folder identifiers.
    std::optional<QString> folderMailbox(const QString& id) const;
    std::optional<MessageKey> messageKey(const QString& id) const;

  private:
    QString tag_;  // eight hex digits naming the account
};

}  // namespace imapstore
