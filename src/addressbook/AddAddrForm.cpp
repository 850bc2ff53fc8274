#include "addressbook/AddAddrForm.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>
#include <vector>

#include "codegen/CodeBuilder.h"
#include "messaging/ResumeNext.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"
#include "ui/FormWidgets.h"
#include "ui/ListView.h"

namespace addressbook {

namespace {

constexpr std::int32_t kSendRichInfoTag = 977272843;  // PR_SEND_RICH_INFO
constexpr std::int32_t kCommentTag = 805568542;       // PR_COMMENT

const QString kPabName = QStringLiteral("Personal Address Book");

const QString kIntro = QStringLiteral(
    "Use this to add addresses to a Personal Address Book (PAB).  If you don't have a PAB in "
    "this profile, you won't be able to add entries.  You can add entries to other address "
    "books like the Global Address List (GAL), but only if you have proper permission.  "
    "Pellmoor only generates code for the PAB, but you can modify it by substituting the name "
    "of the address list object you want to use.  Also, this code only add's Internet addresses "
    "(SMTP); to add different kinds of addresses you need to code for the address format "
    "specific to that mail provider.");

// Fields(tag) = value: a property the entry does not have yet is added.
void setField(const mapi::Ref<mapi::AddressEntry>& entry, std::int32_t tag,
              const mapi::Variant& value) {
    const mapi::Ref<mapi::Fields> fields = entry->FieldsOf();
    mapi::Ref<mapi::Field> field;
    try {
        field = fields->ItemByTag(tag);
    } catch (const mapi::Error& e) {
        if (e.number() != mapi::code::NotFound) throw;
        fields->Add(mapi::Variant(tag), value);
        return;
    }
    field->SetValue(value);
}

QLabel* makeLabel(const QString& name, const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = ui::named<QLabel>(name, text, parent);
    l->setBuddy(buddy);
    return l;
}

}  // namespace

void SelectOnFocusLineEdit::focusInEvent(QFocusEvent* event) {
    // The caret as the user left it; the base class may move it.
    const int caret = cursorPosition();
    QLineEdit::focusInEvent(event);
    const int length = static_cast<int>(text().size());
    if (length == 0) return;
    setSelection(caret, length - caret);
}

void KeepCaretLineEdit::focusInEvent(QFocusEvent* event) {
    const int caret = cursorPosition();
    QLineEdit::focusInEvent(event);
    deselect();
    setCursorPosition(caret);
}

AddAddrForm::AddAddrForm(const codegen::VarNames& names, AppendCode appendCode, QWidget* parent)
    : QDialog(parent), names_(names), appendCode_(std::move(appendCode)) {
    setObjectName(QStringLiteral("AddAddrForm"));
    setWindowTitle(QStringLiteral("Add Addresses"));
    setModal(true);

    auto* intro = ui::named<QLabel>(QStringLiteral("Label1"), kIntro, this);
    intro->setWordWrap(true);

    nameText_ = ui::named<SelectOnFocusLineEdit>(QStringLiteral("NameText"), this);
    addrText_ = ui::named<SelectOnFocusLineEdit>(QStringLiteral("AddrText"), this);
    noteText_ = ui::named<SelectOnFocusLineEdit>(QStringLiteral("NoteText"), this);
    addListButton_ =
        ui::formButton(QStringLiteral("AddListButton"), QStringLiteral("Add to List"), this);
    clearListButton_ =
        ui::formButton(QStringLiteral("ClearListButton"), QStringLiteral("Clear List"), this);

    addrList_ = ui::named<ui::ListView>(
        QStringLiteral("AddrList"),
        QStringList{QStringLiteral("Name"), QStringLiteral("Address"), QStringLiteral("Notes")},
        this);
    // Reached by the mouse only; the keyboard goes from box to button.
    addrList_->setFocusPolicy(Qt::ClickFocus);

    pdlText_ = ui::named<KeepCaretLineEdit>(QStringLiteral("PDLText"), this);
    dlNoteText_ = ui::named<KeepCaretLineEdit>(QStringLiteral("DLNoteText"), this);
    addButton_ = ui::formButton(QStringLiteral("AddButton"), QStringLiteral("Add to PAB"), this);
    closeButton_ = ui::formButton(QStringLiteral("CloseButton"), QStringLiteral("Close"), this);

    auto* entryGrid = new QGridLayout;
    entryGrid->addWidget(
        makeLabel(QStringLiteral("Label2"), QStringLiteral("Name:"), nameText_, this), 0, 0);
    entryGrid->addWidget(nameText_, 0, 1);
    entryGrid->addWidget(
        makeLabel(QStringLiteral("Label3"), QStringLiteral("Address:"), addrText_, this), 1, 0);
    entryGrid->addWidget(addrText_, 1, 1);
    entryGrid->addWidget(
        makeLabel(QStringLiteral("Label4"), QStringLiteral("Notes:"), noteText_, this), 2, 0);
    entryGrid->addWidget(noteText_, 2, 1);

    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(addListButton_);
    listButtons->addWidget(clearListButton_);
    listButtons->addStretch();

    auto* dlGrid = new QGridLayout;
    dlGrid->addWidget(makeLabel(QStringLiteral("Label5"),
                                QStringLiteral("Personal Distribution List Name:"), pdlText_, this),
                      0, 0);
    dlGrid->addWidget(pdlText_, 0, 1);
    dlGrid->addWidget(makeLabel(QStringLiteral("Label6"), QStringLiteral("Distribtion List Notes:"),
                                dlNoteText_, this),
                      1, 0);
    dlGrid->addWidget(dlNoteText_, 1, 1);

    auto* bottom = ui::buttonRow({addButton_, closeButton_});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(entryGrid);
    layout->addLayout(listButtons);
    layout->addWidget(addrList_, 1);
    layout->addLayout(dlGrid);
    layout->addLayout(bottom);
    resize(520, 480);

    setTabOrder(nameText_, addrText_);
    setTabOrder(addrText_, noteText_);
    setTabOrder(noteText_, addListButton_);
    setTabOrder(addListButton_, clearListButton_);
    setTabOrder(clearListButton_, pdlText_);
    setTabOrder(pdlText_, dlNoteText_);
    setTabOrder(dlNoteText_, addButton_);
    setTabOrder(addButton_, closeButton_);

    connect(addListButton_, &QPushButton::clicked, this, &AddAddrForm::AddListButton_Click);
    connect(clearListButton_, &QPushButton::clicked, this, &AddAddrForm::ClearListButton_Click);
    connect(closeButton_, &QPushButton::clicked, this, &AddAddrForm::CloseButton_Click);
    connect(addButton_, &QPushButton::clicked, this, &AddAddrForm::AddButton_Click);
}

AddAddrForm::~AddAddrForm() = default;

bool AddAddrForm::formLoad() {
    if (oFormSession.isNothing()) {
        ui::msgBox(
            QStringLiteral("There is an error getting the MAPI session.  Unable to continue."),
            ui::Icon::Critical);
        return false;
    }
    bPabFound = false;
    return true;
}

int AddAddrForm::exec() {
    if (!formLoad()) return QDialog::Rejected;
    return QDialog::exec();
}

void AddAddrForm::AddListButton_Click() {
    if (nameText_->text().isEmpty()) {
        ui::msgBox(QStringLiteral("You must provide a name."), ui::Icon::Critical);
        nameText_->setFocus();
        return;
    }
    if (addrText_->text().isEmpty()) {
        ui::msgBox(QStringLiteral("You must provide an address."), ui::Icon::Critical);
        addrText_->setFocus();
        return;
    }
    addrList_->addRow({nameText_->text(), addrText_->text(), noteText_->text()});
}

void AddAddrForm::ClearListButton_Click() {
    addrList_->clearRows();
}

void AddAddrForm::CloseButton_Click() {
    reject();
}

bool AddAddrForm::FindPab() {
    const mapi::Ref<mapi::AddressLists> lists = oFormSession->AddressListsOf();
    // The second line ends in a space, written as a string so that it shows.
    codegen::Code c(names_);
    c.line(u"'get the AddressLists collection from the Session object");
    c.line(u"'these routines use address entry objects:  oAddressLists, oAddressList, ");
    c.lines(
        uR"(
'oAddressEntries, oAddressEntry and oMember.  Make sure you DIM them as Objects in your code
Set oAddressLists = {Session}.AddressLists

)");
    appendCode_(c.text());
    // Full-width count: a profile may hold more lists than a 16-bit counter reaches.
    const std::int32_t count = lists->Count();
    for (std::int32_t i = 1; i <= count; ++i) {
        if (lists->Item(i)->Name() != kPabName) continue;
        oPabList = lists->Item(i);
        appendLines(
            uR"(
'get a reference to the PAB (here's where you could substitute
'a different address book provider; however, an error occurs
'if you don't have permissions to add entries to the address book
Set oAddressList = oAddressLists("Personal Address Book")

'get the AddressEntries collection for this address list
Set oAddressEntries = oAddressList.AddressEntries

)");
        return true;
    }
    return false;
}

void AddAddrForm::appendLines(QStringView block, std::initializer_list<QString> args) {
    appendCode_(codegen::Code(names_).lines(block, args).text());
}

void AddAddrForm::appendSmtpEntry(const QString& var, const QString& collection,
                                  const QString& name, const QString& address) {
    appendLines(
        uR"(
Set %1 = %2.Add("SMTP", "%3")
%1.Address = "%4"
'turn off the flag to send messages to this person in Exchange RTF format
%1.Fields(977272843) = False
%1.Update
)",
        {var, collection, name, address});
}

