#pragma once

// An address entry, kept in memory until Update writes it.

#include <memory>
#include <vector>

#include "store/PropertyBag.h"
#include "store/SessionState.h"

namespace store {

// The display types of a distribution list: one of the lists, or the
// user's own.
inline constexpr std::int32_t kDistList = 1;
inline constexpr std::int32_t kPrivateDistList = 5;

class AddressEntryImpl : public mapi::AddressEntry, public BagFields {
  public:
    AddressEntryImpl(SessionPtr s, std::int64_t list, bool readOnly);
    static std::shared_ptr<AddressEntryImpl> load(const SessionPtr& s, std::int64_t rid);
    // A message's sender: not stored in any list, read-only.
    static std::shared_ptr<AddressEntryImpl> transient(const SessionPtr& s, const QString& name,
                                                       const QString& address);

    QString ID() override;
    QString Name() override;
    QString Address() override;
    QString Type() override;
    std::int32_t DisplayType() override;
    void SetName(const QString& v) override;
    void SetAddress(const QString& v) override;
    void SetType(const QString& v) override;
    mapi::Ref<mapi::Fields> FieldsOf() override;
    mapi::Ref<mapi::AddressEntries> Members() override;
    void Details() override;
    void Update() override;
    void Delete() override;

    static const std::vector<PropertyBag::Standard>& standardTable();
    std::int64_t rid() const { return rid_; }
    QString alias() const;
    void setParent(std::shared_ptr<AddressEntryImpl> p) { parent_ = std::move(p); }

  private:
    void checkWritable() const;
    void checkFieldChange(bool adding) override;
    void save();  // inside a transaction

    SessionPtr s_;
    std::int64_t rid_ = 0;
    std::int64_t list_;
    bool readOnly_;
    bool transient_ = false;
    bool deleted_ = false;
    QString eid_;
    std::shared_ptr<AddressEntryImpl> parent_;
};

// Entries of the session's address lists whose display name or alias equals
// `name` (ignoring case), one per distinct address.
std::vector<std::shared_ptr<AddressEntryImpl>> findEntries(const SessionPtr& s,
                                                           const QString& name);

}  // namespace store
