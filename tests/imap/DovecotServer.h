#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A private Dovecot started by dovecot-fixture.sh in a temporary folder and stopped
// when this goes out of scope. Users alice, bob and legacy, password "secret".
class DovecotServer {
  public:
    DovecotServer();
    // Serves `certificate` (PEM: the leaf, then any intermediates) with its `key`
    // instead of a self-signed certificate made for the run.
    DovecotServer(const QString& certificate, const QString& key);
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    // Empty when running; otherwise why not (the tests skip only when the binary is missing).
    bool missing() const { return missing_; }
    const QString& failure() const { return failure_; }

    quint16 imapPort() const { return imapPort_; }
    quint16 imapsPort() const { return imapsPort_; }
    // SHA-256 of the (leaf) certificate the instance presents, as lowercase hex.
    QString certificateFingerprint() const;
    void stop();

  private:
    void start(const QStringList& certificateAndKey);
    bool run(const char* command, const QStringList& more = {});

    QTemporaryDir dir_;
    bool missing_ = false;
    bool running_ = false;
    QString failure_;
    quint16 imapPort_ = 0;
    quint16 imapsPort_ = 0;
};
