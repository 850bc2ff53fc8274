// The browser actions through the real main window over the real mail store:
// the saved file holds the stored bytes, a deletion lasts past logoff and
// logon, and Enter in the folder-name box runs the search.

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/MAPIForm.h"
#include "browser/BrowserFixture.h"
#include "messaging/SessionFactory.h"
#include "store/Backend.h"
#include "ui/CheckBox.h"

namespace {

const char* kFixture = R"({
  "profiles": [{"name": "Store", "default": true, "stores": ["00F1"], "addressLists": []}],
  "stores": [
    {"id": "00F1", "name": "Mailbox - Store",
     "root": {"id": "1000", "name": "Top"},
     "folders": [
       {"id": "1001", "name": "Inbox", "messages": [
         {"id": "3001", "subject": "With files",
          "attachments": [{"name": "bytes.bin", "base64": "AAEC/w0KDQo="},
                          {"name": "same.txt", "text": "first copy"},
                          {"name": "same.txt", "text": "second copy"}]},
         {"id": "3002", "subject": "Doomed"}
       ]}
     ]}
  ],
  "addressLists": []
})";

class StoreActions : public ::testing::Test {
  protected:
    void SetUp() override {
        const QString path = dir.filePath(QStringLiteral("fixture.json"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kFixture);
        f.close();
        store::installFixtureBackend(path);
        form = std::make_unique<app::MAPIForm>();
        form->load(false);
        form->control<ui::CheckBox>(QStringLiteral("ShowLogCheck"))->setValue(0);
        logon();
    }
    void TearDown() override {
        form.reset();
        mapi::installSessionFactory(nullptr);
    }

    void logon() {
        click("LogonButton");
        open(QStringLiteral("00F1"));
        open(QStringLiteral("1001"));
    }
    void click(const char* name) { form->control<QPushButton>(QString::fromLatin1(name))->click(); }
    // Selects the node with that key and double-clicks it.
    void open(const QString& key) {
        const std::int32_t n = tree().indexOfKey(key);
        ASSERT_NE(n, 0) << key.toStdString();
        tree().select(n);
        Q_EMIT tree().nodeDoubleClicked();
    }
    std::int32_t attachmentNode(int position) {
        const std::int32_t group =
            tree().children(tree().indexOfKey(QStringLiteral("3001"))).front();
        return tree().children(group)[static_cast<std::size_t>(position)];
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    ui::TreeView& tree() const { return *form->tree(); }

    QTemporaryDir dir;
    std::unique_ptr<app::MAPIForm> form;
    testsupport::BoxRecorder boxes;
};

TEST_F(StoreActions, SavedFilesHoldTheStoredBytes) {
    open(QStringLiteral("3001"));
    const QString out = dir.filePath(QStringLiteral("saved.bin"));
    boxes.onFileDialog = [out](QFileDialog* fd) { testsupport::acceptFile(fd, out); };
    tree().select(attachmentNode(0));
    click("AttachButton");
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(read(out), QByteArray::fromBase64("AAEC/w0KDQo="));
    EXPECT_TRUE(
        form->code().text().endsWith(QStringLiteral("    oAttachment.WriteToFile \"%1\"\r\n  End "
                                                    "If\r\n\r\nEnd If\r\n\r\n'empty your object "
                                                    "references when done!\r\n\r\n")
                                         .arg(out)));

    // The second of two attachments of one name saves the first one's bytes.
    const QString copy = dir.filePath(QStringLiteral("copy.txt"));
    boxes.onFileDialog = [copy](QFileDialog* fd) { testsupport::acceptFile(fd, copy); };
    tree().select(attachmentNode(2));
    click("AttachButton");
    EXPECT_EQ(read(copy), QByteArray("first copy"));
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(StoreActions, UnwritableTargetIsReportedAndAppendsNothing) {
    open(QStringLiteral("3001"));
    const QString before = form->code().text();
    const QString out = dir.filePath(QStringLiteral("no-such-folder/saved.bin"));
    boxes.onFileDialog = [out](QFileDialog* fd) { testsupport::acceptFile(fd, out); };
    tree().select(attachmentNode(0));
    click("AttachButton");
    if (boxes.fileDialogTitles.isEmpty()) GTEST_SKIP() << "the dialog refused the path";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QStringLiteral("Error #")));
    EXPECT_TRUE(boxes.boxes[0].text.endsWith(
        QStringLiteral(" - has occurred trying to save an attachment.")));
    EXPECT_EQ(form->code().text(), before);
}

TEST_F(StoreActions, DeletedMessageIsGoneAfterLogoffAndLogon) {
    tree().select(tree().indexOfKey(QStringLiteral("3002")));
    boxes.answers = {QStringLiteral("Yes"), QStringLiteral("OK")};
    click("DeleteMsgButton");
    EXPECT_EQ(boxes.texts().last(), QStringLiteral("The message has been deleted.  To update the "
                                                   "display, logoff then log back on again."));
    EXPECT_NE(tree().indexOfKey(QStringLiteral("3002")), 0);  // the tree is not refreshed

    click("LogoffButton");
    logon();
    EXPECT_EQ(tree().indexOfKey(QStringLiteral("3002")), 0);
    EXPECT_NE(tree().indexOfKey(QStringLiteral("3001")), 0);
}

TEST_F(StoreActions, EnterInTheFolderNameBoxRunsTheSearchAndMovesTheFocus) {
    form->show();
    QApplication::setActiveWindow(form.get());
    auto* text = form->control<QLineEdit>(QStringLiteral("FldNameText"));
    auto* button = form->control<QPushButton>(QStringLiteral("FndFolderButton"));
    int returnPressed = 0;
    QObject::connect(text, &QLineEdit::returnPressed, [&] { ++returnPressed; });
    tree().select(tree().indexOfKey(QStringLiteral("00F1")));
    text->setFocus();
    const QString before = form->code().text();

    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("You must enter a folder name for which to look.")});
    EXPECT_EQ(returnPressed, 0);  // the key never reached the box
    QTest::qWait(20);
    EXPECT_EQ(form->focusWidget(), button);
    EXPECT_EQ(form->code().text(), before);

    text->setText(QStringLiteral("INBOX"));
    QTest::keyClick(text, Qt::Key_Enter);
    EXPECT_EQ(boxes.texts().last(), QStringLiteral("INBOX - FolderID=1001\r\n"));
    EXPECT_TRUE(form->code().text().startsWith(
        before + QStringLiteral("'find an information-store-level folder\r\n")));
    EXPECT_EQ(text->text(), QStringLiteral("INBOX"));
}

}  // namespace
