// The add-addresses window: its controls, list editing, and "Add to PAB" with
// the entries it stores and the code it writes, against the in-memory address
// book (including failures injected part-way through).

#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "addressbook/AddAddrForm.h"
#include "addressbook/AddressBookController.h"
#include "addressbook/FakeAddressBook.h"
#include "addressbook/ModalResponder.h"
#include "codegen/VarNames.h"
#include "ui/Dialogs.h"
#include "ui/ListView.h"

namespace {

using addressbook::AddAddrForm;

const QString kCrLf = QStringLiteral("\r\n");
constexpr std::int32_t kRich = 977272843;
constexpr std::int32_t kComment = 805568542;

QString joinLines(const QStringList& lines) {
    QString out;
    for (const QString& l : lines) out += l + kCrLf;
    return out;
}

QString p1to4(const QString& session = QStringLiteral("oSession")) {
    return joinLines({
        "'get the AddressLists collection from the Session object",
        "'these routines use address entry objects:  oAddressLists, oAddressList, ",
        "'oAddressEntries, oAddressEntry and oMember.  Make sure you DIM them as Objects in your "
        "code",
        "Set oAddressLists = " + session + ".AddressLists",
        "",
    });
}
QString p5to10() {
    return joinLines({
        "'get a reference to the PAB (here's where you could substitute",
        "'a different address book provider; however, an error occurs",
        "'if you don't have permissions to add entries to the address book",
        "Set oAddressList = oAddressLists(\"Personal Address Book\")",
        "",
        "'get the AddressEntries collection for this address list",
        "Set oAddressEntries = oAddressList.AddressEntries",
        "",
    });
}
QString dLines(const QString& name) {
    return joinLines({
        "'add a new distribution list entry",
        "Set oAddressEntry = oAddressEntries.Add(\"MAPIPDL\", \"" + name + "\")",
        "",
        "'now add individual entries to the distribution list",
    });
}
QString mLines(const QString& name, const QString& address) {
    return joinLines({
        "Set oMember = oAddressEntry.Members.Add(\"SMTP\", \"" + name + "\")",
        "oMember.Address = \"" + address + "\"",
        "'turn off the flag to send messages to this person in Exchange RTF format",
        "oMember.Fields(977272843) = False",
        "oMember.Update",
    });
}
QString sLines(const QString& name, const QString& address) {
    return joinLines({
        "Set oAddressEntry = oAddressEntries.Add(\"SMTP\", \"" + name + "\")",
        "oAddressEntry.Address = \"" + address + "\"",
        "'turn off the flag to send messages to this person in Exchange RTF format",
        "oAddressEntry.Fields(977272843) = False",
        "oAddressEntry.Update",
    });
}
QString nLines(const QString& var, const QString& notes) {
    return joinLines({
        "'update the Notes field",
        var + ".Fields(805568542) = \"" + notes + "\"",
        var + ".Update",
        "",
    });
}
QString eLines() {
    return joinLines({
        "",
        "'run one more update for the entry and/or DL",
        "oAddressEntry.Update",
        "",
        "'clear out all object references when done!",
        "",
    });
}

class AddAddrFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pab_ = &world_.addList(QStringLiteral("Personal Address Book"));
        world_.addList(QStringLiteral("Global Address List"));
        session_ = world_.session();
        open();
    }

    // A fresh opening of the window (shown without its modal loop, so the
    // test can drive it); message boxes it shows are answered by the responder.
    void open() {
        form_ = std::make_unique<AddAddrForm>(
            names_, [this](const QString& t) { code_ += t; }, nullptr);
        form_->oFormSession = session_;
        form_->bPabFound = false;
        responder_.ignore(form_.get());
        form_->show();
    }

    template <class T = QWidget>
    T* w(const char* name) {
        T* c = form_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QLineEdit* box(const char* name) { return w<QLineEdit>(name); }
    ui::ListView* list() { return w<ui::ListView>("AddrList"); }
    void click(const char* name) { w<QPushButton>(name)->click(); }

    void addRow(const QString& name, const QString& address, const QString& notes = QString()) {
        box("NameText")->setText(name);
        box("AddrText")->setText(address);
        box("NoteText")->setText(notes);
        click("AddListButton");
    }

    std::vector<std::shared_ptr<fake::EntryData>>& stored() { return pab_->entries; }

    fake::World world_;
    fake::ListData* pab_ = nullptr;
    mapi::Ref<mapi::Session> session_;
    codegen::VarNames names_;
    QString code_;
    ModalResponder responder_;
    std::unique_ptr<AddAddrForm> form_;
};

