#pragma once

// A message's recipients, held in memory until the message is updated.

#include <optional>
#include <vector>

#include "model/Enumeration.h"
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

class RecipientsImpl : public model::ListCollection<mapi::Recipient, mapi::Recipients,
                                                    std::shared_ptr<RecipientImpl>> {
  public:
    explicit RecipientsImpl(SessionPtr s) : s_(std::move(s)) {}
    mapi::Ref<mapi::Recipient> Add(const QString& name, std::int32_t type) override;

    std::vector<std::shared_ptr<RecipientImpl>> items;

  protected:
    const std::vector<std::shared_ptr<RecipientImpl>>& held() override { return items; }

  private:
    SessionPtr s_;
};

}  // namespace store
