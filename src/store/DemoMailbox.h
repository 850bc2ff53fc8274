#pragma once

#include <QJsonObject>

namespace store {

// The mailbox the "Default" profile opens on first use, as a fixture: three
// stores (one with an Outbox) with nested folders and a few hundred messages
// carrying every kind of property, attachments, To/Cc/Bcc recipients and
// custom fields of every type, plus the address lists "Global Address List"
// (read-only), "Personal Address Book" (with a distribution list) and
// "Contacts". The same every time, so identifiers are reproducible.
QJsonObject demoMailbox();

}  // namespace store