// ---- the window -------------------------------------------------------------

TEST_F(AddAddrFormTest, ControlsCaptionsAndLabels) {
    EXPECT_EQ(form_->objectName(), QStringLiteral("AddAddrForm"));
    EXPECT_EQ(form_->windowTitle(), QStringLiteral("Add Addresses"));
    EXPECT_TRUE(form_->isModal());
    EXPECT_EQ(w<QPushButton>("AddListButton")->text(), QStringLiteral("Add to List"));
    EXPECT_EQ(w<QPushButton>("ClearListButton")->text(), QStringLiteral("Clear List"));
    EXPECT_EQ(w<QPushButton>("AddButton")->text(), QStringLiteral("Add to PAB"));
    EXPECT_EQ(w<QPushButton>("CloseButton")->text(), QStringLiteral("Close"));
    for (const char* name : {"NameText", "AddrText", "NoteText", "PDLText", "DLNoteText"})
        EXPECT_TRUE(box(name)->text().isEmpty()) << name;
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(list()->columnCount(), 3);
    EXPECT_EQ(list()->headerItem()->text(0), QStringLiteral("Name"));
    EXPECT_EQ(list()->headerItem()->text(1), QStringLiteral("Address"));
    EXPECT_EQ(list()->headerItem()->text(2), QStringLiteral("Notes"));
    EXPECT_EQ(
        w<QLabel>("Label1")->text(),
        QStringLiteral(
            "Use this to add addresses to a Personal Address Book (PAB).  If you don't have a "
            "PAB in this profile, you won't be able to add entries.  You can add entries to "
            "other address books like the Global Address List (GAL), but only if you have "
            "proper permission.  Pellmoor only generates code for the PAB, but you can "
            "modify it by substituting the name of the address list object you want to use. "
            " Also, this code only add's Internet addresses (SMTP); to add different kinds "
            "of addresses you need to code for the address format specific to that mail "
            "provider."));
    // Each box's label, typos kept.
    QStringList labels;
    for (QLabel* l : form_->findChildren<QLabel*>())
        if (l->buddy()) labels << l->buddy()->objectName() + "=" + l->text();
    labels.sort();
    EXPECT_EQ(
        labels,
        (QStringList{"AddrText=Address:", "DLNoteText=Distribtion List Notes:", "NameText=Name:",
                     "NoteText=Notes:", "PDLText=Personal Distribution List Name:"}));
}

TEST_F(AddAddrFormTest, TabOrderRunsFromBoxesToButtons) {
    QStringList order;
    QWidget* start = box("NameText");
    QWidget* cur = start;
    do {
        order << cur->objectName();
        cur = cur->nextInFocusChain();
        while (cur != start &&
               (!(cur->focusPolicy() & Qt::TabFocus) || cur->objectName().isEmpty()))
            cur = cur->nextInFocusChain();
    } while (cur != start && order.size() < 20);
    EXPECT_EQ(order,
              (QStringList{"NameText", "AddrText", "NoteText", "AddListButton", "ClearListButton",
                           "PDLText", "DLNoteText", "AddButton", "CloseButton"}));
}

