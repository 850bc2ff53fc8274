// "Address Detail": the alias look-up through the input box, the address-book
// chooser and the details dialog, against the in-memory address book.

#include <gtest/gtest.h>

#include <QDialog>
#include <QInputDialog>
#include <QListWidget>

#include "addressbook/AddressBookController.h"
#include "addressbook/FakeAddressBook.h"
#include "addressbook/ModalResponder.h"
#include "codegen/VarNames.h"
#include "ui/Dialogs.h"

namespace {

using addressbook::AddressBookController;

const QString kCrLf = QStringLiteral("\r\n");

QString joinLines(const QStringList& lines) {
    QString out;
    for (const QString& l : lines) out += l + kCrLf;
    return out;
}

// Lines 1 to 10 with the default names.
QString head(const QString& list, const QString& alias) {
    return joinLines({
        "'all variables in this code section should be DIM'd as Object",
        "'unless otherwise noted",
        "'get the AddressEntries collection for the chosen AddressBook",
        "Set oAddressEntries = oSession.AddressLists.Item(\"" + list + "\").AddressEntries",
        "",
        "'get the filter object for the AddressEntries collection",
        "Set oFilter = oAddressEntries.Filter",
        "",
        "'add a new field to the filter",
        "Set oFilterFields = oFilter.Fields.Add(973078558, \"" + alias + "\")",
        "",
        "'look for a matching entry in the filtered collection",
        "Set oAddressEntry = oAddressEntries.GetFirst",
        "",
    });
}

// Lines 11 to 18.
QString check(const QString& alias) {
    return joinLines({
        "'see if there is a matching entry",
        "If Not oAddressEntry Is Nothing Then",
        "  Debug.Print oAddressEntry.Name",
        "Else",
        "  'user alias not found",
        "  Debug.Print \"alias " + alias + " not found\"",
        "  Exit Sub",
        "End If",
        "",
    });
}

// Lines 19 to 44.
QString tail() {
    return joinLines({
        "'show address details",
        "oAddressEntry.Details",
        "",
        "'iLooper, iLooper2, and lRet should be DIM'd as Long",
        "'vDetails MUST be DIM'd as a Variant",
        "'iterate through all the fields for this AddressEntry",
        "For iLooper = 1 To oAddressEntry.Fields.Count",
        "  'get a reference to the current field",
        "  Set oFields = oAddressEntry.Fields(iLooper)",
        "  'assign the address value, which may be an array",
        "  vDetails = oFields.Value",
        "",
        "  'turn off error checking because if the return value isn't an array we",
        "  'we don't want to stop",
        "  On Error Resume Next",
        "  lRet = UBound(vDetails)",
        "  If Err.Number = 0 Then",
        "    'iterate through all the values for this field",
        "    For iLooper2 = 0 To UBound(vDetails)",
        "      'show the values",
        "      Debug.Print \"Field ID:  \" & oFields.ID & \";Field Array #\" & iLooper2 & "
        "\";Value:  \" & vDetails(iLooper2)",
        "    Next iLooper2",
        "  Else",
        "    'it's an individual value",
        "    Debug.Print \"Field ID:  \" & oFields.ID & \";Value  \" & vDetails",
        "  End If",
        "Next iLooper",
        "",
        "'remember to empty object references when done!",
        "",
    });
}

class AddressDetailsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        pab_ = &world_.addList(QStringLiteral("Personal Address Book"));
        gal_ = &world_.addList(QStringLiteral("Global Address List"));
        world_.addEntry(*pab_, QStringLiteral("Ann Archer"), QStringLiteral("ann@example.com"),
                        QStringLiteral("ann"));
        world_.addEntry(*gal_, QStringLiteral("Bob Baker"), QStringLiteral("bob@example.com"),
                        QStringLiteral("bob"));
        session_ = world_.session();
        world_.onDetails = [this](fake::EntryData& e) {
            detailsShownFor_ << e.name;
            codeAtDetails_ = code_;
            QDialog dlg(ui::dialogParent());
            dlg.setObjectName(QStringLiteral("DetailsDialog"));
            dlg.exec();
        };
    }

    AddressBookController controller() {
        return AddressBookController(addressbook::Host{
            [this] { return session_; },
            [this]() -> const codegen::VarNames& { return names_; },
            [this](const QString& t) { code_ += t; },
            nullptr,
        });
    }

    void typeAlias(const QString& alias) {
        responder_.then(QStringLiteral("InputBox"), [alias](QWidget* w) {
            auto* in = static_cast<QInputDialog*>(w);
            inputTitle_ = in->windowTitle();
            inputPrompt_ = in->labelText();
            inputDefault_ = in->textValue();
            in->setTextValue(alias);
            QMetaObject::invokeMethod(in, "accept", Qt::QueuedConnection);
        });
    }
    void cancelAlias() {
        responder_.then(QStringLiteral("InputBox"), [](QWidget* w) {
            static_cast<QInputDialog*>(w)->setTextValue(QStringLiteral("typed then cancelled"));
            QMetaObject::invokeMethod(w, "reject", Qt::QueuedConnection);
        });
    }
    void chooseList(const QString& name) {
        responder_.then(QStringLiteral("AddrListForm"), [name](QWidget* w) {
            auto* list = w->findChild<QListWidget*>(QStringLiteral("AddressList"));
            const auto found = list->findItems(name, Qt::MatchExactly);
            ASSERT_EQ(found.size(), 1) << name.toStdString();
            list->setCurrentItem(found.front());
            found.front()->setSelected(true);
            ModalResponder::click(w, QStringLiteral("ActionButton(0)"));
        });
    }
    void cancelChooser() {
        responder_.then(QStringLiteral("AddrListForm"), [](QWidget* w) {
            ModalResponder::click(w, QStringLiteral("ActionButton(1)"));
        });
    }
    void closeDetails() {
        responder_.then(QStringLiteral("DetailsDialog"), [](QWidget* w) {
            QMetaObject::invokeMethod(w, "accept", Qt::QueuedConnection);
        });
    }

    fake::World world_;
    fake::ListData* pab_ = nullptr;
    fake::ListData* gal_ = nullptr;
    mapi::Ref<mapi::Session> session_;
    codegen::VarNames names_;
    QString code_;
    QString codeAtDetails_;
    QStringList detailsShownFor_;
    ModalResponder responder_;
    static inline QString inputTitle_, inputPrompt_, inputDefault_;
};

