#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "ComposeFakes.h"
#include "ModalAnswerer.h"
#include "compose/ComposeCode.h"
#include "compose/MsgForm.h"
#include "shell/MAPIMod.h"
#include "ui/Dialogs.h"

namespace {

using testing_compose::ModalAnswerer;

struct Pick {
    QString name;
    int type;
};

class MsgFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        mod.session = mapi::Ref<mapi::Session>(session);
        form = std::make_unique<compose::MsgForm>(mod, [this](const QString& t) { code += t; });
        form->loadForm();
        form->show();
    }

    template <class T = QWidget>
    T* ctl(const QString& name) {
        T* w = form->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void click(const QString& name) { ctl<QAbstractButton>(name)->click(); }
    QStringList lines(const QString& listName) {
        QStringList out;
        auto* l = ctl<QListWidget>(listName);
        for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
        return out;
    }
    // The next Address... answers with a new collection holding `picks`.
    std::shared_ptr<fake::Recipients> answerWith(const std::vector<Pick>& picks) {
        auto r = session->newRecipients();
        for (const Pick& p : picks) r->append(p.name, p.type);
        session->bookAnswer = [r](const mapi::AddressBookArgs&) {
            return mapi::Ref<mapi::Recipients>(r);
        };
        return r;
    }
    void cancelNextAddress() { session->bookAnswer = nullptr; }
    std::shared_ptr<fake::Message> message() { return session->outbox->messages->created.at(0); }
    // Calls made after Load.
    QStringList callsAfterLoad() {
        QStringList c = session->log->calls;
        c.removeFirst();  // Outbox
        c.removeFirst();  // Messages.Add
        return c;
    }
    void fillValid() {
        answerWith({{QStringLiteral("Ann"), 1}});
        click(QStringLiteral("AddressButton"));
        ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("Subj"));
        ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setPlainText(QStringLiteral("Body"));
        code.clear();
        session->log->calls.clear();
        session->log->calls << QStringLiteral("Outbox") << QStringLiteral("Messages.Add");
    }
    QString tempFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    std::shared_ptr<fake::Session> session = std::make_shared<fake::Session>();
    shell::MAPIMod mod;
    QString code;
    std::unique_ptr<compose::MsgForm> form;
    QTemporaryDir dir;
};

// ---- window and Load ----------------------------------------------------------

