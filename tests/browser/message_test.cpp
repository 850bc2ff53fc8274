// Opening a message node: property, attachment and recipient nodes in their
// fixed order, the exact lines 1 to 35, and the skip-and-continue policy.

#include "browser/BrowserFixture.h"
#include "browser/FillMsgFields.h"

using testsupport::crlf;

namespace {

const char* kOpen =
    "'get an object reference to a message by ID\n"
    "'for more info on getting an item by ID, see the \n"
    "'comments on getting an infostore by ID\n"
    "Set oMsg = oSession.GetMessage(\"M-1\", \"S-1\")\n"
    "\n";

const char* kBody =
    "'make sure we have a valid message\n"
    "If Not oMsg Is Nothing Then\n"
    "\n"
    "  debug.print oMsg.ConversationIndex\n"
    "  debug.print oMsg.ConversationTopic\n"
    "  debug.print CStr(oMsg.Importance)\n"
    "  debug.print oMsg.Sender.Name\n"
    "  debug.print CStr(oMsg.Size)\n"
    "  debug.print oMsg.Subject\n"
    "  debug.print oMsg.Text\n"
    "  debug.print CStr(oMsg.TimeReceived)\n"
    "  debug.print CStr(oMsg.TimeSent)\n"
    "  debug.print oMsg.Type\n"
    "  debug.print CStr(oMsg.Unread)\n"
    "\n"
    "  'now get all the attachments (if any) for the message\n"
    "  Set oAttachments = oMsg.Attachments\n"
    "\n"
    "  'if we have some attachments\n"
    "  If Not oAttachments Is Nothing Then\n"
    "    'iterate through the attachment collection\n"
    "    For iLooper = 1 To oAttachments.Count\n"
    "      debug.print oAttachments.Item(iLooper).Name\n"
    "    Next iLooper\n"
    "  End If\n"
    "\n"
    "  'now the get the recipient collection for the message\n"
    "  Set oRecips = oMsg.Recipients\n"
    "\n"
    "  'iterate through the recipient collection\n"
    "  For iLooper = 1 To oRecips.Count\n"
    "    'recipient types are 1=TO:, 2=CC:, and 3=BCC:\n"
    "    debug.print oRecips.Item(iLooper).Name, oRecips.Item(iLooper).Type\n"
    "  Next iLooper\n"
    "End If\n"
    "\n";

const char* kClose =
    "'clear out all your object references when done!\n"
    "\n";

class MessageOpening : public testsupport::BrowserFixture {
  protected:
    void SetUp() override {
        BrowserFixture::SetUp();
        store = session->addStore(QStringLiteral("S-1"), QStringLiteral("Mailbox"));
        auto inbox = store->root->addFolder(QStringLiteral("F-IN"), QStringLiteral("Inbox"));
        msg = inbox->addMessage(QStringLiteral("M-1"), QStringLiteral("Status"));
        msg->text = QStringLiteral("Line one\r\nLine two");
        msg->attachments->items.push_back(
            std::make_shared<fake::FAttachment>(QStringLiteral("plan.doc")));
        msg->attachments->items.push_back(
            std::make_shared<fake::FAttachment>(QStringLiteral("notes.txt")));
        const std::int32_t storeNode = addStoreNode(store);
        const std::int32_t folderNode =
            tree.add(storeNode, ui::Relationship::Child, "F-IN", "Inbox", 1, 2);
        msgNode = tree.add(folderNode, ui::Relationship::Child, "M-1", "Status", 5, 6);
    }

    void addRecip(const char* name, std::int32_t type, const char* address,
                  std::int32_t displayType = 0) {
        msg->recipients->items.push_back(std::make_shared<fake::FRecipient>(
            QString::fromUtf8(name), type, QString::fromUtf8(address), displayType));
    }

