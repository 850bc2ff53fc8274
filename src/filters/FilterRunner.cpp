#include "filters/FilterRunner.h"

#include <QAbstractButton>
#include <QStringList>

#include "codegen/CodeBuilder.h"
#include "messaging/ResumeNext.h"
#include "messaging/VbConvert.h"
#include "shell/AddrListForm.h"
#include "shell/Context.h"
#include "shell/TreeNodes.h"
#include "ui/Dialogs.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

namespace filters {

namespace {

QString cellOf(const QStringList& row, int column) {
    return column < row.size() ? row[column] : QString();
}

}  // namespace

FilterRunner::FilterRunner(shell::Context host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {
    filterList_ = host_.control<ui::ListView>(QStringLiteral("FilterList"));
    clearCriteriaCheck_ = host_.control<QAbstractButton>(QStringLiteral("ClearCriteriaCheck"));
    notCheck_ = host_.control<QAbstractButton>(QStringLiteral("NotCheck"));
    andOption_ = host_.control<QAbstractButton>(QStringLiteral("AndOrOption(0)"));
    messagesOption_ = host_.control<QAbstractButton>(QStringLiteral("FilterOption(0)"));
    connect(host_.control<QAbstractButton>(QStringLiteral("FilterButton")),
            &QAbstractButton::clicked, this, [this] { FilterButton_Click(); });
}

FilterRunner::~FilterRunner() = default;

AddrListForm& FilterRunner::chooser() {
    if (!chooser_) chooser_ = new AddrListForm(host_.window()->window());
    return *chooser_;
}

void FilterRunner::append(const codegen::Code& code) {
    host_.AppendCode(code);
}

void FilterRunner::ApplyCriterion(const QStringList& row, const mapi::Ref<mapi::Filter>& filter) {
    // Each statement on its own: a member that cannot be set or a value that
    // does not convert is skipped, and its line is still written.
    const QString criterion = cellOf(row, 0);
    const QString type = cellOf(row, 1);
    const QString value = cellOf(row, 2);
    codegen::Code c = host_.newCode();

    if (criterion == QLatin1String("Fields")) {
        const QString field = cellOf(row, 3);
        struct FieldType {
            const char* name;
            std::int16_t number;
            const char16_t* line;
        };
        static const FieldType kTypes[] = {
            {"vbBoolean", 11,
             u"Set {FilterFields} = {Filter}.Fields.Add(\"%1\", 11, CBool(\"%2\"))"},
            {"vbCurrency", 6, u"Set {FilterFields} = {Filter}.Fields.Add(\"%1\", 6, CCur(\"%2\"))"},
            {"vbDate", 7, u"Set {FilterFields} = {Filter}.Fields.Add(\"%1\", 7, CDate(\"%2\"))"},
            {"vbDouble", 5, u"Set {FilterFields} = {Filter}.Fields.Add(\"%1\", 5, CDbl(\"%2\"))"},
            {"vbInteger", 2, u"Set {FilterFields} = {Filter}.Fields.Add(\"%1\", 2, CInt(\"%2\"))"},
            {"vbLong", 3, u"Set {FilterFields} = {Filter}.Fields.Add(\"%1\", 3, CLng(\"%2\"))"},
            {"vbSingle", 4, u"Set {FilterFields} = {Filter}.Fields.Add(\"%1\", 4, CSng(\"%2\"))"},
            {"vbString", 8, u"Set {FilterFields} = {Filter}.Fields.Add(\"%1\", 8, \"%2\")"},
        };
        for (const FieldType& t : kTypes) {
            if (type != QLatin1String(t.name)) continue;
            mapi::resumeNext([&] {
                mapi::Variant converted;
                switch (t.number) {
                    case 11:
                        converted = vb::toBoolean(value);
                        break;
                    case 6:
                        converted = vb::toCurrency(value);
                        break;
                    case 7:
                        converted = vb::toDate(value);
                        break;
                    case 5:
                        converted = vb::toDouble(value);
                        break;
                    case 2:
                        converted = mapi::Variant::integer(vb::toInteger(value));
                        break;
                    case 3:
                        converted = vb::toLong(value);
                        break;
                    case 4:
                        converted = vb::toSingle(value);
                        break;
                    default:
                        converted = value;
                        break;
                }
                filter->FieldsOf()->Add(mapi::Variant(field), t.number, converted);
            });
            append(c.line(t.line, {field, value}));
            return;
        }
        return;
    }

    enum class As { Text, Long, Boolean };
    struct Member {
        const char* criterion;
        const char* member;
        As as;
        const char16_t* line;
    };
    static const Member kMembers[] = {
        {"Importance", "Importance", As::Long, u"{Filter}.Importance = %1"},
        {"Recipients", "Recipients", As::Text, u"{Filter}.Recipients = \"%1\""},
        {"Sender", "Sender", As::Text, u"{Filter}.Sender = \"%1\""},
        {"Sent", "Sent", As::Boolean, u"{Filter}.Sent = %1"},
        {"Size", "Size", As::Long, u"{Filter}.Size = %1"},
        {"Subject", "Subject", As::Text, u"{Filter}.Subject = \"%1\""},
        {"Text", "Text", As::Text, u"{Filter}.Text = \"%1\""},
        {"Received At Or After", "TimeFirst", As::Text, u"{Filter}.TimeFirst = \"%1\""},
        {"Received On Or Before", "TimeLast", As::Text, u"{Filter}.TimeLast = \"%1\""},
        {"Type", "Type", As::Text, u"{Filter}.Type = \"%1\""},
        {"Unread", "Unread", As::Boolean, u"{Filter}.Unread = %1"},
        {"Name", "Name", As::Text, u"{Filter}.Name = \"%1\""},
        {"Address", "Address", As::Text, u"{Filter}.Address = \"%1\""},
    };
    for (const Member& m : kMembers) {
        if (criterion != QLatin1String(m.criterion)) continue;
        mapi::resumeNext([&] {
            mapi::Variant given;
            switch (m.as) {
                case As::Long:
                    given = vb::toLong(value);
                    break;
                case As::Boolean:
                    given = vb::toBoolean(value);
                    break;
                case As::Text:
                    given = value;
                    break;
            }
            filter->Set(QString::fromLatin1(m.member), given);
        });
        append(c.line(m.line, {value}));
        return;
    }
}

void FilterRunner::finish() {
    clearCriteriaCheck_->setVisible(true);
    ui::setNormalPointer();
}

// Address mode: the chooser picks the address list whose entries are filtered;
// false when the user cancelled it.
bool FilterRunner::openAddressFilter(Target& t) {
    t.kindWord = QStringLiteral("addresses");
    AddrListForm& form = chooser();
    form.oSession = host_.mod().session;
    form.exec();
    if (form.iAction == 1) return false;
    const QString listName = form.sAddrListName;

    mapi::Ref<mapi::AddressList> list = host_.mod().session->AddressListByName(listName);
    host_.AppendLines(
        uR"(
'get a reference to the AddressList object
'address objects are oAddressList, oAddressEntry and oAddressEntries; they should
'be DIM'd as Objects in your code
'oFilter is used as the Filter object; it needs to be DIM'd in your code
Set {AddressList} = {Session}.AddressLists("%1")

)",
        {listName});
    t.entries = list->AddressEntriesOf();
    host_.AppendLines(
        uR"(
'get a reference to the AddressEntries collection
Set {AddressEntries} = {AddressList}.AddressEntries

)");
    t.filter = t.entries->FilterOf();
    host_.AppendLines(
        uR"(
'get address filter object
Set {Filter} = {AddressEntries}.Filter

)");
    return true;
}

// Message mode: the folder of the selected tree node (or the folder above it);
// false, after telling the user, when a store or the root is selected.
bool FilterRunner::openMessageFilter(Target& t) {
    t.kindWord = QStringLiteral("messages");
    ui::TreeView& tree = *host_.tree();
    std::int32_t node = tree.selectedIndex();
    if (node == 0) mapi::raise(mapi::code::ObjectNotSet);  // no SelectedItem
    const int image = tree.image(node);
    if (image == shell::img::Root || image == shell::img::Store) {
        ui::msgBox(
            QStringLiteral("Messages are only found in folders.  Select a folder then try and look "
                           "for the message."),
            ui::Icon::Critical);
        return false;
    }
    while (tree.image(node) != shell::img::Folder) {
        node = tree.parent(node);
        if (node == 0) mapi::raise(mapi::code::ObjectNotSet);  // past the top of the tree
    }
    const QString storeId = shell::GetInfoStoreKey(tree, node);
    const QString folderId = tree.key(node);

    mapi::Ref<mapi::Folder> folder = host_.mod().session->GetFolder(folderId, storeId);
    host_.AppendLines(
        uR"(
'get a reference to the folder first, then it's message collection
'get the folder by FolderID and StoreID
Set {Folder} = {Session}.GetFolder("%1", "%2")

)",
        {folderId, storeId});
    t.messages = folder->MessagesOf();
    host_.AppendLines(
        uR"(
'get the messages collection of the folder
Set {Messages} = {Folder}.Messages

)");
    t.filter = t.messages->FilterOf();
    host_.AppendLines(
        uR"(
'get the messages filter for the messages collection
'oFilter is used as the Filter object; it needs to be DIM'd in your code
Set {Filter} = {Messages}.Filter

)");
    return true;
}

