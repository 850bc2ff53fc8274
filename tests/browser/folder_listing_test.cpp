// Opening store and folder nodes through the double-click dispatch: the nodes
// added, the exact generated blocks, the once-only rule and the error report.

#include "browser/BrowserFixture.h"
#include "codegen/VarNames.h"
#include "shell/TreeNodes.h"

using testsupport::crlf;

namespace {

const char* kStoreBlock =
    "'get a reference to the information store by ID\n"
    "Set oStore = oSession.GetInfoStore(\"S-1\")\n"
    "'if you hadn't stored the InfoStore ID value, you could also iterate \n"
    "'through the collection like we did above, and look for a store by \n"
    "'name, like If oStores.Item(iLooper).Name = MyName Then\n"
    "'Set oStore = oStores.Item(iLooper)\n"
    "\n"
    "'get a reference to the root folder for the store\n"
    "Set oRoot = oStore.RootFolder\n"
    "\n";

const char* kFolderListRoot =
    "'get a reference to the folders collection\n"
    "Set oFolders = oRoot.Folders\n"
    "\n"
    "'move to the first folder\n"
    "Set oFolder = oFolders.GetFirst\n"
    "\n"
    "'while we have a valid folder\n"
    "While Not oFolder Is Nothing\n"
    "  debug.print oFolder.Name\n"
    "  'get the next item\n"
    "  Set oFolder = oFolders.GetNext\n"
    "Wend\n"
    "\n"
    "'empty your object references when done!\n"
    "\n";

const char* kFolderListFolder =
    "'get a reference to the folders collection\n"
    "Set oFolders = oFolder.Folders\n"
    "\n"
    "'move to the first folder\n"
    "Set oFolder = oFolders.GetFirst\n"
    "\n"
    "'while we have a valid folder\n"
    "While Not oFolder Is Nothing\n"
    "  debug.print oFolder.Name\n"
    "  'get the next item\n"
    "  Set oFolder = oFolders.GetNext\n"
    "Wend\n"
    "\n"
    "'empty your object references when done!\n"
    "\n";

QString folderOpenHead(const char* folderId, const char* storeId) {
    return crlf(
               "'get an object reference to the folder by ID so we\n"
               "'can get its list of subfolders; for more info on\n"
               "'getting items by ID, see the comments on getting a infostore by ID\n") +
           QStringLiteral("Set oFolder = oSession.GetFolder(\"%1\", \"%2\")\r\n\r\n")
               .arg(QString::fromUtf8(folderId), QString::fromUtf8(storeId));
}

QString folderOpenTail(const char* folderId, const char* storeId) {
    return crlf("'get a reference to the folder again to get its message collection\n") +
           QStringLiteral("Set oFolder = oSession.GetFolder(\"%1\", \"%2\")\r\n\r\n")
               .arg(QString::fromUtf8(folderId), QString::fromUtf8(storeId)) +
           crlf(
               "'make sure there's some folders there\n"
               "If Not oFolder Is Nothing Then\n"
               "\n"
               "  'get a reference to the messages collection\n"
               "  Set oMsgs = oFolder.Messages\n"
               "\n"
               "  'make sure we have some messages\n"
               "  If Not oMsgs Is Nothing Then\n"
               "    'move to the first message\n"
               "    Set oMsg = oMsgs.GetFirst\n"
               "\n"
               "    'while we have some messages\n"
               "    While Not oMsg Is Nothing\n"
               "      debug.print oMsg.Subject\n"
               "      'get the next item\n"
               "      Set oMsg = oMsgs.GetNext\n"
               "    Wend\n"
               "  End If\n"
               "End If\n"
               "\n"
               "'empty your object references when done!\n"
               "\n");
}

class FolderListing : public testsupport::BrowserFixture {
  protected:
    void SetUp() override {
        BrowserFixture::SetUp();
        store = session->addStore(QStringLiteral("S-1"), QStringLiteral("Mailbox - Jo Doe"));
        inbox = store->root->addFolder(QStringLiteral("F-IN"), QStringLiteral("Inbox"));
        store->root->addFolder(QStringLiteral("F-OUT"), QStringLiteral("Outbox"));
        inbox->addMessage(QStringLiteral("M-1"), QStringLiteral("Hello"));
        sub = inbox->addFolder(QStringLiteral("F-SUB"), QStringLiteral("Projects"));
        inbox->addMessage(QStringLiteral("M-2"), QString());
        storeNode = addStoreNode(store);
    }

