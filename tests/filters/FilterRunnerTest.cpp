#include <gtest/gtest.h>

#include <QDateTime>

#include "FilterFakes.h"
#include "FilterTestKit.h"
#include "shell/AddrListForm.h"
#include "ui/Dialogs.h"

using fkit::Panel;

namespace {

struct Mailbox {
    std::int32_t root, store, folder, sub, message, attachment;
};

Mailbox fillTree(ui::TreeView& t) {
    Mailbox m{};
    m.root = t.add(0, ui::Relationship::Last, QStringLiteral("ROOT"),
                   QStringLiteral("MAPI Session"), fkit::kRoot);
    m.store = t.add(m.root, ui::Relationship::Child, QStringLiteral("STORE-1"),
                    QStringLiteral("Mailbox"), fkit::kStore);
    m.folder = t.add(m.store, ui::Relationship::Child, QStringLiteral("FOLDER-TOP"),
                     QStringLiteral("Top"), fkit::kFolder);
    m.sub = t.add(m.folder, ui::Relationship::Child, QStringLiteral("FOLDER-IN"),
                  QStringLiteral("Inbox"), fkit::kFolder);
    m.message = t.add(m.sub, ui::Relationship::Child, QStringLiteral("MSG-1"),
                      QStringLiteral("Hello"), fkit::kMessage);
    m.attachment = t.add(m.message, ui::Relationship::Child, QStringLiteral("ATT-1"),
                         QStringLiteral("a.txt"), 16);
    return m;
}

mapi::Variant at(int y, int mo, int d, int h, int mi) {
    return mapi::Date::fromDateTime(QDateTime(QDate(y, mo, d), QTime(h, mi)));
}

std::shared_ptr<ffake::Message> msg(mapi::Variant received, const char* sender,
                                    std::optional<QString> subject) {
    return std::make_shared<ffake::Message>(
        std::move(received),
        sender ? std::make_shared<ffake::AddressEntry>(QString::fromLatin1(sender),
                                                       QStringLiteral("x@example.com"))
               : nullptr,
        std::move(subject));
}

const QString kCrLf = QStringLiteral("\r\n");

QString lines(std::initializer_list<const char*> ls) {
    QString out;
    for (const char* l : ls) out += QString::fromUtf8(l) + kCrLf;
    return out;
}

struct Fixture {
    Panel p;
    std::shared_ptr<ffake::Session> s = std::make_shared<ffake::Session>();
    Mailbox m = fillTree(*p.tree);
    fkit::ModalDriver d;
    Fixture() { p.logOn(s); }
    std::shared_ptr<ffake::Messages> messages() { return s->folder->messages; }
    QStringList filterCalls() { return messages()->filter->log->calls; }
};

const QString kMessageHead = lines({
    "'get a reference to the folder first, then it's message collection",
    "'get the folder by FolderID and StoreID",
    "Set oFolder = oSession.GetFolder(\"FOLDER-IN\", \"STORE-1\")",
    "",
    "'get the messages collection of the folder",
    "Set oMsgs = oFolder.Messages",
    "",
    "'get the messages filter for the messages collection",
    "'oFilter is used as the Filter object; it needs to be DIM'd in your code",
    "Set oFilter = oMsgs.Filter",
    "",
});

const QString kMessageTail = lines({
    "'iterate through the filtered message collection",
    "For Each oMsg In oMsgs",
    "  'get information on each message",
    "  Debug.Print oMsg.TimeReceived & vbTab & oMsg.Sender & vbTab & oMsg.Subject",
    "Next",
    "",
    "'empty all object references when done!",
    "",
});

}  // namespace