TEST_F(AddAddrFormTest, GotFocusSelectsFromCaretToEndInEntryBoxesOnly) {
    auto focusIn = [](QLineEdit* e) {
        QFocusEvent ev(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(e, &ev);
    };
    for (const char* name : {"NameText", "AddrText", "NoteText"}) {
        QLineEdit* e = box(name);
        e->setText(QStringLiteral("Ann Archer"));
        e->setCursorPosition(0);
        focusIn(e);
        EXPECT_EQ(e->selectedText(), QStringLiteral("Ann Archer")) << name;
        e->deselect();
        e->setCursorPosition(4);
        focusIn(e);
        EXPECT_EQ(e->selectedText(), QStringLiteral("Archer")) << name;
    }
    // The list boxes select nothing, also when tabbed into.
    for (const char* name : {"PDLText", "DLNoteText"}) {
        QLineEdit* e = box(name);
        e->setText(QStringLiteral("Team"));
        e->setCursorPosition(2);
        focusIn(e);
        EXPECT_EQ(e->selectedText(), QString()) << name;
        EXPECT_EQ(e->cursorPosition(), 2) << name;
    }
}

TEST_F(AddAddrFormTest, AddToListChecksNameThenAddressAndKeepsBoxes) {
    click("AddListButton");
    EXPECT_EQ(responder_.boxes, QStringList{"critical|Quorvane '99|You must provide a name."});
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(form_->focusWidget(), box("NameText"));

    responder_.boxes.clear();
    box("NameText")->setText(QStringLiteral("   "));  // spaces are a name
    click("AddListButton");
    EXPECT_EQ(responder_.boxes, QStringList{"critical|Quorvane '99|You must provide an address."});
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(form_->focusWidget(), box("AddrText"));

    responder_.boxes.clear();
    box("AddrText")->setText(QStringLiteral("x"));  // any text is an address
    click("AddListButton");
    addRow(QStringLiteral("Ann"), QStringLiteral("ann@example.com"), QStringLiteral("n1"));
    addRow(QStringLiteral("Ann"), QStringLiteral("ann@example.com"), QStringLiteral("n1"));
    EXPECT_TRUE(responder_.boxes.isEmpty());
    ASSERT_EQ(list()->count(), 3);
    EXPECT_EQ(list()->row(1), (QStringList{"   ", "x", ""}));
    EXPECT_EQ(list()->row(2), (QStringList{"Ann", "ann@example.com", "n1"}));
    EXPECT_EQ(list()->row(3), list()->row(2));  // duplicates are allowed
    EXPECT_EQ(box("NameText")->text(), QStringLiteral("Ann"));
    EXPECT_EQ(box("AddrText")->text(), QStringLiteral("ann@example.com"));
    EXPECT_EQ(box("NoteText")->text(), QStringLiteral("n1"));
    EXPECT_TRUE(code_.isEmpty());
    EXPECT_TRUE(world_.log.isEmpty());
}

TEST_F(AddAddrFormTest, ClearListEmptiesOnlyTheList) {
    click("ClearListButton");  // empty: nothing happens
    EXPECT_TRUE(responder_.boxes.isEmpty());
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    addRow(QStringLiteral("Bob"), QStringLiteral("b@x"));
    box("PDLText")->setText(QStringLiteral("Team"));
    click("ClearListButton");
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(box("NameText")->text(), QStringLiteral("Bob"));
    EXPECT_EQ(box("PDLText")->text(), QStringLiteral("Team"));
    EXPECT_TRUE(code_.isEmpty());
}

TEST_F(AddAddrFormTest, CloseUnloadsTheWindow) {
    click("CloseButton");
    EXPECT_FALSE(form_->isVisible());
    EXPECT_EQ(form_->result(), QDialog::Rejected);
}

TEST_F(AddAddrFormTest, LoadWithoutSessionSaysSoAndNeverShows) {
    AddAddrForm form(names_, [this](const QString& t) { code_ += t; });
    EXPECT_EQ(form.exec(), QDialog::Rejected);
    EXPECT_EQ(responder_.boxes,
              QStringList{"critical|Quorvane '99|There is an error getting the MAPI session.  "
                          "Unable to continue."});
    EXPECT_TRUE(responder_.unexpected.isEmpty());
}

// ---- Add to PAB: refusals ---------------------------------------------------

TEST_F(AddAddrFormTest, NoRowsRefused) {
    click("AddButton");
    EXPECT_EQ(responder_.boxes,
              QStringList{"critical|Quorvane '99|You must add at least one address to the list."});
    EXPECT_TRUE(code_.isEmpty());
    EXPECT_TRUE(world_.log.isEmpty());
}

TEST_F(AddAddrFormTest, SeveralRowsWithoutListNameRefused) {
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    addRow(QStringLiteral("Bob"), QStringLiteral("b@x"));
    addRow(QStringLiteral("Cy"), QStringLiteral("c@x"));
    click("AddButton");
    EXPECT_EQ(
        responder_.boxes,
        QStringList{"critical|Quorvane '99|You have more than one address, which is a "
                    "distribution list.  To add a distribution list you must provide a name."});
    EXPECT_EQ(form_->focusWidget(), box("PDLText"));
    EXPECT_TRUE(code_.isEmpty());
    EXPECT_TRUE(world_.log.isEmpty());
    EXPECT_EQ(list()->count(), 3);
}

TEST_F(AddAddrFormTest, ProfileWithoutPabWritesP1ToP4AndSaysSo) {
    world_.lists.erase(world_.lists.begin());  // only the global list is left
    pab_ = nullptr;
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    click("AddButton");
    EXPECT_EQ(code_, p1to4());
    EXPECT_EQ(responder_.boxes,
              QStringList{"critical|Quorvane '99|There was no PAB found in this profile.  Please "
                          "add one and try again."});
    EXPECT_FALSE(form_->bPabFound);
    EXPECT_EQ(list()->count(), 1);
    // A second try searches (and writes P1 to P4) again.
    click("AddButton");
    EXPECT_EQ(code_, p1to4() + p1to4());
    EXPECT_FALSE(ui::isBusyPointer());
}

TEST_F(AddAddrFormTest, PabMatchedByExactNameOnly) {
    pab_->name = QStringLiteral("personal address book");
    world_.addList(QStringLiteral("Personal Address Book "));
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    click("AddButton");
    EXPECT_EQ(code_, p1to4());
    EXPECT_EQ(responder_.boxes.size(), 1);
}

TEST_F(AddAddrFormTest, PabFoundBeyondA16BitListCount) {
    // 40,000 lists, the PAB last: the count is read at full width.
    world_.lists.erase(world_.lists.begin());
    for (int i = 0; i < 40000; ++i) world_.addList(QStringLiteral("List %1").arg(i));
    pab_ = &world_.addList(QStringLiteral("Personal Address Book"));
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    click("AddButton");
    EXPECT_TRUE(responder_.boxes.isEmpty()) << responder_.boxes.join('\n').toStdString();
    EXPECT_EQ(code_, p1to4() + p5to10() + sLines("Ann", "a@x") + eLines());
    EXPECT_EQ(stored().size(), 1u);
}

// ---- Add to PAB: single entries ---------------------------------------------

TEST_F(AddAddrFormTest, OneRowWithoutNotesStoresOneSmtpEntry) {
    addRow(QStringLiteral("Ann Archer"), QStringLiteral("ann@example.com"));
    box("PDLText")->setText(QStringLiteral("ignored for one row"));
    click("AddButton");

    EXPECT_TRUE(responder_.boxes.isEmpty()) << responder_.boxes.join('\n').toStdString();
    EXPECT_EQ(code_, p1to4() + p5to10() + sLines("Ann Archer", "ann@example.com") + eLines());
    ASSERT_EQ(stored().size(), 1u);
    const auto& e = *stored()[0];
    EXPECT_EQ(e.type, QStringLiteral("SMTP"));
    EXPECT_EQ(e.name, QStringLiteral("Ann Archer"));
    EXPECT_EQ(e.address, QStringLiteral("ann@example.com"));
    EXPECT_EQ(e.props.at(kRich), mapi::Variant(false));
    EXPECT_EQ(e.props.count(kComment), 0u);
    EXPECT_EQ(e.updates, 1);  // only the closing Update
    EXPECT_TRUE(form_->bPabFound);
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(box("NameText")->text(), QStringLiteral("Ann Archer"));  // boxes kept
    EXPECT_EQ(box("PDLText")->text(), QStringLiteral("ignored for one row"));
    // Library call order: lists searched, PAB entries, Add, rich-info flag, address, Update.
    const QStringList expected{
        "Session.AddressLists", "AddressLists.Count",      "AddressLists.Item",
        "AddressList.Name",     "AddressLists.Item",       "AddressList.AddressEntries",
        "AddressEntries.Add",   "AddressEntry.Fields",     "Fields.Item",
        "Fields.Add",           "AddressEntry.SetAddress", "AddressEntry.Update"};
    EXPECT_EQ(world_.log, expected);
    EXPECT_FALSE(ui::isBusyPointer());
}

TEST_F(AddAddrFormTest, OneRowWithNotesStoresCommentAndUpdatesTwice) {
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"), QStringLiteral("met at \"Expo\""));
    click("AddButton");
    EXPECT_EQ(code_, p1to4() + p5to10() + sLines("Ann", "a@x") +
                         nLines("oAddressEntry", "met at \"\"Expo\"\"") + eLines());
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0]->props.at(kComment), mapi::Variant(QStringLiteral("met at \"Expo\"")));
    EXPECT_EQ(stored()[0]->updates, 2);
}

