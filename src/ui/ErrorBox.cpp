#include "ui/ErrorBox.h"

#include "messaging/Error.h"
#include "ui/Dialogs.h"

namespace ui {

void errorBox(const mapi::Error& e, const QString& tail) {
    msgBox(QStringLiteral("Error #") + QString::number(e.number()) + QStringLiteral(" - ") +
               e.description() + QStringLiteral(" - ") + tail,
           Icon::Critical);
}

bool isServerUnreachable(const mapi::Error& e) {
    return e.number() == mapi::code::NetworkError;
}

void failureBox(const QString& sentence, const mapi::Error& e) {
    msgBox(isServerUnreachable(e) ? sentence + QStringLiteral("\n\n") + e.description() : sentence,
           Icon::Critical);
}

}  // namespace ui
