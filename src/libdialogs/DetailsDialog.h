#pragma once

// The library's details dialog for one address entry (AddressEntry.Details).

#include <QDialog>

#include "messaging/Objects.h"

namespace libdialogs {

class DetailsDialog : public QDialog {
  public:
    explicit DetailsDialog(mapi::AddressEntry& entry, QWidget* parent = nullptr);
};

}  // namespace libdialogs
