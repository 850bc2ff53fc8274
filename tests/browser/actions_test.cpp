// Find folder, delete message and save attachment on the selected tree node:
// their checks, messages, error traps, landing points and exact blocks.

#include <QFile>
#include <QTemporaryDir>

#include "browser/BrowserFixture.h"
#include "browser/DeleteMessage.h"
#include "browser/FindFolder.h"
#include "browser/SaveAttachment.h"

using testsupport::crlf;

namespace {

const char* kWalk =
    "'iterate through the folders collection\n"
    "If Not oFolders Is Nothing Then\n"
    "  'move to the first folder\n"
    "  Set oFolder = oFolders.GetFirst\n"
    "  'as long as there is a valid folder\n"
    "  While Not oFolder Is Nothing\n"
    "    'do a non-case-sensitive comparison to see if the folder name is the one we're looking "
    "for\n"
    "    If UCase(oFolder.Name) = UCase(MyFolderNameVar) Then\n"
    "      'code for finding a match\n"
    "    End If\n"
    "    'move to the next folder\n"
    "    Set oFolder = oFolders.GetNext\n"
    "  Wend\n"
    "End If\n"
    "\n"
    "'empty your object references when done!\n"
    "\n";

const char* kStoreScope =
    "'find an information-store-level folder\n"
    "'get a reference to the store\n"
    "Set oStore = oSession.GetInfoStore(\"S-1\")\n"
    "'get the root folder of the information store\n"
    "Set oFolder = oStore.RootFolder\n"
    "'get the folder collection of the root folder\n"
    "Set oFolders = oFolder.Folders\n"
    "\n";

QString folderScope(const char* folderId) {
    return crlf(
               "'find a folder-level subfolder\n"
               "'get a reference to the folder by ID\n") +
           QStringLiteral("Set oFolder = oSession.GetFolder(\"%1\", \"S-1\")\r\n")
               .arg(QString::fromUtf8(folderId)) +
           crlf(
               "'get a reference to its folders\n"
               "Set oFolders = oFolder.Folders\n"
               "\n");
}

QString deleteBlock(const char* msgId, const char* storeId) {
    return crlf("'get an reference to the message by ID\n") +
           QStringLiteral("Set oMsg = oSession.GetMessage(\"%1\", \"%2\")\r\n")
               .arg(QString::fromUtf8(msgId), QString::fromUtf8(storeId)) +
           crlf(
               "'delete the message\n"
               "oMsg.Delete\n"
               "\n"
               "'empty your object references when done!\n"
               "\n");
}

QString saveBlock(const QString& attName, const QString& file) {
    return crlf(
               "'get the message by ID\n"
               "Set oMsg = oSession.GetMessage(\"M-1\", \"S-1\")\n"
               "\n"
               "'make sure it's not nothing, then get it's attachments\n"
               "If Not oMsg Is Nothing Then Set oAttachments = oMsg.Attachments\n"
               "\n"
               "'make the attachment collection is something\n"
               "If Not oAttachments Is Nothing Then\n"
               "  'iterate through the attachment collection\n"
               "\n"
               "  For iLooper = 1 To oAttachments.Count\n"
               "    'check to see if the attachment name matches the one I want to save\n") +
           QStringLiteral("    If oAttachments.Item(iLooper).Name = \"%1\" Then\r\n").arg(attName) +
           crlf(
               "      'get a reference to that attachment\n"
               "      Set oAttachment = oAttachments.Item(iLooper)\n"
               "      'we found the attachment so exit the loop\n"
               "      Exit For\n"
               "    End If\n"
               "  Next iLooper\n"
               "\n"
               "  'make sure we found that attachment we're looking for\n"
               "  If Not oAttachment Is Nothing Then\n"
               "    'save the attachment\n") +
           QStringLiteral("    oAttachment.WriteToFile \"%1\"\r\n").arg(file) +
           crlf(
               "  End If\n"
               "\n"
               "End If\n"
               "\n"
               "'empty your object references when done!\n"
               "\n");
}

class Actions : public testsupport::BrowserFixture {
  protected:
    void SetUp() override {
        BrowserFixture::SetUp();
        store = session->addStore(QStringLiteral("S-1"), QStringLiteral("Mailbox - Jo Doe"));
        inbox = store->root->addFolder(QStringLiteral("F-IN"), QStringLiteral("Inbox"));
        auto deep = inbox->addFolder(QStringLiteral("F-DEEP"), QStringLiteral("Archive"));
        deep->addFolder(QStringLiteral("F-DEEPER"), QStringLiteral("Inbox"));
        store->root->addFolder(QStringLiteral("F-A1"), QStringLiteral("Archive"));
        store->root->addFolder(QStringLiteral("F-A2"), QStringLiteral("ARCHIVE"));
        msg = inbox->addMessage(QStringLiteral("M-1"), QStringLiteral("Plans"));
        msg->attachments->items.push_back(
            std::make_shared<fake::FAttachment>(QStringLiteral("plan.txt"), "first\r\nbytes"));
        msg->attachments->items.push_back(
            std::make_shared<fake::FAttachment>(QStringLiteral("plan.txt"), "second"));
        msg->attachments->items.push_back(std::make_shared<fake::FAttachment>(
            QStringLiteral("other.bin"), QByteArray("\x00\x01\xff", 3)));
        empty = inbox->addMessage(QStringLiteral("M-2"), QString());

        storeNode = addStoreNode(store);
        inboxNode = tree.add(storeNode, ui::Relationship::Child, "F-IN", "Inbox", 1, 2);
        archiveNode = tree.add(inboxNode, ui::Relationship::Child, "F-DEEP", "Archive", 1, 2);
        msgNode = tree.add(inboxNode, ui::Relationship::Child, "M-1", "Plans", 5, 6);
        emptyNode = tree.add(inboxNode, ui::Relationship::Child, "M-2", "", 5, 6);
        attGroup = tree.add(msgNode, ui::Relationship::Child, "", "Attachments", 15);
        att1 = tree.add(attGroup, ui::Relationship::Child, "", "plan.txt", 16);
        att2 = tree.add(attGroup, ui::Relationship::Child, "", "plan.txt", 16);
        att3 = tree.add(attGroup, ui::Relationship::Child, "", "other.bin", 16);
        propNode = tree.add(msgNode, ui::Relationship::Child, "", "Subject:  Plans", 7);
    }

