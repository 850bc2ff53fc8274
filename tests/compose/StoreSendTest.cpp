// The send-message window against the embedded store built from a fixture:
// what Send leaves in the Outbox is read back through a fresh logon.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include "ModalAnswerer.h"
#include "app/MAPIForm.h"
#include "app/Subsystems.h"
#include "compose/ComposeCode.h"
#include "compose/ComposeController.h"
#include "compose/MsgForm.h"
#include "messaging/SessionFactory.h"
#include "store/Backend.h"

namespace {

using testing_compose::ModalAnswerer;

struct Pick {
    QString list;  // address list shown in the dialog
    QString name;
    int type;  // 1 To, 2 Cc, 3 Bcc
};

// Answers the library's address-book dialog with `picks`.
std::function<void(QDialog*)> chooseInAddressBook(std::vector<Pick> picks) {
    return [picks](QDialog* dlg) {
        if (dlg->objectName() != QStringLiteral("AddressBookDialog")) {
            dlg->reject();
            return;
        }
        auto* combo = dlg->findChild<QComboBox*>(QStringLiteral("AddressListCombo"));
        auto* entries = dlg->findChild<QListWidget*>(QStringLiteral("EntryList"));
        const char* buttons[] = {"ToButton", "CcButton", "BccButton"};
        for (const Pick& p : picks) {
            combo->setCurrentIndex(combo->findText(p.list));
            const auto found = entries->findItems(p.name, Qt::MatchExactly);
            if (found.isEmpty()) continue;
            entries->clearSelection();
            entries->setCurrentItem(found.first());
            found.first()->setSelected(true);
            dlg->findChild<QPushButton*>(QString::fromLatin1(buttons[p.type - 1]))->click();
        }
        dlg->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
    };
}

class StoreSendTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        store::installFixtureBackend(QStringLiteral(COMPOSE_DATA_DIR "/compose_fixture.json"));
    }

    void SetUp() override {
        main.load(false);
        main.show();
    }
    void TearDown() override {
        if (!main.mod().session.isNothing()) {
            try {
                main.mod().session->Logoff();
            } catch (const mapi::Error&) {
            }
        }
    }

    static mapi::Ref<mapi::Session> logon(const QString& profile) {
        mapi::Ref<mapi::Session> s = mapi::createSession();
        mapi::LogonArgs args;
        args.profileName = profile;
        args.profilePassword = QStringLiteral("pw");
        args.showDialog = false;
        args.newSession = true;
        s->Logon(args);
        return s;
    }
    // The Outbox as a fresh session sees it: subject of each message.
    static QStringList outboxSubjects() {
        mapi::Ref<mapi::Session> s = logon(QStringLiteral("Compose"));
        QStringList out;
        auto msgs = s->Outbox()->MessagesOf();
        for (std::int32_t i = 1; i <= msgs->Count(); ++i) out << msgs->Item(i)->Subject();
        s->Logoff();
        return out;
    }

    compose::MsgForm* window() { return main.subsystems().compose->window(); }
    template <class T = QWidget>
    T* ctl(const QString& name) {
        T* w = window()->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    void openWindow() { main.control<QPushButton>(QStringLiteral("SendButton"))->click(); }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QStringList lines(const QString& listName) {
        QStringList out;
        auto* l = ctl<QListWidget>(listName);
        for (int i = 0; i < l->count(); ++i) out << l->item(i)->text();
        return out;
    }

    app::MAPIForm main;
    QTemporaryDir dir;
};