TEST(FilterRunner, RefusalsAppendNothing) {
    Fixture f;
    ui::setNormalPointer();
    f.p.mod.session.reset();
    f.p.filterButton->click();
    f.p.logOn(f.s);
    f.p.filterButton->click();  // no rows
    f.p.add(QStringLiteral("Subject"), QStringLiteral("Budget"));
    f.p.tree->select(f.m.root);
    f.p.filterButton->click();
    f.p.tree->select(f.m.store);
    f.p.filterButton->click();
    EXPECT_EQ(f.d.texts(), (QStringList{"You must log in before you can filter for messages.",
                                        "You must add criteria before you can filter.",
                                        "Messages are only found in folders.  Select a folder then "
                                        "try and look for the message.",
                                        "Messages are only found in folders.  Select a folder then "
                                        "try and look for the message."}));
    for (const auto& b : f.d.boxes) EXPECT_EQ(b.icon, QStringLiteral("critical"));
    EXPECT_EQ(f.p.code, QString());
    EXPECT_TRUE(f.s->calls.isEmpty());
    EXPECT_EQ(f.p.list->count(), 1);
}

TEST(FilterRunner, MessageModeCodeAndResults) {
    Fixture f;
    f.p.add(QStringLiteral("Subject"), QStringLiteral("Budget"));
    f.p.add(QStringLiteral("Size"), QStringLiteral("2048"));
    f.p.add(QStringLiteral("Importance"), QStringLiteral("2"));
    f.p.add(QStringLiteral("Sender"), QStringLiteral("Ann"));
    f.p.add(QStringLiteral("Recipients"), QStringLiteral("Bob"));
    f.p.add(QStringLiteral("Text"), QStringLiteral("quarterly"));
    f.p.add(QStringLiteral("Received At Or After"), QStringLiteral("3/1/1999"));
    f.p.add(QStringLiteral("Received On Or Before"), QStringLiteral("3/31/1999 5:00 PM"));
    f.p.add(QStringLiteral("Type"), QStringLiteral("IPM.Note"));
    f.p.choose(QStringLiteral("Sent"));
    f.p.addButton->click();
    f.p.valueOpt1->setChecked(true);
    f.p.choose(QStringLiteral("Unread"));
    f.p.addButton->click();
    f.p.notCheck->setValue(1);  // no Fields row: Not and Or stay untouched
    f.p.orOpt->setChecked(true);
    f.messages()->items = {msg(at(1999, 3, 1, 10, 15), "Ann Smith", QStringLiteral("Budget 1999")),
                           msg(at(1999, 3, 2, 16, 5), "Bob Jones", QStringLiteral("Re: Budget"))};
    f.p.tree->select(f.m.sub);
    f.p.filterButton->click();

    EXPECT_EQ(f.s->calls, QStringList{"GetFolder(FOLDER-IN,STORE-1)"});
    EXPECT_EQ(f.p.code,
              kMessageHead +
                  lines({"'set filter criteria", "oFilter.Subject = \"Budget\"",
                         "oFilter.Size = 2048", "oFilter.Importance = 2",
                         "oFilter.Sender = \"Ann\"", "oFilter.Recipients = \"Bob\"",
                         "oFilter.Text = \"quarterly\"", "oFilter.TimeFirst = \"3/1/1999\"",
                         "oFilter.TimeLast = \"3/31/1999 5:00 PM\"", "oFilter.Type = \"IPM.Note\"",
                         "oFilter.Sent = True", "oFilter.Unread = False", ""}) +
                  kMessageTail);
    EXPECT_EQ(f.filterCalls(),
              (QStringList{"Subject=Budget(8)", "Size=2048(3)", "Importance=2(3)", "Sender=Ann(8)",
                           "Recipients=Bob(8)", "Text=quarterly(8)", "TimeFirst=3/1/1999(8)",
                           "TimeLast=3/31/1999 5:00 PM(8)", "Type=IPM.Note(8)", "Sent=True(11)",
                           "Unread=False(11)"}));
    ASSERT_EQ(f.d.boxes.size(), 1u);
    EXPECT_EQ(f.d.boxes[0].text,
              QStringLiteral(
                  "Time Rec'd:  3/1/1999 10:15:00 AM\tFrom:  Ann Smith\tSubject:  Budget 1999\n"
                  "Time Rec'd:  3/2/1999 4:05:00 PM\tFrom:  Bob Jones\tSubject:  Re: Budget"));
    EXPECT_EQ(f.d.boxes[0].icon, QStringLiteral("information"));
    EXPECT_EQ(f.p.list->count(), 0) << "Clear Criteria is checked";
    EXPECT_FALSE(ui::isBusyPointer());
}

