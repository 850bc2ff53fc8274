// The "All Fields" listing (one trap, its own message) and the recipient
// details (skip and continue), opened through the dispatch.

#include "browser/BrowserFixture.h"
#include "browser/FillAllFields.h"
#include "browser/FillRecipientDetails.h"

using testsupport::crlf;

namespace {

const char* kFieldsOpen =
    "'get a reference to the message by ID\n"
    "Set oMsg = oSession.GetMessage(\"M-1\", \"S-1\")\n"
    "\n";

const char* kFieldsWalk =
    "'make absolutely sure we have something\n"
    "If Not oMsg Is Nothing Then\n"
    "\n"
    "  'get the fields collection for the message\n"
    "  Set oFields = oMsg.Fields\n"
    "\n"
    "  'iterate through all the fields\n"
    "  For iLooper = 1 To oFields.Count\n"
    "\n"
    "    'make sure the field type is in a range that we can work with\n"
    "    If oFields.Item(iLooper).Type >= 2 And oFields.Item(iLooper).Type <= 11 Then\n"
    "\n"
    "      'check to see if the field has a name; if the field\n"
    "      'is a standard MAPI field, the name property is an \n"
    "      'an empty string.  If it's a custom MAPI property, \n"
    "      'the name field contains the name of the field.\n"
    "      If oFields.Item(iLooper).Name = \"\" Then\n"
    "        debug.print \"This field has no name\"\n"
    "      Else\n"
    "        debug.print \"This field name is \" & oFields.Item(iLooper).Name\n"
    "      End If\n"
    "\n"
    "      'if the item's value is a string\n"
    "      If oFields.Item(iLooper).Type = vbString Then\n"
    "        'plug it directly into a variable\n"
    "        MyStringVar = oFields.Item(iLooper).Value\n"
    "      Else\n"
    "        'otherwise, convert it to a string\n"
    "        MyStringVar = CStr(oFields.Item(iLooper).Value)\n"
    "      End If\n"
    "\n"
    "    End If\n"
    "\n"
    "    debug.print oFields.Item(iLooper).Value\n"
    "  Next iLooper\n"
    "End If\n"
    "\n"
    "'empty all your object references when done!\n"
    "\n";

const char* kDetailsOpen =
    "'get an object reference to a message by ID\n"
    "'for more info on getting an item by ID, see the \n"
    "'comments on getting an infostore by ID\n"
    "Set oMsg = oSession.GetMessage(\"M-1\", \"S-1\")\n"
    "\n";

QString detailsSearch(const char* address) {
    return crlf(
               "'make sure we have a valid message\n"
               "If Not oMsg Is Nothing Then\n"
               "\n"
               "  'now the get the recipient collection for the message\n"
               "  Set oRecips = oMsg.Recipients\n"
               "\n"
               "  'iterate through the recipient collection looking for the recipient\n"
               "  For iLooper = 1 to oRecips.Count\n"
               "    'see if it's the recipient we're looking for\n") +
           QStringLiteral("    If oRecips.Item(iLooper).Address = \"%1\" Then\r\n")
               .arg(QString::fromUtf8(address)) +
           crlf(
               "      Set oRecip = oRecips.Item(iLooper)\n"
               "      Exit For\n"
               "    End If\n"
               "  Next iLooper\n"
               "\n");
}

const char* kDetailsMatch =
    "  'see if there was a match\n"
    "  If Not oRecip Is Nothing Then\n"
    "    'view properties of this recipient\n"
    "    Debug.Print \"Name = \" & oRecip.Name\n"
    "  End If\n"
    "\n";

const char* kDetailsEnd =
    "End If\n"
    "\n";

const char* kDetailsClose =
    "'clear out all your object references when done!\n"
    "\n";

using mapi::Variant;

class FieldsAndDetails : public testsupport::BrowserFixture {
  protected:
    void SetUp() override {
        BrowserFixture::SetUp();
        store = session->addStore(QStringLiteral("S-1"), QStringLiteral("Mailbox"));
        auto inbox = store->root->addFolder(QStringLiteral("F-IN"), QStringLiteral("Inbox"));
        msg = inbox->addMessage(QStringLiteral("M-1"), QStringLiteral("Status"));
        const std::int32_t storeNode = addStoreNode(store);
        const std::int32_t folderNode =
            tree.add(storeNode, ui::Relationship::Child, "F-IN", "Inbox", 1, 2);
        msgNode = tree.add(folderNode, ui::Relationship::Child, "M-1", "Status", 5, 6);
    }