TEST_F(AddAddrFormTest, SecondAddInOneOpeningSkipsPLinesAndNewOpeningWritesThemAgain) {
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    click("AddButton");
    addRow(QStringLiteral("Bob"), QStringLiteral("b@x"));
    const int listsBefore = world_.calls("Session.AddressLists");
    click("AddButton");
    EXPECT_EQ(world_.calls("Session.AddressLists"), listsBefore);  // FindPab not called again
    EXPECT_EQ(code_, p1to4() + p5to10() + sLines("Ann", "a@x") + eLines() + sLines("Bob", "b@x") +
                         eLines());
    EXPECT_EQ(stored().size(), 2u);

    open();
    code_.clear();
    addRow(QStringLiteral("Cy"), QStringLiteral("c@x"));
    click("AddButton");
    EXPECT_EQ(code_, p1to4() + p5to10() + sLines("Cy", "c@x") + eLines());
    EXPECT_EQ(stored().size(), 3u);
}

TEST_F(AddAddrFormTest, OnlySessionFollowsRenamedVariablesAndUserTextIsNotExpanded) {
    names_.rename(codegen::Var::Session, QStringLiteral("objSession"));
    names_.rename(codegen::Var::AddressEntry, QStringLiteral("ae"));
    names_.rename(codegen::Var::AddressLists, QStringLiteral("als"));
    addRow(QStringLiteral("{Session} \"Q\""), QStringLiteral("%1@x"),
           QStringLiteral("{AddressEntry}"));
    click("AddButton");
    EXPECT_EQ(code_, p1to4(QStringLiteral("objSession")) + p5to10() +
                         sLines("{Session} \"\"Q\"\"", "%1@x") +
                         nLines("oAddressEntry", "{AddressEntry}") + eLines());
}

