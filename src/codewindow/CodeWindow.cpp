#include "codewindow/CodeWindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTextCursor>

#include "codewindow/CodeTextEdit.h"
#include "ui/Dialogs.h"

namespace codewindow {

CodeWindow::CodeWindow(QPlainTextEdit* widget) : widget_(widget) {}

namespace {
CodeTextEdit* exact(QPlainTextEdit* w) {
    return qobject_cast<CodeTextEdit*>(w);
}
}  // namespace

void CodeWindow::AppendCode(const QString& text) {
    if (CodeTextEdit* e = exact(widget_)) {
        e->appendExact(text);
        return;
    }
    QTextCursor c(widget_->document());
    c.movePosition(QTextCursor::End);
    c.insertText(text);
}

QString CodeWindow::text() const {
    if (const CodeTextEdit* e = exact(widget_)) return e->exactText();
    return widget_->toPlainText();
}

void CodeWindow::setText(const QString& text) {
    if (CodeTextEdit* e = exact(widget_)) {
        e->setExactText(text);
        return;
    }
    widget_->setPlainText(text);
}

void CodeWindow::clearWithQuestion() {
    if (ui::msgBox(QStringLiteral("Are you sure you want to clear the code window?"),
                   ui::Icon::Question, ui::Buttons::YesNo) == ui::Answer::Yes)
        setText(QString());
}

void CodeWindow::copyAll() {
    QClipboard* cb = QGuiApplication::clipboard();
    cb->clear();
    widget_->selectAll();
    cb->setText(text());
}

}  // namespace codewindow
