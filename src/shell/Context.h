#pragma once

// What a feature may use of the main window: its named controls, the mailbox
// tree, the code window's AppendCode and the shared module state. Messages to
// the user go through ui/Dialogs.h. What one feature asks of another is a
// request here, which the application wires up; features never see each other
// or the window class, and tests can build a context over a bare panel.

#include <QString>
#include <QWidget>
#include <functional>
#include <stdexcept>

#include "codegen/CodeBuilder.h"
#include "shell/MAPIMod.h"

namespace ui {
class TreeView;
}

namespace shell {

// Requests between features, wired in one place by the application. An unwired
// request does nothing.
struct Requests {
    std::function<void()> logon;                  // the session's LogonButton_Click
    std::function<void()> openTreeRoot;           // the browser's MAPITree_DblClick
    std::function<void(bool)> resetFilterEditor;  // the filter editor's ResetFilterEditor
};

class Context {
  public:
    Context(QWidget* window, ui::TreeView* tree, MAPIMod* mod,
            std::function<void(const QString&)> appendCode, const Requests* requests = nullptr)
        : window_(window),
          tree_(tree),
          mod_(mod),
          appendCode_(std::move(appendCode)),
          requests_(requests) {}

    // The control whose objectName is `name` ("LogonButton", "SessionOpt(1)");
    // throws std::logic_error when there is none of that type. Features look up
    // every control they use when they are made, so that a wrong name fails at
    // start-up (and in every test that builds the feature), not at a later click.
    template <class T = QWidget>
    T* control(const QString& name) const {
        T* w = window_->findChild<T*>(name);
        if (!w) throw std::logic_error("no control named " + name.toStdString());
        return w;
    }

    QWidget* window() const { return window_; }   // also the parent of the features' windows
    ui::TreeView* tree() const { return tree_; }  // MAPITree
    MAPIMod& mod() const { return *mod_; }

    void AppendCode(const QString& text) const { appendCode_(text); }
    void AppendCode(const codegen::Code& code) const { appendCode_(code.text()); }
    codegen::Code newCode() const { return codegen::Code(mod_->names); }
    // One step's lines, written as one block (see codegen::Code::lines).
    void AppendLines(QStringView block, std::initializer_list<QString> args = {}) const {
        AppendCode(newCode().lines(block, args));
    }

    void logon() const { run(&Requests::logon); }
    void openTreeRoot() const { run(&Requests::openTreeRoot); }
    void resetFilterEditor(bool enabled) const {
        if (requests_ && requests_->resetFilterEditor) requests_->resetFilterEditor(enabled);
    }

  private:
    void run(std::function<void()> Requests::*request) const {
        if (requests_ && requests_->*request) (requests_->*request)();
    }

    QWidget* window_;
    ui::TreeView* tree_;
    MAPIMod* mod_;
    std::function<void(const QString&)> appendCode_;
    const Requests* requests_;
};

}  // namespace shell