// ---- Add to PAB: distribution lists -----------------------------------------

TEST_F(AddAddrFormTest, ThreeRowsWithListNotesAndMemberNotesStoreOneList) {
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"), QStringLiteral("first"));
    addRow(QStringLiteral("Bob"), QStringLiteral("b@x"));
    addRow(QStringLiteral("Cy"), QStringLiteral("c@x"), QStringLiteral("third"));
    box("PDLText")->setText(QStringLiteral("Team"));
    box("DLNoteText")->setText(QStringLiteral("the team"));
    click("AddButton");

    EXPECT_TRUE(responder_.boxes.isEmpty()) << responder_.boxes.join('\n').toStdString();
    EXPECT_EQ(code_, p1to4() + p5to10() + dLines("Team") + nLines("oAddressEntry", "the team") +
                         mLines("Ann", "a@x") + nLines("oMember", "first") + mLines("Bob", "b@x") +
                         mLines("Cy", "c@x") + nLines("oMember", "third") + eLines());
    ASSERT_EQ(stored().size(), 1u);
    const auto& dl = *stored()[0];
    EXPECT_EQ(dl.type, QStringLiteral("MAPIPDL"));
    EXPECT_EQ(dl.name, QStringLiteral("Team"));
    EXPECT_EQ(dl.props.at(kComment), mapi::Variant(QStringLiteral("the team")));
    ASSERT_EQ(dl.members.size(), 3u);
    const QStringList names{"Ann", "Bob", "Cy"};
    const QStringList addrs{"a@x", "b@x", "c@x"};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto& m = *dl.members[i];
        EXPECT_EQ(m.type, QStringLiteral("SMTP"));
        EXPECT_EQ(m.name, names[static_cast<int>(i)]);
        EXPECT_EQ(m.address, addrs[static_cast<int>(i)]);
        EXPECT_EQ(m.props.at(kRich), mapi::Variant(false));
    }
    EXPECT_EQ(dl.members[0]->props.at(kComment), mapi::Variant(QStringLiteral("first")));
    EXPECT_EQ(dl.members[1]->props.count(kComment), 0u);
    EXPECT_EQ(dl.members[2]->props.at(kComment), mapi::Variant(QStringLiteral("third")));
    EXPECT_EQ(list()->count(), 0);
    EXPECT_EQ(box("PDLText")->text(), QStringLiteral("Team"));
    EXPECT_EQ(box("DLNoteText")->text(), QStringLiteral("the team"));
}

