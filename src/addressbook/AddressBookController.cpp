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

void AddressBookController::appendLines(QStringView block, std::initializer_list<QString> args) {
    host_.appendCode(codegen::Code(host_.names()).lines(block, args).text());
}

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

    appendLines(
        uR"(
'all variables in this code section should be DIM'd as Object
'unless otherwise noted
'get the AddressEntries collection for the chosen AddressBook
Set {AddressEntries} = {Session}.AddressLists.Item("%1").AddressEntries

'get the filter object for the AddressEntries collection
Set {Filter} = {AddressEntries}.Filter

'add a new field to the filter
Set {FilterFields} = {Filter}.Fields.Add(973078558, "%2")

'look for a matching entry in the filtered collection
Set {AddressEntry} = {AddressEntries}.GetFirst

)",
        {listName, alias});

    if (entry.isNothing()) {
        ui::msgBox(QStringLiteral("Alias '") + alias + QStringLiteral("' was not found."),
                   ui::Icon::None, ui::Buttons::Ok);
        return;
    }

    appendLines(
        uR"(
'see if there is a matching entry
If Not {AddressEntry} Is Nothing Then
  Debug.Print {AddressEntry}.Name
Else
  'user alias not found
  Debug.Print "alias %1 not found"
  Exit Sub
End If

)",
        {alias});

    mapi::resumeNext([&] { entry->Details(); });

    appendLines(
        uR"(
'show address details
{AddressEntry}.Details

)");
    appendLines(
        uR"(
'{Counter}, {Counter}2, and {ReturnValue} should be DIM'd as Long
'{Details} MUST be DIM'd as a Variant
'iterate through all the fields for this AddressEntry
For {Counter} = 1 To {AddressEntry}.Fields.Count
  'get a reference to the current field
  Set {Fields} = {AddressEntry}.Fields({Counter})
  'assign the address value, which may be an array
  {Details} = {Fields}.Value

  'turn off error checking because if the return value isn't an array we
  'we don't want to stop
  On Error Resume Next
  {ReturnValue} = UBound({Details})
  If Err.Number = 0 Then
    'iterate through all the values for this field
    For {Counter}2 = 0 To UBound({Details})
      'show the values
      Debug.Print "Field ID:  " & {Fields}.ID & ";Field Array #" & {Counter}2 & ";Value:  " & {Details}({Counter}2)
    Next {Counter}2
  Else
    'it's an individual value
    Debug.Print "Field ID:  " & {Fields}.ID & ";Value  " & {Details}
  End If
Next {Counter}

'remember to empty object references when done!

)");
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
