#pragma once

#include <QCheckBox>

namespace ui {

// A check box with the platform's Value semantics: 0 unchecked, 1 checked,
// 2 grayed. Setting the value from code counts as a click when the value
// actually changes: clickRule() is emitted then, before setValue() returns,
// exactly as for a click by the user. Setting the value it already has does
// nothing.
class CheckBox : public QCheckBox {
    Q_OBJECT
  public:
    explicit CheckBox(const QString& text, QWidget* parent = nullptr);

    int value() const;
    void setValue(int v);
    bool isChecked1() const { return value() == 1; }

  Q_SIGNALS:
    void clickRule();
};

}  // namespace ui
