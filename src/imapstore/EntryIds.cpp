#include "imapstore/EntryIds.h"

#include <QCryptographicHash>
#include <algorithm>

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
    // Written digit by digit into one string: a folder's listing makes one for
    // each of its messages.
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const QByteArray name = key.mailbox.toUtf8();
    QString id(kMessage.size() + tag_.size() + 16 + name.size() * 2, Qt::Uninitialized);
    QChar* out = id.data();
    for (const QString* part : {&kMessage, &tag_})
        out = std::copy(part->cbegin(), part->cend(), out);
    for (const quint32 n : {key.uidValidity, key.uid})
        for (int shift = 28; shift >= 0; shift -= 4)
            *out++ = QLatin1Char(kDigits[(n >> shift) & 0xF]);
    for (const char c : name) {
        *out++ = QLatin1Char(kDigits[(uchar(c) >> 4) & 0xF]);
        *out++ = QLatin1Char(kDigits[uchar(c) & 0xF]);
    }
    return id;
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