TEST_F(AddressDetailsTest, NotLoggedOnRefusesBeforeAsking) {
    session_.reset();
    controller().AddDetailsButton_Click();
    EXPECT_EQ(
        responder_.boxes,
        QStringList{"critical|Quorvane '99|You must log in before you can get address details."});
    EXPECT_TRUE(code_.isEmpty());
    EXPECT_TRUE(world_.log.isEmpty());
    EXPECT_TRUE(responder_.unexpected.isEmpty());
}

TEST_F(AddressDetailsTest, FoundAliasShowsDetailsAndWritesAll44Lines) {
    typeAlias(QStringLiteral("ann"));
    chooseList(QStringLiteral("Personal Address Book"));
    closeDetails();
    controller().AddDetailsButton_Click();

    EXPECT_TRUE(responder_.allStepsDone());
    EXPECT_TRUE(responder_.unexpected.isEmpty());
    EXPECT_EQ(inputTitle_, QStringLiteral("Email Details By Alias"));
    EXPECT_EQ(inputPrompt_, QStringLiteral("Enter the email alias:"));
    EXPECT_EQ(inputDefault_, QString());
    // The personal address book: no chooser warning, no message of our own.
    EXPECT_TRUE(responder_.boxes.isEmpty()) << responder_.boxes.join('\n').toStdString();
    EXPECT_EQ(detailsShownFor_, QStringList{"Ann Archer"});
    // While the details dialog is open, lines 1 to 18 are written and no more.
    EXPECT_EQ(codeAtDetails_, head("Personal Address Book", "ann") + check("ann"));
    EXPECT_EQ(code_, head("Personal Address Book", "ann") + check("ann") + tail());
    EXPECT_EQ(code_.count(kCrLf), 44 + 9);  // 44 lines, 9 of them followed by a blank line
    // After the chooser's own listing: the filter built on the alias tag,
    // passed as a Long, before GetFirst.
    const QStringList expectedCalls{
        "Session.AddressLists",    "AddressLists.ItemByName", "AddressList.AddressEntries",
        "AddressEntries.Filter",   "Filter.Fields",           "Filter.Fields.Add",
        "AddressEntries.GetFirst", "AddressEntry.Details"};
    EXPECT_EQ(world_.log.mid(world_.log.size() - expectedCalls.size()), expectedCalls);
}

