#include "compose/MsgForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "compose/ComposeCode.h"
#include "shell/AddressBookArgs.h"
#include "shell/MAPIMod.h"
#include "ui/Dialogs.h"
#include "ui/ErrorBox.h"
#include "ui/FormWidgets.h"

namespace compose {

namespace {

const QString kNote = QStringLiteral(
    "NOTE:  This will not actually send a message.  It will save the message in your Outbox, and "
    "you "
    "can send it from there if you choose.  This will, however, generate the code you need to send "
    "a "
    "message.");

void critical(const QString& text) {
    ui::msgBox(text, ui::Icon::Critical, ui::Buttons::Ok);
}

}  // namespace

MsgForm::MsgForm(shell::MAPIMod& mod, AppendFn appendCode, QWidget* parent)
    : QDialog(parent), mod_(mod), appendCode_(std::move(appendCode)) {
    setObjectName(QStringLiteral("MsgForm"));
    setWindowTitle(QStringLiteral("Send A Message"));
    setModal(false);
    setSizeGripEnabled(false);
    buildControls();
    resetControls();
}

MsgForm::~MsgForm() = default;

void MsgForm::buildControls() {
    auto* grid = new QGridLayout(this);

    grid->addWidget(ui::named<QLabel>(QStringLiteral("Label1"), QStringLiteral("Subject:"), this),
                    0, 0);
    subjectText_ = ui::named<QLineEdit>(QStringLiteral("SubjectText"), this);
    grid->addWidget(subjectText_, 0, 1, 1, 3);

    const QString recipLabels[3] = {QStringLiteral("TO:"), QStringLiteral("CC:"),
                                    QStringLiteral("BCC:")};
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(
            ui::named<QLabel>(QStringLiteral("Label%1").arg(i + 2), recipLabels[i], this), 1,
            i + 1);
        recipLists_[i] = new QListWidget(this);
        recipLists_[i]->setObjectName(QStringLiteral("RecipList(%1)").arg(i + 1));
        recipLists_[i]->setSelectionMode(QAbstractItemView::SingleSelection);
        recipLists_[i]->setMinimumHeight(70);
        grid->addWidget(recipLists_[i], 2, i + 1);
    }
    addressButton_ =
        ui::formButton(QStringLiteral("AddressButton"), QStringLiteral("Address..."), this);
    grid->addWidget(addressButton_, 2, 0, Qt::AlignTop);

    grid->addWidget(ui::named<QLabel>(QStringLiteral("Label5"), QStringLiteral("Text:"), this), 3,
                    0, Qt::AlignTop);
    msgText_ = ui::named<QPlainTextEdit>(QStringLiteral("MsgText"), this);
    msgText_->setTabChangesFocus(true);
    grid->addWidget(msgText_, 3, 1, 1, 3);

    grid->addWidget(
        ui::named<QLabel>(QStringLiteral("Label6"), QStringLiteral("Attachments:"), this), 4, 0,
        Qt::AlignTop);
    attachList_ = ui::named<QListWidget>(QStringLiteral("AttachList"), this);
    attachList_->setSelectionMode(QAbstractItemView::SingleSelection);
    attachList_->setMinimumHeight(60);
    grid->addWidget(attachList_, 4, 1, 1, 2);
    auto* attachButtons = new QVBoxLayout;
    attachButton_ = ui::formButton(QStringLiteral("AttachButton"), QStringLiteral("Add..."), this);
    removeButton_ = ui::formButton(QStringLiteral("RemoveButton"), QStringLiteral("Remove"), this);
    attachButtons->addWidget(attachButton_);
    attachButtons->addWidget(removeButton_);
    attachButtons->addStretch();
    grid->addLayout(attachButtons, 4, 3);