TEST_F(MsgFormTest, WindowShowsItsControlsWithInitialValues) {
    EXPECT_EQ(form->objectName(), QStringLiteral("MsgForm"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Send A Message"));
    EXPECT_FALSE(form->isModal());
    EXPECT_TRUE(ctl<QLineEdit>(QStringLiteral("SubjectText"))->text().isEmpty());
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(ctl<QListWidget>(QStringLiteral("RecipList(%1)").arg(i))->count(), 0);
    EXPECT_TRUE(ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->toPlainText().isEmpty());
    EXPECT_EQ(ctl<QListWidget>(QStringLiteral("AttachList"))->count(), 0);
    EXPECT_EQ(ctl<QPushButton>(QStringLiteral("AddressButton"))->text(),
              QStringLiteral("Address..."));
    EXPECT_EQ(ctl<QPushButton>(QStringLiteral("AttachButton"))->text(), QStringLiteral("Add..."));
    EXPECT_EQ(ctl<QPushButton>(QStringLiteral("RemoveButton"))->text(), QStringLiteral("Remove"));
    EXPECT_EQ(ctl<QPushButton>(QStringLiteral("SendButton"))->text(), QStringLiteral("Send"));
    EXPECT_EQ(ctl<QPushButton>(QStringLiteral("CancelButton"))->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(ctl<QGroupBox>(QStringLiteral("ImportanceFrame"))->title(),
              QStringLiteral("Importance:"));
    const char* options[] = {"Low", "Normal", "High"};
    for (int i = 0; i < 3; ++i) {
        auto* o = ctl<QRadioButton>(QStringLiteral("ImportOption(%1)").arg(i));
        EXPECT_EQ(o->text(), QString::fromLatin1(options[i]));
        EXPECT_EQ(o->isChecked(), i == 1);
    }
    EXPECT_EQ(ctl<QCheckBox>(QStringLiteral("DeliveryCheck"))->text(),
              QStringLiteral("Delivery Receipt"));
    EXPECT_FALSE(ctl<QCheckBox>(QStringLiteral("DeliveryCheck"))->isChecked());
    EXPECT_EQ(ctl<QCheckBox>(QStringLiteral("ReadCheck"))->text(), QStringLiteral("Read Receipt"));
    EXPECT_FALSE(ctl<QCheckBox>(QStringLiteral("ReadCheck"))->isChecked());
    EXPECT_EQ(ctl<QLabel>(QStringLiteral("Label7"))->text(),
              QStringLiteral(
                  "NOTE:  This will not actually send a message.  It will save the message in your "
                  "Outbox, and you can send it from there if you choose.  This will, however, "
                  "generate the code you need to send a message."));
    QStringList labels;
    for (QLabel* l : form->findChildren<QLabel*>()) labels << l->text();
    for (const char* t : {"Subject:", "TO:", "CC:", "BCC:", "Text:", "Attachments:"})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(t))) << t;
}

TEST_F(MsgFormTest, LoadCreatesOneOutboxMessageAndNothingElse) {
    EXPECT_EQ(session->log->calls,
              (QStringList{QStringLiteral("Outbox"), QStringLiteral("Messages.Add")}));
    EXPECT_TRUE(form->isLoaded());
    EXPECT_EQ(form->newMessage().get(), message().get());
    EXPECT_TRUE(form->chosenRecipients().isNothing());
    EXPECT_TRUE(code.isEmpty());
}

TEST_F(MsgFormTest, LoadFailurePropagatesAndLeavesTheWindowUnloaded) {
    form->unloadForm();
    session->noOutbox = true;
    try {
        form->loadForm();
        FAIL() << "no error";
    } catch (const mapi::Error& e) {
        EXPECT_EQ(e.number(), mapi::code::NotFound);
    }
    EXPECT_FALSE(form->isLoaded());
    EXPECT_TRUE(form->newMessage().isNothing());
}

// ---- Address... ------------------------------------------------------------------

TEST_F(MsgFormTest, AddressCancelledLeavesListsEmptyAndStillWritesTheBlock) {
    cancelNextAddress();
    click(QStringLiteral("AddressButton"));
    ASSERT_EQ(session->bookCalls.size(), 1u);
    const mapi::AddressBookArgs& a = session->bookCalls[0];
    EXPECT_TRUE(a.recipients.isNothing());
    EXPECT_EQ(a.title, QStringLiteral("My Title"));
    EXPECT_EQ(a.oneAddress, false);
    EXPECT_EQ(a.forceResolution, true);
    EXPECT_EQ(a.recipLists, 3);
    EXPECT_EQ(a.toLabel, QStringLiteral("TO:"));
    EXPECT_EQ(a.ccLabel, QStringLiteral("CC:"));
    EXPECT_EQ(a.bccLabel, QStringLiteral("BCC:"));
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(lines(QStringLiteral("RecipList(%1)").arg(i)).isEmpty());
    EXPECT_TRUE(form->chosenRecipients().isNothing());
    EXPECT_EQ(code, compose::addressBookCode(mod.names));
    EXPECT_EQ(code.count(QStringLiteral("\r\n")),
              14 + 5);  // five lines are followed by a blank one
}

TEST_F(MsgFormTest, AddressChosenFillsTheListsByTypeAndASecondChoiceRefillsThem) {
    auto first = answerWith({{QStringLiteral("Ann"), 1},
                             {QStringLiteral("Bob"), 2},
                             {QStringLiteral("Cy"), 3},
                             {QStringLiteral("Dee"), 1},
                             {QStringLiteral("Odd"), 4}});
    click(QStringLiteral("AddressButton"));
    EXPECT_EQ(lines(QStringLiteral("RecipList(1)")),
              (QStringList{QStringLiteral("Ann"), QStringLiteral("Dee")}));
    EXPECT_EQ(lines(QStringLiteral("RecipList(2)")), QStringList{QStringLiteral("Bob")});
    EXPECT_EQ(lines(QStringLiteral("RecipList(3)")), QStringList{QStringLiteral("Cy")});
    EXPECT_EQ(form->chosenRecipients().get(), first.get());

    // The dialog starts from the earlier choice; Ann moves from To to Cc.
    auto second = answerWith(
        {{QStringLiteral("Dee"), 1}, {QStringLiteral("Ann"), 2}, {QStringLiteral("Bob"), 2}});
    click(QStringLiteral("AddressButton"));
    ASSERT_EQ(session->bookCalls.size(), 2u);
    EXPECT_EQ(session->bookCalls[1].recipients.get(), first.get());
    EXPECT_EQ(lines(QStringLiteral("RecipList(1)")), QStringList{QStringLiteral("Dee")});
    EXPECT_EQ(lines(QStringLiteral("RecipList(2)")),
              (QStringList{QStringLiteral("Ann"), QStringLiteral("Bob")}));
    EXPECT_TRUE(lines(QStringLiteral("RecipList(3)")).isEmpty());
    EXPECT_EQ(form->chosenRecipients().get(), second.get());

    // A later cancel changes nothing but still writes the block.
    cancelNextAddress();
    click(QStringLiteral("AddressButton"));
    EXPECT_EQ(session->bookCalls[2].recipients.get(), second.get());
    EXPECT_EQ(lines(QStringLiteral("RecipList(1)")), QStringList{QStringLiteral("Dee")});
    EXPECT_EQ(form->chosenRecipients().get(), second.get());
    EXPECT_EQ(code, compose::addressBookCode(mod.names).repeated(3));
}

TEST_F(MsgFormTest, AddressSkipsARecipientWhoseTypeCannotBeRead) {
    auto r = answerWith(
        {{QStringLiteral("Ann"), 1}, {QStringLiteral("Bad"), 2}, {QStringLiteral("Cy"), 2}});
    r->items[1]->failType = true;
    click(QStringLiteral("AddressButton"));
    EXPECT_EQ(lines(QStringLiteral("RecipList(1)")), QStringList{QStringLiteral("Ann")});
    EXPECT_EQ(lines(QStringLiteral("RecipList(2)")), QStringList{QStringLiteral("Cy")});
    EXPECT_EQ(code, compose::addressBookCode(mod.names));
}

TEST_F(MsgFormTest, AddressBlockUsesTheNamesCurrentAtTheClick) {
    cancelNextAddress();
    click(QStringLiteral("AddressButton"));
    mod.names.rename(codegen::Var::Recipient, QStringLiteral("oPick"));
    click(QStringLiteral("AddressButton"));
    const QString before = compose::addressBookCode(codegen::VarNames());
    ASSERT_TRUE(code.startsWith(before));
    const QString after = code.mid(before.size());
    EXPECT_TRUE(
        after.contains(QStringLiteral("Set oPick = oSession.AddressBook(Recipients:=oRecips,")));
    EXPECT_TRUE(after.contains(QStringLiteral("  For iLooper = 1 To oPick.Count\r\n")));
    mod.names.rename(codegen::Var::Recipient, QStringLiteral("oRecip"));
}

// ---- Add... and Remove --------------------------------------------------------------

TEST_F(MsgFormTest, AddPutsTheChosenFullPathLastAndCancelAddsNothing) {
    const QString a = tempFile(QStringLiteral("a.txt"), "A");
    const QString b = tempFile(QStringLiteral("b.bin"), "B");
    ModalAnswerer answer;
    QString next = a;
    answer.onFileDialog = [&next](QFileDialog* fd) {
        fd->selectFile(next);
        static_cast<QDialog*>(fd)->accept();
    };
    click(QStringLiteral("AttachButton"));
    next = b;
    click(QStringLiteral("AttachButton"));
    answer.onFileDialog = nullptr;  // cancel
    click(QStringLiteral("AttachButton"));
    EXPECT_EQ(lines(QStringLiteral("AttachList")), (QStringList{a, b}));
    EXPECT_EQ(answer.fileDialogTitles, QStringList(3, QStringLiteral("Add Attachment")));
    EXPECT_EQ(answer.fileDialogFilters, QStringList(3, QStringLiteral("All Files (*)")));
    EXPECT_TRUE(answer.boxes.empty());
    EXPECT_TRUE(code.isEmpty());
}

TEST_F(MsgFormTest, RemoveNeedsASelectionAndRemovesExactlyThatLine) {
    auto* list = ctl<QListWidget>(QStringLiteral("AttachList"));
    list->addItems({QStringLiteral("/x/1"), QStringLiteral("/x/2"), QStringLiteral("/x/3")});
    ModalAnswerer answer;
    click(QStringLiteral("RemoveButton"));
    ASSERT_EQ(answer.boxes.size(), 1u);
    EXPECT_EQ(answer.boxes[0].text, QStringLiteral("You must select an attachment to remove it."));
    EXPECT_EQ(answer.boxes[0].title, QStringLiteral("Quorvane '99"));
    EXPECT_EQ(answer.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(lines(QStringLiteral("AttachList")).size(), 3);

    list->setCurrentRow(1);
    click(QStringLiteral("RemoveButton"));
    EXPECT_EQ(lines(QStringLiteral("AttachList")),
              (QStringList{QStringLiteral("/x/1"), QStringLiteral("/x/3")}));
    EXPECT_EQ(answer.boxes.size(), 1u);

    // Nothing is selected after a removal.
    click(QStringLiteral("RemoveButton"));
    EXPECT_EQ(answer.boxes.size(), 2u);
    EXPECT_EQ(lines(QStringLiteral("AttachList")).size(), 2);
    EXPECT_TRUE(code.isEmpty());
}

// ---- Cancel and closing -------------------------------------------------------------

TEST_F(MsgFormTest, CancelReleasesTheMessageWithoutUpdateAndResetsTheWindow) {
    answerWith({{QStringLiteral("Ann"), 1}});
    click(QStringLiteral("AddressButton"));
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("x"));
    ctl<QRadioButton>(QStringLiteral("ImportOption(2)"))->click();
    code.clear();
    std::weak_ptr<fake::Message> weak = message();
    session->outbox->messages->created.clear();
    click(QStringLiteral("CancelButton"));
    EXPECT_TRUE(weak.expired());  // released
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isLoaded());
    EXPECT_TRUE(form->chosenRecipients().isNothing());
    EXPECT_FALSE(session->log->calls.contains(QStringLiteral("Update")));
    EXPECT_TRUE(code.isEmpty());
    EXPECT_TRUE(ctl<QLineEdit>(QStringLiteral("SubjectText"))->text().isEmpty());
    EXPECT_TRUE(lines(QStringLiteral("RecipList(1)")).isEmpty());
    EXPECT_TRUE(ctl<QRadioButton>(QStringLiteral("ImportOption(1)"))->isChecked());
}

