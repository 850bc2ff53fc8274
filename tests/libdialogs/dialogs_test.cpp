// The library's own dialogs driven headlessly: what they show, what OK gives
// back, and the cancel paths.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

#include "messaging/Error.h"
#include "messaging/Objects.h"
#include "store/LibraryDialogs.h"
#include "support/FakeMapi.h"

using namespace mapi;

namespace {

// ---- a small in-memory address book -------------------------------------------

template <class T>
class VecEnum : public Enumerator<T> {
  public:
    explicit VecEnum(std::vector<Ref<T>> v) : v_(std::move(v)) {}
    Ref<T> next() override { return i_ < v_.size() ? v_[i_++] : Ref<T>(); }

  private:
    std::vector<Ref<T>> v_;
    std::size_t i_ = 0;
};

template <class T, class Base>
class VecCollection : public Base {
  public:
    std::vector<Ref<T>> items;
    std::int32_t Count() override { return static_cast<std::int32_t>(items.size()); }
    Ref<T> Item(std::int32_t i) override {
        if (i < 1 || i > Count()) mapi::raise(code::NotFound);
        return items[static_cast<std::size_t>(i - 1)];
    }
    std::unique_ptr<Enumerator<T>> enumerate() override {
        return std::make_unique<VecEnum<T>>(items);
    }
};

class FakeField : public Field {
  public:
    FakeField(std::int32_t id, QString name, Variant value)
        : id_(id), name_(std::move(name)), value_(std::move(value)) {}
    QString Name() override { return name_; }
    std::int32_t ID() override { return id_; }
    Variant Type() override { return static_cast<std::int32_t>(value_.type()); }
    Variant Value() override { return value_; }
    void SetValue(const Variant& v) override { value_ = v; }

  private:
    std::int32_t id_;
    QString name_;
    Variant value_;
};

class FakeFields : public VecCollection<Field, Fields> {
  public:
    Ref<Field> ItemByTag(std::int32_t tag) override {
        for (auto& f : items)
            if (f->ID() == tag) return f;
        mapi::raise(code::NotFound);
    }
    Ref<Field> ItemByName(const QString& name) override {
        for (auto& f : items)
            if (f->Name() == name) return f;
        mapi::raise(code::NotFound);
    }
    Ref<Field> Add(const Variant&, std::int16_t, const Variant&) override {
        mapi::raise(code::NoSupport);
    }
    Ref<Field> Add(const Variant&, const Variant&) override { mapi::raise(code::NoSupport); }
};

constexpr std::int32_t kAccount = 0x3A00001E;

class FakeEntry : public AddressEntry {
  public:
    QString id, name, address, type = "SMTP";
    std::int32_t displayType = 0;
    bool nameFails = false;
    std::shared_ptr<FakeFields> fields = std::make_shared<FakeFields>();

