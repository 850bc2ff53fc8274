#pragma once

#include <QString>

namespace mapi {
class Error;
}

namespace ui {

// The critical box an error handler shows: "Error #<number> - <description> -
// <tail>", with tail "has occurred." unless the handler says more.
void errorBox(const mapi::Error& e, const QString& tail = QStringLiteral("has occurred."));

// The critical box of a handler that answers every failure with one fixed
// sentence. When the mail server could not be reached, the sentence alone would
// not say why, nor that trying again later may do: the error's description
// follows on a line of its own.
void failureBox(const QString& sentence, const mapi::Error& e);

// Whether the error says the mail server could not be reached (a connection
// lost and not made again), as opposed to something about one object.
bool isServerUnreachable(const mapi::Error& e);

}  // namespace ui
