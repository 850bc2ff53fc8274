#pragma once

// The one driver of windows for every test: a script in the scenario language
// run in-process against a fresh main window, on whatever back-end is installed.
// Message boxes, input boxes, file dialogs and the library's dialogs are
// answered by the script, exactly as in the scenario files. Every run starts
// with first-start settings.

#include <QString>
#include <functional>

class QWidget;

namespace drive {

struct Outcome {
    int status = -1;
    QString out;  // the runner's log and dumps
    QString err;  // "script:LINE: error: ..." when a command failed
};

// `prepare`, when given, gets the loaded main window before the first command.
Outcome run(const QString& script, const std::function<void(QWidget& mainWindow)>& prepare = {});

// For tests that open a modal window themselves: runs `answer` on the next
// modal window once the event loop shows it.
void whenModal(std::function<void(QWidget*)> answer);

// Installs `json` as the store's fixture (a fresh store each call).
void installFixture(const QByteArray& json);

}  // namespace drive