TEST_F(StoreSendTest, SavedMessageIsInTheOutboxAfterLogoffAndLogon) {
    const QByteArray bytesA("plain text\r\nwith a NUL \0 inside", 31);
    QByteArray bytesB;
    for (int i = 0; i < 70000; ++i) bytesB.append(static_cast<char>(i * 7));
    const QString fileA = writeFile(QStringLiteral("notes.txt"), bytesA);
    const QString fileB = writeFile(QStringLiteral("blob.bin"), bytesB);
    const QStringList before = outboxSubjects();

    main.mod().session = logon(QStringLiteral("Compose"));
    openWindow();
    ASSERT_TRUE(window() && window()->isVisible());

    ModalAnswerer answer;
    answer.onDialog = chooseInAddressBook(
        {{QStringLiteral("Global Address List"), QStringLiteral("Ann Able"), 1},
         {QStringLiteral("Global Address List"), QStringLiteral("Bob Baker"), 2},
         {QStringLiteral("Personal Address Book"), QStringLiteral("Dee Dunn"), 3}});
    ctl<QPushButton>(QStringLiteral("AddressButton"))->click();
    EXPECT_EQ(lines(QStringLiteral("RecipList(1)")), QStringList{QStringLiteral("Ann Able")});
    EXPECT_EQ(lines(QStringLiteral("RecipList(2)")), QStringList{QStringLiteral("Bob Baker")});
    EXPECT_EQ(lines(QStringLiteral("RecipList(3)")), QStringList{QStringLiteral("Dee Dunn")});

    // A second choice starts from the first and moves Ann from To to Cc.
    answer.onDialog = [](QDialog* dlg) {
        auto* to = dlg->findChild<QListWidget*>(QStringLiteral("ToList"));
        auto* cc = dlg->findChild<QListWidget*>(QStringLiteral("CcList"));
        EXPECT_EQ(to->count(), 1);
        EXPECT_EQ(cc->count(), 1);
        chooseInAddressBook(
            {{QStringLiteral("Global Address List"), QStringLiteral("Ann Able"), 2}})(dlg);
    };
    ctl<QPushButton>(QStringLiteral("AddressButton"))->click();
    EXPECT_TRUE(lines(QStringLiteral("RecipList(1)")).isEmpty());
    EXPECT_EQ(lines(QStringLiteral("RecipList(2)")).size(), 2);
    EXPECT_TRUE(lines(QStringLiteral("RecipList(2)")).contains(QStringLiteral("Ann Able")));
    EXPECT_EQ(lines(QStringLiteral("RecipList(3)")), QStringList{QStringLiteral("Dee Dunn")});

    // And once more, Ann back to To so that all three types are used.
    answer.onDialog = chooseInAddressBook(
        {{QStringLiteral("Global Address List"), QStringLiteral("Ann Able"), 1}});
    ctl<QPushButton>(QStringLiteral("AddressButton"))->click();
    EXPECT_EQ(lines(QStringLiteral("RecipList(1)")), QStringList{QStringLiteral("Ann Able")});

    answer.onFileDialog = [fileA, fileB, n = 0](QFileDialog* fd) mutable {
        fd->selectFile(n++ == 0 ? fileA : fileB);
        static_cast<QDialog*>(fd)->accept();
    };
    ctl<QPushButton>(QStringLiteral("AttachButton"))->click();
    ctl<QPushButton>(QStringLiteral("AttachButton"))->click();
    EXPECT_EQ(lines(QStringLiteral("AttachList")), (QStringList{fileA, fileB}));

    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("Quarterly \"numbers\""));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))
        ->setPlainText(QStringLiteral("Dear all,\nsee attached."));
    ctl<QRadioButton>(QStringLiteral("ImportOption(0)"))->click();
    ctl<QCheckBox>(QStringLiteral("ReadCheck"))->click();
    const QString codeBefore = main.code().text();
    ctl<QPushButton>(QStringLiteral("SendButton"))->click();

    EXPECT_TRUE(answer.boxes.empty()) << answer.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(main.code().text().mid(codeBefore.size()),
              compose::sendCode(main.mod().names, QStringLiteral("Quarterly \"numbers\""),
                                QStringLiteral("Dear all,\r\nsee attached.")));

    main.mod().session->Logoff();
    main.mod().session.reset();

    mapi::Ref<mapi::Session> s = logon(QStringLiteral("Compose"));
    auto msgs = s->Outbox()->MessagesOf();
    ASSERT_EQ(msgs->Count(), before.size() + 1);
    auto m = msgs->Item(msgs->Count());
    EXPECT_EQ(m->Subject(), QStringLiteral("Quarterly \"numbers\""));
    EXPECT_EQ(m->Text(), QStringLiteral("Dear all,\r\nsee attached."));
    EXPECT_EQ(m->Importance().toText(), QStringLiteral("0"));
    EXPECT_EQ(m->ReadReceipt().toText(), QStringLiteral("True"));
    try {  // never set: either absent or not true
        EXPECT_NE(m->DeliveryReceipt().toText(), QStringLiteral("True"));
    } catch (const mapi::Error& e) {
        EXPECT_EQ(e.number(), mapi::code::NotFound);
    }

    auto recips = m->RecipientsOf();
    ASSERT_EQ(recips->Count(), 3);
    QStringList got;
    for (std::int32_t i = 1; i <= 3; ++i) {
        auto r = recips->Item(i);
        got << QStringLiteral("%1|%2|%3").arg(r->Name()).arg(r->Type()).arg(r->Address());
    }
    EXPECT_EQ(got.size(), 3);
    EXPECT_TRUE(got.contains(QStringLiteral("Ann Able|1|ann@example.com")))
        << got.join(u',').toStdString();
    EXPECT_TRUE(got.contains(QStringLiteral("Bob Baker|2|bob@example.com")))
        << got.join(u',').toStdString();
    EXPECT_TRUE(got.contains(QStringLiteral("Dee Dunn|3|dee@example.com")))
        << got.join(u',').toStdString();

    auto atts = m->AttachmentsOf();
    ASSERT_EQ(atts->Count(), 2);
    const QString files[] = {fileA, fileB};
    const QByteArray bytes[] = {bytesA, bytesB};
    for (std::int32_t i = 1; i <= 2; ++i) {
        auto a = atts->Item(i);
        EXPECT_EQ(a->Position(), i - 1);
        EXPECT_EQ(a->Name(), files[i - 1]);
        EXPECT_EQ(a->Type(), 1);
        const QString out = dir.filePath(QStringLiteral("out%1").arg(i));
        a->WriteToFile(out);
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), bytes[i - 1]);
    }
    s->Logoff();
}

