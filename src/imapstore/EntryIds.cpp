#include "imapstore/EntryIds.h"

#include <QCryptographicHash>

namespace imapstore {

namespace {

// Upper-case hexadecimal like the embedded store's identifiers, with a kind
// letter pair no hexadecimal identifier can start with.
const QString kStore = QStringLiteral("IMS");
const QString kRoot = QStringLiteral("IMR");
const QString kFolder = QStringLiteral("IMF");
const QString kMessage = QStringLiteral("IMM");

QString hexOf(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toHex().toUpper());
}

std::optional<QString> textOf(const QString& hex) {
    const QByteArray bytes = hex.toLatin1();
    for (char c : bytes)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return std::nullopt;
    if (bytes.size() % 2 != 0) return std::nullopt;
    return QString::fromUtf8(QByteArray::fromHex(bytes));
}

std::optional<quint32> number(const QString& hex8) {
    bool ok = false;
    const quint32 n = hex8.toUInt(&ok, 16);
    if (!ok || hex8.size() != 8) return std::nullopt;
    return n;
}

}  // namespace

EntryIds::EntryIds(const QString& account) {
    tag_ = QString::fromLatin1(
               QCryptographicHash::hash(account.toLower().toUtf8(), QCryptographicHash::Sha1)
                   .toHex()
                   .left(8))
               .toUpper();
}

QString EntryIds::store() const {
    return kStore + tag_;
}

QString EntryIds::root() const {
    return kRoot + tag_;
}

QString EntryIds::folder(const QString& mailbox) const {
    return kFolder + tag_ + hexOf(mailbox);
}

QString EntryIds::message(const MessageKey& key) const {
    return kMessage + tag_ +
           QStringLiteral("%1%2")
               .arg(key.uidValidity, 8, 16, QLatin1Char('0'))
               .arg(key.uid, 8, 16, QLatin1Char('0'))
               .toUpper() +
           hexOf(key.mailbox);
}

bool EntryIds::isRoot(const QString& id) const {
    return id.trimmed().compare(root(), Qt::CaseInsensitive) == 0;
}

std::optional<QString> EntryIds::folderMailbox(const QString& id) const {
    const QString s = id.trimmed().toUpper();
    const QString head = kFolder + tag_;
    if (!s.startsWith(head)) return std::nullopt;
    return textOf(s.mid(head.size()));
}

std::optional<MessageKey> EntryIds::messageKey(const QString& id) const {
    const QString s = id.trimmed().toUpper();
    const QString head = kMessage + tag_;
    if (!s.startsWith(head) || s.size() < head.size() + 16) return std::nullopt;
    const auto validity = number(s.mid(head.size(), 8));
    const auto uid = number(s.mid(head.size() + 8, 8));
    const auto mailbox = textOf(s.mid(head.size() + 16));
    if (!validity || !uid || !mailbox) return std::nullopt;
    return MessageKey{*mailbox, *validity, *uid};
}

}  // namespace imapstore