TEST(FilterRunner, FieldsRowsSetNotAndOrWithRenamedVariables) {
    Fixture f;
    f.p.mod.names.rename(codegen::Var::Filter, QStringLiteral("flt"));
    f.p.mod.names.rename(codegen::Var::FilterFields, QStringLiteral("fld"));
    f.p.mod.names.rename(codegen::Var::Messages, QStringLiteral("col"));
    f.p.mod.names.rename(codegen::Var::Message, QStringLiteral("m"));
    f.p.mod.names.rename(codegen::Var::Folder, QStringLiteral("fo"));
    f.p.mod.names.rename(codegen::Var::Session, QStringLiteral("ses"));
    f.p.addField(QStringLiteral("vbBoolean"), QStringLiteral("true"), QStringLiteral("Done"));
    f.p.addField(QStringLiteral("vbCurrency"), QStringLiteral("1,234.5"), QStringLiteral("Price"));
    f.p.addField(QStringLiteral("vbDate"), QStringLiteral("3/1/1999"), QStringLiteral("Due"));
    f.p.addField(QStringLiteral("vbDouble"), QStringLiteral("2.5"), QStringLiteral("Ratio"));
    f.p.addField(QStringLiteral("vbInteger"), QStringLiteral("seven"),
                 QStringLiteral("Count"));  // no field
    f.p.addField(QStringLiteral("vbLong"), QStringLiteral("70000"), QStringLiteral("0x3FFF0003"));
    f.p.addField(QStringLiteral("vbSingle"), QStringLiteral("1.5"), QStringLiteral("Weight"));
    f.p.addField(QStringLiteral("vbString"), QStringLiteral("Blue"), QStringLiteral("Colour"));
    f.p.addField(QStringLiteral("vbVariant"), QStringLiteral("x"),
                 QStringLiteral("Other"));  // no field, no line
    f.p.add(QStringLiteral("Subject"), QStringLiteral("Budget"));
    f.p.notCheck->setValue(1);
    f.p.orOpt->setChecked(true);
    f.p.clearCheck->setValue(0);
    f.p.tree->select(f.m.attachment);  // the folder above the message
    f.p.filterButton->click();

    EXPECT_EQ(f.p.code,
              lines({"'get a reference to the folder first, then it's message collection",
                     "'get the folder by FolderID and StoreID",
                     "Set fo = ses.GetFolder(\"FOLDER-IN\", \"STORE-1\")",
                     "",
                     "'get the messages collection of the folder",
                     "Set col = fo.Messages",
                     "",
                     "'get the messages filter for the messages collection",
                     "'oFilter is used as the Filter object; it needs to be DIM'd in your code",
                     "Set flt = col.Filter",
                     "",
                     "'set filter criteria",
                     "Set fld = flt.Fields.Add(\"Done\", 11, CBool(\"true\"))",
                     "Set fld = flt.Fields.Add(\"Price\", 6, CCur(\"1,234.5\"))",
                     "Set fld = flt.Fields.Add(\"Due\", 7, CDate(\"3/1/1999\"))",
                     "Set fld = flt.Fields.Add(\"Ratio\", 5, CDbl(\"2.5\"))",
                     "Set fld = flt.Fields.Add(\"Count\", 2, CInt(\"seven\"))",
                     "Set fld = flt.Fields.Add(\"0x3FFF0003\", 3, CLng(\"70000\"))",
                     "Set fld = flt.Fields.Add(\"Weight\", 4, CSng(\"1.5\"))",
                     "Set fld = flt.Fields.Add(\"Colour\", 8, \"Blue\")",
                     "flt.Subject = \"Budget\"",
                     "",
                     "'set the filter's NOT property",
                     "flt.Not = True",
                     "",
                     "'set the filter's OR property (everything is AND by default)",
                     "flt.Or = True",
                     "",
                     "'iterate through the filtered message collection",
                     "For Each m In col",
                     "  'get information on each message",
                     "  Debug.Print m.TimeReceived & vbTab & m.Sender & vbTab & m.Subject",
                     "Next",
                     "",
                     "'empty all object references when done!",
                     ""}));
    EXPECT_EQ(f.filterCalls(),
              (QStringList{"Fields.Add Done(8) 11 True(11)", "Fields.Add Price(8) 6 1234.5(6)",
                           "Fields.Add Due(8) 7 3/1/1999(7)", "Fields.Add Ratio(8) 5 2.5(5)",
                           "Fields.Add 0x3FFF0003(8) 3 70000(3)", "Fields.Add Weight(8) 4 1.5(4)",
                           "Fields.Add Colour(8) 8 Blue(8)", "Subject=Budget(8)", "Not=True(11)",
                           "Or=True(11)"}));
    EXPECT_EQ(f.d.texts(), QStringList{"No matching messages were found."});
    EXPECT_EQ(f.p.list->count(), 10) << "Clear Criteria unchecked keeps the rows";

    // The same rows again, And and not Not this time.
    f.p.notCheck->setValue(0);
    f.p.andOpt->setChecked(true);
    f.p.code.clear();
    f.messages()->filter = std::make_shared<ffake::Filter>(ffake::messageFilterMembers());
    f.p.filterButton->click();
    EXPECT_TRUE(f.p.code.contains(QStringLiteral("flt.Not = False\r\n\r\n")));
    EXPECT_TRUE(f.p.code.contains(QStringLiteral("flt.Or = False\r\n\r\n")));
    EXPECT_EQ(f.filterCalls().mid(7),
              (QStringList{"Subject=Budget(8)", "Not=False(11)", "Or=False(11)"}));
}