void AddAddrForm::UpdateNotes(const QString& sNotes, const mapi::Ref<mapi::AddressEntry>& oEntry,
                              const QString& sVarName) {
    if (sNotes.isEmpty()) return;
    mapi::resumeNext([&] { setField(oEntry, kCommentTag, mapi::Variant(sNotes)); });
    mapi::resumeNext([&] { oEntry->Update(); });
    appendLines(
        uR"(
'update the Notes field
%1.Fields(805568542) = "%2"
%1.Update

)",
        {sVarName, sNotes});
}

mapi::Ref<mapi::AddressEntry> AddAddrForm::addDistributionList(
    const mapi::Ref<mapi::AddressEntries>& entries, Created& created) {
    const QString listName = pdlText_->text();
    const mapi::Ref<mapi::AddressEntry> list = entries->Add(QStringLiteral("MAPIPDL"), listName);
    created.push_back(list);
    appendLines(
        uR"(
'add a new distribution list entry
Set oAddressEntry = oAddressEntries.Add("MAPIPDL", "%1")

'now add individual entries to the distribution list
)",
        {listName});
    UpdateNotes(dlNoteText_->text(), list, QStringLiteral("oAddressEntry"));
    for (int r = 1; r <= addrList_->count(); ++r) {
        const QString name = addrList_->cell(r, 0);
        const QString address = addrList_->cell(r, 1);
        const mapi::Ref<mapi::AddressEntry> member =
            list->Members()->Add(QStringLiteral("SMTP"), name);
        created.push_back(member);
        member->SetAddress(address);
        setField(member, kSendRichInfoTag, mapi::Variant(false));
        member->Update();
        appendSmtpEntry(QStringLiteral("oMember"), QStringLiteral("oAddressEntry.Members"), name,
                        address);
        UpdateNotes(addrList_->cell(r, 2), member, QStringLiteral("oMember"));
    }
    return list;
}

