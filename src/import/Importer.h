#pragma once

// Importing mail from files into a profile's store: the sources are read and
// parsed on one thread while the other writes batches of messages, each batch
// one transaction, so an import stopped at any point leaves a consistent store
// and running it again adds only what is missing.

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

namespace import {

struct ImportProgress {
    qint64 messages = 0;  // read so far, whatever became of them
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    double seconds = 0;
};

struct ImportOptions {
    QStringList sources;
    QString profile = QStringLiteral("Default");
    QString storeName;                                    // empty: named after the first source
    QString storePath;                                    // created for the first message written
    std::function<void(const ImportProgress&)> progress;  // called a few times a second at most
    int batchMessages = 2000;
    // Set from another thread to stop: what was written stays, and an import
    // run again adds only what is missing.
    const std::atomic<bool>* cancel = nullptr;
};

struct SkippedMessage {
    QString origin;
    QString reason;
};

struct ImportReport {
    QString profile;
    QString storeName;
    qint64 imported = 0;
    qint64 duplicates = 0;
    qint64 repaired = 0;  // imported, but the parser had to guess or repair something
    std::vector<SkippedMessage> skipped;
    QStringList sourceErrors;  // sources that could not be read (at all or to the end)
    ImportProgress totals;
    bool storeUsed = false;  // a message reached the store: its file, profile and store exist
    bool cancelled = false;  // stopped by ImportOptions::cancel before the sources' end

    // 1 when a source could not be read (at all or to its end), or when it
    // held messages and none could be imported or was there already; else 0.
    int exitStatus() const;
};

// Throws mapi::Error when the store cannot be opened or written.
ImportReport runImport(const ImportOptions& options);

// The final summary, one line per skipped message after the counts.
QString summaryText(const ImportReport& report);

// "1200 messages, 850 messages/s, about 12 s left": where an import stands.
QString progressText(const ImportProgress& progress);

}  // namespace import
