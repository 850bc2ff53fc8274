#pragma once

// Account passwords are kept out of the store file: in the desktop's secret
// service (through QtKeychain) when one answers, else in the file "secrets"
// beside the store, readable by its owner alone. Which one is used is found
// out by trying: no session bus, no service, an error or no answer within
// kSecretServiceWaitMs, and the file is used for the rest of the run.

#include <QString>
#include <optional>

namespace store {

// Whose password it is; with the store's path, so that two profile folders
// holding the same account keep their passwords apart.
struct SecretOwner {
    QString storePath;
    QString profile;
    QString kind;
    QString server;
    QString user;
};

constexpr int kSecretServiceWaitMs = 5000;

// The service name and key a secret service holds an account's password under.
QString secretServiceName();
QString secretServiceKey(const SecretOwner& owner);

// The owner-only file used when no secret service answers.
QString secretsFilePath(const QString& storePath);

// Keeps `password`, replacing one kept before. Throws mapi::Error
// (MAPI_E_DISK_ERROR) when neither the service nor the file can keep it.
void keepSecret(const SecretOwner& owner, const QString& password);
// The password kept for the owner, wherever it is.
std::optional<QString> findSecret(const SecretOwner& owner);
// Forgets the owner's password in both places; throws as keepSecret.
void forgetSecret(const SecretOwner& owner);

// Whether the secret service answered the last time it was asked (false once
// it failed; tests use it to tell the two places apart).
bool secretServiceInUse();

}  // namespace store
