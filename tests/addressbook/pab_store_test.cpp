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

// The embedded store seen through a wrapper that makes one chosen call fail:
// "Members.Add" or "AddressEntry.Update", on its n-th use.
struct Trap {
    QString call;
    int nth = 0;
    int seen = 0;
    void hit(const QString& c) {
        if (c == call && ++seen == nth) mapi::raise(mapi::code::NoAccess);
    }
};

class TrapEntries;

class TrapEntry : public mapi::AddressEntry {
  public:
    TrapEntry(mapi::Ref<mapi::AddressEntry> e, Trap& t) : e_(std::move(e)), t_(t) {}
    QString ID() override { return e_->ID(); }
    QString Name() override { return e_->Name(); }
    QString Address() override { return e_->Address(); }
    QString Type() override { return e_->Type(); }
    std::int32_t DisplayType() override { return e_->DisplayType(); }
    void SetName(const QString& v) override { e_->SetName(v); }
    void SetAddress(const QString& v) override { e_->SetAddress(v); }
    void SetType(const QString& v) override { e_->SetType(v); }
    mapi::Ref<mapi::Fields> FieldsOf() override { return e_->FieldsOf(); }
    mapi::Ref<mapi::AddressEntries> Members() override;
    void Details() override { e_->Details(); }
    void Update() override {
        t_.hit(QStringLiteral("AddressEntry.Update"));
        e_->Update();
    }
    void Delete() override { e_->Delete(); }

  private:
    mapi::Ref<mapi::AddressEntry> e_;
    Trap& t_;
};

class TrapEntries : public mapi::AddressEntries {
  public:
    TrapEntries(mapi::Ref<mapi::AddressEntries> e, Trap& t, QString addCall)
        : e_(std::move(e)), t_(t), addCall_(std::move(addCall)) {}
    std::int32_t Count() override { return e_->Count(); }
    mapi::Ref<mapi::AddressEntry> Item(std::int32_t i) override { return wrap(e_->Item(i)); }
    std::unique_ptr<mapi::Enumerator<mapi::AddressEntry>> enumerate() override {
        return e_->enumerate();
    }
    mapi::Ref<mapi::AddressEntry> GetFirst() override { return wrap(e_->GetFirst()); }
    mapi::Ref<mapi::AddressEntry> GetNext() override { return wrap(e_->GetNext()); }
    mapi::Ref<mapi::Filter> FilterOf() override { return e_->FilterOf(); }
    mapi::Ref<mapi::AddressEntry> Add(const QString& type, const QString& name) override {
        t_.hit(addCall_);
        return wrap(e_->Add(type, name));
    }

  private:
    mapi::Ref<mapi::AddressEntry> wrap(mapi::Ref<mapi::AddressEntry> e) {
        if (e.isNothing()) return e;
        return mapi::makeRef<TrapEntry>(std::move(e), t_);
    }
    mapi::Ref<mapi::AddressEntries> e_;
    Trap& t_;
    QString addCall_;
};

mapi::Ref<mapi::AddressEntries> TrapEntry::Members() {
    return mapi::makeRef<TrapEntries>(e_->Members(), t_, QStringLiteral("Members.Add"));
}

class TrapList : public mapi::AddressList {
  public:
    TrapList(mapi::Ref<mapi::AddressList> l, Trap& t) : l_(std::move(l)), t_(t) {}
    QString ID() override { return l_->ID(); }
    QString Name() override { return l_->Name(); }
    mapi::Ref<mapi::AddressEntries> AddressEntriesOf() override {
        return mapi::makeRef<TrapEntries>(l_->AddressEntriesOf(), t_,
                                          QStringLiteral("AddressEntries.Add"));
    }

  private:
    mapi::Ref<mapi::AddressList> l_;
    Trap& t_;
};

class TrapLists : public mapi::AddressLists {
  public:
    TrapLists(mapi::Ref<mapi::AddressLists> l, Trap& t) : l_(std::move(l)), t_(t) {}
    std::int32_t Count() override { return l_->Count(); }
    mapi::Ref<mapi::AddressList> Item(std::int32_t i) override {
        return mapi::makeRef<TrapList>(l_->Item(i), t_);
    }
    std::unique_ptr<mapi::Enumerator<mapi::AddressList>> enumerate() override {
        return l_->enumerate();
    }
    mapi::Ref<mapi::AddressList> ItemByName(const QString& n) override {
        return mapi::makeRef<TrapList>(l_->ItemByName(n), t_);
    }

  private:
    mapi::Ref<mapi::AddressLists> l_;
    Trap& t_;
};