TEST_F(AddressDetailsTest, RenamedVariablesFollowEverywhereIncludingInnerCounter) {
    names_.rename(codegen::Var::Counter, QStringLiteral("i"));
    names_.rename(codegen::Var::Session, QStringLiteral("objSess"));
    names_.rename(codegen::Var::AddressEntry, QStringLiteral("ae"));
    names_.rename(codegen::Var::AddressEntries, QStringLiteral("aes"));
    names_.rename(codegen::Var::Filter, QStringLiteral("flt"));
    names_.rename(codegen::Var::FilterFields, QStringLiteral("ff"));
    names_.rename(codegen::Var::Details, QStringLiteral("v"));
    names_.rename(codegen::Var::ReturnValue, QStringLiteral("r"));
    names_.rename(codegen::Var::Fields, QStringLiteral("fld"));
    typeAlias(QStringLiteral("bob"));
    chooseList(QStringLiteral("Global Address List"));
    closeDetails();
    controller().AddDetailsButton_Click();

    QString expected = head("Global Address List", "bob") + check("bob") + tail();
    for (const auto& [from, to] :
         std::vector<std::pair<QString, QString>>{{"oAddressEntries", "aes"},
                                                  {"oAddressEntry", "ae"},
                                                  {"oSession", "objSess"},
                                                  {"oFilterFields", "ff"},
                                                  {"oFilter", "flt"},
                                                  {"iLooper", "i"},
                                                  {"vDetails", "v"},
                                                  {"lRet", "r"},
                                                  {"oFields", "fld"}})
        expected.replace(from, to);
    EXPECT_EQ(code_, expected);
    EXPECT_TRUE(code_.contains(QStringLiteral("    For i2 = 0 To UBound(v)\r\n")));
    EXPECT_TRUE(code_.contains(QStringLiteral("'i, i2, and r should be DIM'd as Long\r\n")));
    // A global list gives the chooser's own warning, nothing else.
    EXPECT_EQ(responder_.boxes,
              QStringList{"information|Quorvane '99|The Global Address List may not return all "
                          "matches in the list."});
    EXPECT_EQ(detailsShownFor_, QStringList{"Bob Baker"});
}

TEST_F(AddressDetailsTest, UnknownAliasWritesTenLinesAndSaysSoWithoutIcon) {
    typeAlias(QStringLiteral("nobody"));
    chooseList(QStringLiteral("Personal Address Book"));
    controller().AddDetailsButton_Click();
    EXPECT_EQ(code_, head("Personal Address Book", "nobody"));
    EXPECT_EQ(responder_.boxes, QStringList{"none|Quorvane '99|Alias 'nobody' was not found."});
    EXPECT_TRUE(detailsShownFor_.isEmpty());
}

TEST_F(AddressDetailsTest, AliasInOtherListIsNotFoundThere) {
    typeAlias(QStringLiteral("bob"));
    chooseList(QStringLiteral("Personal Address Book"));
    controller().AddDetailsButton_Click();
    EXPECT_EQ(code_, head("Personal Address Book", "bob"));
    EXPECT_EQ(responder_.boxes, QStringList{"none|Quorvane '99|Alias 'bob' was not found."});
}

TEST_F(AddressDetailsTest, SpacesOnlyAliasIsSearchedFor) {
    typeAlias(QStringLiteral("  "));
    chooseList(QStringLiteral("Personal Address Book"));
    controller().AddDetailsButton_Click();
    EXPECT_EQ(code_, head("Personal Address Book", "  "));
    EXPECT_EQ(responder_.boxes, QStringList{"none|Quorvane '99|Alias '  ' was not found."});
    EXPECT_EQ(world_.calls("AddressEntries.GetFirst"), 1);
}

TEST_F(AddressDetailsTest, QuotesInAliasAndListNameAreDoubled) {
    auto& odd = world_.addList(QStringLiteral("My \"Contacts\""));
    world_.addEntry(odd, QStringLiteral("Q"), QStringLiteral("q@example.com"),
                    QStringLiteral("q\"x {Session} %1"));
    typeAlias(QStringLiteral("q\"x {Session} %1"));
    chooseList(QStringLiteral("My \"Contacts\""));
    closeDetails();
    controller().AddDetailsButton_Click();
    EXPECT_EQ(code_, head("My \"\"Contacts\"\"", "q\"\"x {Session} %1") +
                         check("q\"x {Session} %1") + tail());
    EXPECT_TRUE(responder_.boxes.isEmpty());
}

