#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include "ComposeFakes.h"
#include "ModalAnswerer.h"
#include "app/MAPIForm.h"
#include "app/Subsystems.h"
#include "compose/ComposeCode.h"
#include "compose/ComposeController.h"
#include "compose/MsgForm.h"

namespace {

using testing_compose::ModalAnswerer;

class ComposeControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        main.load(false);
        main.show();
    }
    void clickSendMessage() { main.control<QPushButton>(QStringLiteral("SendButton"))->click(); }
    compose::MsgForm* window() { return main.subsystems().compose->window(); }
    void logOn() { main.mod().session = mapi::Ref<mapi::Session>(session); }
    int messagesAdded() { return static_cast<int>(session->outbox->messages->created.size()); }

    app::MAPIForm main;
    std::shared_ptr<fake::Session> session = std::make_shared<fake::Session>();
};

TEST_F(ComposeControllerTest, WithoutASessionOnlyTheMessageIsShown) {
    ModalAnswerer answer;
    clickSendMessage();
    ASSERT_EQ(answer.boxes.size(), 1u);
    EXPECT_EQ(answer.boxes[0].text,
              QStringLiteral("You must log in before you can send a message."));
    EXPECT_EQ(answer.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(answer.boxes[0].title, QStringLiteral("Quorvane '99"));
    EXPECT_EQ(window(), nullptr);
    EXPECT_TRUE(main.code().text().isEmpty());
}

TEST_F(ComposeControllerTest, OpeningTwiceKeepsTheSameWindowMessageAndContents) {
    logOn();
    clickSendMessage();
    compose::MsgForm* form = window();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(form->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // the main window stays usable
    const mapi::Message* first = form->newMessage().get();
    form->findChild<QLineEdit*>(QStringLiteral("SubjectText"))->setText(QStringLiteral("kept"));

    main.activateWindow();
    clickSendMessage();
    EXPECT_EQ(window(), form);
    EXPECT_EQ(messagesAdded(), 1);
    EXPECT_EQ(form->newMessage().get(), first);
    EXPECT_EQ(form->findChild<QLineEdit*>(QStringLiteral("SubjectText"))->text(),
              QStringLiteral("kept"));
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ComposeControllerTest, OpeningAfterCancelLoadsAFreshMessageInTheSameWindow) {
    logOn();
    clickSendMessage();
    compose::MsgForm* form = window();
    form->findChild<QLineEdit*>(QStringLiteral("SubjectText"))->setText(QStringLiteral("gone"));
    form->findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
    EXPECT_FALSE(form->isVisible());
    clickSendMessage();
    EXPECT_EQ(window(), form);
    EXPECT_EQ(messagesAdded(), 2);
    EXPECT_EQ(form->newMessage().get(), session->outbox->messages->created[1].get());
    EXPECT_TRUE(form->findChild<QLineEdit*>(QStringLiteral("SubjectText"))->text().isEmpty());
    for (const auto& m : session->outbox->messages->created) EXPECT_EQ(m->updates, 0);
}

TEST_F(ComposeControllerTest, LoadFailureIsReportedAndTheWindowIsNotOpened) {
    logOn();
    session->noOutbox = true;
    ModalAnswerer answer;
    clickSendMessage();
    ASSERT_EQ(answer.boxes.size(), 1u);
    const mapi::Error e = mapi::makeError(mapi::code::NotFound);
    EXPECT_EQ(answer.boxes[0].text, QStringLiteral("Error #-2147221233 - ") + e.description() +
                                        QStringLiteral(" - has occurred."));
    EXPECT_EQ(answer.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(answer.boxes[0].title, QStringLiteral("Quorvane '99"));
    ASSERT_NE(window(), nullptr);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(window()->isLoaded());

    // Once the Outbox can be reached the window opens normally.
    session->noOutbox = false;
    clickSendMessage();
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(messagesAdded(), 1);
}

TEST_F(ComposeControllerTest, GeneratedCodeGoesToTheMainCodeWindow) {
    logOn();
    main.code().AppendCode(QStringLiteral("typed\r\n"));
    clickSendMessage();
    window()->findChild<QPushButton*>(QStringLiteral("AddressButton"))->click();  // cancelled
    EXPECT_EQ(main.code().text(),
              QStringLiteral("typed\r\n") + compose::addressBookCode(main.mod().names));
}

}  // namespace

namespace {

TEST_F(ComposeControllerTest, TheWindowIsNoChildOfTheMainWindowAndClosesWithIt) {
    logOn();
    clickSendMessage();
    ASSERT_TRUE(window()->isVisible());
    // The main window's controls stay unambiguous although both have a SendButton.
    EXPECT_EQ(main.findChildren<QPushButton*>(QStringLiteral("SendButton")).size(), 1);
    EXPECT_EQ(main.findChild<compose::MsgForm*>(), nullptr);
    EXPECT_FALSE(window()->testAttribute(Qt::WA_QuitOnClose));

    main.close();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(window()->isLoaded());
    EXPECT_EQ(session->outbox->messages->created.at(0)->updates, 0);
}

}  // namespace

namespace {

TEST_F(ComposeControllerTest, AMinimisedWindowIsBroughtBackUnchanged) {
    logOn();
    clickSendMessage();
    window()
        ->findChild<QLineEdit*>(QStringLiteral("SubjectText"))
        ->setText(QStringLiteral("still here"));
    window()->showMinimized();
    clickSendMessage();
    EXPECT_FALSE(window()->isMinimized());
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(messagesAdded(), 1);
    EXPECT_EQ(window()->findChild<QLineEdit*>(QStringLiteral("SubjectText"))->text(),
              QStringLiteral("still here"));
}

}  // namespace
