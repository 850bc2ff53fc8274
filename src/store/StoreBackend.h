#pragma once

// One installed embedded store: the store file, its connection and the
// sessions logged on to it in this process.

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

#include "store/Database.h"

namespace store {

class SessionImpl;

class Backend : public std::enable_shared_from_this<Backend> {
  public:
    // `keep` owns a temporary folder that must live as long as the back-end;
    // `prepare` runs once on the store when it is first opened.
    explicit Backend(QString dbPath, std::shared_ptr<QTemporaryDir> keep = {},
                     std::function<void(Db&)> prepare = {})
        : path_(std::move(dbPath)), keep_(std::move(keep)), prepare_(std::move(prepare)) {}

    // The store, opened on first use so that a damaged or busy file fails the
    // library call that needs it; a later call tries again.
    std::shared_ptr<Db> db();
    const QString& path() const { return path_; }

    // Logged-on sessions, oldest first, for NewSession = False.
    void attach(SessionImpl* s);
    void detach(SessionImpl* s);
    SessionImpl* firstLoggedOn() const { return live_.empty() ? nullptr : live_.front(); }

    // Installs this back-end as the process's messaging library.
    void install();

  private:
    QString path_;
    std::shared_ptr<QTemporaryDir> keep_;
    std::function<void(Db&)> prepare_;
    std::shared_ptr<Db> db_;
    std::vector<SessionImpl*> live_;
};

// The name of the store file inside a profile directory.
inline constexpr const char* kStoreFileName = "mailstore.db";

}  // namespace store
