// What Send leaves in the Outbox, read back through a fresh logon: the
// recipients with their types and the attachments byte for byte.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "messaging/SessionFactory.h"
#include "store/Backend.h"
#include "support/Drive.h"

namespace {

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return f.fileName();
}

mapi::Ref<mapi::Session> logon() {
    mapi::Ref<mapi::Session> s = mapi::createSession();
    mapi::LogonArgs args;
    args.profileName = QStringLiteral("Compose");
    args.profilePassword = QStringLiteral("pw");
    args.showDialog = false;
    args.newSession = true;
    s->Logon(args);
    return s;
}

TEST(StoreSend, TheSavedMessageIsStoredWithItsRecipientsAndBytes) {
    store::installFixtureBackend(QStringLiteral(COMPOSE_DATA_DIR "/compose_fixture.json"));
    QTemporaryDir dir;
    const QByteArray bytesA("plain text\r\nwith a NUL \0 inside", 31);
    QByteArray bytesB;
    for (int i = 0; i < 70000; ++i) bytesB.append(static_cast<char>(i * 7));
    const QString fileA = writeFile(dir, QStringLiteral("notes.txt"), bytesA);
    const QString fileB = writeFile(dir, QStringLiteral("blob.bin"), bytesB);

    const drive::Outcome o = drive::run(
        QStringLiteral(
            "tab \"Logon Properties\"\nclick LogonCheck\nset PNameText Compose\nset PPwdText pw\n"
            "click ShowLogCheck\nclick LogonButton\ntab Functions\nclick SendButton\nclick "
            "AddressButton\n"
            "choose AddressListCombo \"Global Address List\"\nchoose EntryList \"Ann Able\"\n"
            "click ToButton\nchoose EntryList \"Bob Baker\"\nclick CcButton\n"
            "choose AddressListCombo \"Personal Address Book\"\nchoose EntryList \"Dee Dunn\"\n"
            "click BccButton\nclick OkButton\nclick AttachButton\nfile %1\nclick AttachButton\n"
            "file %2\nset SubjectText \"Quarterly \\\"numbers\\\"\"\nset MsgText \"Dear all,\\nsee "
            "attached.\"\n"
            "click ImportOption(0)\nclick ReadCheck\nclick SendButton\nclick LogoffButton\n")
            .arg(fileA, fileB));
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_FALSE(o.out.contains(QStringLiteral("msgbox"))) << o.out.toStdString();

    mapi::Ref<mapi::Session> s = logon();
    auto msgs = s->Outbox()->MessagesOf();
    ASSERT_EQ(msgs->Count(), 2);  // the queued one and ours
    auto m = msgs->Item(2);
    EXPECT_EQ(m->Subject(), QStringLiteral("Quarterly \"numbers\""));
    EXPECT_EQ(m->Text(), QStringLiteral("Dear all,\r\nsee attached."));
    EXPECT_EQ(m->Importance().toText(), QStringLiteral("0"));
    EXPECT_EQ(m->ReadReceipt().toText(), QStringLiteral("True"));

    QStringList got;
    auto recips = m->RecipientsOf();
    for (std::int32_t i = 1; i <= recips->Count(); ++i) {
        auto r = recips->Item(i);
        got << QStringLiteral("%1|%2|%3").arg(r->Name()).arg(r->Type()).arg(r->Address());
    }
    got.sort();
    EXPECT_EQ(got, (QStringList{"Ann Able|1|ann@example.com", "Bob Baker|2|bob@example.com",
                                "Dee Dunn|3|dee@example.com"}));

    auto atts = m->AttachmentsOf();
    ASSERT_EQ(atts->Count(), 2);
    const QString files[] = {fileA, fileB};
    const QByteArray bytes[] = {bytesA, bytesB};
    for (std::int32_t i = 1; i <= 2; ++i) {
        auto a = atts->Item(i);
        EXPECT_EQ(a->Position(), i - 1);
        EXPECT_EQ(a->Name(), files[i - 1]);
        const QString out = dir.filePath(QStringLiteral("out%1").arg(i));
        a->WriteToFile(out);
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes[i - 1]);
    }
    s->Logoff();
}

}  // namespace