TEST_F(AddAddrFormTest, TwoRowsWithoutNotesWriteNoNLines) {
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    addRow(QStringLiteral("Bob"), QStringLiteral("b@x"));
    box("PDLText")->setText(QStringLiteral("Pair"));
    click("AddButton");
    EXPECT_EQ(code_, p1to4() + p5to10() + dLines("Pair") + mLines("Ann", "a@x") +
                         mLines("Bob", "b@x") + eLines());
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0]->members.size(), 2u);
    EXPECT_EQ(stored()[0]->props.count(kComment), 0u);
}

// ---- Add to PAB: failures ---------------------------------------------------

TEST_F(AddAddrFormTest, ReadOnlyPabShowsErrorStoresNothingKeepsRows) {
    pab_->readOnly = true;
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"), QStringLiteral("n"));
    click("AddButton");
    EXPECT_EQ(code_, p1to4() + p5to10());
    EXPECT_EQ(
        responder_.boxes,
        QStringList{"critical|Quorvane '99|Error #-2147024891 - You do not have permission to "
                    "perform this action. [E_ACCESSDENIED(80070005)] - has occurred."});
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(list()->count(), 1);
    EXPECT_FALSE(ui::isBusyPointer());
}

TEST_F(AddAddrFormTest, FailureOnClosingUpdateRemovesTheEntryNotesHadStored) {
    // UpdateNotes' Update stores the entry; the closing Update then fails.
    world_.failOn(QStringLiteral("AddressEntry.Update"), 2, mapi::code::DiskError);
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"), QStringLiteral("n"));
    click("AddButton");
    EXPECT_EQ(code_, p1to4() + p5to10() + sLines("Ann", "a@x") + nLines("oAddressEntry", "n"));
    ASSERT_EQ(responder_.boxes.size(), 1);
    EXPECT_TRUE(responder_.boxes[0].startsWith("critical|Quorvane '99|Error #-2147221226 - "));
    EXPECT_TRUE(responder_.boxes[0].endsWith(" - has occurred."));
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(world_.calls("AddressEntry.Delete"), 1);
    EXPECT_EQ(list()->count(), 1);

    // The retry (no P lines: the PAB was found) stores exactly one entry.
    responder_.boxes.clear();
    code_.clear();
    click("AddButton");
    EXPECT_TRUE(responder_.boxes.isEmpty());
    EXPECT_EQ(code_, sLines("Ann", "a@x") + nLines("oAddressEntry", "n") + eLines());
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0]->props.at(kComment), mapi::Variant(QStringLiteral("n")));
}

