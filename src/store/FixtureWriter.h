#pragma once

// The reader that checks a fixture and writes it into a store, a key at a
// time; internal to the store. Its rows go in through store/Tables.

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "store/Backend.h"
#include "store/Database.h"
#include "store/Fixture.h"
#include "store/Tables.h"

namespace store::fixture {

class Writer {
  public:
    Writer(Db& db, QString file) : db_(db), file_(std::move(file)) {}
    void run(const QJsonObject& doc);

  private:
    [[noreturn]] void fail(const QString& place, const QString& problem) const {
        throw FixtureError(QStringLiteral("%1: %2: %3").arg(file_, place, problem).toStdString());
    }
    static QString at(const QString& place, const QString& key) {
        return place.isEmpty() ? key : place + QLatin1Char('.') + key;
    }
    static QString at(const QString& place, const QString& key, qsizetype i) {
        return QStringLiteral("%1[%2]").arg(at(place, key)).arg(i);
    }
    void keys(const QJsonObject& o, const QString& place,
              std::initializer_list<const char*> allowed) const;
    QJsonObject object(const QJsonValue& v, const QString& place) const;
    QJsonArray array(const QJsonObject& o, const char* key, const QString& place) const;

    SqlValue text(const QJsonObject& o, const char* key, const QString& place,
                  const QString& def = QString()) const;
    SqlValue integer(const QJsonObject& o, const char* key, const QString& place, std::int64_t min,
                     std::int64_t max, std::int64_t def = 0) const;
    SqlValue boolean(const QJsonObject& o, const char* key, const QString& place,
                     bool def = false) const;
    SqlValue date(const QJsonObject& o, const char* key, const QString& place) const;
    std::optional<std::int64_t> parseDate(const QString& s) const;

    // The id given (upper-cased), or nullopt for one generated from the row.
    std::optional<QString> explicitId(const QJsonObject& o, const QString& place);
    QString assignId(const std::optional<QString>& given, EntryKind kind, std::int64_t rid);

    void store(const QJsonObject& o, const QString& place);
    std::int64_t folder(const QJsonObject& o, const QString& place, std::int64_t store,
                        std::optional<std::int64_t> parent, std::map<QString, std::int64_t>& ids,
                        bool root);
    void message(const QJsonObject& o, const QString& place, std::int64_t folder);
    void fields(const QJsonObject& o, const QString& place, OwnerKind kind, std::int64_t owner);
    void addressList(const QJsonObject& o, const QString& place);
    void entry(const QJsonObject& o, const QString& place, std::int64_t list,
               std::optional<std::int64_t> parent);
    void profiles(const QJsonObject& doc);

    Db& db_;
    QString file_;
    QSet<QString> usedIds_;
    std::vector<std::pair<QString, std::int64_t>> stores_;  // id -> row, in order
    std::vector<std::pair<QString, std::int64_t>> lists_;   // name -> row, in order
};

}  // namespace store::fixture
