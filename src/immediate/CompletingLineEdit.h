#pragma once

#include <QLineEdit>
#include <optional>

#include "immediate/Completion.h"

class QCompleter;
class QStringListModel;

namespace immediate {

// The Immediate window's input line with member completion: "." after a
// variable that holds an object lists its members; Ctrl+Space completes the
// word before the cursor (inserting a single match at once). In the list the
// arrows move, Enter or Tab take the entry, Esc closes it and typing narrows it.
class CompletingLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit CompletingLineEdit(QWidget* parent = nullptr);

    void setScope(CompletionScope scope) { scope_ = std::move(scope); }
    QCompleter* completer() const { return completer_; }
    // Closes the completion list; false when none was open.
    bool closeList();

  protected:
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    bool popupVisible() const;
    // Shows the list for the completion at the cursor, or inserts its one
    // match when `insertSingle`; false when there is none.
    bool offer(CompletionWant want, bool insertSingle);
    // The text or cursor changed while the list shows: narrow it or close it.
    void narrow();
    // The list narrowed to the current prefix, at the cursor; hidden when
    // nothing fits.
    void showList();
    void accept(const QString& choice);

    CompletionScope scope_;
    QCompleter* completer_;
    QStringListModel* model_;
    std::optional<Completion> current_;
};

}  // namespace immediate
