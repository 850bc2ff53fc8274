#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

#include "shell/Context.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;

namespace ui {
class ListView;
}

namespace filters {

// The kind of a filter property, kept as the item data of each FilterCombo entry.
enum CriterionKind : int {
    KindText = 1,
    KindDate = 2,
    KindYesNo = 3,
    KindPerson = 4,
    KindField = 5,
    KindNumber = 6,
    KindAddress = 7,
};

// The filter criteria editor on the "Functions" panel: the mode switch, the
// property combo, the value controls of each kind, the criteria list with its
// add, delete and column sorting, and the person picker.
class FilterEditor : public QObject {
    Q_OBJECT
  public:
    static constexpr std::size_t kCriterionControls = 13;  // shown or hidden by kind

    explicit FilterEditor(shell::Context host, QObject* parent = nullptr);

    void LoadFilterProperties(int mode);
    void ShowCriterionControls(int kind);
    void ResetFilterEditor(bool enabled);
    static bool IsValidDataType(const QString& text);
    void AddCriterionRow(const QStringList& values);

    // Event handlers.
    void FilterOption_Click(int index);
    void FilterCombo_Click();
    void DataTypeComboLostFocus();
    void PersonButton_Click();
    void AddFilterButton_Click();
    void DelFilterButton_Click();
    void FilterListColumnClick(int column);

    // The FilterCombo entry that counts as chosen (-1 when none): a typed text
    // that is not the current entry's text chooses nothing.
    int chosenPropertyIndex() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    shell::Context host_;
    QComboBox* filterCombo_;
    QComboBox* dataTypeCombo_;
    QLineEdit* valueText_;
    QLabel* valueLabel_;
    QLineEdit* fieldNameText_;
    QLineEdit* fieldValueText_;
    QAbstractButton* valueOption0_;
    ui::ListView* filterList_;
    // The controls a criterion's kind shows or hides, in the order they are set.
    std::array<QWidget*, kCriterionControls> criterionControls_{};
    QWidget* criterionControl(const char* name) const;
    QAbstractButton* personButton_;
    QAbstractButton* addFilterButton_;
    QAbstractButton* delFilterButton_;
    bool inLostFocus_ = false;
};

}  // namespace filters