TEST(FilterRunner, RejectedMembersAndValuesAreSkippedWithTheirLines) {
    Fixture f;
    f.p.add(QStringLiteral("Size"), QStringLiteral("1e12"));  // numeric, but no 32-bit integer
    f.p.add(QStringLiteral("Subject"), QStringLiteral("Budget"));
    f.messages()->filter->rejected = {QStringLiteral("Subject")};
    f.messages()->filter->fields->rejectAdd = true;
    f.p.addField(QStringLiteral("vbString"), QStringLiteral("Blue"), QStringLiteral("Colour"));
    f.p.tree->select(f.m.message);
    f.p.filterButton->click();
    EXPECT_TRUE(f.p.code.contains(
        lines({"'set filter criteria", "oFilter.Size = 1e12", "oFilter.Subject = \"Budget\"",
               "Set oFilterFields = oFilter.Fields.Add(\"Colour\", 8, \"Blue\")", ""})));
    EXPECT_EQ(f.filterCalls(), (QStringList{"Not=False(11)", "Or=False(11)"}));
    EXPECT_EQ(f.d.texts(), QStringList{"No matching messages were found."});
}

TEST(FilterRunner, EnumerationErrorKeepsRowsAndCode) {
    Fixture f;
    f.p.add(QStringLiteral("Received At Or After"), QStringLiteral("10:15"));
    f.p.clearCheck->setValue(1);
    f.p.add(QStringLiteral("Subject"), QStringLiteral("Budget"));
    f.p.choose(QStringLiteral("Fields"));  // hides Clear Criteria
    f.messages()->enumerateError = mapi::code::InvalidParameter;
    f.p.tree->select(f.m.sub);
    f.p.filterButton->click();
    ASSERT_EQ(f.d.boxes.size(), 1u);
    EXPECT_EQ(f.d.boxes[0].text, QStringLiteral("An error has occured.  Error #-2147024809 - ") +
                                     mapi::makeError(mapi::code::InvalidParameter).description() +
                                     QStringLiteral("."));
    EXPECT_EQ(f.d.boxes[0].icon, QStringLiteral("critical"));
    EXPECT_EQ(f.p.list->count(), 2);
    EXPECT_TRUE(f.p.clearCheck->isVisible());
    EXPECT_FALSE(ui::isBusyPointer());
    EXPECT_EQ(f.p.code,
              kMessageHead + lines({"'set filter criteria", "oFilter.TimeFirst = \"10:15\"",
                                    "oFilter.Subject = \"Budget\"", ""}));

    // A folder that cannot be opened: nothing is appended at all.
    f.d.boxes.clear();
    f.p.code.clear();
    f.s->getFolderError = mapi::code::NotFound;
    f.p.filterButton->click();
    ASSERT_EQ(f.d.boxes.size(), 1u);
    EXPECT_TRUE(f.d.boxes[0].text.startsWith(
        QStringLiteral("An error has occured.  Error #-2147221233 - ")));
    EXPECT_EQ(f.p.code, QString());
}

