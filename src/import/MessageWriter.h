#pragma once

// Writes parsed messages into a folder of the store, skipping those already
// there (same Message-ID and same raw bytes).

#include <QByteArray>
#include <cstdint>

#include "mime/ParsedMessage.h"
#include "store/Database.h"

namespace import {

class MessageWriter {
  public:
    explicit MessageWriter(store::Db& db);
    // False when the folder already holds the message.
    bool write(std::int64_t folder, const mime::ParsedMessage& m);

  private:
    std::int64_t nextRid();

    store::Db& db_;
    std::int64_t next_ = 0;
};

}  // namespace import
