#include "immediate/CompletingLineEdit.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStringListModel>

namespace immediate {

CompletingLineEdit::CompletingLineEdit(QWidget* parent)
    : QLineEdit(parent), completer_(new QCompleter(this)), model_(new QStringListModel(this)) {
    completer_->setModel(model_);
    completer_->setWidget(this);
    completer_->setCompletionMode(QCompleter::PopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setModelSorting(QCompleter::CaseInsensitivelySortedModel);
    completer_->setWrapAround(false);
    completer_->popup()->setObjectName(QStringLiteral("CompletionList"));
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), this,
            &CompletingLineEdit::accept);
    connect(this, &QLineEdit::textEdited, this, &CompletingLineEdit::narrow);
    connect(this, &QLineEdit::cursorPositionChanged, this, &CompletingLineEdit::narrow);
}

bool CompletingLineEdit::popupVisible() const {
    return completer_->popup()->isVisible();
}

bool CompletingLineEdit::closeList() {
    if (!popupVisible()) return false;
    completer_->popup()->hide();
    current_.reset();
    return true;
}

bool CompletingLineEdit::event(QEvent* e) {
    // Tab takes the list's entry rather than moving the focus on.
    if (e->type() == QEvent::KeyPress && popupVisible()) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            e->ignore();
            return true;
        }
    }
    return QLineEdit::event(e);
}

void CompletingLineEdit::keyPressEvent(QKeyEvent* e) {
    if (popupVisible()) {
        // Left to the list: it takes the entry or closes.
        switch (e->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Escape:
                e->ignore();
                return;
            default:
                break;
        }
    }
    if (e->key() == Qt::Key_Space && (e->modifiers() & Qt::ControlModifier)) {
        offer(CompletionWant::AnyWord, true);
        return;
    }
    QLineEdit::keyPressEvent(e);
    if (e->text() == u".") offer(CompletionWant::Members, false);
}

bool CompletingLineEdit::offer(CompletionWant want, bool insertSingle) {
    current_ = completionAt(text(), cursorPosition(), scope_, want);
    if (!current_) {
        completer_->popup()->hide();
        return false;
    }
    const QStringList matches = current_->matches();
    if (insertSingle && matches.size() == 1) {
        completer_->popup()->hide();
        accept(matches.front());
        return true;
    }
    if (matches.isEmpty()) {
        completer_->popup()->hide();
        return false;
    }
    model_->setStringList(current_->candidates);
    showList();
    return true;
}

void CompletingLineEdit::showList() {
    completer_->setCompletionPrefix(current_->prefix);
    if (completer_->completionCount() == 0) {
        completer_->popup()->hide();
        return;
    }
    QAbstractItemView* popup = completer_->popup();
    QRect r = cursorRect();
    r.setWidth(popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width());
    completer_->complete(r);
    // The first entry that fits is the one Enter takes.
    popup->setCurrentIndex(completer_->completionModel()->index(0, 0));
}

void CompletingLineEdit::narrow() {
    if (!popupVisible() || !current_) return;
    const auto now =
        completionAt(text(), cursorPosition(), scope_,
                     current_->members ? CompletionWant::Members : CompletionWant::AnyWord);
    if (!now || now->start != current_->start || now->members != current_->members) {
        completer_->popup()->hide();
        return;
    }
    current_ = now;
    showList();
}

void CompletingLineEdit::accept(const QString& choice) {
    if (!current_) return;
    const CompletedLine done = applyCompletion(text(), *current_, choice);
    current_.reset();
    setText(done.text);
    setCursorPosition(int(done.cursor));
}

}  // namespace immediate
