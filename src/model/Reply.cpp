#include "model/Reply.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

namespace model {

using mapi::Ref;

namespace {

// A part the message lacks reads as nothing, as a listing shows it.
template <class F>
QString partOf(F&& read) {
    try {
        return read();
    } catch (const mapi::Error& e) {
        if (e.number() == mapi::code::NotFound || e.number() == mapi::code::InvalidUseOfNull ||
            e.number() == mapi::code::ObjectNotSet)
            return QString();
        throw;
    }
}

QString senderText(mapi::Message& m) {
    return partOf([&] {
        const Ref<mapi::AddressEntry> s = m.Sender();
        const QString name = s->Name(), address = s->Address();
        if (address.isEmpty() || address == name) return name;
        if (name.isEmpty()) return address;
        return QStringLiteral("%1 <%2>").arg(name, address);
    });
}

QString recipientsOfType(mapi::Message& m, std::int32_t type) {
    QStringList names;
    const Ref<mapi::Recipients> all = m.RecipientsOf();
    for (const Ref<mapi::Recipient>& r : *all)
        if (r->Type() == type) names << r->Name();
    return names.join(QStringLiteral("; "));
}

}  // namespace

QString responseSubject(Response kind, const QString& subject) {
    const QString prefix =
        kind == Response::Forward ? QStringLiteral("FW: ") : QStringLiteral("RE: ");
    if (subject.startsWith(prefix.trimmed(), Qt::CaseInsensitive)) return subject;
    return prefix + subject;
}

QString responseText(mapi::Message& original) {
    QStringList lines{QString(), QStringLiteral("-----Original Message-----")};
    lines << QStringLiteral("From: ") + senderText(original);
    const QString sent = partOf([&] { return original.TimeSent().toText(); });
    if (!sent.isEmpty()) lines << QStringLiteral("Sent: ") + sent;
    const QString to = recipientsOfType(original, 1);
    if (!to.isEmpty()) lines << QStringLiteral("To: ") + to;
    const QString cc = recipientsOfType(original, 2);
    if (!cc.isEmpty()) lines << QStringLiteral("Cc: ") + cc;
    lines << QStringLiteral("Subject: ") + partOf([&] { return original.Subject(); });
    lines << QString();
    QString body = partOf([&] { return original.Text(); });
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    if (body.endsWith(QLatin1Char('\n'))) body.chop(1);
    for (const QString& line : body.split(QLatin1Char('\n')))
        lines << (line.isEmpty() ? QStringLiteral(">") : QStringLiteral("> ") + line);
    return lines.join(QLatin1Char('\n'));
}

Ref<mapi::Message> respond(mapi::Message& original, mapi::Messages& outbox, Response kind,
                           const QString& ownAddress) {
    Ref<mapi::Message> m = outbox.Add();
    m->SetSubject(responseSubject(kind, partOf([&] { return original.Subject(); })));
    m->SetText(responseText(original));
    const Ref<mapi::Recipients> to = m->RecipientsOf();
    QStringList taken;
    if (!ownAddress.isEmpty()) taken << ownAddress.toLower();
    auto address = [&](const QString& name, const QString& addr, std::int32_t type) {
        const QString key = (addr.isEmpty() ? name : addr).toLower();
        if (key.isEmpty() || taken.contains(key)) return;
        taken << key;
        Ref<mapi::Recipient> r = to->Add(name, type);
        r->SetAddress(addr);
    };
    if (kind != Response::Forward) {
        try {
            const Ref<mapi::AddressEntry> s = original.Sender();
            // One's own mail is answered to the same sender even so.
            taken.clear();
            address(s->Name(), s->Address(), 1);
            if (!ownAddress.isEmpty()) taken << ownAddress.toLower();
        } catch (const mapi::Error& e) {
            if (e.number() != mapi::code::NotFound) throw;
        }
    }
    if (kind == Response::ReplyAll) {
        const Ref<mapi::Recipients> all = original.RecipientsOf();
        for (const Ref<mapi::Recipient>& r : *all)
            if (r->Type() == 1 || r->Type() == 2) address(r->Name(), r->Address(), r->Type());
    }
    if (kind == Response::Forward) {
        const Ref<mapi::Attachments> atts = original.AttachmentsOf();
        if (atts->Count() > 0) {
            // The data travels through a private file: an attachment reads and
            // writes files, whichever store holds it.
            QTemporaryDir dir;
            if (!dir.isValid()) mapi::raise(mapi::code::DiskError);
            const Ref<mapi::Attachments> out = m->AttachmentsOf();
            int n = 0;
            for (const Ref<mapi::Attachment>& a : *atts) {
                const QString path = dir.filePath(QString::number(++n));
                a->WriteToFile(path);
                Ref<mapi::Attachment> copy = out->Add();
                copy->SetName(a->Name());
                copy->SetType(a->Type());
                copy->SetPosition(a->Position());
                copy->ReadFromFile(path);
            }
        }
    }
    return m;
}

}  // namespace model
