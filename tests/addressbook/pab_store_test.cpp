// "Add to PAB" against the embedded store: what the window stores is read
// back through a new logon, with its type, address, flags, notes and members.

#include <gtest/gtest.h>

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "addressbook/AddAddrForm.h"
#include "addressbook/FakeAddressBook.h"  // PrintTo for QString
#include "addressbook/ModalResponder.h"
#include "codegen/VarNames.h"
#include "messaging/SessionFactory.h"
#include "store/Backend.h"

namespace {

using addressbook::AddAddrForm;

constexpr std::int32_t kAliasTag = 973078558;
constexpr std::int32_t kRichTag = 977272843;
constexpr std::int32_t kCommentTag = 805568542;

const QByteArray kFixture = R"JSON({
  "profiles": [
    {"name": "Book", "default": true, "server": "mail", "mailbox": "book",
     "stores": ["00B1"], "addressLists": ["Global Address List", "Personal Address Book"]}
  ],
  "stores": [
    {"id": "00B1", "name": "Mailbox - Book", "root": {"id": "1000", "name": "Top"},
     "folders": [{"id": "1001", "name": "Inbox"}]}
  ],
  "addressLists": [
    {"name": "Global Address List", "readOnly": true, "entries": [
      {"id": "E001", "name": "Ann Able", "address": "ann@example.com", "type": "SMTP", "alias": "ann"}
    ]},
    {"name": "Personal Address Book", "entries": [
      {"id": "E005", "name": "Dee Dunn", "address": "dee@example.com", "type": "SMTP", "alias": "dee"}
    ]}
  ]
})JSON";

mapi::Ref<mapi::Session> logon() {
    mapi::Ref<mapi::Session> s = mapi::createSession();
    mapi::LogonArgs a;
    a.profileName = QStringLiteral("Book");
    a.showDialog = false;
    a.newSession = true;
    s->Logon(a);
    return s;
}

// The field's value, or an empty Variant when the entry does not have it.
mapi::Variant field(const mapi::Ref<mapi::AddressEntry>& e, std::int32_t tag) {
    try {
        return e->FieldsOf()->ItemByTag(tag)->Value();
    } catch (const mapi::Error&) {
        return {};
    }
}

struct Row {
    QString name, address, type, comment;
    bool richInfo = true;
};

Row read(const mapi::Ref<mapi::AddressEntry>& e) {
    Row r{e->Name(), e->Address(), e->Type(), QString(), true};
    const mapi::Variant c = field(e, kCommentTag);
    if (c.type() == mapi::VarType::String) r.comment = c.asString();
    const mapi::Variant rich = field(e, kRichTag);
    r.richInfo = !(rich.type() == mapi::VarType::Boolean && !rich.asBoolean());
    return r;
}

class PabStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString path = dir_.filePath(QStringLiteral("fixture.json"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kFixture);
        f.close();
        store::installFixtureBackend(path);
        session_ = logon();
    }

    void addRow(AddAddrForm& form, const QString& name, const QString& address,
                const QString& notes) {
        form.findChild<QLineEdit*>(QStringLiteral("NameText"))->setText(name);
        form.findChild<QLineEdit*>(QStringLiteral("AddrText"))->setText(address);
        form.findChild<QLineEdit*>(QStringLiteral("NoteText"))->setText(notes);
        form.findChild<QPushButton*>(QStringLiteral("AddListButton"))->click();
    }
    void clickAdd(AddAddrForm& form) {
        form.findChild<QPushButton*>(QStringLiteral("AddButton"))->click();
    }

    QTemporaryDir dir_;
    mapi::Ref<mapi::Session> session_;
    codegen::VarNames names_;
    QString code_;
    ModalResponder responder_;
};