TEST_F(AddAddrFormTest, FailurePartWayThroughListLeavesNothingAndRetryStoresOneList) {
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"), QStringLiteral("first"));
    addRow(QStringLiteral("Bob"), QStringLiteral("b@x"));
    addRow(QStringLiteral("Cy"), QStringLiteral("c@x"));
    box("PDLText")->setText(QStringLiteral("Team"));
    box("DLNoteText")->setText(QStringLiteral("the team"));
    // Third member is refused when added: the list and two members are stored by then.
    world_.failOn(QStringLiteral("Members.Add"), 3, mapi::code::NoAccess);
    click("AddButton");

    // The code stops where the failure happened.
    EXPECT_EQ(code_, p1to4() + p5to10() + dLines("Team") + nLines("oAddressEntry", "the team") +
                         mLines("Ann", "a@x") + nLines("oMember", "first") + mLines("Bob", "b@x"));
    EXPECT_EQ(
        responder_.boxes,
        QStringList{"critical|Quorvane '99|Error #-2147024891 - You do not have permission to "
                    "perform this action. [E_ACCESSDENIED(80070005)] - has occurred."});
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(list()->count(), 3);
    // The removal ran before the message: members first, then the list.
    const int firstDelete = static_cast<int>(world_.log.indexOf("AddressEntry.Delete"));
    ASSERT_GE(firstDelete, 0);
    EXPECT_EQ(world_.calls("AddressEntry.Delete"), 3);

    world_.clearFailures();
    responder_.boxes.clear();
    code_.clear();
    click("AddButton");
    EXPECT_TRUE(responder_.boxes.isEmpty());
    EXPECT_EQ(code_, dLines("Team") + nLines("oAddressEntry", "the team") + mLines("Ann", "a@x") +
                         nLines("oMember", "first") + mLines("Bob", "b@x") + mLines("Cy", "c@x") +
                         eLines());
    ASSERT_EQ(stored().size(), 1u);
    ASSERT_EQ(stored()[0]->members.size(), 3u);
    EXPECT_EQ(stored()[0]->members[2]->name, QStringLiteral("Cy"));
    EXPECT_EQ(list()->count(), 0);
}

TEST_F(AddAddrFormTest, FailureOnAMemberUpdateWithoutListNotesLeavesNothing) {
    // No list notes: the list itself is not stored yet when the second member fails.
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    addRow(QStringLiteral("Bob"), QStringLiteral("b@x"));
    addRow(QStringLiteral("Cy"), QStringLiteral("c@x"));
    box("PDLText")->setText(QStringLiteral("Team"));
    world_.failOn(QStringLiteral("AddressEntry.Update"), 2, mapi::code::CallFailed);
    click("AddButton");
    EXPECT_TRUE(stored().empty());
    EXPECT_EQ(code_, p1to4() + p5to10() + dLines("Team") + mLines("Ann", "a@x"));
    EXPECT_EQ(responder_.boxes.size(), 1);
    EXPECT_EQ(list()->count(), 3);
}