    QString ID() override { return id; }
    QString Name() override {
        if (nameFails) mapi::raise(code::CallFailed);
        return name;
    }
    QString Address() override { return address; }
    QString Type() override { return type; }
    std::int32_t DisplayType() override { return displayType; }
    void SetName(const QString& v) override { name = v; }
    void SetAddress(const QString& v) override { address = v; }
    void SetType(const QString& v) override { type = v; }
    Ref<Fields> FieldsOf() override { return Ref<Fields>(fields); }
    Ref<AddressEntries> Members() override { mapi::raise(code::NoSupport); }
    void Details() override {}
    void Update() override {}
    void Delete() override {}
};

class FakeEntries : public VecCollection<AddressEntry, AddressEntries> {
  public:
    Ref<AddressEntry> GetFirst() override { mapi::raise(code::NoSupport); }
    Ref<AddressEntry> GetNext() override { mapi::raise(code::NoSupport); }
    Ref<Filter> FilterOf() override { mapi::raise(code::NoSupport); }
    Ref<AddressEntry> Add(const QString&, const QString&) override { mapi::raise(code::NoSupport); }
};

class FakeList : public AddressList {
  public:
    QString name;
    std::shared_ptr<FakeEntries> entries = std::make_shared<FakeEntries>();
    QString ID() override { return name; }
    QString Name() override { return name; }
    Ref<AddressEntries> AddressEntriesOf() override { return Ref<AddressEntries>(entries); }
};

class FakeLists : public VecCollection<AddressList, AddressLists> {
  public:
    Ref<AddressList> ItemByName(const QString& n) override {
        for (auto& l : items)
            if (l->Name() == n) return l;
        mapi::raise(code::NotFound);
    }
};

class FakeRecipient : public Recipient {
  public:
    FakeRecipient(QString n, std::int32_t t, QString a) : name(n), type(t), address(a) {}
    QString name;
    std::int32_t type;
    QString address;
    QString Name() override { return name; }
    std::int32_t Type() override { return type; }
    QString Address() override { return address; }
    std::int32_t DisplayType() override { return 0; }
    void SetName(const QString& v) override { name = v; }
    void SetType(std::int32_t v) override { type = v; }
    void SetAddress(const QString& v) override { address = v; }
    void Resolve() override { mapi::raise(code::NoSupport); }
};

class FakeRecipients : public VecCollection<Recipient, Recipients> {
  public:
    Ref<Recipient> Add(const QString& name, std::int32_t type) override {
        items.push_back(makeRef<FakeRecipient>(name, type, QString()));
        return items.back();
    }
};

class FakeSession : public Session {
  public:
    std::shared_ptr<FakeLists> lists = std::make_shared<FakeLists>();
    void Logon(const LogonArgs&) override {}
    void Logoff() override {}
    Ref<InfoStores> InfoStoresOf() override { mapi::raise(code::NoSupport); }
    Ref<AddressLists> AddressListsOf() override { return Ref<AddressLists>(lists); }
    Ref<AddressList> AddressListByName(const QString& n) override { return lists->ItemByName(n); }
    Ref<Folder> Outbox() override { mapi::raise(code::NoSupport); }
    Ref<InfoStore> GetInfoStore(const QString&) override { mapi::raise(code::NoSupport); }
    Ref<Folder> GetFolder(const QString&, const QString&) override { mapi::raise(code::NoSupport); }
    Ref<Message> GetMessage(const QString&, const QString&) override {
        mapi::raise(code::NoSupport);
    }
    Ref<Recipients> AddressBook(const AddressBookArgs&) override { mapi::raise(code::NoSupport); }
};

std::shared_ptr<FakeEntry> entry(const QString& id, const QString& name, const QString& address,
                                 const QString& alias = QString()) {
    auto e = std::make_shared<FakeEntry>();
    e->id = id;
    e->name = name;
    e->address = address;
    if (!alias.isEmpty()) e->fields->items.push_back(makeRef<FakeField>(kAccount, "", alias));
    return e;
}

// Two lists: "Global Address List" (Ann, Bob, Cy) and "Contacts" (Dee).
struct Book {
    FakeSession session;
    std::shared_ptr<FakeList> gal = std::make_shared<FakeList>();
    std::shared_ptr<FakeList> contacts = std::make_shared<FakeList>();
    Book() {
        gal->name = "Global Address List";
        gal->entries->items = {entry("0A", "Ann Archer", "ann@example.com", "ann"),
                               entry("0B", "Bob Baker", "bob@example.com", "bbaker"),
                               entry("0C", "Cy Cole", "cy@example.com", "cy")};
        auto dl = entry("0D", "Team", "team", "team");
        dl->type = "MAPIPDL";
        dl->displayType = 5;
        contacts->name = "Contacts";
        contacts->entries->items = {dl};
        session.lists->items = {Ref<AddressList>(gal), Ref<AddressList>(contacts)};
    }
};

// ---- driving modal windows ------------------------------------------------------

// Runs `fn` on the modal window named `name` once it is up (polled from the
// event loop, since the dialogs block in exec()). Closes whatever is modal when
// the expected window never shows, so a failing test cannot hang.
void whenModal(const QString& name, std::function<void(QWidget*)> fn, int tries = 300) {
    QTimer::singleShot(tries == 300 ? 0 : 10, [=] {
        QWidget* w = QApplication::activeModalWidget();
        if (w && w->objectName() == name) return fn(w);
        if (tries > 0) return whenModal(name, fn, tries - 1);
        ADD_FAILURE() << "no modal window " << name.toStdString();
        if (w) w->close();
    });
}

template <class T = QWidget>
T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromLatin1(name));
    if (!c) ADD_FAILURE() << "no child " << name;
    return c;
}