TEST_F(MsgFormTest, EscapeKeyPressesCancel) {
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isLoaded());
    EXPECT_TRUE(form->newMessage().isNothing());
    EXPECT_FALSE(session->log->calls.contains(QStringLiteral("Update")));
}

TEST_F(MsgFormTest, CloseByTheFrameUnloadsWithoutSaving) {
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("x"));
    form->close();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isLoaded());
    EXPECT_EQ(message()->updates, 0);
    EXPECT_TRUE(code.isEmpty());
    EXPECT_TRUE(ctl<QLineEdit>(QStringLiteral("SubjectText"))->text().isEmpty());
}

// ---- Send: checks -----------------------------------------------------------------

TEST_F(MsgFormTest, SendChecksInOrderAndLeavesTheWindowOpenAndUnchanged) {
    ModalAnswerer answer;
    auto* subject = ctl<QLineEdit>(QStringLiteral("SubjectText"));
    auto* text = ctl<QPlainTextEdit>(QStringLiteral("MsgText"));

    // No recipient: that message even though subject and text are empty too.
    click(QStringLiteral("SendButton"));
    subject->setText(QStringLiteral("S"));
    text->setPlainText(QStringLiteral("T"));
    click(QStringLiteral("SendButton"));

    answerWith({{QStringLiteral("Bcc only"), 3}});
    click(QStringLiteral("AddressButton"));
    code.clear();
    subject->clear();
    text->clear();
    click(QStringLiteral("SendButton"));  // subject first
    text->setPlainText(QStringLiteral("T"));
    click(QStringLiteral("SendButton"));
    subject->setText(QStringLiteral("S"));
    text->clear();
    click(QStringLiteral("SendButton"));

    EXPECT_EQ(
        answer.texts(),
        (QStringList{
            QStringLiteral("You must select at least one recipient before sending a message."),
            QStringLiteral("You must select at least one recipient before sending a message."),
            QStringLiteral("You must type in a subject."),
            QStringLiteral("You must type in a subject."),
            QStringLiteral("You must type in the text of the message.")}));
    for (const auto& b : answer.boxes) {
        EXPECT_EQ(b.icon, QStringLiteral("critical"));
        EXPECT_EQ(b.title, QStringLiteral("Quorvane '99"));
    }
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isLoaded());
    EXPECT_TRUE(code.isEmpty());
    EXPECT_EQ(callsAfterLoad(), QStringList{QStringLiteral("AddressBook")});
    EXPECT_EQ(subject->text(), QStringLiteral("S"));
    EXPECT_FALSE(ui::isBusyPointer());
}