    importanceFrame_ = ui::named<QGroupBox>(QStringLiteral("ImportanceFrame"),
                                            QStringLiteral("Importance:"), this);
    auto* frameLayout = new QHBoxLayout(importanceFrame_);
    const QString importLabels[3] = {QStringLiteral("Low"), QStringLiteral("Normal"),
                                     QStringLiteral("High")};
    for (int i = 0; i < 3; ++i) {
        importOptions_[i] = new QRadioButton(importLabels[i], importanceFrame_);
        importOptions_[i]->setObjectName(QStringLiteral("ImportOption(%1)").arg(i));
        frameLayout->addWidget(importOptions_[i]);
    }
    grid->addWidget(importanceFrame_, 5, 0, 1, 2);

    auto* receipts = new QVBoxLayout;
    deliveryCheck_ = ui::named<QCheckBox>(QStringLiteral("DeliveryCheck"),
                                          QStringLiteral("Delivery Receipt"), this);
    readCheck_ =
        ui::named<QCheckBox>(QStringLiteral("ReadCheck"), QStringLiteral("Read Receipt"), this);
    receipts->addWidget(deliveryCheck_);
    receipts->addWidget(readCheck_);
    grid->addLayout(receipts, 5, 2);

    auto* actions = new QVBoxLayout;
    sendButton_ = ui::formButton(QStringLiteral("SendButton"), QStringLiteral("Send"), this);
    cancelButton_ = ui::formButton(QStringLiteral("CancelButton"), QStringLiteral("Cancel"), this);
    actions->addWidget(sendButton_);
    actions->addWidget(cancelButton_);
    grid->addLayout(actions, 5, 3);

    auto* note = ui::named<QLabel>(QStringLiteral("Label7"), kNote, this);
    note->setWordWrap(true);
    grid->addWidget(note, 6, 0, 1, 4);

    connect(addressButton_, &QPushButton::clicked, this, &MsgForm::AddressButton_Click);
    connect(attachButton_, &QPushButton::clicked, this, &MsgForm::AttachButton_Click);
    connect(removeButton_, &QPushButton::clicked, this, &MsgForm::RemoveButton_Click);
    connect(sendButton_, &QPushButton::clicked, this, &MsgForm::SendButton_Click);
    connect(cancelButton_, &QPushButton::clicked, this, &MsgForm::CancelButton_Click);
}

void MsgForm::resetControls() {
    subjectText_->clear();
    for (QListWidget* l : recipLists_) l->clear();
    msgText_->clear();
    attachList_->clear();
    importOptions_[1]->setChecked(true);
    deliveryCheck_->setChecked(false);
    readCheck_->setChecked(false);
}

QListWidget* MsgForm::recipList(int type) const {
    return type >= 1 && type <= 3 ? recipLists_[type - 1] : nullptr;
}

void MsgForm::loadForm() {
    // No control is touched: they hold their initial values already.
    oNewMsg_ = mod_.session->Outbox()->MessagesOf()->Add();
    loaded_ = true;
}

void MsgForm::unloadForm() {
    oNewMsg_.reset();
    oChosenRecips_.reset();
    loaded_ = false;
    resetControls();
    hide();
}

int MsgForm::importance() const {
    if (importOptions_[0]->isChecked()) return 0;
    if (importOptions_[1]->isChecked()) return 1;
    return 2;
}

