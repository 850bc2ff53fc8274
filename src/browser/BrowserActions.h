#pragma once

#include <QObject>
#include <QString>

#include "shell/Context.h"

class QAbstractButton;
class QLineEdit;

namespace browser {

// The three actions of the "Functions" panel on the node selected in
// MAPITree: find folder (button or Enter in FldNameText), delete message and
// save attachment.
class BrowserActions : public QObject {
    Q_OBJECT
  public:
    explicit BrowserActions(const shell::Context& shell);

    void FndFolderButton_Click();
    void DeleteMsgButton_Click();
    void AttachButton_Click();

  protected:
    // Enter in FldNameText: swallowed, runs the search, focus to FndFolderButton.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    shell::Context shell_;
    QLineEdit* fldNameText_;
    QAbstractButton* fndFolderButton_;
    QString lastFileName_;  // what the save dialog still holds from its last use
};

}  // namespace browser