    void addField(const char* name, std::int32_t id, Variant type, Variant value) {
        msg->fields->items.push_back(
            std::make_shared<fake::FField>(QString::fromUtf8(name), id, type, value));
    }
    void addRecip(const char* name, std::int32_t type, const char* address,
                  std::int32_t displayType = 0) {
        msg->recipients->items.push_back(std::make_shared<fake::FRecipient>(
            QString::fromUtf8(name), type, QString::fromUtf8(address), displayType));
    }

    // Opens the message, then its "All Fields" node.
    std::int32_t openFields() {
        doubleClick(msgNode);
        const std::int32_t all = child(msgNode, QStringLiteral("All Fields"));
        code.clear();
        doubleClick(all);
        return all;
    }
    std::int32_t openRecipient(const QString& text) {
        doubleClick(msgNode);
        const std::int32_t r = child(child(msgNode, QStringLiteral("Recipients")), text);
        code.clear();
        doubleClick(r);
        return r;
    }

    std::shared_ptr<fake::FInfoStore> store;
    std::shared_ptr<fake::FMessage> msg;
    std::int32_t msgNode = 0;
};

TEST_F(FieldsAndDetails, FieldNodesKeepTheirPositionsAndSkipOtherTypes) {
    addField("", 0x0037001E, Variant(std::int32_t(8)), Variant(QStringLiteral("Status")));  // 1
    addField("", 0x10130102, Variant(std::int32_t(65)),
             Variant(QByteArray("\x01\x02", 2)));                                      // 2 skipped
    addField("", 0x0E060040, Variant(std::int32_t(7)), Variant(mapi::Date{36220.5}));  // 3
    addField("", 0x00170003, Variant(std::int32_t(1)), Variant::null());               // 4 skipped
    addField("", 4096, Variant(std::int32_t(3)), Variant(std::int32_t(1024)));         // 5
    addField("", 0x0E1B000B, Variant::null(), Variant(true));                          // 6 skipped
    addField("", static_cast<std::int32_t>(0x8001001E), Variant::integer(8),
             Variant(QStringLiteral("neg")));                                       // 7
    addField("", 0x0E08000B, Variant(std::int32_t(0)), Variant());                  // 8 skipped
    addField("", 0x0E1D000B, Variant(std::int32_t(11)), Variant(false));            // 9
    addField("", 0x00260003, Variant(std::int32_t(12)), Variant(std::int32_t(1)));  // 10 skipped
    addField("", 0x0E070003, Variant(std::int32_t(2)), Variant::integer(-5));       // 11
    addField("Keywords", static_cast<std::int32_t>(0x8002001F), Variant(std::int32_t(8)),
             Variant("x"));  // 12

    const std::int32_t all = openFields();
    EXPECT_EQ(code, crlf(kFieldsOpen) + crlf(kFieldsWalk));
    EXPECT_EQ(dump(all), (QStringList{
                             "|Field #1; ID=3604510; No Field Name - Status|11|0",
                             "|Field #3; ID=235274304; No Field Name - 3/1/1999 12:00:00 PM|11|0",
                             "|Field #5; ID=4096; No Field Name - 1024|11|0",
                             "|Field #7; ID=-2147418082; No Field Name - neg|11|0",
                             "|Field #9; ID=236781579; No Field Name - False|11|0",
                             "|Field #11; ID=235339779; No Field Name - -5|11|0",
                             "|Field #12; ID=-2147352545; Keywords:  x|11|0",
                         }));
    EXPECT_TRUE(tree.expanded(all));
    EXPECT_TRUE(boxes.boxes.empty());

    const QString before = code;
    doubleClick(all);
    EXPECT_EQ(code, before);
}

TEST_F(FieldsAndDetails, ErrorTypedFifthFieldStopsTheListingAfterFourNodes) {
    for (int i = 1; i <= 4; ++i)
        addField("", 0x1000 + i, Variant(std::int32_t(3)), Variant(std::int32_t(i)));
    addField("", 0x0E0A000A, Variant(std::int32_t(10)),
             Variant(mapi::ErrorValue{mapi::code::NotFound}));
    addField("", 0x2000, Variant(std::int32_t(3)), Variant(std::int32_t(6)));

    const std::int32_t all = openFields();
    EXPECT_EQ(code, crlf(kFieldsOpen));
    EXPECT_EQ(tree.children(all).size(), 4u);
    EXPECT_EQ(tree.text(tree.children(all).back()),
              QStringLiteral("Field #4; ID=4100; No Field Name - 4"));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("There was an error getting field information."));
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Quorvane '99"));
    // The listing handled its own error: the node is expanded.
    EXPECT_TRUE(tree.expanded(all));
}