TEST_F(AddressDetailsTest, CancelledInputBoxWritesNothing) {
    cancelAlias();
    controller().AddDetailsButton_Click();
    EXPECT_TRUE(responder_.allStepsDone());
    EXPECT_TRUE(code_.isEmpty());
    EXPECT_TRUE(responder_.boxes.isEmpty());
    EXPECT_TRUE(responder_.unexpected.isEmpty());  // the chooser never opened
    EXPECT_TRUE(world_.log.isEmpty());
}

TEST_F(AddressDetailsTest, EmptyAliasStopsLikeCancel) {
    typeAlias(QString());
    controller().AddDetailsButton_Click();
    EXPECT_TRUE(code_.isEmpty());
    EXPECT_TRUE(responder_.unexpected.isEmpty());
    EXPECT_TRUE(world_.log.isEmpty());
}

TEST_F(AddressDetailsTest, CancelledChooserWritesNothing) {
    typeAlias(QStringLiteral("ann"));
    cancelChooser();
    controller().AddDetailsButton_Click();
    EXPECT_TRUE(responder_.allStepsDone());
    EXPECT_TRUE(code_.isEmpty());
    EXPECT_TRUE(responder_.boxes.isEmpty());
    // Only the chooser's own listing touched the address book.
    EXPECT_EQ(world_.calls("AddressEntries.GetFirst"), 0);
    EXPECT_EQ(world_.calls("AddressList.AddressEntries"), 0);
}

TEST_F(AddressDetailsTest, FailingLookupStepsAreSkippedAndReadAsNotFound) {
    // The chosen list cannot be opened: the filter and GetFirst fail on Nothing.
    world_.failOn(QStringLiteral("AddressLists.ItemByName"), 1, mapi::code::NotFound);
    typeAlias(QStringLiteral("ann"));
    chooseList(QStringLiteral("Personal Address Book"));
    controller().AddDetailsButton_Click();
    EXPECT_EQ(code_, head("Personal Address Book", "ann"));
    EXPECT_EQ(responder_.boxes, QStringList{"none|Quorvane '99|Alias 'ann' was not found."});
    EXPECT_EQ(world_.calls("AddressEntries.GetFirst"), 0);
}

TEST_F(AddressDetailsTest, FailingFilterFieldStillSearchesUnfiltered) {
    // With the condition lost, GetFirst runs on the whole list and finds its first entry.
    world_.failOn(QStringLiteral("Filter.Fields.Add"), 1, mapi::code::NoSupport);
    typeAlias(QStringLiteral("nobody"));
    chooseList(QStringLiteral("Personal Address Book"));
    closeDetails();
    controller().AddDetailsButton_Click();
    EXPECT_EQ(code_, head("Personal Address Book", "nobody") + check("nobody") + tail());
    EXPECT_EQ(detailsShownFor_, QStringList{"Ann Archer"});
}

TEST_F(AddressDetailsTest, FailingDetailsIsPassedOverAndAllLinesWritten) {
    world_.failOn(QStringLiteral("AddressEntry.Details"), 1, mapi::code::CallFailed);
    typeAlias(QStringLiteral("ann"));
    chooseList(QStringLiteral("Personal Address Book"));
    controller().AddDetailsButton_Click();
    EXPECT_EQ(code_, head("Personal Address Book", "ann") + check("ann") + tail());
    EXPECT_TRUE(responder_.boxes.isEmpty());
    EXPECT_TRUE(responder_.unexpected.isEmpty());
}

TEST_F(AddressDetailsTest, PointerIsNormalAfterEveryPath) {
    typeAlias(QStringLiteral("nobody"));
    chooseList(QStringLiteral("Personal Address Book"));
    controller().AddDetailsButton_Click();
    EXPECT_FALSE(ui::isBusyPointer());
    typeAlias(QStringLiteral("ann"));
    chooseList(QStringLiteral("Personal Address Book"));
    closeDetails();
    controller().AddDetailsButton_Click();
    EXPECT_FALSE(ui::isBusyPointer());
}

}  // namespace