void click(QWidget* w, const char* name) {
    child<QPushButton>(w, name)->click();
}

QStringList texts(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

void selectRows(QWidget* dialog, std::initializer_list<int> rows) {
    auto* list = child<QListWidget>(dialog, "EntryList");
    list->clearSelection();
    for (int r : rows) list->item(r)->setSelected(true);
}

std::int32_t errorNumberOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Error& e) {
        return e.number();
    }
    return 0;
}

QString describe(const store::ChosenRecipient& r) {
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(r.type)
        .arg(r.name, r.address, r.addressType)
        .arg(r.displayType)
        .arg(r.entryId);
}

QStringList describe(const std::vector<store::ChosenRecipient>& v) {
    QStringList out;
    for (const auto& r : v) out << describe(r);
    return out;
}

AddressBookArgs threeLists() {
    AddressBookArgs a;
    a.title = "My Title";
    a.oneAddress = false;
    a.forceResolution = true;
    a.recipLists = 3;
    a.toLabel = "TO:";
    a.ccLabel = "CC:";
    a.bccLabel = "BCC:";
    return a;
}

}  // namespace

// ---- profile chooser ------------------------------------------------------------

TEST(ProfileChooser, PreselectsTheGivenProfileAndReturnsTheChosenOne) {
    QString title, preselected;
    bool modal = false;
    whenModal("ProfileDialog", [&](QWidget* d) {
        title = d->windowTitle();
        modal = d->windowModality() == Qt::ApplicationModal;
        auto* combo = child<QComboBox>(d, "ProfileCombo");
        preselected = combo->currentText();
        combo->setCurrentIndex(2);
        click(d, "OkButton");
    });
    const QString chosen =
        store::runProfileChooser({"Default", "Work", "Archive"}, "work");  // case ignored
    EXPECT_EQ(title, "Choose Profile");
    EXPECT_TRUE(modal);
    EXPECT_EQ(preselected, "Work");
    EXPECT_EQ(chosen, "Archive");
}

TEST(ProfileChooser, UnknownPreselectionFallsBackToTheFirstProfile) {
    whenModal("ProfileDialog", [&](QWidget* d) { click(d, "OkButton"); });
    EXPECT_EQ(store::runProfileChooser({"Default", "Work"}, "Nowhere"), "Default");
}

TEST(ProfileChooser, CancelAndFrameCloseThrowUserCancel) {
    whenModal("ProfileDialog", [&](QWidget* d) { click(d, "CancelButton"); });
    EXPECT_EQ(errorNumberOf([] { store::runProfileChooser({"Default"}, "Default"); }), -2147221229);
    whenModal("ProfileDialog", [&](QWidget* d) { d->close(); });
    EXPECT_EQ(errorNumberOf([] { store::runProfileChooser({"Default"}, "Default"); }), -2147221229);
}

// ---- address book ---------------------------------------------------------------

