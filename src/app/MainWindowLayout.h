#pragma once

class QWidget;

namespace codewindow {
class CodeTextEdit;
}

namespace app {

// Creates every control of the main window with its objectName, caption, tool
// tip, design geometry and initial state. Returns the code window's text box.
codewindow::CodeTextEdit* buildMainWindow(QWidget* form);

// Start-up step 3: the overlapping value controls of the filter editor, placed
// in pixels of the "Functions" panel.
void placeFilterValueControls(QWidget* form);

}  // namespace app
