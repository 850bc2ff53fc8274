#pragma once

// The messages of a folder.

#include <memory>
#include <vector>

#include "store/FilterImpl.h"
#include "store/MessageBatch.h"
#include "store/Rows.h"

namespace store {

class MessagesImpl : public RowCollection<mapi::Message, mapi::Messages> {
  public:
    MessagesImpl(SessionPtr s, std::int64_t folder) : s_(std::move(s)), folder_(folder) {}
    mapi::Ref<mapi::Filter> FilterOf() override;
    mapi::Ref<mapi::Message> Add() override;
    void listLines(const std::function<void(const mapi::MessageLine&)>& each) override;
    bool nextHeading(bool first, QString& id, QString& subject) override;
    void Sort(std::int32_t order, std::uint32_t tag) override;

    std::vector<std::int64_t> rows() const override;  // matching rows in stored order

  private:
    // Messages are read a batch of rows at a time as a walk reaches them.
    Load loader() const override;
    // The matching rows in stored order: "SELECT m.rid" and `columns` over them.
    Stmt select(const char* columns) const;
    SessionPtr s_;
    std::int64_t folder_;
    std::shared_ptr<FilterImpl> filter_;
    // Messages.Sort: the column and direction of the order ("" for stored order),
    // or a property no column holds, whose values order the rows.
    QString orderBy_;
    std::uint32_t sortTag_ = 0;
    bool descending_ = false;
    HeadingBatch headings_;
};

}  // namespace store