TEST(AddressBookDialog, ShowsListsEntriesAndTheRequestedRecipientLists) {
    Book book;
    QStringList lists, firstEntries, secondEntries, captions;
    QString title;
    bool hasCc = true;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        title = d->windowTitle();
        auto* combo = child<QComboBox>(d, "AddressListCombo");
        for (int i = 0; i < combo->count(); ++i) lists << combo->itemText(i);
        firstEntries = texts(child<QListWidget>(d, "EntryList"));
        combo->setCurrentIndex(1);
        secondEntries = texts(child<QListWidget>(d, "EntryList"));
        captions << child<QPushButton>(d, "ToButton")->text();
        hasCc = d->findChild<QPushButton*>("CcButton") != nullptr ||
                d->findChild<QListWidget*>("CcList") != nullptr;
        click(d, "OkButton");
    });
    AddressBookArgs args;
    args.title = "Recipients Filter";
    args.recipLists = 1;
    args.toLabel = "TO:";
    EXPECT_TRUE(store::runAddressBook(book.session, args).empty());
    EXPECT_EQ(title, "Recipients Filter");
    EXPECT_EQ(lists, QStringList({"Global Address List", "Contacts"}));
    EXPECT_EQ(firstEntries, QStringList({"Ann Archer", "Bob Baker", "Cy Cole"}));
    EXPECT_EQ(secondEntries, QStringList({"Team"}));
    EXPECT_EQ(captions, QStringList({"TO:"}));
    EXPECT_FALSE(hasCc);
}

TEST(AddressBookDialog, ChosenEntriesComeBackToThenCcThenBccWithTheirDetails) {
    Book book;
    QStringList to, cc, bcc, captions;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        for (const char* b : {"ToButton", "CcButton", "BccButton"})
            captions << child<QPushButton>(d, b)->text();
        selectRows(d, {2});
        click(d, "BccButton");
        selectRows(d, {1});
        click(d, "ToButton");
        selectRows(d, {0});
        click(d, "ToButton");
        child<QComboBox>(d, "AddressListCombo")->setCurrentIndex(1);
        selectRows(d, {0});
        click(d, "CcButton");
        to = texts(child<QListWidget>(d, "ToList"));
        cc = texts(child<QListWidget>(d, "CcList"));
        bcc = texts(child<QListWidget>(d, "BccList"));
        click(d, "OkButton");
    });
    const auto result = store::runAddressBook(book.session, threeLists());
    EXPECT_EQ(captions, QStringList({"TO:", "CC:", "BCC:"}));
    EXPECT_EQ(to, QStringList({"Bob Baker", "Ann Archer"}));
    EXPECT_EQ(cc, QStringList({"Team"}));
    EXPECT_EQ(bcc, QStringList({"Cy Cole"}));
    EXPECT_EQ(describe(result),
              QStringList({"1|Bob Baker|bob@example.com|SMTP|0|0B",
                           "1|Ann Archer|ann@example.com|SMTP|0|0A", "2|Team|team|MAPIPDL|5|0D",
                           "3|Cy Cole|cy@example.com|SMTP|0|0C"}));
}

TEST(AddressBookDialog, MakingTheFirstEntryCurrentSelectsIt) {
    Book book;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        child<QListWidget>(d, "EntryList")->setCurrentRow(0);
        click(d, "ToButton");
        click(d, "OkButton");
    });
    EXPECT_EQ(describe(store::runAddressBook(book.session, threeLists())),
              QStringList({"1|Ann Archer|ann@example.com|SMTP|0|0A"}));
}

TEST(AddressBookDialog, SeveralSelectedEntriesAreAddedInListOrderAndNeverTwice) {
    Book book;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        selectRows(d, {2, 0});
        click(d, "ToButton");
        selectRows(d, {0, 1});  // Ann again: stays where she is
        click(d, "ToButton");
        click(d, "OkButton");
    });
    const auto result = store::runAddressBook(book.session, threeLists());
    QStringList names;
    for (const auto& r : result) names << r.name;
    EXPECT_EQ(names, QStringList({"Ann Archer", "Cy Cole", "Bob Baker"}));
}

