#pragma once

#include <QString>

namespace model {

// A subject without its reply and forward prefixes ("RE: ", "Fwd: ", "AW: "
// and their repeats), as mail read from files or a server gets its
// conversation topic.
QString conversationTopic(const QString& subject);

}  // namespace model
