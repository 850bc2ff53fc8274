#include "filters/FilterEditor.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCompleter>
#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

#include "messaging/VbConvert.h"
#include "shell/AddressBookArgs.h"
#include "shell/MAPIMod.h"
#include "ui/Dialogs.h"
#include "ui/ListView.h"

namespace filters {

namespace {

struct Property {
    const char* text;
    int kind;
};

constexpr Property kMessageProperties[] = {
    {"Fields", KindField},
    {"Importance", KindNumber},
    {"Recipients", KindPerson},
    {"Sender", KindPerson},
    {"Sent", KindYesNo},
    {"Size", KindNumber},
    {"Subject", KindText},
    {"Text", KindText},
    {"Received At Or After", KindDate},
    {"Received On Or Before", KindDate},
    {"Type", KindText},
    {"Unread", KindYesNo},
};

constexpr Property kAddressProperties[] = {
    {"Fields", KindField},
    {"Name", KindText},
    {"Address", KindAddress},
};

// Visibility per kind 1..7, in the order the controls are set.
struct Visibility {
    const char* control;
    bool visible[7];
};

constexpr Visibility kVisibility[] = {
    {"ValueHeaderLabel", {true, true, false, false, true, true, false}},
    {"ValueText", {true, true, false, true, false, true, false}},
    {"ValueLabel", {false, false, false, false, false, false, true}},
    {"PersonButton", {false, false, false, true, false, false, true}},
    {"ValueFrame", {false, false, true, false, false, false, false}},
    {"FieldNameText", {false, false, false, false, true, false, false}},
    {"FieldValueText", {false, false, false, false, true, false, false}},
    {"FieldValueLabel", {false, false, false, false, true, false, false}},
    {"FieldNameLabel", {false, false, false, false, true, false, false}},
    {"AndOrFrame", {false, false, false, false, true, false, false}},
    {"NotCheck", {false, false, false, false, true, false, false}},
    {"DataTypeCombo", {false, false, false, false, true, false, false}},
    {"ClearCriteriaCheck", {true, true, true, true, false, true, true}},
};

static_assert(std::size(kVisibility) == FilterEditor::kCriterionControls);

}  // namespace

FilterEditor::FilterEditor(shell::Context host, QObject* parent)
    : QObject(parent), host_(std::move(host)) {
    filterCombo_ = host_.control<QComboBox>(QStringLiteral("FilterCombo"));
    dataTypeCombo_ = host_.control<QComboBox>(QStringLiteral("DataTypeCombo"));
    valueText_ = host_.control<QLineEdit>(QStringLiteral("ValueText"));
    valueLabel_ = host_.control<QLabel>(QStringLiteral("ValueLabel"));
    fieldNameText_ = host_.control<QLineEdit>(QStringLiteral("FieldNameText"));
    fieldValueText_ = host_.control<QLineEdit>(QStringLiteral("FieldValueText"));
    valueOption0_ = host_.control<QAbstractButton>(QStringLiteral("ValueOption(0)"));
    filterList_ = host_.control<ui::ListView>(QStringLiteral("FilterList"));

    for (int i = 0; i < 2; ++i) {
        auto* option = host_.control<QAbstractButton>(QStringLiteral("FilterOption(%1)").arg(i));
        connect(option, &QAbstractButton::clicked, this, [this, i] { FilterOption_Click(i); });
    }
    // A choice from the list, by the user or by setting the index, is the click.
    connect(filterCombo_, &QComboBox::activated, this, [this] { FilterCombo_Click(); });
    connect(filterCombo_, &QComboBox::currentIndexChanged, this, [this] { FilterCombo_Click(); });
    dataTypeCombo_->installEventFilter(this);
    // A typed data-type name stands as typed: the combo must not quietly turn
    // "vblong" into its "vbLong" entry when the focus leaves.
    if (QCompleter* completer = dataTypeCombo_->completer())
        completer->setCaseSensitivity(Qt::CaseSensitive);
    for (std::size_t i = 0; i < std::size(kVisibility); ++i)
        criterionControls_[i] = host_.control(QString::fromLatin1(kVisibility[i].control));
    personButton_ = host_.control<QAbstractButton>(QStringLiteral("PersonButton"));
    addFilterButton_ = host_.control<QAbstractButton>(QStringLiteral("AddFilterButton"));
    delFilterButton_ = host_.control<QAbstractButton>(QStringLiteral("DelFilterButton"));
    connect(personButton_, &QAbstractButton::clicked, this, [this] { PersonButton_Click(); });
    connect(addFilterButton_, &QAbstractButton::clicked, this, [this] { AddFilterButton_Click(); });
    connect(delFilterButton_, &QAbstractButton::clicked, this, [this] { DelFilterButton_Click(); });
    connect(filterList_, &ui::ListView::columnClicked, this,
            [this](int column) { FilterListColumnClick(column); });
}

void FilterEditor::LoadFilterProperties(int mode) {
    // Filling the list is not a choice: no click may come of it.
    const QSignalBlocker block(filterCombo_);
    filterCombo_->clear();
    auto add = [this](const auto& table) {
        for (const Property& p : table) filterCombo_->addItem(QString::fromLatin1(p.text), p.kind);
    };
    if (mode == 0)
        add(kMessageProperties);
    else
        add(kAddressProperties);
    filterCombo_->setCurrentIndex(-1);
}

QWidget* FilterEditor::criterionControl(const char* name) const {
    for (std::size_t i = 0; i < std::size(kVisibility); ++i)
        if (qstrcmp(kVisibility[i].control, name) == 0) return criterionControls_[i];
    throw std::logic_error(std::string("no criterion control named ") + name);
}

void FilterEditor::ShowCriterionControls(int kind) {
    if (kind < 1 || kind > 7) return;
    for (std::size_t i = 0; i < std::size(kVisibility); ++i)
        criterionControls_[i]->setVisible(kVisibility[i].visible[kind - 1]);
    if (kind == KindField) {
        fieldNameText_->raise();
        fieldValueText_->raise();
    }
}

void FilterEditor::ResetFilterEditor(bool enabled) {
    filterCombo_->setEnabled(enabled);
    {
        const QSignalBlocker block(filterCombo_);
        filterCombo_->setCurrentIndex(-1);
        if (filterCombo_->isEditable()) filterCombo_->setEditText(QString());
    }
    for (const char* name : {"ValueFrame", "ValueText", "ValueLabel", "PersonButton",
                             "ValueHeaderLabel", "FieldNameText", "FieldValueText",
                             "FieldValueLabel", "FieldNameLabel", "AndOrFrame", "NotCheck"})
        criterionControl(name)->hide();
    addFilterButton_->setEnabled(enabled);
    delFilterButton_->setEnabled(enabled);
    dataTypeCombo_->hide();
    filterList_->clearRows();
}

bool FilterEditor::IsValidDataType(const QString& text) {
    static const QStringList kTypes = {QStringLiteral("vbCurrency"), QStringLiteral("vbBoolean"),
                                       QStringLiteral("vbDate"),     QStringLiteral("vbDouble"),
                                       QStringLiteral("vbInteger"),  QStringLiteral("vbLong"),
                                       QStringLiteral("vbSingle"),   QStringLiteral("vbString")};
    return kTypes.contains(text, Qt::CaseSensitive);
}

void FilterEditor::AddCriterionRow(const QStringList& values) {
    if (values.isEmpty()) return;
    filterList_->addRow(values);
}

void FilterEditor::FilterOption_Click(int index) {
    LoadFilterProperties(index);
    ResetFilterEditor(!host_.mod().session.isNothing());
}

int FilterEditor::chosenPropertyIndex() const {
    const int index = filterCombo_->currentIndex();
    if (index < 0) return -1;
    if (filterCombo_->isEditable() && filterCombo_->currentText() != filterCombo_->itemText(index))
        return -1;
    return index;
}

void FilterEditor::FilterCombo_Click() {
    const int index = chosenPropertyIndex();
    if (index < 0) return;
    ShowCriterionControls(filterCombo_->itemData(index).toInt());
}

void FilterEditor::DataTypeComboLostFocus() {
    if (IsValidDataType(dataTypeCombo_->currentText())) return;
    inLostFocus_ = true;
    ui::msgBox(QStringLiteral("You must select a valid data type from the drop down."),
               ui::Icon::None, ui::Buttons::Ok);
    dataTypeCombo_->setFocus(Qt::OtherFocusReason);
    dataTypeCombo_->showPopup();
    ui::setNormalPointer();
    inLostFocus_ = false;
}

bool FilterEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dataTypeCombo_ && event->type() == QEvent::FocusOut && !inLostFocus_) {
        // Only a move of the focus to another control of the window counts:
        // the combo's own drop-down, a dialog over the window or another
        // application taking the focus do not.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            DataTypeComboLostFocus();
    }
    return QObject::eventFilter(watched, event);
}

