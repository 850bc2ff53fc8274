#pragma once

// A message's attachments; the data of a stored one stays in the store.

#include <optional>
#include <vector>

#include "model/Enumeration.h"
#include "store/SessionState.h"

namespace store {

class AttachmentImpl : public mapi::Attachment {
  public:
    AttachmentImpl() = default;
    // A stored attachment: its data stays in the store until it is written to
    // a file or replaced, so that opening a message with a large attachment
    // does not read it. `size` is the data's length, -1 when it has none.
    AttachmentImpl(SessionPtr s, std::int64_t rid, std::int64_t size)
        : s_(std::move(s)), storedRid_(rid), storedSize_(size) {}
    QString Name() override;
    std::int32_t Type() override;
    std::int32_t Position() override;
    void SetName(const QString& v) override { name = v; }
    void SetType(std::int32_t v) override { type = v; }
    void SetPosition(std::int32_t v) override { position = v; }
    void ReadFromFile(const QString& path) override;
    void WriteToFile(const QString& path) override;

    // The data's length; -1 when there is none.
    std::int64_t dataSize() const;
    // The stored row still holding this attachment's data (0 when the data is
    // new or there is none), and the data held in memory otherwise.
    std::int64_t storedRid() const { return storedSize_ >= 0 ? storedRid_ : 0; }
    const std::optional<QByteArray>& data() const { return data_; }
    // After an Update: the data now lives in row `rid`.
    void stored(SessionPtr s, std::int64_t rid);

    std::optional<QString> name;
    std::optional<std::int32_t> type, position;

  private:
    SessionPtr s_;
    std::int64_t storedRid_ = 0;
    std::int64_t storedSize_ = -1;
    std::optional<QByteArray> data_;
};

class AttachmentsImpl : public model::ListCollection<mapi::Attachment, mapi::Attachments,
                                                     std::shared_ptr<AttachmentImpl>> {
  public:
    mapi::Ref<mapi::Attachment> Add() override;

    std::vector<std::shared_ptr<AttachmentImpl>> items;

  protected:
    const std::vector<std::shared_ptr<AttachmentImpl>>& held() override { return items; }
};

}  // namespace store