TEST(FilterRunner, NoSelectedNodeIsReportedAsAnError) {
    Fixture f;
    f.p.add(QStringLiteral("Subject"), QStringLiteral("Budget"));
    f.p.filterButton->click();
    EXPECT_EQ(
        f.d.texts(),
        QStringList{"An error has occured.  Error #91 - Object variable or With block variable "
                    "not set."});
    EXPECT_EQ(f.p.list->count(), 1);
    EXPECT_EQ(f.p.code, QString());
}

TEST(FilterRunner, MissingPartsOfAPassingMessageShowEmpty) {
    Fixture f;
    f.p.add(QStringLiteral("Subject"), QStringLiteral("x"));
    f.messages()->items = {msg(mapi::Variant(), nullptr, std::nullopt),
                           msg(at(1999, 12, 31, 0, 0), "Ann", QStringLiteral(""))};
    f.p.tree->select(f.m.sub);
    f.p.filterButton->click();
    ASSERT_EQ(f.d.boxes.size(), 1u);
    EXPECT_EQ(f.d.boxes[0].text, QStringLiteral("Time Rec'd:  \tFrom:  \tSubject:  \n"
                                                "Time Rec'd:  12/31/1999\tFrom:  Ann\tSubject:  "));
    EXPECT_TRUE(f.p.code.endsWith(kMessageTail));
}

TEST(FilterRunner, LongResultsShowThirtyLinesAndKeepAllInDetails) {
    Fixture f;
    f.p.add(QStringLiteral("Subject"), QStringLiteral("x"));
    for (int i = 1; i <= 35; ++i)
        f.messages()->items.push_back(
            msg(at(1999, 1, 1, 9, 0), "Ann", QStringLiteral("S%1").arg(i)));
    f.p.tree->select(f.m.sub);
    f.p.filterButton->click();
    ASSERT_EQ(f.d.boxes.size(), 1u);
    const QStringList shown = f.d.boxes[0].text.split(QLatin1Char('\n'));
    ASSERT_EQ(shown.size(), 31);
    EXPECT_EQ(shown[0],
              QStringLiteral("Time Rec'd:  1/1/1999 9:00:00 AM\tFrom:  Ann\tSubject:  S1"));
    EXPECT_EQ(shown[29],
              QStringLiteral("Time Rec'd:  1/1/1999 9:00:00 AM\tFrom:  Ann\tSubject:  S30"));
    EXPECT_EQ(shown[30], QStringLiteral("(5 more not shown)"));
    const QStringList all = f.d.boxes[0].details.split(QLatin1Char('\n'));
    ASSERT_EQ(all.size(), 35);
    EXPECT_TRUE(all[34].endsWith(QStringLiteral("Subject:  S35")));
}