TEST_F(MsgFormTest, SpacesPassTheSubjectAndTextChecks) {
    fillValid();
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral(" "));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setPlainText(QStringLiteral("  "));
    ModalAnswerer answer;
    click(QStringLiteral("SendButton"));
    EXPECT_TRUE(answer.boxes.empty());
    EXPECT_EQ(message()->subject, QStringLiteral(" "));
    EXPECT_EQ(message()->text, QStringLiteral("  "));
    EXPECT_EQ(message()->updates, 1);
    EXPECT_EQ(code, compose::sendCode(mod.names, QStringLiteral(" "), QStringLiteral("  ")));
}

// ---- Send: saving ------------------------------------------------------------------

TEST_F(MsgFormTest, SendFillsTheMessageInOrderUpdatesItAndWritesTheBlock) {
    const QString a = tempFile(QStringLiteral("one.txt"), QByteArray("first\0file", 10));
    const QString b = tempFile(QStringLiteral("two.bin"), QByteArray(3000, '\x7f'));
    answerWith({{QStringLiteral("Ann"), 1}, {QStringLiteral("Bob"), 2}, {QStringLiteral("Cy"), 3}});
    click(QStringLiteral("AddressButton"));
    ctl<QListWidget>(QStringLiteral("AttachList"))->addItems({a, b});
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("He said \"hi\""));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setFocus();
    QTest::keyClicks(ctl<QPlainTextEdit>(QStringLiteral("MsgText")), QStringLiteral("line 1"));
    QTest::keyClick(ctl<QPlainTextEdit>(QStringLiteral("MsgText")), Qt::Key_Return);
    QTest::keyClicks(ctl<QPlainTextEdit>(QStringLiteral("MsgText")), QStringLiteral("line 2"));
    ctl<QRadioButton>(QStringLiteral("ImportOption(2)"))->click();
    ctl<QCheckBox>(QStringLiteral("DeliveryCheck"))->click();
    code.clear();
    bool busyAtUpdate = false;
    message()->onUpdate = [&busyAtUpdate] { busyAtUpdate = ui::isBusyPointer(); };

    ModalAnswerer answer;
    click(QStringLiteral("SendButton"));

    EXPECT_TRUE(answer.boxes.empty());
    EXPECT_EQ(callsAfterLoad(), (QStringList{QStringLiteral("AddressBook"),
                                             QStringLiteral("Subject He said \"hi\""),
                                             QStringLiteral("Text line 1\r\nline 2"),
                                             QStringLiteral("Importance 2"),
                                             QStringLiteral("DeliveryReceipt 1"),
                                             QStringLiteral("Recipients.Add Ann 1"),
                                             QStringLiteral("Resolve Ann"),
                                             QStringLiteral("Recipients.Add Bob 2"),
                                             QStringLiteral("Resolve Bob"),
                                             QStringLiteral("Recipients.Add Cy 3"),
                                             QStringLiteral("Resolve Cy"),
                                             QStringLiteral("Attachments.Add"),
                                             QStringLiteral("Attachment.Type 1"),
                                             QStringLiteral("Attachment.Position 0"),
                                             QStringLiteral("Attachment.Name ") + a,
                                             QStringLiteral("ReadFromFile ") + a,
                                             QStringLiteral("Attachments.Add"),
                                             QStringLiteral("Attachment.Type 1"),
                                             QStringLiteral("Attachment.Position 1"),
                                             QStringLiteral("Attachment.Name ") + b,
                                             QStringLiteral("ReadFromFile ") + b,
                                             QStringLiteral("Update")}));
    auto m = message();
    EXPECT_FALSE(m->readReceipt.has_value());
    EXPECT_EQ(m->updates, 1);
    ASSERT_EQ(m->attachments->items.size(), 2u);
    EXPECT_EQ(m->attachments->items[0]->data, QByteArray("first\0file", 10));
    EXPECT_EQ(m->attachments->items[1]->data, QByteArray(3000, '\x7f'));
    EXPECT_TRUE(busyAtUpdate);
    EXPECT_FALSE(ui::isBusyPointer());

    EXPECT_EQ(code, compose::sendCode(mod.names, QStringLiteral("He said \"hi\""),
                                      QStringLiteral("line 1\r\nline 2")));
    EXPECT_TRUE(code.contains(QStringLiteral("  .subject = \"He said \"\"hi\"\"\"\r\n")));
    EXPECT_TRUE(
        code.contains(QStringLiteral("  .Text = \"line 1\" & vbCrLf & \"line 2\"\r\n\r\n")));

    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isLoaded());
    EXPECT_TRUE(form->newMessage().isNothing());
    EXPECT_TRUE(form->chosenRecipients().isNothing());
    EXPECT_EQ(ctl<QListWidget>(QStringLiteral("AttachList"))->count(), 0);
    EXPECT_TRUE(ctl<QLineEdit>(QStringLiteral("SubjectText"))->text().isEmpty());
    EXPECT_FALSE(ctl<QCheckBox>(QStringLiteral("DeliveryCheck"))->isChecked());
    EXPECT_TRUE(ctl<QRadioButton>(QStringLiteral("ImportOption(1)"))->isChecked());
}

