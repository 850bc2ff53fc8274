#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "FilterFakes.h"
#include "FilterTestKit.h"
#include "shell/AddrListForm.h"

namespace {

std::shared_ptr<ffake::Session> sessionWith(std::initializer_list<const char*> names) {
    auto s = std::make_shared<ffake::Session>();
    for (const char* n : names) s->lists->items.push_back(std::make_shared<ffake::AddressList>(n));
    return s;
}

QStringList listed(QDialog* dlg) {
    QStringList out;
    auto* list = dlg->findChild<QListWidget*>(QStringLiteral("AddressList"));
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

struct Outcome {
    int action;
    QString name;
    QStringList boxes;
    QStringList icons;
};

// Shows the chooser with the session and lets `act` work the open window.
Outcome choose(shell::AddrListForm& form, std::shared_ptr<ffake::Session> s,
               std::function<void(QDialog*)> act) {
    fkit::ModalDriver d;
    d.onDialog = std::move(act);
    form.oSession = s;
    form.exec();
    Outcome r{form.iAction, form.sAddrListName, d.texts(), {}};
    for (const auto& b : d.boxes) r.icons << b.icon;
    return r;
}

std::function<void(QDialog*)> pickAndOk(int row) {
    return [row](QDialog* dlg) {
        dlg->findChild<QListWidget*>(QStringLiteral("AddressList"))->setCurrentRow(row);
        dlg->findChild<QPushButton*>(QStringLiteral("ActionButton(0)"))->click();
    };
}

}  // namespace

TEST(AddrListForm, WindowMakeUpAndListing) {
    shell::AddrListForm form;
    EXPECT_EQ(form.objectName(), QStringLiteral("AddrListForm"));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Address Books"));
    EXPECT_EQ(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
              QStringLiteral("Select the address book on which you wish to apply the filter:"));
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("ActionButton(0)"))->text(),
              QStringLiteral("OK"));
    EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("ActionButton(1)"))->text(),
              QStringLiteral("Cancel"));

    auto s = sessionWith({"Global Address List", "Personal Address Book"});
    s->lists->items.insert(s->lists->items.begin() + 1,
                           std::make_shared<ffake::AddressList>(QStringLiteral("Broken"), true));
    QStringList seen;
    const Outcome r = choose(form, s, [&](QDialog* dlg) {
        static_cast<shell::AddrListForm*>(dlg)->FormActivate();  // a second activation adds nothing
        seen = listed(dlg);
        pickAndOk(1)(dlg);
    });
    EXPECT_EQ(seen, (QStringList{"Global Address List", "Personal Address Book"}))
        << "an unreadable name is skipped";
    EXPECT_EQ(r.action, 0);
    EXPECT_EQ(r.name, QStringLiteral("Personal Address Book"));
    EXPECT_TRUE(r.boxes.isEmpty());

    // Each showing lists afresh from the session.
    s->lists->items.push_back(std::make_shared<ffake::AddressList>(QStringLiteral("Contacts")));
    choose(form, s, [&](QDialog* dlg) {
        seen = listed(dlg);
        dlg->reject();
    });
    EXPECT_EQ(seen.size(), 3);
    EXPECT_EQ(seen.last(), QStringLiteral("Contacts"));

    // A session whose address books cannot be read: an empty list, no message.
    s->failAddressLists = true;
    const Outcome empty = choose(form, s, [&](QDialog* dlg) {
        seen = listed(dlg);
        pickAndOk(0)(dlg);  // nothing to choose: refused
        dlg->findChild<QPushButton*>(QStringLiteral("ActionButton(1)"))->click();
    });
    EXPECT_TRUE(seen.isEmpty());
    EXPECT_EQ(empty.boxes, QStringList{"You must select an address book."});
}

