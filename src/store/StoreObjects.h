#pragma once

// The embedded store's implementation of the messaging object model. Objects
// are thin views over rows of the store file; messages and address entries
// keep their changes in memory until Update writes them in one transaction.
// Each object has its own header; this one brings them all.

#include "store/AddressEntriesImpl.h"
#include "store/AddressEntryImpl.h"
#include "store/AddressListImpl.h"
#include "store/AttachmentImpl.h"
#include "store/FilterImpl.h"
#include "store/FolderImpl.h"
#include "store/FoldersImpl.h"
#include "store/InfoStoreImpl.h"
#include "store/MessageBatch.h"
#include "store/MessageImpl.h"
#include "store/MessagesImpl.h"
#include "store/PropertyBag.h"
#include "store/RecipientImpl.h"
#include "store/Rows.h"
#include "store/SessionImpl.h"
#include "store/SessionState.h"
