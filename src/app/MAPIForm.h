#pragma once

#include <QString>
#include <QWidget>
#include <memory>
#include <stdexcept>

#include "codegen/CodeBuilder.h"
#include "codewindow/CodeWindow.h"
#include "shell/Context.h"
#include "shell/MAPIMod.h"

namespace ui {
class TreeView;
}

namespace app {

struct Subsystems;

// The main window: the mailbox tree, the code window and the four tab panels
// holding every named control. The features see it only through context():
// its widgets by their objectName, the shared state and the code window.
class MAPIForm : public QWidget {
    Q_OBJECT
  public:
    explicit MAPIForm(QWidget* parent = nullptr);
    ~MAPIForm() override;

    // Form_Load: the start-up sequence. With showAbout false the About window
    // (the last step) is skipped, for tests.
    void load(bool showAbout = true);

    // The control whose objectName is `name` ("LogonButton", "SessionOpt(1)");
    // throws std::logic_error when there is none of that type.
    template <class T = QWidget>
    T* control(const QString& name) const {
        T* w = findChild<T*>(name);
        if (!w) throw std::logic_error("no control named " + name.toStdString());
        return w;
    }

    ui::TreeView* tree() const;  // MAPITree
    codewindow::CodeWindow& code() { return *code_; }
    shell::MAPIMod& mod() { return mod_; }
    // What the features are given; their requests of one another go through
    // requests(), which the composition root wires.
    shell::Context context();
    shell::Requests& requests() { return requests_; }
    Subsystems& subsystems() { return *subsystems_; }

    // AppendCode and a builder over the current variable names.
    void AppendCode(const QString& text) { code_->AppendCode(text); }
    codegen::Code newCode() const { return codegen::Code(mod_.names); }

  protected:
    void resizeEvent(QResizeEvent* event) override;  // Form_Resize
    void closeEvent(QCloseEvent* event) override;    // Form_QueryUnload

  private:
    QWidget* client_ = nullptr;
    QWidget* menuBar_ = nullptr;
    shell::MAPIMod mod_;
    shell::Requests requests_;
    std::unique_ptr<codewindow::CodeWindow> code_;
    std::unique_ptr<Subsystems> subsystems_;
};

}  // namespace app
