#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QTest>

#include "FilterFakes.h"
#include "FilterTestKit.h"
#include "ui/Dialogs.h"

using fkit::Panel;

namespace {

QStringList comboEntries(QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i) + QStringLiteral("=") + c->itemData(i).toString();
    return out;
}

QStringList visibleValueControls(Panel& p) {
    QStringList out;
    for (const char* name :
         {"ValueHeaderLabel", "ValueText", "ValueLabel", "PersonButton", "ValueFrame",
          "FieldNameText", "FieldValueText", "FieldValueLabel", "FieldNameLabel", "AndOrFrame",
          "NotCheck", "DataTypeCombo", "ClearCriteriaCheck"})
        if (p.window.findChild<QWidget*>(QString::fromLatin1(name))->isVisibleTo(&p.window))
            out << QString::fromLatin1(name);
    return out;
}

std::shared_ptr<ffake::Session> loggedOn(Panel& p) {
    auto s = std::make_shared<ffake::Session>();
    p.logOn(s);
    return s;
}

}  // namespace

TEST(FilterEditor, StartupStateAndPropertyLists) {
    Panel p;
    EXPECT_FALSE(p.filterCombo->isEnabled());
    EXPECT_FALSE(p.addButton->isEnabled());
    EXPECT_FALSE(p.delButton->isEnabled());
    EXPECT_EQ(p.filterCombo->currentIndex(), -1);
    EXPECT_EQ(visibleValueControls(p), QStringList{"ClearCriteriaCheck"});
    EXPECT_EQ(comboEntries(p.filterCombo),
              (QStringList{"Fields=5", "Importance=6", "Recipients=4", "Sender=4", "Sent=3",
                           "Size=6", "Subject=1", "Text=1", "Received At Or After=2",
                           "Received On Or Before=2", "Type=1", "Unread=3"}));
    p.editor->LoadFilterProperties(1);
    EXPECT_EQ(comboEntries(p.filterCombo), (QStringList{"Fields=5", "Name=1", "Address=7"}));
    EXPECT_EQ(p.filterCombo->currentIndex(), -1);
    EXPECT_EQ(visibleValueControls(p), QStringList{"ClearCriteriaCheck"})
        << "loading chooses nothing";
}

TEST(FilterEditor, ValueControlsPerKind) {
    Panel p;
    const QStringList expected[] = {
        {"ValueHeaderLabel", "ValueText", "ClearCriteriaCheck"},
        {"ValueHeaderLabel", "ValueText", "ClearCriteriaCheck"},
        {"ValueFrame", "ClearCriteriaCheck"},
        {"ValueText", "PersonButton", "ClearCriteriaCheck"},
        {"ValueHeaderLabel", "FieldNameText", "FieldValueText", "FieldValueLabel", "FieldNameLabel",
         "AndOrFrame", "NotCheck", "DataTypeCombo"},
        {"ValueHeaderLabel", "ValueText", "ClearCriteriaCheck"},
        {"ValueLabel", "PersonButton", "ClearCriteriaCheck"},
    };
    for (int kind = 1; kind <= 7; ++kind) {
        p.editor->ShowCriterionControls(kind);
        EXPECT_EQ(visibleValueControls(p), expected[kind - 1]) << "kind " << kind;
    }
    // Field boxes come to the front, value box last.
    p.editor->ShowCriterionControls(5);
    const auto order = p.window.children();
    ASSERT_GE(order.size(), 2);
    EXPECT_EQ(order.last(), p.fieldValueText);
    EXPECT_EQ(order[order.size() - 2], p.fieldNameText);
    const QStringList before = visibleValueControls(p);
    p.editor->ShowCriterionControls(0);
    p.editor->ShowCriterionControls(8);
    EXPECT_EQ(visibleValueControls(p), before) << "kinds outside 1..7 change nothing";

    // Choosing from the combo drives it; typed values stay.
    p.valueText->setText(QStringLiteral("kept"));
    p.choose(QStringLiteral("Sent"));
    EXPECT_EQ(visibleValueControls(p), expected[2]);
    p.choose(QStringLiteral("Sender"));
    EXPECT_EQ(visibleValueControls(p), expected[3]);
    EXPECT_EQ(p.valueText->text(), QStringLiteral("kept"));
}