    std::shared_ptr<fake::FInfoStore> store;
    std::shared_ptr<fake::FFolder> inbox;
    std::shared_ptr<fake::FFolder> sub;
    std::int32_t storeNode = 0;
};

TEST_F(FolderListing, StoreOpensOnceWithStoreRootAndFolderLines) {
    doubleClick(storeNode);
    EXPECT_EQ(code, crlf(kStoreBlock) + crlf(kFolderListRoot));
    EXPECT_EQ(dump(storeNode), (QStringList{"F-IN|Inbox|1|2", "F-OUT|Outbox|1|2"}));
    EXPECT_TRUE(tree.expanded(storeNode));
    EXPECT_TRUE(boxes.boxes.empty());

    const QString before = code;
    const std::int32_t nodes = tree.count();
    doubleClick(storeNode);
    EXPECT_EQ(code, before);
    EXPECT_EQ(tree.count(), nodes);
}

TEST_F(FolderListing, StoreWithoutSubfoldersStillWritesTheWholeBlock) {
    store->root->folders->items.clear();
    doubleClick(storeNode);
    EXPECT_EQ(code, crlf(kStoreBlock) + crlf(kFolderListRoot));
    EXPECT_TRUE(tree.children(storeNode).empty());
    EXPECT_TRUE(tree.expanded(storeNode));
}

TEST_F(FolderListing, FolderListsSubfoldersBeforeMessagesAndWritesNoStoreLines) {
    doubleClick(storeNode);
    const std::int32_t inboxNode = child(storeNode, QStringLiteral("Inbox"));
    code.clear();

    doubleClick(inboxNode);
    EXPECT_EQ(code, folderOpenHead("F-IN", "S-1") + crlf(kFolderListFolder) +
                        folderOpenTail("F-IN", "S-1"));
    // The message with an empty subject gets an empty text and keeps its key.
    EXPECT_EQ(dump(inboxNode), (QStringList{"F-SUB|Projects|1|2", "M-1|Hello|5|6", "M-2||5|6"}));
    EXPECT_TRUE(tree.expanded(inboxNode));

    const QString before = code;
    doubleClick(inboxNode);
    EXPECT_EQ(code, before);
    EXPECT_EQ(tree.children(inboxNode).size(), 3u);
}

TEST_F(FolderListing, EmptyFolderWritesTheSameBlock) {
    const std::int32_t outboxNode = [&] {
        doubleClick(storeNode);
        return child(storeNode, QStringLiteral("Outbox"));
    }();
    code.clear();
    doubleClick(outboxNode);
    EXPECT_EQ(code, folderOpenHead("F-OUT", "S-1") + crlf(kFolderListFolder) +
                        folderOpenTail("F-OUT", "S-1"));
    EXPECT_TRUE(tree.children(outboxNode).empty());
}

TEST_F(FolderListing, IdentifiersBetweenQuotesAreValidLiterals) {
    auto odd = store->root->addFolder(QStringLiteral("F\"1\"&x"), QStringLiteral("Odd"));
    doubleClick(storeNode);
    code.clear();
    doubleClick(child(storeNode, QStringLiteral("Odd")));
    EXPECT_TRUE(code.startsWith(folderOpenHead("F\"\"1\"\"&x", "S-1")));
}

TEST_F(FolderListing, RenamedVariablesAppearOnlyInLaterLines) {
    doubleClick(storeNode);
    const QString storeText = code;
    mod.names.rename(codegen::Var::Messages, QStringLiteral("colMsgs"));
    mod.names.rename(codegen::Var::Folder, QStringLiteral("fld"));
    doubleClick(child(storeNode, QStringLiteral("Inbox")));

    EXPECT_TRUE(code.startsWith(storeText));
    const QString added = code.mid(storeText.size());
    QString expected =
        folderOpenHead("F-IN", "S-1") + crlf(kFolderListFolder) + folderOpenTail("F-IN", "S-1");
    expected.replace(QStringLiteral("oMsgs"), QStringLiteral("colMsgs"));
    expected.replace(QStringLiteral("oFolder "), QStringLiteral("fld "));
    expected.replace(QStringLiteral("oFolder."), QStringLiteral("fld."));
    EXPECT_EQ(added, expected);
    EXPECT_FALSE(storeText.contains(QStringLiteral("colMsgs")));
    EXPECT_TRUE(added.contains(QStringLiteral("Set oFolders = fld.Folders\r\n")));

    mod.names.rename(codegen::Var::Messages, QStringLiteral("oMsgs"));
    mod.names.rename(codegen::Var::Folder, QStringLiteral("oFolder"));
}

TEST_F(FolderListing, MessagesCollectionOfNothingAddsNoMessageNodes) {
    inbox->messagesNothing = true;
    doubleClick(storeNode);
    const std::int32_t inboxNode = child(storeNode, QStringLiteral("Inbox"));
    code.clear();
    doubleClick(inboxNode);
    EXPECT_EQ(code, folderOpenHead("F-IN", "S-1") + crlf(kFolderListFolder) +
                        folderOpenTail("F-IN", "S-1"));
    EXPECT_EQ(dump(inboxNode), (QStringList{"F-SUB|Projects|1|2"}));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FolderListing, FolderOfNothingFailsAfterTheOpeningLines) {
    doubleClick(storeNode);
    const std::int32_t inboxNode = child(storeNode, QStringLiteral("Inbox"));
    code.clear();
    session->nothingFolders.push_back(QStringLiteral("F-IN"));
    doubleClick(inboxNode);
    EXPECT_EQ(code, folderOpenHead("F-IN", "S-1"));
    EXPECT_TRUE(tree.children(inboxNode).empty());
    EXPECT_FALSE(tree.expanded(inboxNode));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral(
                  "Error #91 - Object variable or With block variable not set - has occurred."));
    EXPECT_EQ(boxes.boxes[0].title, QStringLiteral("Quorvane '99"));
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(boxes.boxes[0].buttons, QStringLiteral("ok"));
}

