#include "ui/CheckBox.h"

namespace ui {

CheckBox::CheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    // A click by the user changes the state first, then runs the click rule.
    // The user's clicks toggle between unchecked and checked (grayed, a state
    // only code sets, goes to checked); Qt's three-state cycle passes through
    // grayed after unchecked, which is skipped here.
    connect(this, &QCheckBox::clicked, this, [this] {
        if (checkState() == Qt::PartiallyChecked) setCheckState(Qt::Checked);
        Q_EMIT clickRule();
    });
}

int CheckBox::value() const {
    switch (checkState()) {
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
        case Qt::Unchecked:
            break;
    }
    return 0;
}

void CheckBox::setValue(int v) {
    const Qt::CheckState state = v == 1   ? Qt::Checked
                                 : v == 2 ? Qt::PartiallyChecked
                                          : Qt::Unchecked;
    const int normalised = v == 1 ? 1 : v == 2 ? 2 : 0;
    if (normalised == value()) return;
    setCheckState(state);
    Q_EMIT clickRule();
}

}  // namespace ui
