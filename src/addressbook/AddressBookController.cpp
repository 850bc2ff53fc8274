#include "addressbook/AddressBookController.h"

#include <QAbstractButton>

#include "addressbook/AddAddrForm.h"
#include "codegen/CodeBuilder.h"
#include "messaging/ResumeNext.h"
#include "shell/AddrListForm.h"
#include "shell/Context.h"
#include "ui/Dialogs.h"

namespace addressbook {

namespace {

// PR_ACCOUNT: the alias of an address entry.
constexpr std::int32_t kAliasTag = 973078558;

}  // namespace

AddressBookController::AddressBookController(const shell::Context& shell)
    : AddressBookController(Host{
          [shell] { return shell.mod().session; },
          [shell]() -> const codegen::VarNames& { return shell.mod().names; },
          [shell](const QString& text) { shell.AppendCode(text); },
          shell.window(),
      }) {
    connect(shell.control<QAbstractButton>(QStringLiteral("AddDetailsButton")),
            &QAbstractButton::clicked, this, &AddressBookController::AddDetailsButton_Click);
    connect(shell.control<QAbstractButton>(QStringLiteral("AddAddrButton")),
            &QAbstractButton::clicked, this, &AddressBookController::AddAddrButton_Click);
}

AddressBookController::AddressBookController(Host host) : host_(std::move(host)) {}

bool AddressBookController::chooseAddressList(const mapi::Ref<mapi::Session>& session,
                                              QString& listName) {
    shell::AddrListForm chooser(host_.window);
    chooser.oSession = session;
    chooser.exec();
    if (chooser.iAction == 1) return false;
    listName = chooser.sAddrListName;
    return true;
}

void AddressBookController::AddDetailsButton_Click() {
    const mapi::Ref<mapi::Session> session = host_.session();
    if (session.isNothing()) {
        ui::msgBox(QStringLiteral("You must log in before you can get address details."),
                   ui::Icon::Critical);
        return;
    }

    const QString alias = ui::inputBox(QStringLiteral("Enter the email alias:"),
                                       QStringLiteral("Email Details By Alias"));
    if (alias.isEmpty()) return;

    QString listName;
    if (!chooseAddressList(session, listName)) return;

    // Every step below is passed over when it fails; a chain broken early
    // simply leaves the entry Nothing, which reads as "not found".
    mapi::Ref<mapi::AddressEntries> entries;
    mapi::Ref<mapi::Filter> filter;
    mapi::Ref<mapi::Field> filterField;
    mapi::Ref<mapi::AddressEntry> entry;
    {
        ui::BusyScope busy;
        mapi::resumeNext(
            [&] { entries = session->AddressListsOf()->ItemByName(listName)->AddressEntriesOf(); });
        mapi::resumeNext([&] { filter = entries->FilterOf(); });
        mapi::resumeNext([&] {
            filterField = filter->FieldsOf()->Add(mapi::Variant(kAliasTag), mapi::Variant(alias));
        });
        mapi::resumeNext([&] { entry = entries->GetFirst(); });
    }

    const codegen::VarNames& names = host_.names();
    {
        codegen::Code c(names);
        c.line(u"'all variables in this code section should be DIM'd as Object");
        c.line(u"'unless otherwise noted");
        c.line(u"'get the AddressEntries collection for the chosen AddressBook");
        c.line(u"Set {AddressEntries} = {Session}.AddressLists.Item(\"%1\").AddressEntries",
               {listName})
            .blank();
        c.line(u"'get the filter object for the AddressEntries collection");
        c.line(u"Set {Filter} = {AddressEntries}.Filter").blank();
        c.line(u"'add a new field to the filter");
        c.line(u"Set {FilterFields} = {Filter}.Fields.Add(973078558, \"%1\")", {alias}).blank();
        c.line(u"'look for a matching entry in the filtered collection");
        c.line(u"Set {AddressEntry} = {AddressEntries}.GetFirst").blank();
        host_.appendCode(c.text());
    }

    if (entry.isNothing()) {
        ui::msgBox(QStringLiteral("Alias '") + alias + QStringLiteral("' was not found."),
                   ui::Icon::None, ui::Buttons::Ok);
        return;
    }

    {
        codegen::Code c(names);
        c.line(u"'see if there is a matching entry");
        c.line(u"If Not {AddressEntry} Is Nothing Then");
        c.line(u"  Debug.Print {AddressEntry}.Name");
        c.line(u"Else");
        c.line(u"  'user alias not found");
        c.line(u"  Debug.Print \"alias %1 not found\"", {alias});
        c.line(u"  Exit Sub");
        c.line(u"End If").blank();
        host_.appendCode(c.text());
    }

    mapi::resumeNext([&] { entry->Details(); });

    {
        codegen::Code c(names);
        c.line(u"'show address details");
        c.line(u"{AddressEntry}.Details").blank();
        host_.appendCode(c.text());
    }
    {
        codegen::Code c(names);
        c.line(u"'{Counter}, {Counter}2, and {ReturnValue} should be DIM'd as Long");
        c.line(u"'{Details} MUST be DIM'd as a Variant");
        c.line(u"'iterate through all the fields for this AddressEntry");
        c.line(u"For {Counter} = 1 To {AddressEntry}.Fields.Count");
        c.line(u"  'get a reference to the current field");
        c.line(u"  Set {Fields} = {AddressEntry}.Fields({Counter})");
        c.line(u"  'assign the address value, which may be an array");
        c.line(u"  {Details} = {Fields}.Value").blank();
        c.line(u"  'turn off error checking because if the return value isn't an array we");
        c.line(u"  'we don't want to stop");
        c.line(u"  On Error Resume Next");
        c.line(u"  {ReturnValue} = UBound({Details})");
        c.line(u"  If Err.Number = 0 Then");
        c.line(u"    'iterate through all the values for this field");
        c.line(u"    For {Counter}2 = 0 To UBound({Details})");
        c.line(u"      'show the values");
        c.line(
            u"      Debug.Print \"Field ID:  \" & {Fields}.ID & \";Field Array #\" & {Counter}2 & "
            u"\";Value:  \" & {Details}({Counter}2)");
        c.line(u"    Next {Counter}2");
        c.line(u"  Else");
        c.line(u"    'it's an individual value");
        c.line(u"    Debug.Print \"Field ID:  \" & {Fields}.ID & \";Value  \" & {Details}");
        c.line(u"  End If");
        c.line(u"Next {Counter}").blank();
        c.line(u"'remember to empty object references when done!").blank();
        host_.appendCode(c.text());
    }
    // The references go when they leave scope.
}

void AddressBookController::AddAddrButton_Click() {
    const mapi::Ref<mapi::Session> session = host_.session();
    if (session.isNothing()) {
        ui::msgBox(
            QStringLiteral("You must log in before you can add to the Personal Address Book."),
            ui::Icon::Critical);
        return;
    }
    AddAddrForm form(host_.names(), host_.appendCode, host_.window);
    form.oFormSession = session;
    form.exec();
}

}  // namespace addressbook
