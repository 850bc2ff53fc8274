#include "accounts/AccountsController.h"

#include <QAction>
#include <stdexcept>

#include "accounts/AccountsWindow.h"
#include "shell/MAPIMod.h"

namespace accounts {

AccountsController::AccountsController(QWidget* mainWindow, shell::MAPIMod& mod)
    : QObject(nullptr), main_(mainWindow), mod_(mod) {
    auto* action = mainWindow->findChild<QAction*>(QStringLiteral("AccountsAction"));
    if (!action) throw std::logic_error("no action named AccountsAction");
    connect(action, &QAction::triggered, this, [this] {
        if (!window_)
            window_ = new AccountsWindow(main_, [this]() -> std::optional<store::LoggedOnProfile> {
                if (mod_.session.isNothing()) return std::nullopt;
                return store::loggedOnProfile(*mod_.session.shared());
            });
        window_->open();
    });
}

}  // namespace accounts
