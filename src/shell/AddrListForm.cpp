#include "shell/AddrListForm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/Dialogs.h"
#include "ui/FormWidgets.h"

namespace shell {

AddrListForm::AddrListForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AddrListForm"));
    setWindowTitle(QStringLiteral("Address Books"));
    setModal(true);

    auto* label = ui::named<QLabel>(
        QStringLiteral("Label1"),
        QStringLiteral("Select the address book on which you wish to apply the filter:"), this);
    label->setWordWrap(true);

    list_ = ui::named<QListWidget>(QStringLiteral("AddressList"), this);

    okButton_ = ui::formButton(QStringLiteral("ActionButton(0)"), QStringLiteral("OK"), this);
    cancelButton_ =
        ui::formButton(QStringLiteral("ActionButton(1)"), QStringLiteral("Cancel"), this);

    auto* buttons = ui::buttonRow({okButton_, cancelButton_});
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(list_);
    layout->addLayout(buttons);

    connect(okButton_, &QPushButton::clicked, this, [this] { ActionButton_Click(0); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { ActionButton_Click(1); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { ActionButton_Click(0); });
}

AddrListForm::~AddrListForm() = default;

void AddrListForm::FormActivate() {
    if (list_->count() > 0) return;
    bOffline_ = false;
    std::int32_t count = 0;
    mapi::Ref<mapi::AddressLists> lists;
    try {
        lists = oSession->AddressListsOf();
        count = lists->Count();
    } catch (const mapi::Error&) {
        return;
    }
    for (std::int32_t i = 1; i <= count; ++i) {
        // One unreadable address book must not hide the others.
        try {
            const QString name = lists->Item(i)->Name();
            list_->addItem(name);
            if (name.contains(QStringLiteral("Offline"), Qt::CaseSensitive)) bOffline_ = true;
        } catch (const mapi::Error&) {
        }
    }
}

void AddrListForm::ActionButton_Click(int index) {
    if (index == 1) {
        iAction = 1;
        sAddrListName.clear();
        closeWindow(QDialog::Rejected);
        return;
    }
    iAction = 0;
    QListWidgetItem* chosen = list_->currentRow() >= 0 ? list_->currentItem() : nullptr;
    if (!chosen || !chosen->isSelected()) {
        ui::msgBox(QStringLiteral("You must select an address book."), ui::Icon::Critical);
        return;
    }
    const QString name = chosen->text();
    if (!bOffline_) {
        if (!name.contains(QStringLiteral("Contacts"), Qt::CaseSensitive) &&
            !name.contains(QStringLiteral("Personal Address"), Qt::CaseSensitive)) {
            ui::msgBox(
                QStringLiteral("The Global Address List may not return all matches in the list."),
                ui::Icon::Information);
        }
    } else if (!name.contains(QStringLiteral("Personal Address"), Qt::CaseSensitive)) {
        ui::msgBox(
            QStringLiteral("The ") + name +
                QStringLiteral(
                    " address book filter may not return correct results when working offline."),
            ui::Icon::Critical);
    }
    sAddrListName = name;
    closeWindow(QDialog::Accepted);
}

void AddrListForm::closeWindow(int result) {
    closingByButton_ = true;
    done(result);
    closingByButton_ = false;
}

void AddrListForm::done(int result) {
    // Esc and the frame's close button end up here too: both count as Cancel.
    if (!closingByButton_) {
        iAction = 1;
        sAddrListName.clear();
    }
    // Unloading the window forgets its list: the next showing reads the
    // address books afresh.
    list_->clear();
    bOffline_ = false;
    QDialog::done(result);
}

void AddrListForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormActivate();
}

void AddrListForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
}

}  // namespace shell
