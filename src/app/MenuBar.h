#pragma once

class QMenuBar;
class QWidget;

namespace app {

// The main window's menu bar: File, Run and Help. Every entry is a QAction
// named for the features to find ("OpenCodeAction", "RunAction", ...), also
// added to the window itself so that its shortcut works wherever the focus is
// in it. The entries that open a file list the last five code files as
// "RecentCodeAction(1)" to "RecentCodeAction(5)", hidden while unused.
QMenuBar* buildMenuBar(QWidget* form);

}  // namespace app