TEST_F(FolderListing, FailingGetFolderAppendsNothing) {
    doubleClick(storeNode);
    const std::int32_t inboxNode = child(storeNode, QStringLiteral("Inbox"));
    code.clear();
    session->fail[QStringLiteral("GetFolder")] = mapi::code::NoAccess;
    doubleClick(inboxNode);
    EXPECT_TRUE(code.isEmpty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    const mapi::Error e = mapi::makeError(mapi::code::NoAccess);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Error #-2147024891 - ") + e.description() +
                                       QStringLiteral(" - has occurred."));
}

TEST_F(FolderListing, WalkFailingHalfwayKeepsWhatWasAddedAndCannotBeReopened) {
    doubleClick(storeNode);
    const std::int32_t inboxNode = child(storeNode, QStringLiteral("Inbox"));
    code.clear();
    inbox->messages->fail[QStringLiteral("GetNext")] = mapi::code::CallFailed;
    doubleClick(inboxNode);
    EXPECT_EQ(
        code,
        folderOpenHead("F-IN", "S-1") + crlf(kFolderListFolder) +
            folderOpenTail("F-IN", "S-1")
                .left(folderOpenTail("F-IN", "S-1").indexOf(QStringLiteral("'make sure there's"))));
    EXPECT_EQ(dump(inboxNode), (QStringList{"F-SUB|Projects|1|2", "M-1|Hello|5|6"}));
    EXPECT_FALSE(tree.expanded(inboxNode));
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QStringLiteral("Error #-2147467259 - ")));

    // The node has children now, so a second double-click does nothing.
    const QString before = code;
    doubleClick(inboxNode);
    EXPECT_EQ(code, before);
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST_F(FolderListing, StoreThatHasGoneAwayIsReportedWithTheLibrarysNumber) {
    session->stores->items.clear();
    doubleClick(storeNode);
    EXPECT_TRUE(code.isEmpty());
    EXPECT_TRUE(tree.children(storeNode).empty());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Error #-2147221233 - ") +
                                       mapi::makeError(mapi::code::NotFound).description() +
                                       QStringLiteral(" - has occurred."));
}