TEST_F(StoreSendTest, AmbiguousRecipientSavesNothingAndClosesTheWindow) {
    const QStringList before = outboxSubjects();
    main.mod().session = logon(QStringLiteral("Compose"));
    openWindow();
    ModalAnswerer answer;
    answer.onDialog = chooseInAddressBook(
        {{QStringLiteral("Global Address List"), QStringLiteral("Ann Able"), 1},
         {QStringLiteral("Global Address List"), QStringLiteral("Pat Twin"), 2}});
    ctl<QPushButton>(QStringLiteral("AddressButton"))->click();
    ASSERT_EQ(lines(QStringLiteral("RecipList(2)")), QStringList{QStringLiteral("Pat Twin")});
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("never saved"));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setPlainText(QStringLiteral("x"));
    const QString codeBefore = main.code().text();
    ctl<QPushButton>(QStringLiteral("SendButton"))->click();
    EXPECT_EQ(answer.texts(),
              QStringList{QStringLiteral("An error has occurred sending the message.")});
    EXPECT_EQ(
        main.code().text().mid(codeBefore.size()),
        compose::sendCode(main.mod().names, QStringLiteral("never saved"), QStringLiteral("x")));
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(outboxSubjects(), before);
}

TEST_F(StoreSendTest, MissingFileSavesNothingAndClosesTheWindow) {
    const QStringList before = outboxSubjects();
    const QString file = writeFile(QStringLiteral("soon-gone.txt"), "bye");
    main.mod().session = logon(QStringLiteral("Compose"));
    openWindow();
    ModalAnswerer answer;
    answer.onDialog = chooseInAddressBook(
        {{QStringLiteral("Global Address List"), QStringLiteral("Cy Cole"), 1}});
    answer.onFileDialog = [file](QFileDialog* fd) {
        fd->selectFile(file);
        static_cast<QDialog*>(fd)->accept();
    };
    ctl<QPushButton>(QStringLiteral("AddressButton"))->click();
    ctl<QPushButton>(QStringLiteral("AttachButton"))->click();
    ASSERT_EQ(lines(QStringLiteral("AttachList")), QStringList{file});
    ASSERT_TRUE(QFile::remove(file));
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("never saved"));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setPlainText(QStringLiteral("x"));
    ctl<QPushButton>(QStringLiteral("SendButton"))->click();
    EXPECT_EQ(answer.texts(),
              QStringList{QStringLiteral("An error has occurred sending the message.")});
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(outboxSubjects(), before);
}

TEST_F(StoreSendTest, CancelAndOpeningTwiceLeaveTheOutboxAsItWas) {
    const QStringList before = outboxSubjects();
    main.mod().session = logon(QStringLiteral("Compose"));
    openWindow();
    openWindow();
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("cancelled"));
    ctl<QPushButton>(QStringLiteral("CancelButton"))->click();
    openWindow();
    window()->close();
    EXPECT_EQ(outboxSubjects(), before);

    // Opened twice, then sent: one new message.
    openWindow();
    openWindow();
    ModalAnswerer answer;
    answer.onDialog = chooseInAddressBook(
        {{QStringLiteral("Global Address List"), QStringLiteral("Ann Able"), 1}});
    ctl<QPushButton>(QStringLiteral("AddressButton"))->click();
    ctl<QLineEdit>(QStringLiteral("SubjectText"))->setText(QStringLiteral("just one"));
    ctl<QPlainTextEdit>(QStringLiteral("MsgText"))->setPlainText(QStringLiteral("x"));
    ctl<QPushButton>(QStringLiteral("SendButton"))->click();
    EXPECT_TRUE(answer.boxes.empty());
    EXPECT_EQ(outboxSubjects(), before + QStringList{QStringLiteral("just one")});
}

TEST_F(StoreSendTest, ProfileWithoutAnOutboxReportsTheErrorAndOpensNothing) {
    main.mod().session = logon(QStringLiteral("NoOutbox"));
    ModalAnswerer answer;
    openWindow();
    ASSERT_EQ(answer.boxes.size(), 1u);
    EXPECT_TRUE(answer.boxes[0].text.startsWith(QStringLiteral("Error #-2147221233 - ")))
        << answer.boxes[0].text.toStdString();
    EXPECT_TRUE(answer.boxes[0].text.endsWith(QStringLiteral(" - has occurred.")));
    EXPECT_EQ(answer.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_TRUE(window() == nullptr || !window()->isVisible());
}

}  // namespace
