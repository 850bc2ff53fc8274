#include "ui/ErrorBox.h"

#include "messaging/Error.h"
#include "ui/Dialogs.h"

namespace ui {

void errorBox(const mapi::Error& e, const QString& tail) {
    msgBox(QStringLiteral("Error #") + QString::number(e.number()) + QStringLiteral(" - ") +
               e.description() + QStringLiteral(" - ") + tail,
           Icon::Critical);
}

}  // namespace ui