TEST_F(FolderListing, GetInfoStoreFailingInTheFolderBranchAppendsNothing) {
    doubleClick(storeNode);
    const std::int32_t inboxNode = child(storeNode, QStringLiteral("Inbox"));
    code.clear();
    session->fail[QStringLiteral("GetInfoStore")] = mapi::code::NotFound;
    doubleClick(inboxNode);
    EXPECT_TRUE(code.isEmpty());
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts()[0].startsWith(QStringLiteral("Error #-2147221233 - ")));
}

TEST_F(FolderListing, RootRunsTheLogonUnderTheBusyPointer) {
    bool busyDuringLogon = false;
    tree.select(1);
    browser::dispatchDoubleClick(cx, [&] { busyDuringLogon = ui::isBusyPointer(); });
    EXPECT_TRUE(busyDuringLogon);
    EXPECT_FALSE(ui::isBusyPointer());

    // An error raised by the logon is reported by the dispatch.
    browser::dispatchDoubleClick(cx, [] { mapi::raise(mapi::code::LogonFailed); });
    EXPECT_FALSE(ui::isBusyPointer());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QStringLiteral("Error #-2147221231 - ")));
    EXPECT_TRUE(boxes.boxes[0].text.endsWith(QStringLiteral(" - has occurred.")));
}

TEST_F(FolderListing, NodesWithNothingBeneathDoNothing) {
    doubleClick(storeNode);
    const std::int32_t inboxNode = child(storeNode, QStringLiteral("Inbox"));
    code.clear();
    for (int image : {7, 11, 12, 14, 15, 16, 32}) {
        const std::int32_t n = tree.add(inboxNode, ui::Relationship::Child, QString(),
                                        QStringLiteral("leaf %1").arg(image), image);
        doubleClick(n);
        EXPECT_TRUE(code.isEmpty()) << image;
        EXPECT_TRUE(tree.children(n).empty()) << image;
    }
    EXPECT_EQ(session->logonCalls, 0);
    EXPECT_EQ(logonCalls, 0);
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(FolderListing, GetInfoStoreKeyClimbsFromDeepNodes) {
    // Store A > f1 > f2 > f3 > message > Recipients > recipient > detail
    const std::int32_t f1 = tree.add(storeNode, ui::Relationship::Child, "fa", "f1", 1, 2);
    const std::int32_t f2 = tree.add(f1, ui::Relationship::Child, "fb", "f2", 1, 2);
    const std::int32_t f3 = tree.add(f2, ui::Relationship::Child, "fc", "f3", 1, 2);
    const std::int32_t msg = tree.add(f3, ui::Relationship::Child, "m", "msg", 5, 6);
    const std::int32_t group = tree.add(msg, ui::Relationship::Child, "", "Recipients", 12);
    const std::int32_t recip = tree.add(group, ui::Relationship::Child, "m#a@b", "TO:  A", 13);
    const std::int32_t detail = tree.add(recip, ui::Relationship::Child, "", "Name:  A", 32);
    auto other = session->addStore(QStringLiteral("S-2"), QStringLiteral("Public"));
    const std::int32_t otherNode = addStoreNode(other);
    const std::int32_t g = tree.add(otherNode, ui::Relationship::Child, "g", "g", 1, 2);

    EXPECT_EQ(shell::GetInfoStoreKey(tree, msg), QStringLiteral("S-1"));
    EXPECT_EQ(shell::GetInfoStoreKey(tree, recip), QStringLiteral("S-1"));
    EXPECT_EQ(shell::GetInfoStoreKey(tree, detail), QStringLiteral("S-1"));
    EXPECT_EQ(shell::GetInfoStoreKey(tree, f1), QStringLiteral("S-1"));
    EXPECT_EQ(shell::GetInfoStoreKey(tree, g), QStringLiteral("S-2"));

    // The node itself is never looked at; above a store there is none.
    try {
        shell::GetInfoStoreKey(tree, storeNode);
        ADD_FAILURE() << "no error";
    } catch (const mapi::Error& e) {
        EXPECT_EQ(e.number(), 91);
    }
}

TEST_F(FolderListing, NoSelectedNodeIsReportedAsObjectNotSet) {
    browser::dispatchDoubleClick(cx, [] {});
    EXPECT_FALSE(ui::isBusyPointer());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral(
                  "Error #91 - Object variable or With block variable not set - has occurred."));
}

}  // namespace
