#include "model/StoreRules.h"

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "messaging/ReadOnly.h"
#include "messaging/Readings.h"
#include "model/Tags.h"
#include "model/Values.h"

namespace model {

using mapi::Ref;
using mapi::Variant;
using mapi::VarType;

QStringList defaultFolderNames(std::int32_t kind) {
    switch (kind) {
        case 1:
            return {QStringLiteral("Inbox")};
        case 2:
            return {QStringLiteral("Outbox")};
        case 3:
            return {QStringLiteral("Sent Items"), QStringLiteral("Sent")};
        case 4:
            return {QStringLiteral("Deleted Items"), QStringLiteral("Trash")};
        default:
            mapi::raise(mapi::code::InvalidParameter);
    }
}

Ref<mapi::Folder> folderByDefaultName(mapi::Folder& top, std::int32_t kind) {
    const QStringList names = defaultFolderNames(kind);
    const Ref<mapi::Folders> below = top.FoldersOf();
    std::vector<Ref<mapi::Folder>> all;
    for (const Ref<mapi::Folder>& f : *below) all.push_back(f);
    for (const QString& name : names)
        for (const Ref<mapi::Folder>& f : all)
            if (f->Name().compare(name, Qt::CaseInsensitive) == 0) return f;
    mapi::raise(mapi::code::NotFound);
}

Variant sortValue(mapi::Message& m, std::uint32_t t) {
    try {
        switch (normalizeTag(t)) {
            case 0:
            case tag::DeliveryTime:
                return m.TimeReceived();
            case tag::ClientSubmitTime:
                return m.TimeSent();
            case tag::Subject:
                return Variant(m.Subject());
            case tag::MessageSize:
                return m.Size();
            case tag::Importance:
                return m.Importance();
            case tag::SenderName:
                return Variant(m.Sender()->Name());
            case tag::MessageClass:
                return Variant(m.Type());
            default:
                return m.FieldsOf()->ItemByTag(static_cast<std::int32_t>(t))->Value();
        }
    } catch (const mapi::Error& e) {
        if (e.number() == mapi::code::NotFound) return Variant::null();
        throw;
    }
}

bool sortsBefore(const Variant& a, const Variant& b) {
    const bool aMissing = a.isNull() || a.isEmpty(), bMissing = b.isNull() || b.isEmpty();
    if (aMissing || bMissing) return aMissing && !bMissing;
    const std::optional<double> x = mapi::numberValue(a), y = mapi::numberValue(b);
    if (x && y) return *x < *y;
    if (a.type() == VarType::String && b.type() == VarType::String)
        return a.asString().compare(b.asString(), Qt::CaseInsensitive) < 0;
    if (a.type() == VarType::Binary && b.type() == VarType::Binary)
        return a.asBinary() < b.asBinary();
    // Mixed kinds: numbers before texts, as a missing value comes before both.
    return x && !y;
}

void checkSortOrder(std::int32_t order) {
    if (order != 1 && order != 2) mapi::raise(mapi::code::InvalidParameter);
}

namespace {

// A part the message lacks is left as the copy's default.
template <class F>
void ifPresent(F&& read) {
    try {
        read();
    } catch (const mapi::Error& e) {
        if (e.number() != mapi::code::NotFound && e.number() != mapi::code::InvalidUseOfNull) throw;
    }
}

std::optional<QDateTime> dateOf(const Variant& v) {
    if (v.type() != VarType::Date) return std::nullopt;
    return v.asDate().toDateTime();
}

bool boolOf(const Variant& v) {
    return v.type() == VarType::Boolean && v.asBoolean();
}

}  // namespace

mapi::MessageCopy copyOf(mapi::Message& m) {
    mapi::MessageCopy c;
    ifPresent([&] { c.subject = m.Subject(); });
    ifPresent([&] { c.body = m.Text(); });
    ifPresent([&] { c.messageClass = m.Type(); });
    ifPresent([&] {
        const Variant v = m.Importance();
        if (v.type() == VarType::Long) c.importance = v.asLong();
    });
    ifPresent([&] {
        const Ref<mapi::AddressEntry> s = m.Sender();
        c.senderName = s->Name();
        c.senderAddress = s->Address();
        c.hasSender = true;
    });
    ifPresent([&] { c.timeSent = dateOf(m.TimeSent()); });
    ifPresent([&] { c.timeReceived = dateOf(m.TimeReceived()); });
    ifPresent([&] { c.unread = boolOf(m.Unread()); });
    ifPresent([&] { c.sent = boolOf(m.Sent()); });
    const Ref<mapi::Recipients> recips = m.RecipientsOf();
    for (const Ref<mapi::Recipient>& r : *recips)
        c.recipients.push_back({r->Name(), r->Address(), r->Type()});
    const Ref<mapi::Attachments> atts = m.AttachmentsOf();
    if (atts->Count() > 0) {
        // An attachment gives its data to a file only; a private one.
        QTemporaryDir dir;
        if (!dir.isValid()) mapi::raise(mapi::code::DiskError);
        int n = 0;
        for (const Ref<mapi::Attachment>& a : *atts) {
            const QString path = dir.filePath(QString::number(++n));
            QByteArray data;
            ifPresent([&] {
                a->WriteToFile(path);
                QFile f(path);
                if (!f.open(QIODevice::ReadOnly)) mapi::raise(mapi::code::DiskError);
                data = f.readAll();
            });
            c.attachments.push_back({a->Name(), data});
        }
    }
    return c;
}

Ref<mapi::Message> copyMessage(mapi::Message& m, mapi::Folder& target, bool move) {
    mapi::checkSessionWritable();
    Ref<mapi::Message> copy = target.importCopy(m);
    if (move) m.Delete();
    return copy;
}

Ref<mapi::Folder> copyFolder(mapi::Folder& source, mapi::Folder& targetParent, const QString& name,
                             bool subfolders, bool move) {
    mapi::checkSessionWritable();
    // What the source holds is listed before the copy is made: a folder copied
    // into itself must not copy its own copy.
    std::vector<Ref<mapi::Message>> messages;
    {
        const Ref<mapi::Messages> all = source.MessagesOf();
        for (const Ref<mapi::Message>& m : *all) messages.push_back(m);
    }
    std::vector<Ref<mapi::Folder>> children;
    if (subfolders) {
        const Ref<mapi::Folders> all = source.FoldersOf();
        for (const Ref<mapi::Folder>& f : *all) children.push_back(f);
    }
    const Ref<mapi::Folders> siblings = targetParent.FoldersOf();
    Ref<mapi::Folder> copy = siblings->Add(name.isEmpty() ? source.Name() : name);
    for (const Ref<mapi::Message>& m : messages) copy->importCopy(*m);
    for (const Ref<mapi::Folder>& f : children) copyFolder(*f, *copy, QString(), true, false);
    if (move) source.Delete();
    return copy;
}

}  // namespace model