TEST(AddrListForm, OnlineWarnings) {
    shell::AddrListForm form;
    auto s = sessionWith(
        {"Global Address List", "Contacts", "Personal Address Book", "Corporate Directory"});
    EXPECT_TRUE(choose(form, s, pickAndOk(1)).boxes.isEmpty());
    EXPECT_TRUE(choose(form, s, pickAndOk(2)).boxes.isEmpty());
    const Outcome gal = choose(form, s, pickAndOk(0));
    EXPECT_EQ(gal.boxes,
              QStringList{"The Global Address List may not return all matches in the list."});
    EXPECT_EQ(gal.icons, QStringList{"information"});
    EXPECT_EQ(gal.action, 0);
    EXPECT_EQ(gal.name, QStringLiteral("Global Address List")) << "the warning does not refuse";
    const Outcome other = choose(form, s, pickAndOk(3));
    EXPECT_EQ(other.boxes,
              QStringList{"The Global Address List may not return all matches in the list."});
    EXPECT_EQ(other.name, QStringLiteral("Corporate Directory"));
    // The comparison is case-sensitive.
    auto lower = sessionWith({"my contacts"});
    EXPECT_EQ(choose(form, lower, pickAndOk(0)).boxes.size(), 1);
}

TEST(AddrListForm, OfflineWarnings) {
    shell::AddrListForm form;
    auto s = sessionWith({"Offline Global Address List", "Contacts", "Personal Address Book"});
    EXPECT_TRUE(choose(form, s, pickAndOk(2)).boxes.isEmpty());
    const Outcome contacts = choose(form, s, pickAndOk(1));
    EXPECT_EQ(contacts.boxes, QStringList{"The Contacts address book filter may not return correct "
                                          "results when working offline."});
    EXPECT_EQ(contacts.icons, QStringList{"critical"});
    EXPECT_EQ(contacts.name, QStringLiteral("Contacts"));
    const Outcome gal = choose(form, s, pickAndOk(0));
    EXPECT_EQ(
        gal.boxes,
        QStringList{"The Offline Global Address List address book filter may not return correct "
                    "results when working offline."});
    // "offline" in lower case does not make the session offline.
    auto online = sessionWith({"offline copy", "Contacts"});
    EXPECT_TRUE(choose(form, online, pickAndOk(1)).boxes.isEmpty());
}

TEST(AddrListForm, OkWithoutChoiceCancelFrameCloseAndDoubleClick) {
    shell::AddrListForm form;
    auto s = sessionWith({"Global Address List", "Personal Address Book"});
    ASSERT_EQ(choose(form, s, pickAndOk(1)).name, QStringLiteral("Personal Address Book"));

    // OK with nothing chosen: refused, the window stays, the name stays.
    bool stillOpen = false;
    QString nameWhileOpen;
    const Outcome refused = choose(form, s, [&](QDialog* dlg) {
        dlg->findChild<QPushButton*>(QStringLiteral("ActionButton(0)"))->click();
        stillOpen = dlg->isVisible();
        nameWhileOpen = form.sAddrListName;
        dlg->findChild<QPushButton*>(QStringLiteral("ActionButton(1)"))->click();
    });
    EXPECT_EQ(refused.boxes, QStringList{"You must select an address book."});
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(nameWhileOpen, QStringLiteral("Personal Address Book"));
    EXPECT_EQ(refused.action, 1);
    EXPECT_EQ(refused.name, QString());

    // Closing by the frame counts as Cancel.
    choose(form, s, pickAndOk(1));
    const Outcome framed = choose(form, s, [](QDialog* dlg) { dlg->close(); });
    EXPECT_EQ(framed.action, 1);
    EXPECT_EQ(framed.name, QString());

    // A double-click is OK, warnings included.
    const Outcome dbl = choose(form, s, [](QDialog* dlg) {
        auto* list = dlg->findChild<QListWidget*>(QStringLiteral("AddressList"));
        list->setCurrentRow(0);
        Q_EMIT list->itemDoubleClicked(list->item(0));
    });
    EXPECT_EQ(dbl.action, 0);
    EXPECT_EQ(dbl.name, QStringLiteral("Global Address List"));
    EXPECT_EQ(dbl.boxes,
              QStringList{"The Global Address List may not return all matches in the list."});
}