TEST(FilterEditor, AddRefusalsNameTheLastFailingCheck) {
    Panel p;
    loggedOn(p);
    fkit::ModalDriver d;

    p.addButton->click();  // no property chosen
    EXPECT_TRUE(d.boxes.empty());
    EXPECT_EQ(p.list->count(), 0);

    struct Case {
        const char* property;
        const char* value;
        const char* message;
        QWidget* focus;
    };
    const Case cases[] = {
        {"Subject", "", "You must type in a value.", p.valueText},
        {"Received At Or After", "", "You must type in a date or time value.", p.valueText},
        {"Received On Or Before", "yesterday-ish", "You must type in value that is a date or time.",
         p.valueText},
        {"Size", "", "You must type in a number.", p.valueText},
        {"Importance", "two", "You must type in value that is numeric.", p.valueText},
        {"Sender", "", "You must select a person or type in a full or partial name.",
         p.personButton},
    };
    for (const Case& c : cases) {
        d.boxes.clear();
        p.elsewhere->setFocus();
        p.add(QString::fromLatin1(c.property), QString::fromLatin1(c.value));
        ASSERT_EQ(d.boxes.size(), 1u) << c.property;
        EXPECT_EQ(d.boxes[0].text, QString::fromLatin1(c.message));
        EXPECT_EQ(d.boxes[0].icon, QStringLiteral("critical"));
        EXPECT_EQ(d.boxes[0].title, QStringLiteral("Quorvane '99"));
        EXPECT_EQ(p.window.focusWidget(), c.focus) << c.property;
    }

    // Custom field with all three boxes empty: the field-name check, last, wins.
    d.boxes.clear();
    p.addField(QString(), QString(), QString());
    ASSERT_EQ(d.texts(), QStringList{"You must type in a field name or index."});
    EXPECT_EQ(p.window.focusWidget(), p.fieldNameText);
    d.boxes.clear();
    p.addField(QString(), QString(), QStringLiteral("PR_X"));
    EXPECT_EQ(d.texts(), QStringList{"You must type in a value for the field."});
    EXPECT_EQ(p.window.focusWidget(), p.fieldValueText);
    d.boxes.clear();
    p.addField(QString(), QStringLiteral("1"), QStringLiteral("PR_X"));
    EXPECT_EQ(d.texts(), QStringList{"You must select a data type from the drop down."});
    EXPECT_EQ(p.window.focusWidget(), p.dataTypeCombo);

    // Address mode: a typed text is not an address; only the picked one counts.
    p.opt1->click();
    p.logOn(p.mod.session);
    d.boxes.clear();
    p.valueText->setText(QStringLiteral("typed@example.com"));
    p.choose(QStringLiteral("Address"));
    p.addButton->click();
    EXPECT_EQ(d.texts(), QStringList{"You must select a person."});
    EXPECT_EQ(p.window.focusWidget(), p.personButton);
    EXPECT_EQ(p.list->count(), 0);
}

TEST(FilterEditor, AddedRowsCarryTheirColumns) {
    Panel p;
    loggedOn(p);
    fkit::ModalDriver d;
    p.add(QStringLiteral("Subject"), QStringLiteral("  "));  // blanks are not empty
    p.add(QStringLiteral("Received At Or After"), QStringLiteral("3/1/1999"));
    p.add(QStringLiteral("Size"), QStringLiteral("2,048"));
    p.add(QStringLiteral("Recipients"), QStringLiteral("Smi"));
    p.choose(QStringLiteral("Unread"));
    p.addButton->click();
    p.valueOpt1->setChecked(true);
    p.addButton->click();
    p.addField(QStringLiteral("vblong"), QStringLiteral("12"),
               QStringLiteral("0x1000"));  // any non-empty type
    EXPECT_TRUE(d.boxes.empty()) << d.texts().join(QLatin1Char('|')).toStdString();
    const QList<QStringList> expected = {
        {"Subject", "vbString", "  "},        {"Received At Or After", "vbDate", "3/1/1999"},
        {"Size", "vbLong", "2,048"},          {"Recipients", "vbString", "Smi"},
        {"Unread", "vbBoolean", "True"},      {"Unread", "vbBoolean", "False"},
        {"Fields", "vblong", "12", "0x1000"},
    };
    EXPECT_EQ(p.rows(), expected);
    EXPECT_EQ(p.list->cell(1, 3), QString()) << "no Field ID on other rows";
    EXPECT_EQ(p.fieldNameText->text(), QStringLiteral("0x1000"))
        << "nothing is cleared after adding";
}

TEST(FilterEditor, DataTypeLostFocusIsCaseSensitiveAndOpensTheList) {
    Panel p;
    loggedOn(p);
    p.choose(QStringLiteral("Fields"));
    fkit::ModalDriver d;
    ui::setBusyPointer();
    p.dataTypeCombo->setFocus();
    p.dataTypeCombo->setEditText(QStringLiteral("vbLong"));
    p.elsewhere->setFocus();
    EXPECT_TRUE(d.boxes.empty());
    EXPECT_TRUE(ui::isBusyPointer()) << "a valid type does nothing";

    p.dataTypeCombo->setFocus();
    p.dataTypeCombo->setEditText(QStringLiteral("vblong"));
    p.elsewhere->setFocus();
    ASSERT_EQ(d.boxes.size(), 1u);
    EXPECT_EQ(d.boxes[0].text,
              QStringLiteral("You must select a valid data type from the drop down."));
    EXPECT_EQ(d.boxes[0].icon, QStringLiteral("none"));
    EXPECT_EQ(d.boxes[0].title, QStringLiteral("Quorvane '99"));
    EXPECT_TRUE(p.dataTypeCombo->view()->isVisible()) << "the drop-down opens";
    EXPECT_FALSE(ui::isBusyPointer());
    EXPECT_EQ(p.dataTypeCombo->currentText(), QStringLiteral("vblong")) << "nothing else changes";
    p.dataTypeCombo->hidePopup();
    QTest::qWait(20);
    EXPECT_EQ(d.boxes.size(), 1u) << "opening and closing the list is not a lost focus";
}

