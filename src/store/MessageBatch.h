#pragma once

// The rows of a folder walk, read a batch at a time.

#include <memory>
#include <vector>

#include "store/MessageImpl.h"

namespace store {

// The messages of a walk, read a batch of rows at a time. A walk sees each
// message as it was when its batch was read.
class MessageBatch {
  public:
    std::shared_ptr<MessageImpl> at(const SessionPtr& s, const std::vector<std::int64_t>& rows,
                                    std::size_t i);

  private:
    std::size_t start_ = 0;
    std::vector<std::shared_ptr<MessageImpl>> items_;
};

// The ID and subject of a walk's messages, read a batch of rows at a time
// like MessageBatch but without a message object each. A row whose subject is
// not plain text is read through its message when its turn comes.
class HeadingBatch {
  public:
    // Row i of `rows`: false when it is gone.
    bool at(const SessionPtr& s, const std::vector<std::int64_t>& rows, std::size_t i, QString& id,
            QString& subject);

  private:
    struct Heading {
        enum State : unsigned char { Gone, Plain, Other } state = Gone;
        QString id;
        QString subject;
    };
    std::size_t start_ = 0;
    std::vector<Heading> items_;
};

}  // namespace store
