#include "libdialogs/AddressBookDialog.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

#include "libdialogs/Lenient.h"
#include "libdialogs/OkCancelRow.h"
#include "libdialogs/WidgetDialogs.h"
#include "messaging/Error.h"
#include "ui/Dialogs.h"

namespace libdialogs {

namespace {

constexpr std::int32_t kAccountTag = 0x3A00001E;

const char* const kButtonNames[3] = {"ToButton", "CcButton", "BccButton"};
const char* const kListNames[3] = {"ToList", "CcList", "BccList"};

store::ChosenRecipient fromEntry(const mapi::Ref<mapi::AddressEntry>& e, int type) {
    store::ChosenRecipient r;
    r.type = type;
    r.name = readOr([&] { return e->Name(); }, QString());
    r.address = readOr([&] { return e->Address(); }, QString());
    r.addressType = readOr([&] { return e->Type(); }, QString());
    r.displayType = readOr([&] { return e->DisplayType(); }, 0);
    r.entryId = readOr([&] { return e->ID(); }, QString());
    return r;
}

QString aliasOf(const mapi::Ref<mapi::AddressEntry>& e) {
    return readOr([&] { return e->FieldsOf()->ItemByTag(kAccountTag)->Value().toText(); },
                  QString());
}

// Whether two recipients are the same person, so that choosing one again moves
// it instead of listing it twice.
bool sameRecipient(const store::ChosenRecipient& a, const store::ChosenRecipient& b) {
    if (!a.entryId.isEmpty() && !b.entryId.isEmpty()) return a.entryId == b.entryId;
    if (a.name.compare(b.name, Qt::CaseInsensitive) != 0) return false;
    return a.address.compare(b.address, Qt::CaseInsensitive) == 0;
}

bool isResolved(const store::ChosenRecipient& r) {
    return !r.entryId.isEmpty() || !r.address.isEmpty();
}

}  // namespace

AddressBookDialog::AddressBookDialog(mapi::Session& session, const mapi::AddressBookArgs& args,
                                     QWidget* parent)
    : QDialog(parent), session_(session) {
    recipLists_ = args.recipLists.value_or(1);
    if (recipLists_ < 1 || recipLists_ > 3) mapi::raise(mapi::code::InvalidParameter);
    oneAddress_ = args.oneAddress.value_or(false);
    forceResolution_ = args.forceResolution.value_or(false);

    setObjectName(QStringLiteral("AddressBookDialog"));
    setWindowTitle(args.title.value_or(QStringLiteral("Address Book")));
    setWindowModality(Qt::ApplicationModal);

    auto* listLabel = new QLabel(QStringLiteral("Show Names from the:"), this);
    listCombo_ = new QComboBox(this);
    listCombo_->setObjectName(QStringLiteral("AddressListCombo"));
    listLabel->setBuddy(listCombo_);

    auto* searchLabel = new QLabel(QStringLiteral("Type Name or Select from List:"), this);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("SearchText"));
    searchLabel->setBuddy(search_);
    connect(search_, &QLineEdit::textEdited, this, [this](const QString& t) { findName(t); });
    search_->installEventFilter(this);

    entryList_ = new QListWidget(this);
    entryList_->setObjectName(QStringLiteral("EntryList"));
    // Uniform rows keep lists of many thousands of names quick to show and scroll.
    entryList_->setUniformItemSizes(true);
    entryList_->setSelectionMode(oneAddress_ ? QAbstractItemView::SingleSelection
                                             : QAbstractItemView::ExtendedSelection);

    auto* left = new QVBoxLayout;
    left->addWidget(searchLabel);
    left->addWidget(search_);
    left->addWidget(listLabel);
    left->addWidget(listCombo_);
    left->addWidget(entryList_, 1);

    const QString labels[3] = {args.toLabel.value_or(QStringLiteral("To:")),
                               args.ccLabel.value_or(QStringLiteral("Cc:")),
                               args.bccLabel.value_or(QStringLiteral("Bcc:"))};
    auto* right = new QGridLayout;
    for (int i = 0; i < recipLists_; ++i) {
        auto* button = new QPushButton(labels[i], this);
        button->setObjectName(QString::fromLatin1(kButtonNames[i]));
        auto* list = new QListWidget(this);
        list->setObjectName(QString::fromLatin1(kListNames[i]));
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        recipWidgets_[i] = list;
        auto* del = new QShortcut(QKeySequence::Delete, list, nullptr, nullptr, Qt::WidgetShortcut);
        connect(del, &QShortcut::activated, this, [this] { removeSelected(); });
        right->addWidget(button, i, 0, Qt::AlignTop);
        right->addWidget(list, i, 1);
        const int type = i + 1;
        connect(button, &QPushButton::clicked, this, [this, type] { addSelected(type); });
    }

