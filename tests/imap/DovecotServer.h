#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A private Dovecot started by dovecot-fixture.sh in a temporary folder and stopped
// when this goes out of scope. Users alice, bob and legacy, password "secret".
class DovecotServer {
  public:
    DovecotServer();
    ~DovecotServer();
    DovecotServer(const DovecotServer&) = delete;
    DovecotServer& operator=(const DovecotServer&) = delete;

    // Empty when running; otherwise why not (the tests skip only when the binary is missing).
    bool missing() const { return missing_; }
    const QString& failure() const { return failure_; }

    quint16 imapPort() const { return imapPort_; }
    quint16 imapsPort() const { return imapsPort_; }
    // SHA-256 of the self-signed certificate the instance presents, as lowercase hex.
    QString certificateFingerprint() const;
    void stop();

  private:
    bool run(const char* command);

    QTemporaryDir dir_;
    bool missing_ = false;
    bool running_ = false;
    QString failure_;
    quint16 imapPort_ = 0;
    quint16 imapsPort_ = 0;
};