TEST_F(AddAddrFormTest, FailureInsideUpdateNotesIsPassedOver) {
    world_.failOn(QStringLiteral("Fields.Add"), 2, mapi::code::CallFailed);  // the comment
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"), QStringLiteral("n"));
    click("AddButton");
    EXPECT_TRUE(responder_.boxes.isEmpty());
    EXPECT_EQ(code_,
              p1to4() + p5to10() + sLines("Ann", "a@x") + nLines("oAddressEntry", "n") + eLines());
    ASSERT_EQ(stored().size(), 1u);
    EXPECT_EQ(stored()[0]->props.count(kComment), 0u);
    EXPECT_EQ(stored()[0]->updates, 2);  // UpdateNotes' Update still ran
}

TEST_F(AddAddrFormTest, FailureWhileSearchingListsShowsErrorAndRetriesTheSearch) {
    world_.failOn(QStringLiteral("AddressLists.Count"), 1, mapi::code::CallFailed);
    addRow(QStringLiteral("Ann"), QStringLiteral("a@x"));
    click("AddButton");
    EXPECT_EQ(code_, p1to4());
    EXPECT_EQ(responder_.boxes,
              QStringList{"critical|Quorvane '99|Error #-2147467259 - The call failed. "
                          "[MAPI_E_CALL_FAILED(80004005)] - has occurred."});
    EXPECT_FALSE(form_->bPabFound);
    click("AddButton");
    EXPECT_EQ(code_, p1to4() + p1to4() + p5to10() + sLines("Ann", "a@x") + eLines());
}

// ---- through the main-window button, modally --------------------------------

class AddAddrButtonTest : public AddAddrFormTest {
  protected:
    addressbook::AddressBookController controller() {
        return addressbook::AddressBookController(addressbook::Host{
            [this] { return session_; },
            [this]() -> const codegen::VarNames& { return names_; },
            [this](const QString& t) { code_ += t; },
            nullptr,
        });
    }
};

TEST_F(AddAddrButtonTest, NotLoggedOnRefuses) {
    form_.reset();
    session_.reset();
    controller().AddAddrButton_Click();
    EXPECT_EQ(responder_.boxes,
              QStringList{"critical|Quorvane '99|You must log in before you can add to the "
                          "Personal Address Book."});
    EXPECT_TRUE(responder_.unexpected.isEmpty());
}

TEST_F(AddAddrButtonTest, EachOpeningStartsEmptyAndSearchesThePabAgain) {
    form_.reset();
    for (int opening = 0; opening < 2; ++opening) {
        responder_.then(QStringLiteral("AddAddrForm"), [](QWidget* f) {
            for (const char* name : {"NameText", "AddrText", "NoteText", "PDLText", "DLNoteText"})
                EXPECT_TRUE(f->findChild<QLineEdit*>(name)->text().isEmpty());
            EXPECT_EQ(f->findChild<ui::ListView*>("AddrList")->count(), 0);
            EXPECT_FALSE(static_cast<AddAddrForm*>(f)->bPabFound);
            f->findChild<QLineEdit*>("NameText")->setText(QStringLiteral("Ann"));
            f->findChild<QLineEdit*>("AddrText")->setText(QStringLiteral("a@x"));
            f->findChild<QPushButton*>("AddListButton")->click();
            ModalResponder::click(f, QStringLiteral("AddButton"));
        });
        responder_.then(QStringLiteral("AddAddrForm"), [](QWidget* f) {
            EXPECT_EQ(f->findChild<ui::ListView*>("AddrList")->count(), 0);
            ModalResponder::click(f, QStringLiteral("CloseButton"));
        });
        controller().AddAddrButton_Click();
        EXPECT_TRUE(responder_.allStepsDone());
    }
    EXPECT_TRUE(responder_.boxes.isEmpty()) << responder_.boxes.join('\n').toStdString();
    EXPECT_EQ(code_, p1to4() + p5to10() + sLines("Ann", "a@x") + eLines() + p1to4() + p5to10() +
                         sLines("Ann", "a@x") + eLines());
    EXPECT_EQ(stored().size(), 2u);
}

}  // namespace