class TrapSession : public mapi::Session {
  public:
    TrapSession(mapi::Ref<mapi::Session> s, Trap& t) : s_(std::move(s)), t_(t) {}
    void Logon(const mapi::LogonArgs& a) override { s_->Logon(a); }
    void Logoff() override { s_->Logoff(); }
    mapi::Ref<mapi::InfoStores> InfoStoresOf() override { return s_->InfoStoresOf(); }
    mapi::Ref<mapi::AddressLists> AddressListsOf() override {
        return mapi::makeRef<TrapLists>(s_->AddressListsOf(), t_);
    }
    mapi::Ref<mapi::AddressList> AddressListByName(const QString& n) override {
        return AddressListsOf()->ItemByName(n);
    }
    mapi::Ref<mapi::Folder> Outbox() override { return s_->Outbox(); }
    mapi::Ref<mapi::InfoStore> GetInfoStore(const QString& id) override {
        return s_->GetInfoStore(id);
    }
    mapi::Ref<mapi::Folder> GetFolder(const QString& f, const QString& st) override {
        return s_->GetFolder(f, st);
    }
    mapi::Ref<mapi::Message> GetMessage(const QString& m, const QString& st) override {
        return s_->GetMessage(m, st);
    }
    mapi::Ref<mapi::Recipients> AddressBook(const mapi::AddressBookArgs& a) override {
        return s_->AddressBook(a);
    }

  private:
    mapi::Ref<mapi::Session> s_;
    Trap& t_;
};

QStringList pabNames(const mapi::Ref<mapi::Session>& s) {
    QStringList out;
    const auto entries = s->AddressListsOf()
                             ->ItemByName(QStringLiteral("Personal Address Book"))
                             ->AddressEntriesOf();
    for (const auto& e : *entries) {
        QString line = e->Name();
        if (e->Type() == QLatin1String("MAPIPDL")) {
            const auto members = e->Members();
            for (const auto& m : *members) line += QLatin1Char('|') + m->Name();
        }
        out << line;
    }
    out.sort();
    return out;
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

// A write refused part-way through a three-member list: whatever the click
// stored is removed from the real store, and the retry stores exactly one list.
TEST_F(PabStoreTest, RefusedThirdMemberLeavesNothingAndRetryStoresOneList) {
    // The third member's Add, or the second member's Update (the list notes'
    // Update and the first member's notes' Update come before it).
    for (const auto& [call, nth] : std::vector<std::pair<QString, int>>{
             {QStringLiteral("Members.Add"), 3}, {QStringLiteral("AddressEntry.Update"), 4}}) {
        SCOPED_TRACE(call.toStdString());
        Trap trap{call, nth};
        AddAddrForm form(names_, [this](const QString& t) { code_ += t; });
        form.oFormSession = mapi::makeRef<TrapSession>(session_, trap);
        responder_.ignore(&form);
        form.show();
        addRow(form, QStringLiteral("Cy Cole"), QStringLiteral("cy@example.com"),
               QStringLiteral("first"));
        addRow(form, QStringLiteral("Di Dale"), QStringLiteral("di@example.com"), QString());
        addRow(form, QStringLiteral("Ed Eyre"), QStringLiteral("ed@example.com"), QString());
        form.findChild<QLineEdit*>(QStringLiteral("PDLText"))->setText(QStringLiteral("Team"));
        form.findChild<QLineEdit*>(QStringLiteral("DLNoteText"))
            ->setText(QStringLiteral("the team"));
        clickAdd(form);
        ASSERT_EQ(responder_.boxes.size(), 1);
        EXPECT_TRUE(responder_.boxes[0].startsWith(
            QStringLiteral("critical|Quorvane '99|Error #-2147024891 - ")));
        EXPECT_EQ(pabNames(session_), QStringList{"Dee Dunn"});

        responder_.boxes.clear();
        clickAdd(form);
        EXPECT_TRUE(responder_.boxes.isEmpty());
        EXPECT_EQ(pabNames(session_), (QStringList{"Dee Dunn", "Team|Cy Cole|Di Dale|Ed Eyre"}));
        session_->Logoff();
        session_ = logon();
        EXPECT_EQ(pabNames(session_), (QStringList{"Dee Dunn", "Team|Cy Cole|Di Dale|Ed Eyre"}));

        // Start the next round from the fixture's own contents.
        const auto entries = session_->AddressListsOf()
                                 ->ItemByName(QStringLiteral("Personal Address Book"))
                                 ->AddressEntriesOf();
        for (const auto& e : *entries)
            if (e->Name() == QLatin1String("Team")) {
                const auto members = e->Members();
                std::vector<mapi::Ref<mapi::AddressEntry>> ms;
                for (const auto& m : *members) ms.push_back(m);
                for (const auto& m : ms) m->Delete();
                e->Delete();
            }
        ASSERT_EQ(pabNames(session_), QStringList{"Dee Dunn"});
        responder_.boxes.clear();
    }
}

}  // namespace