TEST(FilterRunner, AddressModeOnANameAndOnAPickedAddress) {
    Fixture f;
    auto gal = std::make_shared<ffake::AddressList>(QStringLiteral("Global Address List"));
    auto pab = std::make_shared<ffake::AddressList>(QStringLiteral("Personal Address Book"));
    f.s->lists->items = {gal, pab};
    pab->entries->items = {std::make_shared<ffake::AddressEntry>("Ann Smith", "ann@example.com"),
                           std::make_shared<ffake::AddressEntry>("Smith List", "", "MAPIPDL")};
    f.p.opt1->click();
    f.p.logOn(f.s);
    f.p.add(QStringLiteral("Name"), QStringLiteral("Smith"));
    f.s->picked = std::make_shared<ffake::Recipients>();
    f.s->picked->items.push_back(
        std::make_shared<ffake::Recipient>("Ann Smith", "ann@example.com"));
    f.p.choose(QStringLiteral("Address"));
    f.p.personButton->click();
    f.p.addButton->click();

    QString chooserTitle;
    f.d.onDialog = [&](QDialog* dlg) {
        chooserTitle = dlg->windowTitle();
        auto* list = dlg->findChild<QListWidget*>(QStringLiteral("AddressList"));
        list->setCurrentRow(1);
        dlg->findChild<QPushButton*>(QStringLiteral("ActionButton(0)"))->click();
    };
    f.p.filterButton->click();
    EXPECT_EQ(chooserTitle, QStringLiteral("Address Books"));
    EXPECT_EQ(f.s->calls, QStringList{"AddressLists(Personal Address Book)"});
    EXPECT_EQ(
        f.p.code,
        lines({"'get a reference to the AddressList object",
               "'address objects are oAddressList, oAddressEntry and oAddressEntries; they should",
               "'be DIM'd as Objects in your code",
               "'oFilter is used as the Filter object; it needs to be DIM'd in your code",
               "Set oAddressList = oSession.AddressLists(\"Personal Address Book\")",
               "",
               "'get a reference to the AddressEntries collection",
               "Set oAddressEntries = oAddressList.AddressEntries",
               "",
               "'get address filter object",
               "Set oFilter = oAddressEntries.Filter",
               "",
               "'set filter criteria",
               "oFilter.Name = \"Smith\"",
               "oFilter.Address = \"ann@example.com\"",
               "",
               "'iterate through the filtered address collection",
               "For Each oAddressEntry In oAddressEntries",
               "  'get information on each AddressEntry object",
               "  Debug.Print oAddressEntry.Name & vbTab & oAddressEntry.Address & vbTab & "
               "oAddressEntry.Type",
               "Next",
               "",
               "'empty all object references when done!",
               ""}));
    EXPECT_EQ(pab->entries->filter->log->calls,
              (QStringList{"Name=Smith(8)", "Address=ann@example.com(8)"}));
    EXPECT_EQ(f.d.texts(), QStringList{"Name:  Ann Smith\tAddress:  ann@example.com\tType:  SMTP\n"
                                       "Name:  Smith List\tAddress:  \tType:  MAPIPDL"});

    // Nothing passes: the kind word is "addresses".
    f.d.boxes.clear();
    pab->entries->items.clear();
    f.p.add(QStringLiteral("Name"), QStringLiteral("Nobody"));
    f.p.filterButton->click();
    EXPECT_EQ(f.d.texts(), QStringList{"No matching addresses were found."});

    // Cancel in the chooser: nothing appended, rows kept.
    f.p.add(QStringLiteral("Name"), QStringLiteral("Nobody"));
    f.p.code.clear();
    f.d.boxes.clear();
    ui::setBusyPointer();
    f.d.onDialog = [](QDialog* dlg) {
        dlg->findChild<QPushButton*>(QStringLiteral("ActionButton(1)"))->click();
    };
    f.p.filterButton->click();
    EXPECT_EQ(f.p.code, QString());
    EXPECT_EQ(f.p.list->count(), 1);
    EXPECT_TRUE(f.d.boxes.empty());
    EXPECT_TRUE(ui::isBusyPointer()) << "a cancelled run leaves the pointer alone";
    ui::setNormalPointer();

    // A name the session cannot resolve.
    f.d.onDialog = [](QDialog* dlg) {
        dlg->findChild<QListWidget*>(QStringLiteral("AddressList"))->setCurrentRow(0);
        dlg->findChild<QPushButton*>(QStringLiteral("ActionButton(0)"))->click();
    };
    gal->entries->enumerateError = mapi::code::NoSupport;
    f.p.filterButton->click();
    ASSERT_EQ(f.d.boxes.size(), 2u);
    EXPECT_EQ(f.d.boxes[0].text,
              QStringLiteral("The Global Address List may not return all matches in the list."));
    EXPECT_TRUE(f.d.boxes[1].text.startsWith(
        QStringLiteral("An error has occured.  Error #-2147221246 - ")));
    EXPECT_EQ(f.p.list->count(), 1);
}