QString MsgForm::bodyText() const {
    // The multi-line box keeps a typed line break as LF; the text it stands for
    // (and the generated code) has CR LF, as every other line break here.
    QString text = msgText_->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void MsgForm::AddressButton_Click() {
    // Every step is passed over when it fails; the code is written regardless.
    mapi::Ref<mapi::Recipients> chosen;
    try {
        chosen = mod_.session->AddressBook(
            shell::addressBookArgs(QStringLiteral("My Title"), 3, oChosenRecips_));
    } catch (const mapi::Error&) {
        chosen.reset();
    }

    if (chosen) {
        oChosenRecips_ = chosen;
        for (QListWidget* l : recipLists_) l->clear();
        std::int32_t count = 0;
        try {
            count = chosen->Count();
        } catch (const mapi::Error&) {
            count = 0;
        }
        for (std::int32_t i = 1; i <= count; ++i) {
            try {
                const mapi::Ref<mapi::Recipient> r = chosen->Item(i);
                if (QListWidget* list = recipList(r->Type())) list->addItem(r->Name());
            } catch (const mapi::Error&) {
                // the next recipient
            }
        }
    }

    if (appendCode_) appendCode_(addressBookCode(mod_.names));
}

void MsgForm::AttachButton_Click() {
    const std::optional<QString> file =
        ui::openFileName(QStringLiteral("Add Attachment"), QStringLiteral("All Files (*)"));
    if (file) attachList_->addItem(*file);
}

void MsgForm::RemoveButton_Click() {
    const QList<QListWidgetItem*> selected = attachList_->selectedItems();
    if (selected.isEmpty()) {
        critical(QStringLiteral("You must select an attachment to remove it."));
        return;
    }
    delete attachList_->takeItem(attachList_->row(selected.first()));
    // As after removing a list box line: nothing is selected afterwards.
    attachList_->clearSelection();
    attachList_->setCurrentRow(-1);
}

void MsgForm::CancelButton_Click() {
    unloadForm();
}

void MsgForm::reject() {
    cancelButton_->click();
}

void MsgForm::closeEvent(QCloseEvent* event) {
    if (loaded_ || isVisible()) unloadForm();
    event->accept();
}

void MsgForm::SendButton_Click() {
    if (recipLists_[0]->count() == 0 && recipLists_[1]->count() == 0 &&
        recipLists_[2]->count() == 0) {
        critical(
            QStringLiteral("You must select at least one recipient before sending a message."));
        return;
    }
    if (subjectText_->text().isEmpty()) {
        critical(QStringLiteral("You must type in a subject."));
        return;
    }
    if (msgText_->toPlainText().isEmpty()) {
        critical(QStringLiteral("You must type in the text of the message."));
        return;
    }

    const QString subject = subjectText_->text();
    const QString body = bodyText();

    ui::setBusyPointer();
    {
        mapi::Ref<mapi::Message> msg;
        mapi::Ref<mapi::Recipient> recip;
        mapi::Ref<mapi::Attachment> attach;
        try {
            msg = oNewMsg_;
            msg->SetSubject(subject);
            msg->SetText(body);
            msg->SetImportance(importance());
            if (deliveryCheck_->isChecked()) msg->SetDeliveryReceipt(true);
            if (readCheck_->isChecked()) msg->SetReadReceipt(true);

            const std::int32_t count = oChosenRecips_->Count();
            for (std::int32_t i = 1; i <= count; ++i) {
                const mapi::Ref<mapi::Recipient> chosen = oChosenRecips_->Item(i);
                const QString name = chosen->Name();
                recip = msg->RecipientsOf()->Add(name, chosen->Type());
                if (!recip) {
                    critical(QStringLiteral("Error adding recipient ") + name +
                             QStringLiteral(" to message."));
                    continue;
                }
                recip->Resolve();
            }

            for (int i = 0; i < attachList_->count(); ++i) {
                const QString path = attachList_->item(i)->text();
                attach = msg->AttachmentsOf()->Add();
                if (!attach) {
                    critical(QStringLiteral("Unable to create attachment ") + path +
                             QStringLiteral("."));
                    continue;
                }
                attach->SetType(1);
                attach->SetPosition(i);
                attach->SetName(path);
                attach->ReadFromFile(path);
            }

            // The last call: until it succeeds nothing of the message is stored.
            msg->Update();
        } catch (const mapi::Error& e) {
            // A failed Update leaves the message unsaved; a lost server says so.
            ui::failureBox(QStringLiteral("An error has occurred sending the message."), e);
        }
    }
    oChosenRecips_.reset();
    oNewMsg_.reset();

    if (appendCode_) appendCode_(sendCode(mod_.names, subject, body));
    ui::setNormalPointer();
    unloadForm();
}

}  // namespace compose