TEST(AddressBookDialog, TypingANameSelectsTheFirstEntryBeginningWithIt) {
    Book book;
    book.contacts->entries->items.push_back(entry("0G", "Bo Diddley", "bo@example.com"));
    QStringList selected;
    bool open = false;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        auto* list = child<QListWidget>(d, "EntryList");
        QTest::keyClicks(child<QLineEdit>(d, "SearchText"), "bO");
        for (auto* item : list->selectedItems()) selected << item->text();
        click(d, "ToButton");
        QTest::keyClicks(child<QLineEdit>(d, "SearchText"), "x");  // "bOx": no match, no change
        for (auto* item : list->selectedItems()) selected << item->text();
        // Switching lists keeps looking for the typed text.
        child<QLineEdit>(d, "SearchText")->setText("bo");
        child<QComboBox>(d, "AddressListCombo")->setCurrentIndex(1);
        for (auto* item : list->selectedItems()) selected << item->text();
        click(d, "CcButton");
        // Return in the box adds to the first list and leaves the dialog open.
        auto* search = child<QLineEdit>(d, "SearchText");
        search->setText("");
        QTest::keyClicks(search, "te");
        QTest::keyClick(search, Qt::Key_Return);
        open = d->isVisible();
        click(d, "OkButton");
    });
    const auto result = store::runAddressBook(book.session, threeLists());
    EXPECT_EQ(selected, QStringList({"Bob Baker", "Bob Baker", "Bo Diddley"}));
    EXPECT_TRUE(open);
    EXPECT_EQ(describe(result),
              QStringList({"1|Bob Baker|bob@example.com|SMTP|0|0B", "1|Team|team|MAPIPDL|5|0D",
                           "2|Bo Diddley|bo@example.com|SMTP|0|0G"}));
}

TEST(AddressBookDialog, PrefillsFromRecipientsAndMovesARecipientFromToIntoCc) {
    Book book;
    auto given = std::make_shared<FakeRecipients>();
    given->items = {makeRef<FakeRecipient>("Cy Cole", 3, "cy@example.com"),
                    makeRef<FakeRecipient>("Ann Archer", 1, "ann@example.com"),
                    makeRef<FakeRecipient>("Odd One", 0, "odd@example.com"),
                    makeRef<FakeRecipient>("Bob Baker", 2, "bob@example.com")};
    AddressBookArgs args = threeLists();
    args.recipients = Ref<Recipients>(given);
    QStringList before[3], after[3];
    whenModal("AddressBookDialog", [&](QWidget* d) {
        const char* lists[3] = {"ToList", "CcList", "BccList"};
        for (int i = 0; i < 3; ++i) before[i] = texts(child<QListWidget>(d, lists[i]));
        selectRows(d, {0});  // Ann, chosen as To, into Cc
        click(d, "CcButton");
        for (int i = 0; i < 3; ++i) after[i] = texts(child<QListWidget>(d, lists[i]));
        click(d, "OkButton");
    });
    const auto result = store::runAddressBook(book.session, args);
    EXPECT_EQ(before[0], QStringList({"Ann Archer"}));
    EXPECT_EQ(before[1], QStringList({"Bob Baker"}));
    EXPECT_EQ(before[2], QStringList({"Cy Cole"}));
    EXPECT_EQ(after[0], QStringList());
    EXPECT_EQ(after[1], QStringList({"Bob Baker", "Ann Archer"}));
    EXPECT_EQ(after[2], QStringList({"Cy Cole"}));
    EXPECT_EQ(describe(result), QStringList({"2|Bob Baker|bob@example.com||0|",
                                             "2|Ann Archer|ann@example.com|SMTP|0|0A",
                                             "3|Cy Cole|cy@example.com||0|"}));
    // The caller's collection is only read.
    EXPECT_EQ(given->items[1]->Type(), 1);
}

TEST(AddressBookDialog, RecipientsHandedInAreMatchedToTheirAddressBookEntries) {
    auto world = fake::demoWorld();
    auto session = fake::newSession(world);
    session->Logon(LogonArgs{});
    AddressBookArgs args = threeLists();
    args.recipients = session->GetMessage("M1", "S1")->RecipientsOf();
    QStringList cc;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        cc = texts(child<QListWidget>(d, "CcList"));
        selectRows(d, {1});  // Bob Baker, handed in as Cc, chosen as To
        click(d, "ToButton");
        click(d, "OkButton");
    });
    const auto result = store::runAddressBook(*session, args);
    EXPECT_EQ(cc, QStringList({"Bob Baker"}));
    EXPECT_EQ(describe(result), QStringList({"1|John Smith|jsmith@example.com||0|",
                                             "1|Bob Baker|bob@example.com|SMTP|0|E2",
                                             "3|Cy Cole|cy@example.com|SMTP|0|E3"}));
}

