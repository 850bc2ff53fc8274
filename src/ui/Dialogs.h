#pragma once

// The one seam through which the program talks to the user outside its own
// windows: message boxes, input boxes, file dialogs and the mouse pointer.
// All are real, application-modal Qt dialogs (non-native), so the scenario
// runner and widget tests can find and answer them like any window.

#include <QString>
#include <optional>

class QWidget;

namespace ui {

inline const QString kAppTitle = QStringLiteral("Quorvane '99");

enum class Icon { None, Critical, Question, Exclamation, Information };
enum class Buttons { Ok, YesNo, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

// A modal message box over the active window. The QMessageBox it shows has the
// objectName "MsgBox" and carries the dynamic properties "quorvaneIcon"
// ("critical", "information", ...) and "quorvaneButtons" ("ok", "yesno",
// "okcancel") for observers. Closing it by its frame counts as Cancel/No/OK.
Answer msgBox(const QString& text, Icon icon = Icon::None, Buttons buttons = Buttons::Ok,
              const QString& title = kAppTitle);

// A message box whose long text is cut to its first `maxLines` lines plus a
// line "(N more not shown)"; the whole text goes into the details area.
Answer msgBoxWithDetails(const QString& text, int maxLines, Icon icon,
                         const QString& title = kAppTitle);

// InputBox(prompt, title, default): the typed text, or "" when cancelled.
// Its QInputDialog has the objectName "InputBox".
QString inputBox(const QString& prompt, const QString& title,
                 const QString& defaultText = QString());

// Qt's own (non-native) file dialogs, objectName "FileDialog". nullopt on Cancel.
std::optional<QString> openFileName(const QString& title, const QString& filter);
std::optional<QString> saveFileName(const QString& title, const QString& filter,
                                    const QString& suggestedName = QString());
// The same dialog choosing an existing folder.
std::optional<QString> openFolderName(const QString& title);

// Screen.MousePointer: busy (arrow with hourglass) or normal. Not a stack:
// setting normal once restores the pointer however often busy was set.
void setBusyPointer();
void setNormalPointer();
bool isBusyPointer();

// Sets the busy pointer and restores the normal one on every way out of a scope.
class BusyScope {
  public:
    BusyScope() { setBusyPointer(); }
    ~BusyScope() { setNormalPointer(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
};

// The top-level window dialogs are shown over (the active modal window, else
// the active window).
QWidget* dialogParent();

}  // namespace ui