void FilterRunner::applyCriteria(const mapi::Ref<mapi::Filter>& filter) {
    bool hasFields = false;
    append(host_.newCode().line(u"'set filter criteria"));
    const int rows = filterList_->count();
    for (int i = 1; i <= rows; ++i) {
        const QStringList row = filterList_->row(i);
        if (cellOf(row, 0) == QLatin1String("Fields")) hasFields = true;
        ApplyCriterion(row, filter);
    }
    append(host_.newCode().blank());

    if (hasFields) {
        append(host_.newCode().line(u"'set the filter's NOT property"));
        const bool notChecked = notCheck_->isChecked();
        filter->SetNot(notChecked);
        append(host_.newCode()
                   .line(notChecked ? u"{Filter}.Not = True" : u"{Filter}.Not = False")
                   .blank());
        append(
            host_.newCode().line(u"'set the filter's OR property (everything is AND by default)"));
        const bool andChosen = andOption_->isChecked();
        filter->SetOr(!andChosen);
        append(host_.newCode()
                   .line(andChosen ? u"{Filter}.Or = False" : u"{Filter}.Or = True")
                   .blank());
    }
}

QString FilterRunner::listMessages(const mapi::Ref<mapi::Messages>& messages) {
    QString result;
    // Appended piece by piece from texts already in UTF-16: a line built
    // first, or a Latin-1 label converted, costs again for each of up to a
    // million rows.
    const QString received = QStringLiteral("Time Rec'd:  ");
    const QString from = QStringLiteral("\tFrom:  ");
    const QString subject = QStringLiteral("\tSubject:  ");
    messages->listLines([&](const mapi::MessageLine& m) {
        result += received;
        result += m.received;
        result += from;
        result += m.sender;
        result += subject;
        result += m.subject;
        result += QChar(u'\n');
    });
    host_.AppendLines(
        uR"(
'iterate through the filtered message collection
For Each {Message} In {Messages}
  'get information on each message
  Debug.Print {Message}.TimeReceived & vbTab & {Message}.Sender & vbTab & {Message}.Subject
Next

)");
    return result;
}

