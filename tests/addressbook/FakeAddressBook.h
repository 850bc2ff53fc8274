#pragma once

// A small in-memory address book behind the messaging interfaces: address
// lists with entries, distribution-list members, fields and the alias filter.
// Every call is logged by name ("AddressEntries.Add", "AddressEntry.Update" ...)
// and any call can be made to fail on its n-th use.

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

#include "messaging/Objects.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace fake {

struct ListData;

struct EntryData {
    QString id;
    QString name;
    QString address;
    QString type;
    QString alias;
    std::map<std::int32_t, mapi::Variant> props;
    std::vector<std::shared_ptr<EntryData>> members;  // stored members, in order
    ListData* list = nullptr;
    EntryData* parent = nullptr;  // set for a distribution-list member
    bool stored = false;
    int updates = 0;
};

struct ListData {
    QString name;
    bool readOnly = false;
    std::vector<std::shared_ptr<EntryData>> entries;  // stored entries
};

class World {
  public:
    std::vector<std::shared_ptr<ListData>> lists;
    QStringList log;

    ListData& addList(const QString& name, bool readOnly = false);
    EntryData& addEntry(ListData& list, const QString& name, const QString& address,
                        const QString& alias, const QString& type = QStringLiteral("SMTP"));

    // The n-th call (1-based) named `call` throws `number` (and every later
    // one too when `sticky`).
    void failOn(const QString& call, int nth, std::int32_t number, bool sticky = false);
    void clearFailures() { failures_.clear(); }
    void hit(const QString& call);
    int calls(const QString& call) const;

    std::function<void(EntryData&)> onDetails;

    mapi::Ref<mapi::Session> session();

  private:
    struct Failure {
        QString call;
        int nth;
        std::int32_t number;
        bool sticky;
    };
    std::vector<Failure> failures_;
    std::map<QString, int> counts_;
    int nextId_ = 1;

  public:
    QString newId() { return QStringLiteral("E%1").arg(nextId_++); }
};

}  // namespace fake