    std::shared_ptr<fake::FInfoStore> store;
    std::shared_ptr<fake::FMessage> msg;
    std::int32_t msgNode = 0;
};

TEST_F(MessageOpening, NodesComeInTheirFixedOrderWithTheWholeBlock) {
    addRecip("Jo Doe", 1, "jdoe@example.com");
    addRecip("Al Bo", 2, "al@example.com");
    addRecip("Cy Dee", 3, "cy@example.com");
    doubleClick(msgNode);

    EXPECT_EQ(code, crlf(kOpen) + crlf(kBody) + crlf(kClose));
    EXPECT_EQ(dump(msgNode), (QStringList{
                                 "|Attachments|15|0",
                                 "|Conversation Index:  01BE63|7|0",
                                 "|Conversation Topic:  Topic|7|0",
                                 "|Importance:  1|7|0",
                                 "|Sender:  Ann Lee|14|0",
                                 "|Size:  1234|7|0",
                                 "|Subject:  Status|7|0",
                                 "|Text:  Line one\r\nLine two|7|0",
                                 "|Time Received:  3/1/1999 12:00:00 PM|7|0",
                                 "|Time Sent:  3/1/1999 6:00:00 AM|7|0",
                                 "|Type:  IPM.Note|7|0",
                                 "|Unread:  True|7|0",
                                 "|Recipients|12|0",
                                 "|All Fields|10|0",
                             }));
    EXPECT_EQ(dump(child(msgNode, "Attachments")),
              (QStringList{"|plan.doc|16|0", "|notes.txt|16|0"}));
    EXPECT_EQ(
        dump(child(msgNode, "Recipients")),
        (QStringList{"M-1#jdoe@example.com|TO:  Jo Doe|13|0", "M-1#al@example.com|CC:  Al Bo|13|0",
                     "M-1#cy@example.com|BCC:  Cy Dee|13|0"}));
    EXPECT_TRUE(tree.expanded(msgNode));
    EXPECT_TRUE(boxes.boxes.empty());

    // Opened once: the second double-click adds nothing.
    const QString before = code;
    const std::int32_t nodes = tree.count();
    doubleClick(msgNode);
    EXPECT_EQ(code, before);
    EXPECT_EQ(tree.count(), nodes);
}

TEST_F(MessageOpening, MissingSenderLeavesOutItsNodeButNotItsLine) {
    msg->sender.reset();
    doubleClick(msgNode);
    EXPECT_EQ(code, crlf(kOpen) + crlf(kBody) + crlf(kClose));
    const QStringList nodes = dump(msgNode);
    EXPECT_EQ(nodes.size(), 13);
    EXPECT_EQ(nodes.filter(QStringLiteral("Sender:")).size(), 0);
    EXPECT_EQ(nodes[3], QStringLiteral("|Importance:  1|7|0"));
    EXPECT_EQ(nodes[4], QStringLiteral("|Size:  1234|7|0"));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MessageOpening, UnreadablePropertiesAreSkippedEachOnItsOwn) {
    msg->fail[QStringLiteral("ConversationIndex")] = mapi::code::NotFound;
    msg->unread = mapi::Variant::null();  // cannot be shown as text
    doubleClick(msgNode);
    const QStringList nodes = dump(msgNode);
    EXPECT_EQ(nodes.size(), 12);
    EXPECT_EQ(nodes[1], QStringLiteral("|Conversation Topic:  Topic|7|0"));
    EXPECT_EQ(nodes[10], QStringLiteral("|Recipients|12|0"));
    EXPECT_EQ(code, crlf(kOpen) + crlf(kBody) + crlf(kClose));
}

TEST_F(MessageOpening, NoAttachmentsNoRecipientsStillGivesGroupsAndFullBlock) {
    msg->attachments->items.clear();
    doubleClick(msgNode);
    EXPECT_EQ(code, crlf(kOpen) + crlf(kBody) + crlf(kClose));
    EXPECT_TRUE(tree.children(child(msgNode, "Attachments")).empty());
    EXPECT_TRUE(tree.children(child(msgNode, "Recipients")).empty());
}

TEST_F(MessageOpening, AttachmentsCollectionOfNothingIsNoDifferentInTheText) {
    msg->attachmentsNothing = true;
    doubleClick(msgNode);
    EXPECT_EQ(code, crlf(kOpen) + crlf(kBody) + crlf(kClose));
    EXPECT_TRUE(tree.children(child(msgNode, "Attachments")).empty());
    EXPECT_EQ(tree.children(msgNode).size(), 14u);
}

TEST_F(MessageOpening, DuplicateAddressesLoseTheSecondNodeAndTheWalkGoesOn) {
    addRecip("First", 1, "same@example.com");
    addRecip("Second", 2, "same@example.com");
    addRecip("Third", 3, "third@example.com");
    doubleClick(msgNode);
    EXPECT_EQ(dump(child(msgNode, "Recipients")),
              (QStringList{"M-1#same@example.com|TO:  First|13|0",
                           "M-1#third@example.com|BCC:  Third|13|0"}));
    EXPECT_EQ(code, crlf(kOpen) + crlf(kBody) + crlf(kClose));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MessageOpening, UnknownRecipientTypeKeepsThePreviousPrefix) {
    addRecip("Odd First", 4, "a@x");
    addRecip("Copy", 2, "b@x");
    addRecip("Odd Later", 4, "c@x");
    addRecip("Unreadable Type", 1, "d@x");
    msg->recipients->items.back()->fail[QStringLiteral("Type")] = mapi::code::NotFound;
    doubleClick(msgNode);
    EXPECT_EQ(dump(child(msgNode, "Recipients")),
              (QStringList{"M-1#a@x|Odd First|13|0", "M-1#b@x|CC:  Copy|13|0",
                           "M-1#c@x|CC:  Odd Later|13|0", "M-1#d@x|CC:  Unreadable Type|13|0"}));
}

TEST_F(MessageOpening, UnreadableRecipientOrAttachmentIsMissingAndTheLoopGoesOn) {
    addRecip("No Address", 1, "x@x");
    addRecip("Fine", 1, "y@y");
    msg->recipients->items.front()->fail[QStringLiteral("Address")] = mapi::code::NotFound;
    msg->attachments->items.front()->fail[QStringLiteral("Name")] = mapi::code::NotFound;
    doubleClick(msgNode);
    EXPECT_EQ(dump(child(msgNode, "Recipients")), (QStringList{"M-1#y@y|TO:  Fine|13|0"}));
    EXPECT_EQ(dump(child(msgNode, "Attachments")), (QStringList{"|notes.txt|16|0"}));
    EXPECT_EQ(code, crlf(kOpen) + crlf(kBody) + crlf(kClose));
}

TEST_F(MessageOpening, MessageDeletedBehindTheTreeGivesLinesOneToFourThenThirtyFive) {
    store->root->folders->items.front()->messages->items.clear();
    doubleClick(msgNode);
    EXPECT_EQ(code, crlf(kOpen) + crlf(kClose));
    EXPECT_TRUE(tree.children(msgNode).empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(MessageOpening, MessageOfNothingGivesTheSameShortBlock) {
    session->nothingMessages.push_back(QStringLiteral("M-1"));
    browser::FillMsgFields(cx, QStringLiteral("S-1"), QStringLiteral("M-1"), msgNode);
    EXPECT_EQ(code, crlf(kOpen) + crlf(kClose));
    EXPECT_TRUE(tree.children(msgNode).empty());
}

TEST_F(MessageOpening, RenamedVariablesAreUsed) {
    mod.names.rename(codegen::Var::Message, QStringLiteral("m"));
    mod.names.rename(codegen::Var::Counter, QStringLiteral("i"));
    doubleClick(msgNode);
    QString expected = crlf(kOpen) + crlf(kBody) + crlf(kClose);
    expected.replace(QStringLiteral("oMsg"), QStringLiteral("m"));
    expected.replace(QStringLiteral("iLooper"), QStringLiteral("i"));
    EXPECT_EQ(code, expected);
    mod.names.rename(codegen::Var::Message, QStringLiteral("oMsg"));
    mod.names.rename(codegen::Var::Counter, QStringLiteral("iLooper"));
}

}  // namespace