    void find(std::int32_t selected, const QString& name) {
        if (selected) tree.select(selected);
        browser::FindFolder(cx, name);
        EXPECT_FALSE(ui::isBusyPointer());
    }
    void remove(std::int32_t selected) {
        if (selected) tree.select(selected);
        browser::DeleteMessage(cx);
        EXPECT_FALSE(ui::isBusyPointer());
    }
    void save(std::int32_t selected) {
        if (selected) tree.select(selected);
        browser::SaveAttachment(cx, lastFile);
        EXPECT_FALSE(ui::isBusyPointer());
    }
    void answerSaveWith(const QString& path) {
        boxes.onFileDialog = [path](QFileDialog* fd) { testsupport::acceptFile(fd, path); };
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    std::shared_ptr<fake::FInfoStore> store;
    std::shared_ptr<fake::FFolder> inbox;
    std::shared_ptr<fake::FMessage> msg;
    std::shared_ptr<fake::FMessage> empty;
    std::int32_t storeNode = 0, inboxNode = 0, archiveNode = 0, msgNode = 0, emptyNode = 0;
    std::int32_t attGroup = 0, att1 = 0, att2 = 0, att3 = 0, propNode = 0;
    QString lastFile;
    QTemporaryDir dir;
};

// ---- find folder ------------------------------------------------------------------

TEST_F(Actions, FindRefusesTheRootAndAnEmptyName) {
    find(1, QStringLiteral("Inbox"));
    find(storeNode, QString());
    EXPECT_EQ(
        boxes.texts(),
        (QStringList{QStringLiteral("You must select the information store or folder in which "
                                    "you want to search for your folder name."),
                     QStringLiteral("You must enter a folder name for which to look.")}));
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(boxes.boxes[1].icon, QStringLiteral("critical"));
    EXPECT_TRUE(code.isEmpty());
}

TEST_F(Actions, StoreScopeSearchesTopLevelOnlyAndReportsTheTypedName) {
    find(storeNode, QStringLiteral("inbox"));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("inbox - FolderID=F-IN\r\n")});
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("information"));
    EXPECT_EQ(code, crlf(kStoreScope) + crlf(kWalk));
    EXPECT_EQ(tree.selectedIndex(), storeNode);
}