TEST(AddressBookDialog, RemoveTakesTheSelectedRecipientsOut) {
    Book book;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        selectRows(d, {0, 1, 2});
        click(d, "ToButton");
        auto* to = child<QListWidget>(d, "ToList");
        to->item(1)->setSelected(true);
        click(d, "RemoveButton");
        EXPECT_EQ(texts(to), QStringList({"Ann Archer", "Cy Cole"}));
        click(d, "OkButton");
    });
    EXPECT_EQ(store::runAddressBook(book.session, threeLists()).size(), 2u);
}

TEST(AddressBookDialog, OneAddressKeepsOnlyTheLastChoiceInAllLists) {
    Book book;
    AddressBookArgs args = threeLists();
    args.oneAddress = true;
    QStringList to, cc;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        selectRows(d, {0});
        click(d, "ToButton");
        selectRows(d, {1});
        click(d, "CcButton");
        to = texts(child<QListWidget>(d, "ToList"));
        cc = texts(child<QListWidget>(d, "CcList"));
        click(d, "OkButton");
    });
    const auto result = store::runAddressBook(book.session, args);
    EXPECT_EQ(to, QStringList());
    EXPECT_EQ(cc, QStringList({"Bob Baker"}));
    EXPECT_EQ(describe(result), QStringList({"2|Bob Baker|bob@example.com|SMTP|0|0B"}));
}

TEST(AddressBookDialog, CancelFrameCloseAndBadListCountThrow) {
    Book book;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        selectRows(d, {0});
        click(d, "ToButton");
        click(d, "CancelButton");
    });
    EXPECT_EQ(errorNumberOf([&] { store::runAddressBook(book.session, threeLists()); }),
              -2147221229);
    whenModal("AddressBookDialog", [&](QWidget* d) { d->close(); });
    EXPECT_EQ(errorNumberOf([&] { store::runAddressBook(book.session, threeLists()); }),
              -2147221229);
    AddressBookArgs four = threeLists();
    four.recipLists = 4;
    EXPECT_EQ(errorNumberOf([&] { store::runAddressBook(book.session, four); }), -2147024809);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(AddressBookDialog, ForceResolutionResolvesTypedNamesByNameOrAlias) {
    Book book;
    auto given = std::make_shared<FakeRecipients>();
    given->Add("BBAKER", 1);   // alias, any case
    given->Add("cy cole", 2);  // display name, any case
    AddressBookArgs args = threeLists();
    args.recipients = Ref<Recipients>(given);
    whenModal("AddressBookDialog", [&](QWidget* d) { click(d, "OkButton"); });
    EXPECT_EQ(describe(store::runAddressBook(book.session, args)),
              QStringList(
                  {"1|Bob Baker|bob@example.com|SMTP|0|0B", "2|Cy Cole|cy@example.com|SMTP|0|0C"}));

    args.forceResolution = false;
    whenModal("AddressBookDialog", [&](QWidget* d) { click(d, "OkButton"); });
    EXPECT_EQ(describe(store::runAddressBook(book.session, args)),
              QStringList({"1|BBAKER|||0|", "2|cy cole|||0|"}));
}

TEST(AddressBookDialog, UnresolvableNameKeepsTheDialogOpenWithAMessage) {
    Book book;
    book.gal->entries->items.push_back(entry("0E", "Ann Other", "other@example.com", "ann"));
    auto given = std::make_shared<FakeRecipients>();
    given->Add("nobody", 1);
    given->Add("ann", 1);  // alias of two entries
    AddressBookArgs args = threeLists();
    args.recipients = Ref<Recipients>(given);
    QStringList messages;
    bool stillOpen = false;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        auto answer = [&](QWidget* box) {
            messages << static_cast<QMessageBox*>(box)->text();
            box->close();
        };
        whenModal("MsgBox", answer);
        click(d, "OkButton");
        stillOpen = d->isVisible();
        auto* to = child<QListWidget>(d, "ToList");
        to->item(0)->setSelected(true);
        click(d, "RemoveButton");
        whenModal("MsgBox", answer);
        click(d, "OkButton");
        to->item(0)->setSelected(true);
        click(d, "RemoveButton");
        click(d, "OkButton");
    });
    EXPECT_TRUE(store::runAddressBook(book.session, args).empty());
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(messages,
              QStringList({"The name \"nobody\" does not match any entry in the address book. "
                           "Remove it or choose an entry from the list.",
                           "The name \"ann\" matches more than one entry in the address book. "
                           "Remove it or choose an entry from the list."}));
}

