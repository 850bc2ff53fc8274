#pragma once

#include <QByteArray>
#include <QFile>
#include <QMutex>
#include <QString>

namespace imap {

enum class Direction { Sent, Received };

// Receives every command and response of a connection, passwords already masked.
class ProtocolLog {
  public:
    virtual ~ProtocolLog() = default;
    virtual void write(Direction direction, const QByteArray& data) = 0;
};

// Appends to a file, one "C: " or "S: " prefix per line, for diagnosing a server.
class FileProtocolLog : public ProtocolLog {
  public:
    explicit FileProtocolLog(const QString& path);
    bool isOpen() const { return file_.isOpen(); }
    void write(Direction direction, const QByteArray& data) override;

  private:
    QMutex mutex_;
    QFile file_;
};

}  // namespace imap
