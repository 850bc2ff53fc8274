#pragma once

class QMenuBar;
class QWidget;

namespace codewindow {
class CodeTextEdit;
}

namespace app {

struct MainWindowParts {
    codewindow::CodeTextEdit* code;  // the code window's text box
    QMenuBar* menuBar;
    QWidget* client;  // the original window's area, below the menu bar
};

// Creates the menu bar and every control of the main window with its
// objectName, caption, tool tip, design geometry and initial state.
MainWindowParts buildMainWindow(QWidget* window);

// Start-up step 3: the overlapping value controls of the filter editor, placed
// in pixels of the "Functions" panel.
void placeFilterValueControls(QWidget* form);

}  // namespace app