TEST_F(Actions, TwoMatchesComeInCollectionOrder) {
    find(storeNode, QStringLiteral("archive"));
    EXPECT_EQ(
        boxes.texts(),
        QStringList{QStringLiteral("archive - FolderID=F-A1\r\narchive - FolderID=F-A2\r\n")});
}

TEST_F(Actions, MessageNodeSearchesTheFolderThatHoldsIt) {
    find(propNode, QStringLiteral("ARCHIVE"));
    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral("ARCHIVE - FolderID=F-DEEP\r\n")});
    EXPECT_EQ(code, folderScope("F-IN") + crlf(kWalk));
}

TEST_F(Actions, FolderWithoutSubfoldersFindsNothingButWritesTheCode) {
    const std::int32_t leaf =
        tree.add(archiveNode, ui::Relationship::Child, "F-DEEPER", "Inbox", 1, 2);
    find(leaf, QStringLiteral("Inbox"));
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral(
                  "There are no folders found in the current information store or folder.")});
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("information"));
    EXPECT_EQ(code, folderScope("F-DEEPER") + crlf(kWalk));
}

TEST_F(Actions, FindErrorsStillWriteTheWalk) {
    // The store is looked up by the node's text; a name it does not know fails.
    tree.setText(storeNode, QStringLiteral("Renamed"));
    find(storeNode, QStringLiteral("Inbox"));
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("An error has occurred trying to find your folder.")});
    EXPECT_EQ(code, crlf(kWalk));

    // A failing GetFolder: the same message, the same landing point.
    code.clear();
    session->fail[QStringLiteral("GetFolder")] = mapi::code::NotFound;
    find(inboxNode, QStringLiteral("Inbox"));
    EXPECT_EQ(boxes.texts().last(),
              QStringLiteral("An error has occurred trying to find your folder."));
    EXPECT_EQ(code, crlf(kWalk));
}

TEST_F(Actions, FindWithNothingSelectedTakesTheErrorPath) {
    find(0, QStringLiteral("Inbox"));
    // The empty name is never looked at: the selection check itself fails first.
    find(0, QString());
    EXPECT_EQ(boxes.texts(),
              QStringList(2, QStringLiteral("An error has occurred trying to find your folder.")));
    EXPECT_EQ(code, crlf(kWalk) + crlf(kWalk));
}

// ---- delete message -------------------------------------------------------------------

TEST_F(Actions, DeleteRefusesAnythingButAMessage) {
    for (std::int32_t n : {storeNode, inboxNode, propNode, att1, attGroup}) remove(n);
    EXPECT_EQ(boxes.texts(),
              QStringList(5, QStringLiteral("You must select a message to delete it.")));
    EXPECT_TRUE(code.isEmpty());
    EXPECT_FALSE(msg->deleted);
}

TEST_F(Actions, DeleteWithNothingSelectedIsRefused) {
    remove(0);
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("You must select a message to delete it.")});
    EXPECT_TRUE(code.isEmpty());
}

TEST_F(Actions, AnsweringNoDeletesNothingButWritesTheCode) {
    boxes.answers = {QStringLiteral("No")};
    remove(emptyNode);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("Are you sure you want to delete the message titled ''?"));
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("question"));
    EXPECT_EQ(boxes.boxes[0].buttons, QStringLiteral("yesno"));
    EXPECT_FALSE(empty->deleted);
    EXPECT_EQ(code, deleteBlock("M-2", "S-1"));
}