    removeButton_ = new QPushButton(QStringLiteral("Remove"), this);
    removeButton_->setObjectName(QStringLiteral("RemoveButton"));
    connect(removeButton_, &QPushButton::clicked, this, [this] { removeSelected(); });
    right->addWidget(removeButton_, recipLists_, 1, Qt::AlignLeft);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right, 1);

    QHBoxLayout* buttons = okCancelRow(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(560, 380);

    // Double-clicking a name puts it into the first list.
    connect(entryList_, &QListWidget::itemDoubleClicked, this, [this] { addSelected(1); });

    loadAddressLists();
    connect(listCombo_, &QComboBox::currentIndexChanged, this,
            [this](int index) { showAddressList(index); });
    if (!addressLists_.empty()) showAddressList(0);
    prefill(args.recipients);
}

void AddressBookDialog::loadAddressLists() {
    try {
        auto lists = session_.AddressListsOf();
        const std::int32_t count = lists->Count();
        for (std::int32_t i = 1; i <= count; ++i) {
            mapi::Ref<mapi::AddressList> list;
            if (!readItem(lists, i, list)) continue;
            addressLists_.push_back(list);
            listCombo_->addItem(readOr([&] { return list->Name(); }, QString()));
        }
    } catch (const std::exception&) {
        // No address lists to show: the dialog still works on the given recipients.
    }
}

void AddressBookDialog::showAddressList(int index) {
    entryList_->clear();
    entries_.clear();
    names_.clear();
    if (index < 0 || index >= static_cast<int>(addressLists_.size())) return;
    QStringList names;
    try {
        auto entries = addressLists_[static_cast<std::size_t>(index)]->AddressEntriesOf();
        for (const mapi::Ref<mapi::AddressEntry>& e : *entries) {
            entries_.push_back(e);
            names.append(readOr([&] { return e->Name(); }, QString()));
        }
    } catch (const std::exception&) {
        // Show what could be read before the failure.
    }
    entryList_->addItems(names);
    names_ = names;
    if (!names.isEmpty()) entryList_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    findName(search_->text());
}

// Selects the first name that begins with the typed text, so that a long list
// need not be scrolled by hand.
void AddressBookDialog::findName(const QString& start) {
    if (start.isEmpty()) return;
    for (int row = 0; row < names_.size(); ++row) {
        if (!names_[row].startsWith(start, Qt::CaseInsensitive)) continue;
        entryList_->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        entryList_->scrollToItem(entryList_->item(row), QAbstractItemView::PositionAtTop);
        return;
    }
}

void AddressBookDialog::prefill(const mapi::Ref<mapi::Recipients>& recipients) {
    if (recipients.isNothing()) return;
    std::int32_t count = 0;
    try {
        count = recipients->Count();
    } catch (const std::exception&) {
        return;
    }
    for (std::int32_t i = 1; i <= count; ++i) {
        mapi::Ref<mapi::Recipient> rec;
        if (!readItem(recipients, i, rec)) continue;
        store::ChosenRecipient r;
        r.type = readOr([&] { return rec->Type(); }, 0);
        if (r.type < 1 || r.type > 3) continue;
        r.name = readOr([&] { return rec->Name(); }, QString());
        r.address = readOr([&] { return rec->Address(); }, QString());
        r.displayType = readOr([&] { return rec->DisplayType(); }, 0);
        if (oneAddress_ && !chosen().empty()) break;
        completeFromLists(r);
        addRecipient(r);
    }
    for (int t = 1; t <= 3; ++t) refreshList(t);
}

// A recipient handed in carries no entry id or address type; take them from
// the address-book entry with the same address and name, so that choosing the
// same person again is recognised and the result keeps what the lists know.
void AddressBookDialog::completeFromLists(store::ChosenRecipient& r) {
    if (!r.entryId.isEmpty() || r.address.isEmpty()) return;
    for (const auto& list : addressLists_) {
        try {
            auto entries = list->AddressEntriesOf();
            entries->FilterOf()->Set(QStringLiteral("Address"), r.address);
            for (const mapi::Ref<mapi::AddressEntry>& e : *entries) {
                const store::ChosenRecipient m = fromEntry(e, r.type);
                if (m.address.compare(r.address, Qt::CaseInsensitive) != 0 ||
                    m.name.compare(r.name, Qt::CaseInsensitive) != 0)
                    continue;
                r.addressType = m.addressType;
                r.entryId = m.entryId;
                return;
            }
        } catch (const std::exception&) {
            // A list that cannot be searched is passed over.
        }
    }
}

