#pragma once

#include <QString>

namespace mapi {
class Error;
}

namespace ui {

// The critical box an error handler shows: "Error #<number> - <description> -
// <tail>", with tail "has occurred." unless the handler says more.
void errorBox(const mapi::Error& e, const QString& tail = QStringLiteral("has occurred."));

}  // namespace ui