void FilterEditor::PersonButton_Click() {
    try {
        const int index = chosenPropertyIndex();
        if (index < 0) return;
        const int kind = filterCombo_->itemData(index).toInt();
        const mapi::Ref<mapi::Recipients> chosen = host_.mod().session->AddressBook(
            shell::addressBookArgs(QStringLiteral("Recipients Filter"), 1));
        if (chosen.isNothing()) return;
        if (kind == KindPerson)
            valueText_->setText(chosen->Item(1)->Name());
        else if (kind == KindAddress)
            valueLabel_->setText(chosen->Item(1)->Address());
    } catch (const mapi::Error&) {
        // A cancelled or failing dialog leaves the value as it was.
    }
}

void FilterEditor::AddFilterButton_Click() {
    const int index = chosenPropertyIndex();
    if (index < 0) return;
    const int kind = filterCombo_->itemData(index).toInt();
    bool valid = true;
    QString message;
    QWidget* focus = nullptr;
    auto fail = [&](const char* text, QWidget* target) {
        valid = false;
        message = QString::fromLatin1(text);
        focus = target;
    };
    const QString value = valueText_->text();
    switch (kind) {
        case KindText:
            if (value.isEmpty()) fail("You must type in a value.", valueText_);
            break;
        case KindDate:
            if (value.isEmpty()) fail("You must type in a date or time value.", valueText_);
            if (!value.isEmpty() && !vb::isDate(value))
                fail("You must type in value that is a date or time.", valueText_);
            break;
        case KindPerson:
            if (value.isEmpty())
                fail("You must select a person or type in a full or partial name.", personButton_);
            break;
        case KindField:
            if (dataTypeCombo_->currentText().isEmpty())
                fail("You must select a data type from the drop down.", dataTypeCombo_);
            if (fieldValueText_->text().isEmpty())
                fail("You must type in a value for the field.", fieldValueText_);
            if (fieldNameText_->text().isEmpty())
                fail("You must type in a field name or index.", fieldNameText_);
            break;
        case KindNumber:
            if (value.isEmpty()) fail("You must type in a number.", valueText_);
            if (!value.isEmpty() && !vb::isNumeric(value))
                fail("You must type in value that is numeric.", valueText_);
            break;
        case KindAddress:
            if (valueLabel_->text().isEmpty()) fail("You must select a person.", personButton_);
            break;
        default:
            break;
    }

    if (!valid) {
        ui::msgBox(message, ui::Icon::Critical);
        if (focus) focus->setFocus(Qt::OtherFocusReason);
        return;
    }

    QStringList values{filterCombo_->itemText(index)};
    switch (kind) {
        case KindText:
            values << QStringLiteral("vbString") << value;
            break;
        case KindDate:
            values << QStringLiteral("vbDate") << value;
            break;
        case KindYesNo:
            values << QStringLiteral("vbBoolean")
                   << (valueOption0_->isChecked() ? QStringLiteral("True")
                                                  : QStringLiteral("False"));
            break;
        case KindPerson:
            values << QStringLiteral("vbString") << value;
            break;
        case KindField:
            values << dataTypeCombo_->currentText() << fieldValueText_->text()
                   << fieldNameText_->text();
            break;
        case KindNumber:
            values << QStringLiteral("vbLong") << value;
            break;
        case KindAddress:
            values << QStringLiteral("vbString") << valueLabel_->text();
            break;
        default:
            return;
    }
    AddCriterionRow(values);
}

void FilterEditor::DelFilterButton_Click() {
    if (filterList_->count() < 1) return;
    const int selected = filterList_->selectedIndex();
    if (selected < 1) return;
    filterList_->removeRow(selected);
}

void FilterEditor::FilterListColumnClick(int column) {
    filterList_->setSortKey(column);
    filterList_->setSortOrder(filterList_->sortOrder() == ui::ListView::SortOrder::Ascending
                                  ? ui::ListView::SortOrder::Descending
                                  : ui::ListView::SortOrder::Ascending);
    filterList_->setSorted(true);
}

}  // namespace filters
