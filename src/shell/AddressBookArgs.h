#pragma once

#include <QString>
#include <cstdint>

#include "messaging/Objects.h"

namespace shell {

// The library's address book as the program opens it: several addresses may be
// chosen, names are resolved and the lists are labelled TO:, CC: and BCC:.
inline mapi::AddressBookArgs addressBookArgs(const QString& title, std::int32_t recipLists,
                                             mapi::Ref<mapi::Recipients> recipients = {}) {
    mapi::AddressBookArgs args;
    args.recipients = std::move(recipients);
    args.title = title;
    args.oneAddress = false;
    args.forceResolution = true;
    args.recipLists = recipLists;
    args.toLabel = QStringLiteral("TO:");
    args.ccLabel = QStringLiteral("CC:");
    args.bccLabel = QStringLiteral("BCC:");
    return args;
}

}  // namespace shell
