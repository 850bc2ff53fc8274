#pragma once

// Reply, ReplyAll and Forward as both stores answer them: a new unsaved
// message in the Outbox, its subject prefixed "RE: " or "FW: " (once), the
// original's text quoted below a header block naming who sent it, when, to
// whom and about what, addressed as a reply addresses it.

#include <QString>

#include "messaging/Objects.h"

namespace model {

enum class Response { Reply, ReplyAll, Forward };

// "RE: Status report"; a subject that already carries the prefix keeps it once.
QString responseSubject(Response kind, const QString& subject);
// A blank line to write in, the header block, then the original text with
// every line quoted "> ".
QString responseText(mapi::Message& original);
// The new message in `outbox` (a Messages collection), built from `original`.
// ReplyAll leaves out `ownAddress` and addresses nobody twice; Forward adds
// the original's attachments and no recipient.
mapi::Ref<mapi::Message> respond(mapi::Message& original, mapi::Messages& outbox, Response kind,
                                 const QString& ownAddress);

}  // namespace model
