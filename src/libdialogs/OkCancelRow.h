#pragma once

class QDialog;
class QHBoxLayout;

namespace libdialogs {

// The library dialogs' bottom row: OK (the default, accepts) and Cancel
// (rejects), right-aligned, named OkButton and CancelButton.
QHBoxLayout* okCancelRow(QDialog* dialog);

}  // namespace libdialogs