TEST_F(MsgFormTest, ImportanceAndReceiptsAreStoredOnlyAsChosen) {
    struct Case {
        int option;
        bool delivery, read;
        int importance;
    };
    for (const Case c :
         {Case{0, false, true, 0}, Case{1, false, false, 1}, Case{2, true, true, 2}}) {
        if (!form->isLoaded()) {
            form->loadForm();
            form->show();
        }
        fillValid();
        ctl<QRadioButton>(QStringLiteral("ImportOption(%1)").arg(c.option))->click();
        if (c.delivery) ctl<QCheckBox>(QStringLiteral("DeliveryCheck"))->click();
        if (c.read) ctl<QCheckBox>(QStringLiteral("ReadCheck"))->click();
        click(QStringLiteral("SendButton"));
        auto m = session->outbox->messages->created.back();
        EXPECT_EQ(m->importance, c.importance) << c.option;
        EXPECT_EQ(m->deliveryReceipt, c.delivery ? std::optional<bool>(true) : std::nullopt)
            << c.option;
        EXPECT_EQ(m->readReceipt, c.read ? std::optional<bool>(true) : std::nullopt) << c.option;
        EXPECT_EQ(session->log->calls.contains(QStringLiteral("DeliveryReceipt 0")), false);
        EXPECT_EQ(session->log->calls.contains(QStringLiteral("ReadReceipt 0")), false);
    }
}

