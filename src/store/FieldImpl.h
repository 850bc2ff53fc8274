#pragma once

// A Field and the Fields collection over any FieldOwner.

#include <memory>

#include "store/PropertyBag.h"

namespace store {

class FieldImpl : public mapi::Field {
  public:
    FieldImpl(std::shared_ptr<FieldOwner> owner, PropSlot slot)
        : owner_(std::move(owner)), slot_(std::move(slot)) {}
    QString Name() override { return slot_.name; }
    std::int32_t ID() override { return static_cast<std::int32_t>(slot_.tag); }
    mapi::Variant Type() override;
    mapi::Variant Value() override;
    void SetValue(const mapi::Variant& v) override;

  private:
    std::shared_ptr<FieldOwner> owner_;
    PropSlot slot_;
};

class FieldsImpl : public mapi::Fields {
  public:
    explicit FieldsImpl(std::shared_ptr<FieldOwner> owner) : owner_(std::move(owner)) {}
    std::int32_t Count() override;
    mapi::Ref<mapi::Field> Item(std::int32_t index) override;
    std::unique_ptr<mapi::Enumerator<mapi::Field>> enumerate() override;
    mapi::Ref<mapi::Field> ItemByTag(std::int32_t tag) override;
    mapi::Ref<mapi::Field> ItemByName(const QString& name) override;
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, std::int16_t type,
                               const mapi::Variant& value) override;
    mapi::Ref<mapi::Field> Add(const mapi::Variant& nameOrTag, const mapi::Variant& value) override;

  private:
    std::shared_ptr<FieldOwner> owner_;
};

}  // namespace store