TEST_F(FieldsAndDetails, UnfetchableMessageShowsTheMessageBeforeAnyLine) {
    doubleClick(msgNode);
    const std::int32_t all = child(msgNode, QStringLiteral("All Fields"));
    code.clear();
    session->fail[QStringLiteral("GetMessage")] = mapi::code::NotFound;
    doubleClick(all);
    EXPECT_TRUE(code.isEmpty());
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("There was an error getting field information.")});
}

TEST_F(FieldsAndDetails, MessageOfNothingWritesTheWholeFieldBlock) {
    session->nothingMessages.push_back(QStringLiteral("M-1"));
    browser::FillAllFields(cx, QStringLiteral("S-1"), QStringLiteral("M-1"), msgNode);
    EXPECT_EQ(code, crlf(kFieldsOpen) + crlf(kFieldsWalk));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FieldsAndDetails, FieldTextForms) {
    using browser::fieldNodeText;
    EXPECT_EQ(fieldNodeText(5, 4096, QString(), 3, Variant(std::int32_t(1024))),
              QStringLiteral("Field #5; ID=4096; No Field Name - 1024"));
    EXPECT_EQ(fieldNodeText(2, -1, QStringLiteral("N"), 8, Variant::null()),
              QStringLiteral("Field #2; ID=-1; N:  "));
    EXPECT_THROW(fieldNodeText(2, 1, QString(), 3, Variant::null()), mapi::Error);
}

TEST_F(FieldsAndDetails, RecipientDetailsShowFourNodesAndTheMatchLines) {
    addRecip("Jo Doe", 1, "jdoe@example.com", 0);
    addRecip("Team", 2, "team@example.com", 5);
    const std::int32_t r = openRecipient(QStringLiteral("CC:  Team"));
    EXPECT_EQ(code, crlf(kDetailsOpen) + detailsSearch("team@example.com") + crlf(kDetailsMatch) +
                        crlf(kDetailsEnd) + crlf(kDetailsClose));
    EXPECT_EQ(dump(r), (QStringList{"|Address:  team@example.com|32|0",
                                    "|Display Type:  CdoPrivateDistList|32|0", "|Name:  Team|32|0",
                                    "|Type:  CdoCc|32|0"}));
    EXPECT_TRUE(tree.expanded(r));

    const QString before = code;
    doubleClick(r);
    EXPECT_EQ(code, before);
}

TEST_F(FieldsAndDetails, DisplayTypeSevenAndTypeFourShowNothingAfterTheLabel) {
    addRecip("Odd", 4, "odd@example.com", 7);
    const std::int32_t r = openRecipient(QStringLiteral("Odd"));
    EXPECT_EQ(dump(r), (QStringList{"|Address:  odd@example.com|32|0", "|Display Type:  |32|0",
                                    "|Name:  Odd|32|0", "|Type:  |32|0"}));
}