TEST_F(MsgFormTest, NoAttachmentsMeansNoAttachmentCallsButTheSameBlock) {
    fillValid();
    click(QStringLiteral("SendButton"));
    EXPECT_EQ(callsAfterLoad(),
              (QStringList{QStringLiteral("Subject Subj"), QStringLiteral("Text Body"),
                           QStringLiteral("Importance 1"), QStringLiteral("Recipients.Add Ann 1"),
                           QStringLiteral("Resolve Ann"), QStringLiteral("Update")}));
    EXPECT_EQ(code, compose::sendCode(mod.names, QStringLiteral("Subj"), QStringLiteral("Body")));
}

TEST_F(MsgFormTest, RecipientThatCannotBeAddedIsReportedAndTheRestGoesOn) {
    const QString a = tempFile(QStringLiteral("a"), "A");
    answerWith({{QStringLiteral("Ann"), 1}, {QStringLiteral("Bob"), 2}, {QStringLiteral("Cy"), 3}});
    click(QStringLiteral("AddressButton"));
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("S"));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setPlainText(QStringLiteral("T"));
    ctl<QListWidget>(QStringLiteral("AttachList"))->addItem(a);
    message()->recipients->nothingFor << QStringLiteral("Bob");
    ModalAnswerer answer;
    click(QStringLiteral("SendButton"));
    EXPECT_EQ(answer.texts(),
              QStringList{QStringLiteral("Error adding recipient Bob to message.")});
    const QStringList calls = callsAfterLoad();
    EXPECT_TRUE(calls.contains(QStringLiteral("Recipients.Add Bob 2")));
    EXPECT_FALSE(calls.contains(QStringLiteral("Resolve Bob")));
    EXPECT_TRUE(calls.contains(QStringLiteral("Resolve Cy")));
    EXPECT_EQ(calls.last(), QStringLiteral("Update"));
    EXPECT_EQ(message()->updates, 1);
    EXPECT_EQ(message()->attachments->items.size(), 1u);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(MsgFormTest, AttachmentThatCannotBeCreatedIsReportedAndTheNextKeepsItsPosition) {
    const QString a = tempFile(QStringLiteral("a"), "A");
    const QString b = tempFile(QStringLiteral("b"), "B");
    fillValid();
    ctl<QListWidget>(QStringLiteral("AttachList"))->addItems({a, b});
    message()->attachments->nothingOnAdd = {1};
    ModalAnswerer answer;
    click(QStringLiteral("SendButton"));
    EXPECT_EQ(answer.texts(), QStringList{QStringLiteral("Unable to create attachment ") + a +
                                          QStringLiteral(".")});
    ASSERT_EQ(message()->attachments->items.size(), 1u);
    EXPECT_EQ(message()->attachments->items[0]->position, 1);
    EXPECT_EQ(message()->attachments->items[0]->name, b);
    EXPECT_EQ(message()->updates, 1);
}