TEST(FilterEditor, ModeSwitchDiscardsCriteria) {
    Panel p;
    loggedOn(p);
    fkit::ModalDriver d;
    p.add(QStringLiteral("Subject"), QStringLiteral("Budget"));
    p.choose(QStringLiteral("Subject"));
    p.notCheck->setValue(1);
    p.opt1->click();
    EXPECT_EQ(p.list->count(), 0);
    EXPECT_EQ(p.filterCombo->currentIndex(), -1);
    EXPECT_EQ(p.filterCombo->count(), 3);
    EXPECT_TRUE(p.filterCombo->isEnabled());
    EXPECT_TRUE(p.addButton->isEnabled());
    EXPECT_EQ(visibleValueControls(p), QStringList{"ClearCriteriaCheck"});
    EXPECT_EQ(p.valueText->text(), QStringLiteral("Budget")) << "typed values survive";
    EXPECT_EQ(p.notCheck->value(), 1);

    p.mod.session.reset();  // logged off: the controls stay disabled
    p.opt0->click();
    EXPECT_EQ(p.filterCombo->count(), 12);
    EXPECT_FALSE(p.filterCombo->isEnabled());
    EXPECT_FALSE(p.delButton->isEnabled());
}

TEST(FilterEditor, PersonPickerFillsNameOrAddress) {
    Panel p;
    auto s = loggedOn(p);
    fkit::ModalDriver d;
    s->picked = std::make_shared<ffake::Recipients>();
    s->picked->items.push_back(std::make_shared<ffake::Recipient>("Ann Smith", "ann@example.com"));
    s->picked->items.push_back(std::make_shared<ffake::Recipient>("Bob Jones", "bob@example.com"));

    p.choose(QStringLiteral("Sender"));
    p.personButton->click();
    EXPECT_EQ(p.valueText->text(), QStringLiteral("Ann Smith"));
    const mapi::AddressBookArgs& a = s->lastBookArgs;
    EXPECT_TRUE(a.recipients.isNothing());
    EXPECT_EQ(a.title, QStringLiteral("Recipients Filter"));
    EXPECT_EQ(a.oneAddress, false);
    EXPECT_EQ(a.forceResolution, true);
    EXPECT_EQ(a.recipLists, 1);
    EXPECT_EQ(a.toLabel, QStringLiteral("TO:"));
    EXPECT_EQ(a.ccLabel, QStringLiteral("CC:"));
    EXPECT_EQ(a.bccLabel, QStringLiteral("BCC:"));

    p.opt1->click();
    p.logOn(s);
    p.choose(QStringLiteral("Address"));
    p.personButton->click();
    EXPECT_EQ(p.valueLabel->text(), QStringLiteral("ann@example.com"));
    p.addButton->click();
    EXPECT_EQ(p.rows(), (QList<QStringList>{{"Address", "vbString", "ann@example.com"}}));

    // Cancel or an empty choice: nothing changes, no message.
    s->picked.reset();
    p.personButton->click();
    s->picked = std::make_shared<ffake::Recipients>();
    p.personButton->click();
    EXPECT_EQ(p.valueLabel->text(), QStringLiteral("ann@example.com"));
    EXPECT_TRUE(d.boxes.empty());

    // A property of another kind takes nothing from the dialog.
    s->picked->items.push_back(std::make_shared<ffake::Recipient>("Cy", "cy@example.com"));
    p.choose(QStringLiteral("Name"));
    p.personButton->click();
    EXPECT_EQ(p.valueText->text(), QStringLiteral("Ann Smith"));
    EXPECT_EQ(p.valueLabel->text(), QStringLiteral("ann@example.com"));
}

TEST(FilterEditor, DeleteAndColumnSorting) {
    Panel p;
    loggedOn(p);
    fkit::ModalDriver d;
    p.add(QStringLiteral("Subject"), QStringLiteral("b"));
    p.add(QStringLiteral("Text"), QStringLiteral("c"));
    p.add(QStringLiteral("Sender"), QStringLiteral("a"));

    p.delButton->click();  // nothing selected
    EXPECT_EQ(p.list->count(), 3);

    auto column = [&](int c) {
        QStringList out;
        for (int i = 1; i <= p.list->count(); ++i) out << p.list->cell(i, c);
        return out;
    };
    // One order for the whole list, toggled before each sort.
    p.list->columnClicked(2);
    EXPECT_EQ(column(2), (QStringList{"c", "b", "a"}));
    p.list->columnClicked(0);
    EXPECT_EQ(column(0), (QStringList{"Sender", "Subject", "Text"}));
    p.list->columnClicked(0);
    EXPECT_EQ(column(0), (QStringList{"Text", "Subject", "Sender"}));

    p.list->setSelectedIndex(2);
    p.delButton->click();
    EXPECT_EQ(column(0), (QStringList{"Text", "Sender"}));
    EXPECT_TRUE(d.boxes.empty());
}