TEST_F(Actions, DeletingTwiceFailsTheSecondTime) {
    boxes.answers = {QStringLiteral("Yes"), QStringLiteral("OK"), QStringLiteral("Yes"),
                     QStringLiteral("OK")};
    remove(msgNode);
    EXPECT_TRUE(msg->deleted);
    EXPECT_EQ(
        boxes.texts(),
        (QStringList{
            QStringLiteral("Are you sure you want to delete the message titled 'Plans'?"),
            QStringLiteral("The message has been deleted.  To update the display, logoff then log "
                           "back on again.")}));
    EXPECT_EQ(boxes.boxes[1].icon, QStringLiteral("information"));
    EXPECT_EQ(code, deleteBlock("M-1", "S-1"));
    EXPECT_EQ(tree.indexOfKey(QStringLiteral("M-1")), msgNode);  // the node stays

    remove(msgNode);
    EXPECT_EQ(boxes.texts().last(), QStringLiteral("Unable to delete message."));
    EXPECT_EQ(boxes.boxes.back().icon, QStringLiteral("critical"));
    EXPECT_EQ(boxes.boxes.size(), 4u);
    EXPECT_EQ(code, deleteBlock("M-1", "S-1") + deleteBlock("M-1", "S-1"));
}

// ---- save attachment --------------------------------------------------------------------

TEST_F(Actions, SaveRefusesAnythingButAnAttachment) {
    for (std::int32_t n : {msgNode, attGroup, propNode, inboxNode}) save(n);
    save(0);
    EXPECT_EQ(boxes.texts(),
              QStringList(5, QStringLiteral("You must select an attachment to save it.")));
    EXPECT_TRUE(code.isEmpty());
    EXPECT_TRUE(boxes.fileDialogTitles.isEmpty());
}

TEST_F(Actions, SavesTheExactBytesAndWritesTheCode) {
    const QString path = dir.filePath(QStringLiteral("out.bin"));
    answerSaveWith(path);
    save(att3);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(boxes.fileDialogTitles, QStringList{QStringLiteral("Save Attachment")});
    EXPECT_EQ(read(path), QByteArray("\x00\x01\xff", 3));
    EXPECT_EQ(code, saveBlock(QStringLiteral("other.bin"), path));
}

TEST_F(Actions, TwoAttachmentsOfOneNameSaveTheFirst) {
    const QString path = dir.filePath(QStringLiteral("plan.txt"));
    answerSaveWith(path);
    save(att2);
    EXPECT_EQ(read(path), QByteArray("first\r\nbytes"));
    EXPECT_EQ(msg->attachments->items[1]->writes, 0);
}

TEST_F(Actions, AttachmentGoneFromTheMessageWritesTheCodeWithTheLastFileName) {
    const QString path = dir.filePath(QStringLiteral("earlier.bin"));
    answerSaveWith(path);
    save(att3);
    code.clear();
    msg->attachments->items.pop_back();
    save(att3);
    EXPECT_EQ(boxes.fileDialogTitles.size(), 1);  // no dialog the second time
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(code, saveBlock(QStringLiteral("other.bin"), path));
}

TEST_F(Actions, AttachmentGoneBeforeAnySaveWritesAnEmptyFileName) {
    msg->attachments->items.pop_back();
    save(att3);
    EXPECT_EQ(code, saveBlock(QStringLiteral("other.bin"), QString()));
}

TEST_F(Actions, CancelledDialogEndsSilently) {
    save(att1);  // the recorder rejects the dialog
    EXPECT_EQ(boxes.fileDialogTitles.size(), 1);
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(code.isEmpty());
    EXPECT_EQ(msg->attachments->items[0]->writes, 0);
}

TEST_F(Actions, FailingWriteReportsAndAppendsNothing) {
    const QString path = dir.filePath(QStringLiteral("no/such/folder/x.txt"));
    answerSaveWith(path);
    msg->attachments->items[0]->fail[QStringLiteral("WriteToFile")] = mapi::code::NoAccess;
    save(att1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text,
              QStringLiteral("Error #-2147024891 - ") +
                  mapi::makeError(mapi::code::NoAccess).description() +
                  QStringLiteral(" - has occurred trying to save an attachment."));
    EXPECT_EQ(boxes.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_TRUE(code.isEmpty());
}

TEST_F(Actions, UnfetchableMessageTakesTheErrorPath) {
    msg->deleted = true;
    save(att1);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QStringLiteral("Error #-2147221233 - ")));
    EXPECT_TRUE(boxes.boxes[0].text.endsWith(
        QStringLiteral(" - has occurred trying to save an attachment.")));
    EXPECT_TRUE(code.isEmpty());
    EXPECT_TRUE(boxes.fileDialogTitles.isEmpty());
}

}  // namespace