TEST_F(FieldsAndDetails, AddressThatNoLongerMatchesAddsNoDetail) {
    addRecip("Jo Doe", 1, "jdoe@example.com");
    doubleClick(msgNode);
    const std::int32_t r =
        child(child(msgNode, QStringLiteral("Recipients")), QStringLiteral("TO:  Jo Doe"));
    msg->recipients->items.front()->address =
        QStringLiteral("JDOE@example.com");  // changed case behind the tree
    code.clear();
    doubleClick(r);
    EXPECT_EQ(code, crlf(kDetailsOpen) + detailsSearch("jdoe@example.com") + crlf(kDetailsEnd) +
                        crlf(kDetailsClose));
    EXPECT_TRUE(tree.children(r).empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FieldsAndDetails, DuplicateAddressShowsTheFirstRecipient) {
    addRecip("First", 1, "same@example.com");
    addRecip("Second", 3, "same@example.com");
    const std::int32_t r = openRecipient(QStringLiteral("TO:  First"));
    EXPECT_EQ(tree.text(tree.children(r)[2]), QStringLiteral("Name:  First"));
    EXPECT_EQ(tree.text(tree.children(r)[3]), QStringLiteral("Type:  CdoTo"));
}

TEST_F(FieldsAndDetails, UnfetchableMessageGivesLinesOneToFourThenTwentyThree) {
    addRecip("Jo Doe", 1, "jdoe@example.com");
    doubleClick(msgNode);
    const std::int32_t r =
        child(child(msgNode, QStringLiteral("Recipients")), QStringLiteral("TO:  Jo Doe"));
    code.clear();
    msg->id = QStringLiteral("gone");
    doubleClick(r);
    EXPECT_EQ(code, crlf(kDetailsOpen) + crlf(kDetailsClose));
    EXPECT_TRUE(tree.children(r).empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FieldsAndDetails, UnreadableDetailsAreSkippedOneByOne) {
    addRecip("Jo Doe", 1, "jdoe@example.com", 0);
    doubleClick(msgNode);
    const std::int32_t r =
        child(child(msgNode, QStringLiteral("Recipients")), QStringLiteral("TO:  Jo Doe"));
    auto& recip = *msg->recipients->items.front();
    recip.fail[QStringLiteral("Name")] = mapi::code::NotFound;
    recip.fail[QStringLiteral("DisplayType")] = mapi::code::NotFound;
    code.clear();
    doubleClick(r);
    EXPECT_EQ(dump(r), (QStringList{"|Address:  jdoe@example.com|32|0", "|Display Type:  |32|0",
                                    "|Type:  CdoTo|32|0"}));
    EXPECT_EQ(code, crlf(kDetailsOpen) + detailsSearch("jdoe@example.com") + crlf(kDetailsMatch) +
                        crlf(kDetailsEnd) + crlf(kDetailsClose));
}

TEST_F(FieldsAndDetails, KeyWithoutHashIsTakenWhole) {
    addRecip("Jo Doe", 1, "jdoe@example.com");
    const std::int32_t n =
        tree.add(msgNode, ui::Relationship::Child, "jdoe@example.com", "loose", 13);
    browser::FillRecipientDetails(cx, QStringLiteral("M-1"), QStringLiteral("S-1"),
                                  QStringLiteral("jdoe@example.com"), n);
    EXPECT_EQ(tree.children(n).size(), 4u);
    code.clear();
    // Only the first "#" splits: the rest belongs to the address.
    addRecip("Hash", 1, "a#b");
    const std::int32_t h = tree.add(msgNode, ui::Relationship::Child, "M-1#a#b", "hash", 13);
    browser::FillRecipientDetails(cx, QStringLiteral("M-1"), QStringLiteral("S-1"),
                                  QStringLiteral("M-1#a#b"), h);
    EXPECT_EQ(tree.text(tree.children(h)[0]), QStringLiteral("Address:  a#b"));
}

}  // namespace
