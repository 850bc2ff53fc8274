// Message boxes, input boxes and file dialogs: logging them as they show,
// answering them, and what the loop needs to know about them.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>

#include "scenario/RunnerSupport.h"

namespace scenario {

using script::Command;
using script::escape;
using script::quote;

namespace {

QString iconName(const QMessageBox* box) {
    const QVariant p = box->property("quorvaneIcon");
    if (p.isValid()) return p.toString();
    switch (box->icon()) {
        case QMessageBox::Critical:
            return QStringLiteral("critical");
        case QMessageBox::Information:
            return QStringLiteral("information");
        case QMessageBox::Question:
            return QStringLiteral("question");
        case QMessageBox::Warning:
            return QStringLiteral("exclamation");
        default:
            return QStringLiteral("none");
    }
}

QString buttonsName(const QMessageBox* box) {
    const QVariant p = box->property("quorvaneButtons");
    if (p.isValid()) return p.toString();
    const auto b = box->standardButtons();
    if (b == QMessageBox::Ok) return QStringLiteral("ok");
    if (b == (QMessageBox::Yes | QMessageBox::No)) return QStringLiteral("yesno");
    if (b == (QMessageBox::Ok | QMessageBox::Cancel)) return QStringLiteral("okcancel");
    QStringList names;
    for (QAbstractButton* btn : box->buttons()) names << stripMnemonic(btn->text()).toLower();
    return names.join(QString());
}

QAbstractButton* buttonByText(QWidget* dialog, const QString& text) {
    if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
        for (QAbstractButton* b : box->buttons())
            if (stripMnemonic(b->text()) == text) return b;
        return nullptr;
    }
    for (QAbstractButton* b : dialog->findChildren<QAbstractButton*>())
        if (b->isVisible() && stripMnemonic(b->text()) == text) return b;
    return nullptr;
}

}  // namespace

void ScenarioRunner::logDialog(QWidget* w) {
    std::erase_if(openDialogs_, [](const QPointer<QWidget>& d) { return d.isNull(); });
    for (const auto& d : openDialogs_)
        if (d == w) return;  // already announced
    openDialogs_.push_back(w);
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        write(QStringLiteral("msgbox %1 %2 %3 %4\n")
                  .arg(iconName(box), buttonsName(box), quote(box->windowTitle()),
                       escape(box->text())));
    } else if (auto* in = qobject_cast<QInputDialog*>(w)) {
        write(QStringLiteral("inputbox %1 %2\n")
                  .arg(quote(in->windowTitle()), escape(in->labelText())));
    } else if (auto* fd = qobject_cast<QFileDialog*>(w)) {
        write(QStringLiteral("filedialog %1 %2 %3\n")
                  .arg(fd->acceptMode() == QFileDialog::AcceptSave ? QStringLiteral("save")
                                                                   : QStringLiteral("open"),
                       quote(fd->windowTitle()), escape(fd->nameFilters().join(u";;"))));
    }
}

void ScenarioRunner::pressOk(QMessageBox* box) {
    // The accept-role button, never a "Show Details..." one.
    for (QAbstractButton* b : box->buttons())
        if (box->buttonRole(b) == QMessageBox::AcceptRole) {
            b->click();
            return;
        }
}

bool ScenarioRunner::isOkOnly(QMessageBox* box) const {
    const QVariant p = box->property("quorvaneButtons");
    if (p.isValid()) return p.toString() == u"ok";
    const auto buttons = box->buttons();
    return buttons.size() == 1 && box->buttonRole(buttons.front()) == QMessageBox::AcceptRole;
}

bool ScenarioRunner::nextIsAnswer() const {
    return pc_ < commands_.size() && commands_[pc_].name == u"answer";
}

QString ScenarioRunner::waitingDialogDescription(QWidget* modal) const {
    if (auto* box = qobject_cast<QMessageBox*>(modal))
        return QStringLiteral("unanswered message box: ") + escape(box->text());
    if (auto* in = qobject_cast<QInputDialog*>(modal))
        return QStringLiteral("unanswered input box: ") + escape(in->labelText());
    return QStringLiteral("unanswered file dialog ") + quote(modal->windowTitle());
}

void ScenarioRunner::cmdAnswer(const Command& c) {
    QWidget* modal = QApplication::activeModalWidget();
    const QString button = c.arg(0);
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        if (c.argc() > 1)
            throw Failure{QStringLiteral("a message box takes no text; only an input box does")};
        QAbstractButton* b = buttonByText(box, button);
        if (!b) throw Failure{QStringLiteral("the message box has no button \"%1\"").arg(button)};
        b->click();
        return;
    }
    if (auto* in = qobject_cast<QInputDialog*>(modal)) {
        QAbstractButton* b = buttonByText(in, button);
        if (!b) throw Failure{QStringLiteral("the input box has no button \"%1\"").arg(button)};
        if (c.argc() > 1) {
            if (auto* edit = in->findChild<QLineEdit*>())
                typeInto(edit, c.arg(1));
            else
                in->setTextValue(c.arg(1));
        }
        b->click();
        return;
    }
    throw Failure{QStringLiteral("no message box or input box is open")};
}

void ScenarioRunner::cmdFileCancel(const Command&) {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) throw Failure{QStringLiteral("no file dialog is open")};
    dialog->reject();
}

void ScenarioRunner::cmdFile(const Command& c) {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (!dialog) throw Failure{QStringLiteral("no file dialog is open")};
    // A folder only: the user changes the folder and keeps the suggested name.
    if (c.arg(0).endsWith(QLatin1Char('/'))) {
        dialog->setDirectory(QFileInfo(c.arg(0)).absoluteFilePath());
        static_cast<QDialog*>(dialog)->accept();
        return;
    }
    // The full path typed into the file name box, as a user may do; selectFile()
    // leaves the box alone while it has the focus.
    const QString path = QFileInfo(c.arg(0)).absoluteFilePath();
    if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        typeInto(edit, path);
    else
        dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, reached as the OK button does
}

}  // namespace scenario