void AddressBookDialog::addRecipient(const store::ChosenRecipient& r) {
    auto& target = recips_[static_cast<std::size_t>(r.type - 1)];
    for (const auto& existing : target)
        if (sameRecipient(existing, r)) return;  // already there: keep its place
    for (auto& list : recips_)
        std::erase_if(list, [&](const store::ChosenRecipient& x) { return sameRecipient(x, r); });
    target.push_back(r);
}

void AddressBookDialog::refreshList(int type) {
    QListWidget* w = recipWidgets_[static_cast<std::size_t>(type - 1)];
    if (!w) return;
    w->clear();
    for (const auto& r : recips_[static_cast<std::size_t>(type - 1)]) w->addItem(r.name);
}

void AddressBookDialog::addSelected(int type) {
    if (type < 1 || type > recipLists_) return;
    std::vector<int> rows;
    for (const QModelIndex& index : entryList_->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty()) return;
    if (oneAddress_) {
        rows.erase(rows.begin() + 1, rows.end());
        for (auto& list : recips_) list.clear();
    }
    for (int row : rows) {
        if (row < 0 || row >= static_cast<int>(entries_.size())) continue;
        addRecipient(fromEntry(entries_[static_cast<std::size_t>(row)], type));
    }
    for (int t = 1; t <= 3; ++t) refreshList(t);
}

void AddressBookDialog::removeSelected() {
    for (int t = 1; t <= recipLists_; ++t) {
        QListWidget* w = recipWidgets_[static_cast<std::size_t>(t - 1)];
        auto& list = recips_[static_cast<std::size_t>(t - 1)];
        std::vector<int> rows;
        for (const QModelIndex& index : w->selectionModel()->selectedRows())
            rows.push_back(index.row());
        std::sort(rows.rbegin(), rows.rend());
        for (int row : rows)
            if (row >= 0 && row < static_cast<int>(list.size())) list.erase(list.begin() + row);
        refreshList(t);
    }
}

std::vector<store::ChosenRecipient> AddressBookDialog::chosen() const {
    std::vector<store::ChosenRecipient> out;
    for (const auto& list : recips_) out.insert(out.end(), list.begin(), list.end());
    return out;
}

// Resolves the names that came in unresolved against every address list, by
// display name or alias (exact, ignoring case). A name that matches no entry or
// several keeps the dialog open with a message, so the user can remove it.
bool AddressBookDialog::resolveAll() {
    for (auto& list : recips_) {
        for (auto& r : list) {
            if (isResolved(r)) continue;
            std::vector<store::ChosenRecipient> matches;
            for (const auto& addressList : addressLists_) {
                try {
                    auto entries = addressList->AddressEntriesOf();
                    for (const mapi::Ref<mapi::AddressEntry>& e : *entries) {
                        const QString name = readOr([&] { return e->Name(); }, QString());
                        if (name.compare(r.name, Qt::CaseInsensitive) != 0 &&
                            aliasOf(e).compare(r.name, Qt::CaseInsensitive) != 0)
                            continue;
                        store::ChosenRecipient m = fromEntry(e, r.type);
                        bool seen = false;
                        for (const auto& x : matches) seen = seen || sameRecipient(x, m);
                        if (!seen) matches.push_back(m);
                    }
                } catch (const std::exception&) {
                    // A list that cannot be read contributes no matches.
                }
            }
            if (matches.size() == 1) {
                r = matches.front();
                continue;
            }
            const QString text =
                matches.empty() ? QStringLiteral(
                                      "The name \"%1\" does not match any entry in the address "
                                      "book. Remove it or choose an entry from the list.")
                                      .arg(r.name)
                                : QStringLiteral(
                                      "The name \"%1\" matches more than one entry in the address "
                                      "book. Remove it or choose an entry from the list.")
                                      .arg(r.name);
            for (int t = 1; t <= 3; ++t) refreshList(t);
            ui::msgBox(text, ui::Icon::Critical, ui::Buttons::Ok, windowTitle());
            return false;
        }
    }
    for (int t = 1; t <= 3; ++t) refreshList(t);
    return true;
}

// Return in the type-ahead box puts the found name into the first list instead
// of closing the dialog through its default button.
bool AddressBookDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == search_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            addSelected(1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AddressBookDialog::accept() {
    if (forceResolution_ && !resolveAll()) return;
    QDialog::accept();
}

std::vector<store::ChosenRecipient> showAddressBook(mapi::Session& session,
                                                    const mapi::AddressBookArgs& args) {
    AddressBookDialog dialog(session, args, ui::dialogParent());
    // Closing by the frame or Escape rejects, which is a cancel like the button.
    if (dialog.exec() != QDialog::Accepted) mapi::raise(mapi::code::UserCancel);
    return dialog.chosen();
}

}  // namespace libdialogs
