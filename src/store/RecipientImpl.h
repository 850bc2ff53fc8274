#pragma once

// A message's recipients, held in memory until the message is updated.

#include <optional>
#include <vector>

#include "store/SessionState.h"

namespace store {

class RecipientImpl : public mapi::Recipient {
  public:
    explicit RecipientImpl(SessionPtr s) : s_(std::move(s)) {}
    QString Name() override;
    std::int32_t Type() override;
    QString Address() override;
    std::int32_t DisplayType() override;
    void SetName(const QString& v) override;
    void SetType(std::int32_t v) override;
    void SetAddress(const QString& v) override;
    void Resolve() override;

    std::optional<QString> name, address, addressType;
    std::optional<std::int32_t> type, displayType;
    QString entryId;

  private:
    SessionPtr s_;
};

class RecipientsImpl : public mapi::Recipients {
  public:
    explicit RecipientsImpl(SessionPtr s) : s_(std::move(s)) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Recipient> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Recipient>> enumerate() override;
    mapi::Ref<mapi::Recipient> Add(const QString& name, std::int32_t type) override;

    std::vector<std::shared_ptr<RecipientImpl>> items;

  private:
    SessionPtr s_;
};

}  // namespace store