TEST_F(PabStoreTest, EntriesAndListAreStoredAndReadBackAfterNewLogon) {
    {
        AddAddrForm form(names_, [this](const QString& t) { code_ += t; });
        form.oFormSession = session_;
        responder_.ignore(&form);
        form.show();
        addRow(form, QStringLiteral("Ann Archer"), QStringLiteral("ann.archer@example.com"),
               QString());
        clickAdd(form);
        addRow(form, QStringLiteral("Bea Notes"), QStringLiteral("bea@example.com"),
               QStringLiteral("likes tea"));
        clickAdd(form);
        addRow(form, QStringLiteral("Cy Cole"), QStringLiteral("cy@example.com"),
               QStringLiteral("first"));
        addRow(form, QStringLiteral("Di Dale"), QStringLiteral("di@example.com"), QString());
        addRow(form, QStringLiteral("Ed Eyre"), QStringLiteral("ed@example.com"),
               QStringLiteral("third"));
        form.findChild<QLineEdit*>(QStringLiteral("PDLText"))->setText(QStringLiteral("Team"));
        form.findChild<QLineEdit*>(QStringLiteral("DLNoteText"))
            ->setText(QStringLiteral("the team"));
        clickAdd(form);
    }
    ASSERT_TRUE(responder_.boxes.isEmpty()) << responder_.boxes.join('\n').toStdString();
    session_->Logoff();
    session_ = logon();

    const auto entries = session_->AddressListsOf()
                             ->ItemByName(QStringLiteral("Personal Address Book"))
                             ->AddressEntriesOf();
    std::vector<mapi::Ref<mapi::AddressEntry>> all;
    for (const auto& e : *entries) all.push_back(e);
    QStringList namesFound;
    for (const auto& e : all) namesFound << e->Name();
    namesFound.sort();
    // Exactly one of each: nothing stored twice.
    EXPECT_EQ(namesFound, (QStringList{"Ann Archer", "Bea Notes", "Dee Dunn", "Team"}));

    for (const auto& e : all) {
        const Row r = read(e);
        if (r.name == QLatin1String("Ann Archer")) {
            EXPECT_EQ(r.type, QStringLiteral("SMTP"));
            EXPECT_EQ(r.address, QStringLiteral("ann.archer@example.com"));
            EXPECT_FALSE(r.richInfo);
            EXPECT_EQ(r.comment, QString());
        } else if (r.name == QLatin1String("Bea Notes")) {
            EXPECT_EQ(r.type, QStringLiteral("SMTP"));
            EXPECT_EQ(r.address, QStringLiteral("bea@example.com"));
            EXPECT_FALSE(r.richInfo);
            EXPECT_EQ(r.comment, QStringLiteral("likes tea"));
        } else if (r.name == QLatin1String("Team")) {
            EXPECT_EQ(r.type, QStringLiteral("MAPIPDL"));
            EXPECT_EQ(r.comment, QStringLiteral("the team"));
            std::vector<Row> members;
            const auto memberList = e->Members();
            for (const auto& m : *memberList) members.push_back(read(m));
            ASSERT_EQ(members.size(), 3u);
            const QStringList expected{"Cy Cole|cy@example.com|first", "Di Dale|di@example.com|",
                                       "Ed Eyre|ed@example.com|third"};
            for (std::size_t i = 0; i < 3; ++i) {
                const Row& m = members[i];
                EXPECT_EQ(m.name + "|" + m.address + "|" + m.comment,
                          expected[static_cast<int>(i)]);
                EXPECT_EQ(m.type, QStringLiteral("SMTP"));
                EXPECT_FALSE(m.richInfo);
            }
        }
    }

    // Entries made here carry no alias: the alias look-up does not find them.
    for (const QString& probe : {QStringLiteral("Ann Archer"), QStringLiteral("ann.archer")}) {
        const auto list = session_->AddressListsOf()
                              ->ItemByName(QStringLiteral("Personal Address Book"))
                              ->AddressEntriesOf();
        list->FilterOf()->FieldsOf()->Add(mapi::Variant(kAliasTag), mapi::Variant(probe));
        EXPECT_TRUE(list->GetFirst().isNothing()) << probe.toStdString();
    }
}

}  // namespace
