#include "filters/FilterRunner.h"

#include <QAbstractButton>
#include <QStringList>

#include "app/MAPIMod.h"
#include "codegen/CodeBuilder.h"
#include "filters/AddrListForm.h"
#include "messaging/VbConvert.h"
#include "ui/Dialogs.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

namespace filters {

namespace {

constexpr int kImageFolder = 1;
constexpr int kImageStore = 3;
constexpr int kImageRoot = 9;

QString cellOf(const QStringList& row, int column) {
    return column < row.size() ? row[column] : QString();
}

// A part of a passing message that the message does not have is shown empty
// rather than ending the run.
bool isMissingPart(const mapi::Error& e) {
    return e.number() == mapi::code::NotFound || e.number() == mapi::code::ObjectNotSet ||
           e.number() == mapi::code::InvalidUseOfNull;
}

template <class F>
QString partOrEmpty(F&& read) {
    try {
        return read();
    } catch (const mapi::Error& e) {
        if (isMissingPart(e)) return QString();
        throw;
    }
}

}  // namespace

FilterRunner::FilterRunner(FilterHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {
    filterList_ = host_.control<ui::ListView>(QStringLiteral("FilterList"));
    connect(host_.control<QAbstractButton>(QStringLiteral("FilterButton")),
            &QAbstractButton::clicked, this, [this] { FilterButtonClick(); });
}

FilterRunner::~FilterRunner() = default;

AddrListForm& FilterRunner::chooser() {
    if (!chooser_) chooser_ = new AddrListForm(host_.controls->window());
    return *chooser_;
}

void FilterRunner::append(const codegen::Code& code) {
    host_.appendCode(code.text());
}

codegen::Code newCode(const FilterHost& host) {
    return codegen::Code(host.mod->names);
}

void FilterRunner::ApplyCriterion(const QStringList& row, const mapi::Ref<mapi::Filter>& filter) {
    // Each statement on its own: a member that cannot be set or a value that
    // does not convert is skipped, and its line is still written.
    auto attempt = [](auto&& statement) {
        try {
            statement();
        } catch (const mapi::Error&) {
        }
    };
    const QString criterion = cellOf(row, 0);
    const QString type = cellOf(row, 1);
    const QString value = cellOf(row, 2);
    codegen::Code c = newCode(host_);

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
            attempt([&] {
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
        attempt([&] {
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
    host_.control<QWidget>(QStringLiteral("ClearCriteriaCheck"))->setVisible(true);
    ui::setNormalPointer();
}

void FilterRunner::FilterButtonClick() {
    try {
        app::MAPIMod& mod = *host_.mod;
        if (mod.session.isNothing()) {
            ui::msgBox(QStringLiteral("You must log in before you can filter for messages."),
                       ui::Icon::Critical);
            return;
        }
        if (filterList_->count() == 0) {
            ui::msgBox(QStringLiteral("You must add criteria before you can filter."),
                       ui::Icon::Critical);
            return;
        }

        const bool messageMode =
            host_.control<QAbstractButton>(QStringLiteral("FilterOption(0)"))->isChecked();
        QString kindWord;
        mapi::Ref<mapi::Messages> messages;
        mapi::Ref<mapi::AddressEntries> entries;
        mapi::Ref<mapi::Filter> filter;

        if (!messageMode) {
            kindWord = QStringLiteral("addresses");
            AddrListForm& form = chooser();
            form.oSession = mod.session;
            form.exec();
            if (form.iAction == 1) return;
            const QString listName = form.sAddrListName;

            mapi::Ref<mapi::AddressList> list = mod.session->AddressListByName(listName);
            {
                codegen::Code c = newCode(host_);
                c.line(u"'get a reference to the AddressList object")
                    .line(
                        u"'address objects are oAddressList, oAddressEntry and oAddressEntries; "
                        u"they should")
                    .line(u"'be DIM'd as Objects in your code")
                    .line(
                        u"'oFilter is used as the Filter object; it needs to be DIM'd in your code")
                    .line(u"Set {AddressList} = {Session}.AddressLists(\"%1\")", {listName})
                    .blank();
                append(c);
            }
            entries = list->AddressEntriesOf();
            {
                codegen::Code c = newCode(host_);
                c.line(u"'get a reference to the AddressEntries collection")
                    .line(u"Set {AddressEntries} = {AddressList}.AddressEntries")
                    .blank();
                append(c);
            }
            filter = entries->FilterOf();
            {
                codegen::Code c = newCode(host_);
                c.line(u"'get address filter object")
                    .line(u"Set {Filter} = {AddressEntries}.Filter")
                    .blank();
                append(c);
            }
        } else {
            kindWord = QStringLiteral("messages");
            ui::TreeView& tree = *host_.tree;
            std::int32_t node = tree.selectedIndex();
            if (node == 0) mapi::raise(mapi::code::ObjectNotSet);  // no SelectedItem
            const int image = tree.image(node);
            if (image == kImageRoot || image == kImageStore) {
                ui::msgBox(
                    QStringLiteral(
                        "Messages are only found in folders.  Select a folder then try and look "
                        "for the message."),
                    ui::Icon::Critical);
                return;
            }
            while (tree.image(node) != kImageFolder) {
                node = tree.parent(node);
                if (node == 0) mapi::raise(mapi::code::ObjectNotSet);  // past the top of the tree
            }
            const QString storeId = host_.storeKeyOf(tree, node);
            const QString folderId = tree.key(node);

            mapi::Ref<mapi::Folder> folder = mod.session->GetFolder(folderId, storeId);
            {
                codegen::Code c = newCode(host_);
                c.line(u"'get a reference to the folder first, then it's message collection")
                    .line(u"'get the folder by FolderID and StoreID")
                    .line(u"Set {Folder} = {Session}.GetFolder(\"%1\", \"%2\")",
                          {folderId, storeId})
                    .blank();
                append(c);
            }
            messages = folder->MessagesOf();
            {
                codegen::Code c = newCode(host_);
                c.line(u"'get the messages collection of the folder")
                    .line(u"Set {Messages} = {Folder}.Messages")
                    .blank();
                append(c);
            }
            filter = messages->FilterOf();
            {
                codegen::Code c = newCode(host_);
                c.line(u"'get the messages filter for the messages collection")
                    .line(
                        u"'oFilter is used as the Filter object; it needs to be DIM'd in your code")
                    .line(u"Set {Filter} = {Messages}.Filter")
                    .blank();
                append(c);
            }
        }

        ui::setBusyPointer();
        bool hasFields = false;
        append(newCode(host_).line(u"'set filter criteria"));
        const int rows = filterList_->count();
        for (int i = 1; i <= rows; ++i) {
            const QStringList row = filterList_->row(i);
            if (cellOf(row, 0) == QLatin1String("Fields")) hasFields = true;
            ApplyCriterion(row, filter);
        }
        append(newCode(host_).blank());

        if (hasFields) {
            append(newCode(host_).line(u"'set the filter's NOT property"));
            const bool notChecked =
                host_.control<QAbstractButton>(QStringLiteral("NotCheck"))->isChecked();
            filter->SetNot(notChecked);
            append(newCode(host_)
                       .line(notChecked ? u"{Filter}.Not = True" : u"{Filter}.Not = False")
                       .blank());
            append(newCode(host_).line(
                u"'set the filter's OR property (everything is AND by default)"));
            const bool andChosen =
                host_.control<QAbstractButton>(QStringLiteral("AndOrOption(0)"))->isChecked();
            filter->SetOr(!andChosen);
            append(newCode(host_)
                       .line(andChosen ? u"{Filter}.Or = False" : u"{Filter}.Or = True")
                       .blank());
        }

        QString result;
        if (messageMode) {
            for (const mapi::Ref<mapi::Message>& m : *messages) {
                const QString received = partOrEmpty([&] { return m->TimeReceived().toText(); });
                const QString sender = partOrEmpty([&] { return m->Sender()->Name(); });
                const QString subject = partOrEmpty([&] { return m->Subject(); });
                result += QStringLiteral("Time Rec'd:  ") + received + QLatin1Char('\t') +
                          QStringLiteral("From:  ") + sender + QLatin1Char('\t') +
                          QStringLiteral("Subject:  ") + subject + QLatin1Char('\n');
            }
            codegen::Code c = newCode(host_);
            c.line(u"'iterate through the filtered message collection")
                .line(u"For Each {Message} In {Messages}")
                .line(u"  'get information on each message")
                .line(
                    u"  Debug.Print {Message}.TimeReceived & vbTab & {Message}.Sender & vbTab & "
                    u"{Message}.Subject")
                .line(u"Next")
                .blank();
            append(c);
        } else {
            for (const mapi::Ref<mapi::AddressEntry>& e : *entries) {
                result += QStringLiteral("Name:  ") + e->Name() + QLatin1Char('\t') +
                          QStringLiteral("Address:  ") + e->Address() + QLatin1Char('\t') +
                          QStringLiteral("Type:  ") + e->Type() + QLatin1Char('\n');
            }
            codegen::Code c = newCode(host_);
            c.line(u"'iterate through the filtered address collection")
                .line(u"For Each {AddressEntry} In {AddressEntries}")
                .line(u"  'get information on each AddressEntry object")
                .line(
                    u"  Debug.Print {AddressEntry}.Name & vbTab & {AddressEntry}.Address & vbTab & "
                    u"{AddressEntry}.Type")
                .line(u"Next")
                .blank();
            append(c);
        }

        if (!result.isEmpty()) {
            result.chop(1);  // the last line's break
            ui::msgBoxWithDetails(result, kMaxResultLines, ui::Icon::Information);
        } else {
            ui::msgBox(QStringLiteral("No matching ") + kindWord + QStringLiteral(" were found."),
                       ui::Icon::Information);
        }

        filter.reset();
        messages.reset();
        entries.reset();
        append(newCode(host_).line(u"'empty all object references when done!").blank());

        if (host_.control<QAbstractButton>(QStringLiteral("ClearCriteriaCheck"))->isChecked())
            filterList_->clearRows();
        finish();
    } catch (const mapi::Error& e) {
        ui::msgBox(QStringLiteral("An error has occured.  Error #") + QString::number(e.number()) +
                       QStringLiteral(" - ") + e.description() + QStringLiteral("."),
                   ui::Icon::Critical);
        finish();
    }
}

}  // namespace filters