TEST(AddressBookDialog, AnEntryThatFailsToReadStillTakesItsRow) {
    Book book;
    std::static_pointer_cast<FakeEntry>(book.gal->entries->items[1].shared())->nameFails = true;
    QStringList shown;
    whenModal("AddressBookDialog", [&](QWidget* d) {
        shown = texts(child<QListWidget>(d, "EntryList"));
        selectRows(d, {2});
        click(d, "ToButton");
        click(d, "OkButton");
    });
    const auto result = store::runAddressBook(book.session, threeLists());
    EXPECT_EQ(shown, QStringList({"Ann Archer", "", "Cy Cole"}));
    EXPECT_EQ(describe(result), QStringList({"1|Cy Cole|cy@example.com|SMTP|0|0C"}));
}

// ---- details ------------------------------------------------------------------------

TEST(DetailsDialog, ShowsNameAddressTypeAliasAndEveryField) {
    auto e = entry("0A", "Ann Archer", "ann@example.com", "ann");
    e->fields->items.push_back(makeRef<FakeField>(0x3A40000B, "", true));
    e->fields->items.push_back(makeRef<FakeField>(-2147352565, "Rank", Variant(std::int32_t(7))));
    e->fields->items.push_back(makeRef<FakeField>(0x3004001E, "", Variant::null()));
    e->fields->items.push_back(
        makeRef<FakeField>(0x3005001E, "", Variant(ErrorValue{code::NotFound})));
    QString title;
    QStringList values;
    QList<QStringList> rows;
    QStringList headers;
    whenModal("DetailsDialog", [&](QWidget* d) {
        title = d->windowTitle();
        for (const char* n : {"NameText", "AddressText", "TypeText", "AliasText"})
            values << child<QLineEdit>(d, n)->text();
        auto* list = child<QTreeWidget>(d, "FieldList");
        for (int c = 0; c < list->columnCount(); ++c) headers << list->headerItem()->text(c);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            auto* item = list->topLevelItem(i);
            rows << QStringList{item->text(0), item->text(1), item->text(2)};
        }
        click(d, "OkButton");
    });
    store::runDetails(*e);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(title, "Ann Archer");
    EXPECT_EQ(values, QStringList({"Ann Archer", "ann@example.com", "SMTP", "ann"}));
    EXPECT_EQ(headers, QStringList({"ID", "Name", "Value"}));
    EXPECT_EQ(rows, (QList<QStringList>{{"973078558", "", "ann"},
                                        {"977272843", "", "True"},
                                        {"-2147352565", "Rank", "7"},
                                        {"805568542", "", ""},
                                        {"805634078", "", ""}}));
}

TEST(DetailsDialog, EntryWithoutAliasOrNameShowsThemEmpty) {
    auto e = entry("0F", "Nameless", "x@example.com");
    e->nameFails = true;
    QStringList values;
    int rows = -1;
    whenModal("DetailsDialog", [&](QWidget* d) {
        for (const char* n : {"NameText", "AddressText", "TypeText", "AliasText"})
            values << child<QLineEdit>(d, n)->text();
        rows = child<QTreeWidget>(d, "FieldList")->topLevelItemCount();
        d->close();
    });
    store::runDetails(*e);
    EXPECT_EQ(values, QStringList({"", "x@example.com", "SMTP", ""}));
    EXPECT_EQ(rows, 0);
}
