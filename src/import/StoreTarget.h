#pragma once

// Where imported mail goes in the embedded store: a profile (created when
// missing), one of its stores by name (created when missing) and folders by
// path below the store's top folder (created when missing).

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "store/Database.h"

namespace import {

class StoreTarget {
  public:
    // Makes sure the tables the importer adds exist; a transaction must be open.
    static void ensureSchema(store::Db& db);

    StoreTarget(store::Db& db, const QString& profile, const QString& storeName);
    std::int64_t folder(const QStringList& path);
    const QString& storeName() const { return storeName_; }

  private:
    std::int64_t profileRow(const QString& name);
    std::int64_t storeRow(std::int64_t profile, const QString& name);
    std::int64_t childFolder(std::int64_t parent, const QString& name);

    store::Db& db_;
    QString storeName_;
    std::int64_t store_ = 0;
    std::int64_t root_ = 0;
    QHash<QString, std::int64_t> folders_;
};

}  // namespace import