QString FilterRunner::listAddresses(const mapi::Ref<mapi::AddressEntries>& entries) {
    QString result;
    for (const mapi::Ref<mapi::AddressEntry>& e : *entries) {
        result += QStringLiteral("Name:  ") + e->Name() + QLatin1Char('\t') +
                  QStringLiteral("Address:  ") + e->Address() + QLatin1Char('\t') +
                  QStringLiteral("Type:  ") + e->Type() + QLatin1Char('\n');
    }
    host_.AppendLines(
        uR"(
'iterate through the filtered address collection
For Each {AddressEntry} In {AddressEntries}
  'get information on each AddressEntry object
  Debug.Print {AddressEntry}.Name & vbTab & {AddressEntry}.Address & vbTab & {AddressEntry}.Type
Next

)");
    return result;
}

void FilterRunner::FilterButton_Click() {
    try {
        if (host_.mod().session.isNothing()) {
            ui::msgBox(QStringLiteral("You must log in before you can filter for messages."),
                       ui::Icon::Critical);
            return;
        }
        if (filterList_->count() == 0) {
            ui::msgBox(QStringLiteral("You must add criteria before you can filter."),
                       ui::Icon::Critical);
            return;
        }

        const bool messageMode = messagesOption_->isChecked();
        Target t;
        if (!(messageMode ? openMessageFilter(t) : openAddressFilter(t))) return;

        ui::setBusyPointer();
        applyCriteria(t.filter);
        QString result = messageMode ? listMessages(t.messages) : listAddresses(t.entries);

        if (!result.isEmpty()) {
            result.chop(1);  // the last line's break
            ui::msgBoxWithDetails(result, kMaxResultLines, ui::Icon::Information);
        } else {
            ui::msgBox(QStringLiteral("No matching ") + t.kindWord + QStringLiteral(" were found."),
                       ui::Icon::Information);
        }

        t.filter.reset();
        t.messages.reset();
        t.entries.reset();
        append(host_.newCode().line(u"'empty all object references when done!").blank());

        if (clearCriteriaCheck_->isChecked()) filterList_->clearRows();
        finish();
    } catch (const mapi::Error& e) {
        ui::msgBox(QStringLiteral("An error has occured.  Error #") + QString::number(e.number()) +
                       QStringLiteral(" - ") + e.description() + QStringLiteral("."),
                   ui::Icon::Critical);
        finish();
    }
}

}  // namespace filters
