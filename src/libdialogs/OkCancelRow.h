#pragma once

class QDialog;
class QHBoxLayout;
class QLabel;
class QWidget;

namespace libdialogs {

// The library dialogs' bottom row: OK (the default, accepts) and Cancel
// (rejects), right-aligned, named OkButton and CancelButton.
QHBoxLayout* okCancelRow(QDialog* dialog);

// The layout of the dialogs that ask for one thing: what stands above (none
// when null), the labelled field filling its row, room to grow, then OK and
// Cancel; at least 320 pixels wide.
void layOutOneField(QDialog* dialog, QWidget* above, QLabel* label, QWidget* field);

}  // namespace libdialogs
