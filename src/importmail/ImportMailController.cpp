#include "importmail/ImportMailController.h"

#include <QAction>
#include <stdexcept>

#include "importmail/ImportWindow.h"
#include "shell/MAPIMod.h"

namespace importmail {

ImportMailController::ImportMailController(QWidget* mainWindow, shell::MAPIMod& mod)
    : QObject(nullptr), main_(mainWindow), mod_(mod) {
    auto* action = mainWindow->findChild<QAction*>(QStringLiteral("ImportMailAction"));
    if (!action) throw std::logic_error("no action named ImportMailAction");
    connect(action, &QAction::triggered, this, [this] {
        if (!window_)
            window_ = new ImportWindow(main_, [this] { return !mod_.session.isNothing(); });
        window_->open();
    });
}

}  // namespace importmail