TEST_F(MsgFormTest, UnresolvableRecipientSkipsTheRestWritesTheCodeAndCloses) {
    const QString a = tempFile(QStringLiteral("a"), "A");
    answerWith(
        {{QStringLiteral("Ann"), 1}, {QStringLiteral("Ghost"), 2}, {QStringLiteral("Cy"), 3}});
    click(QStringLiteral("AddressButton"));
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("S"));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setPlainText(QStringLiteral("T"));
    ctl<QListWidget>(QStringLiteral("AttachList"))->addItem(a);
    message()->recipients->unresolvable << QStringLiteral("Ghost");
    code.clear();
    ModalAnswerer answer;
    click(QStringLiteral("SendButton"));
    ASSERT_EQ(answer.boxes.size(), 1u);
    EXPECT_EQ(answer.boxes[0].text, QStringLiteral("An error has occurred sending the message."));
    EXPECT_EQ(answer.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(answer.boxes[0].title, QStringLiteral("Quorvane '99"));
    EXPECT_EQ(callsAfterLoad().last(), QStringLiteral("Resolve Ghost"));
    EXPECT_FALSE(callsAfterLoad().contains(QStringLiteral("Recipients.Add Cy 3")));
    EXPECT_FALSE(callsAfterLoad().contains(QStringLiteral("Attachments.Add")));
    EXPECT_EQ(message()->updates, 0);
    EXPECT_EQ(code, compose::sendCode(mod.names, QStringLiteral("S"), QStringLiteral("T")));
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isLoaded());
    EXPECT_FALSE(ui::isBusyPointer());
}

