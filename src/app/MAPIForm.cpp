#include "app/MAPIForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTabBar>

#include "app/AboutForm.h"
#include "app/Instructions.h"
#include "app/MainWindowLayout.h"
#include "app/Resize.h"
#include "app/Subsystems.h"
#include "codewindow/CodeTextEdit.h"
#include "codewindow/VarTreeController.h"
#include "shell/TreeNodes.h"
#include "ui/Dialogs.h"
#include "ui/TreeView.h"
#include "ui/Twips.h"

namespace app {

MAPIForm::MAPIForm(QWidget* parent) : QWidget(parent), subsystems_(std::make_unique<Subsystems>()) {
    const MainWindowParts parts = buildMainWindow(this);
    client_ = parts.client;
    menuBar_ = parts.menuBar;
    code_ = std::make_unique<codewindow::CodeWindow>(parts.code);

    connect(control<QPushButton>(QStringLiteral("CopyButton")), &QPushButton::clicked, this,
            [this] { code_->copyAll(); });
    connect(control<QPushButton>(QStringLiteral("ClearButton")), &QPushButton::clicked, this,
            [this] { code_->clearWithQuestion(); });
    connect(control<QPushButton>(QStringLiteral("AboutButton")), &QPushButton::clicked, this,
            [this] { showAboutForm(this); });
    connect(control<QAction>(QStringLiteral("AboutAction")), &QAction::triggered, this,
            [this] { showAboutForm(this); });
    connect(control<QAction>(QStringLiteral("QuitAction")), &QAction::triggered, this,
            &QWidget::close);

    auto* tabs = control<QTabBar>(QStringLiteral("OptionsTab"));
    // Click of the tab strip: the selected tab's panel comes to the front, also
    // when the tab clicked was already the selected one.
    auto bringSelectedToFront = [this, tabs] {
        const QString name = QStringLiteral("TabPic(%1)").arg(tabs->currentIndex() + 1);
        if (auto* p = findChild<QWidget*>(name)) p->raise();
    };
    connect(tabs, &QTabBar::currentChanged, this, bringSelectedToFront);
    connect(tabs, &QTabBar::tabBarClicked, this, [tabs, bringSelectedToFront](int index) {
        if (index == tabs->currentIndex()) bringSelectedToFront();
    });
    // Help > Instructions: the Instructions tab, as a click on it would show it.
    connect(control<QAction>(QStringLiteral("InstructionsAction")), &QAction::triggered, this,
            [tabs, bringSelectedToFront] {
                if (tabs->currentIndex() == 3)
                    bringSelectedToFront();
                else
                    tabs->setCurrentIndex(3);
            });

    new codewindow::VarTreeController(control<ui::TreeView>(QStringLiteral("VarTree")), mod_.names);

    installSubsystems(*this, *subsystems_);
}

MAPIForm::~MAPIForm() = default;

shell::Context MAPIForm::context() {
    return shell::Context(
        this, tree(), &mod_, [this](const QString& text) { AppendCode(text); }, &requests_);
}

ui::TreeView* MAPIForm::tree() const {
    return control<ui::TreeView>(QStringLiteral("MAPITree"));
}

void MAPIForm::load(bool showAbout) {
    // 1. The lone root node of the logged-off mailbox tree.
    tree()->add(0, ui::Relationship::Next, QString(), shell::kRootNotLoggedOn, shell::img::Root,
                shell::img::RootSel);
    // 2. No session yet.
    mod_.session.reset();
    // 3. The overlapping value controls of the filter editor.
    placeFilterValueControls(this);
    // 4. The filter editor, emptied and loaded with the message properties.
    startupFilterEditor(*subsystems_);
    // 5.
    control<QLabel>(QStringLiteral("ValueLabel"))->setText(QString());
    // 6. The code-variable names.
    mod_.names.load();
    // 7. The instructions.
    static_cast<codewindow::CodeTextEdit*>(control<QPlainTextEdit>(QStringLiteral("InstructText")))
        ->setExactText(instructionsText());
    // 8. The variable tree, "Stores" selected.
    auto* varTree = control<ui::TreeView>(QStringLiteral("VarTree"));
    auto* varController = varTree->findChild<codewindow::VarTreeController*>();
    varTree->setLabelEdit(ui::TreeView::LabelEdit::Manual);
    if (varController) varController->build();
    // 9. The About window, before the main window is shown.
    if (showAbout) showAboutForm(this);
}

void MAPIForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The resize rules lay out the client area as they did the whole window:
    // its outer height is the window's less the menu bar's.
    const int menuHeight = menuBar_->height();
    menuBar_->setGeometry(0, 0, width(), menuHeight);
    client_->setGeometry(0, menuHeight, width(), height() - menuHeight);
    const QRect outer = frameGeometry();
    applyResizeRules(this, ui::pixelsToTwipsX(outer.width()),
                     ui::pixelsToTwipsY(outer.height() - menuHeight));
}

void MAPIForm::closeEvent(QCloseEvent* event) {
    // Each step runs whatever the one before it did; no session is not an error.
    try {
        mod_.session->Logoff();
    } catch (...) {
    }
    try {
        mod_.session.reset();
    } catch (...) {
    }
    event->accept();
}

}  // namespace app
