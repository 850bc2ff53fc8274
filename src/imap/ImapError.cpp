#include "imap/ImapError.h"

namespace imap {

Error::Error(ErrorKind kind, QString message)
    : kind_(kind), message_(std::move(message)), what_(message_.toUtf8()) {}

}  // namespace imap