mapi::Ref<mapi::AddressEntry> AddAddrForm::addSingleEntry(
    const mapi::Ref<mapi::AddressEntries>& entries, Created& created) {
    const QString name = addrList_->cell(1, 0);
    const QString address = addrList_->cell(1, 1);
    const mapi::Ref<mapi::AddressEntry> entry = entries->Add(QStringLiteral("SMTP"), name);
    created.push_back(entry);
    setField(entry, kSendRichInfoTag, mapi::Variant(false));
    entry->SetAddress(address);
    appendSmtpEntry(QStringLiteral("oAddressEntry"), QStringLiteral("oAddressEntries"), name,
                    address);
    UpdateNotes(addrList_->cell(1, 2), entry, QStringLiteral("oAddressEntry"));
    return entry;
}

void AddAddrForm::AddButton_Click() {
    const int rows = addrList_->count();
    if (rows == 0) {
        ui::msgBox(QStringLiteral("You must add at least one address to the list."),
                   ui::Icon::Critical);
        return;
    }
    if (rows >= 2 && pdlText_->text().isEmpty()) {
        ui::msgBox(QStringLiteral("You have more than one address, which is a distribution "
                                  "list.  To add a ") +
                       QStringLiteral("distribution list you must provide a name."),
                   ui::Icon::Critical);
        pdlText_->setFocus();
        return;
    }

    // Everything this click creates, so that a failure part-way can take it
    // back: the rows stay for another try, which must not find a half-made
    // entry or list from this one.
    Created created;
    std::optional<mapi::Error> failure;
    bool noPab = false;
    {
        ui::BusyScope busy;
        try {
            if (!bPabFound) {
                noPab = !FindPab();
                bPabFound = !noPab;
            }
            if (!noPab) {
                // The entry or list with all its members, or nothing, whatever
                // stops the program part-way.
                const std::unique_ptr<mapi::WriteGroup> whole = oFormSession->BeginWriteGroup();
                const mapi::Ref<mapi::AddressEntries> entries = oPabList->AddressEntriesOf();
                const mapi::Ref<mapi::AddressEntry> top =
                    rows >= 2 ? addDistributionList(entries, created)
                              : addSingleEntry(entries, created);
                top->Update();
                whole->commit();
                appendLines(
                    uR"(

'run one more update for the entry and/or DL
oAddressEntry.Update

'clear out all object references when done!

)");
                addrList_->clearRows();
            }
        } catch (const mapi::Error& e) {
            failure = e;
            // Members first, then the list or entry that holds them.
            for (auto it = created.rbegin(); it != created.rend(); ++it)
                mapi::resumeNext([&] { (*it)->Delete(); });
        }
    }

    if (noPab) {
        ui::msgBox(QStringLiteral(
                       "There was no PAB found in this profile.  Please add one and try again."),
                   ui::Icon::Critical);
    } else if (failure) {
        ui::errorBox(*failure);
    }
}

}  // namespace addressbook