TEST_F(MsgFormTest, MissingFileSkipsTheRestAndNothingIsUpdated) {
    const QString b = tempFile(QStringLiteral("b"), "B");
    fillValid();
    ctl<QListWidget>(QStringLiteral("AttachList"))
        ->addItems({dir.filePath(QStringLiteral("gone")), b});
    ModalAnswerer answer;
    click(QStringLiteral("SendButton"));
    EXPECT_EQ(answer.texts(),
              QStringList{QStringLiteral("An error has occurred sending the message.")});
    EXPECT_EQ(callsAfterLoad().last(),
              QStringLiteral("ReadFromFile ") + dir.filePath(QStringLiteral("gone")));
    EXPECT_EQ(message()->updates, 0);
    EXPECT_EQ(code, compose::sendCode(mod.names, QStringLiteral("Subj"), QStringLiteral("Body")));
    EXPECT_FALSE(form->isVisible());
}

TEST_F(MsgFormTest, FailedUpdateIsReportedAndTheWindowStillCloses) {
    fillValid();
    message()->failUpdate = true;
    ModalAnswerer answer;
    click(QStringLiteral("SendButton"));
    EXPECT_EQ(answer.texts(),
              QStringList{QStringLiteral("An error has occurred sending the message.")});
    EXPECT_EQ(code, compose::sendCode(mod.names, QStringLiteral("Subj"), QStringLiteral("Body")));
    EXPECT_FALSE(form->isLoaded());
    EXPECT_TRUE(form->newMessage().isNothing());
    EXPECT_FALSE(ui::isBusyPointer());
}

TEST_F(MsgFormTest, SendBlockUsesRenamedVariables) {
    fillValid();
    mod.names.rename(codegen::Var::Message, QStringLiteral("objNew"));
    click(QStringLiteral("SendButton"));
    EXPECT_TRUE(code.startsWith(
        QStringLiteral("'add a new message to the outbox\r\nSet objNew = oSession.Outbox")));
    EXPECT_TRUE(code.contains(QStringLiteral("\r\nWith objNew\r\n")));
    mod.names.rename(codegen::Var::Message, QStringLiteral("oMsg"));
}

}  // namespace

namespace {

// Counts are read at full width: a choice of more than 32,767 recipients is
// listed and added whole rather than cut short or overflowing.
TEST_F(MsgFormTest, RecipientCountsBeyondSixteenBitsAreReadWhole) {
    constexpr int kMany = 40000;
    auto many = session->newRecipients();
    for (int i = 1; i <= kMany; ++i) many->append(QStringLiteral("R%1").arg(i), 1 + i % 3);
    session->bookAnswer = [many](const mapi::AddressBookArgs&) {
        return mapi::Ref<mapi::Recipients>(many);
    };
    click(QStringLiteral("AddressButton"));
    const int listed = ctl<QListWidget>(QStringLiteral("RecipList(1)"))->count() +
                       ctl<QListWidget>(QStringLiteral("RecipList(2)"))->count() +
                       ctl<QListWidget>(QStringLiteral("RecipList(3)"))->count();
    EXPECT_EQ(listed, kMany);
    EXPECT_EQ(ctl<QListWidget>(QStringLiteral("RecipList(2)"))->item(0)->text(),
              QStringLiteral("R1"));
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("S"));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setPlainText(QStringLiteral("T"));
    auto m = message();
    click(QStringLiteral("SendButton"));
    ASSERT_EQ(m->recipients->items.size(), static_cast<std::size_t>(kMany));
    EXPECT_EQ(m->recipients->items.back()->Name(), QStringLiteral("R40000"));
    EXPECT_EQ(m->updates, 1);
}

}  // namespace
