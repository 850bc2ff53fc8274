#include "import/Importer.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "import/MailSources.h"
#include "import/MessageWriter.h"
#include "import/StoreTarget.h"
#include "messaging/Error.h"
#include "mime/MimeReader.h"
#include "privatefiles/PrivateFiles.h"

namespace import {

namespace {

struct Item {
    QStringList folder;
    QString origin;
    qint64 consumed = 0;
    mime::ParseResult result;
    QString sourceError;  // set on an item that only reports a source that stopped
};

// Parsed messages handed from the reading thread to the writing one; bounded
// by bytes so memory stays flat whatever the source size.
class Queue {
  public:
    void push(Item&& item) {
        const qint64 cost = costOf(item);
        std::unique_lock lock(m_);
        notFull_.wait(lock, [&] { return bytes_ < kLimit || items_.empty(); });
        bytes_ += cost;
        items_.push_back(std::move(item));
        notEmpty_.notify_one();
    }
    void close() {
        std::lock_guard lock(m_);
        closed_ = true;
        notEmpty_.notify_one();
    }
    // The writer wants no more: the reader stops at its next message.
    void stop() {
        std::lock_guard lock(m_);
        stopped_ = true;
        items_.clear();
        bytes_ = 0;
        notFull_.notify_one();
    }
    bool stopped() {
        std::lock_guard lock(m_);
        return stopped_;
    }
    // False when closed and drained.
    bool pop(Item& out) {
        std::unique_lock lock(m_);
        notEmpty_.wait(lock, [&] { return !items_.empty() || closed_; });
        if (items_.empty()) return false;
        out = std::move(items_.front());
        items_.pop_front();
        bytes_ -= costOf(out);
        notFull_.notify_one();
        return true;
    }

  private:
    static qint64 costOf(const Item& i) {
        if (!i.result.message) return 1024;
        qint64 c = i.result.message->raw.size() + i.result.message->body.size() * 2 + 1024;
        for (const auto& a : i.result.message->attachments) c += a.data.size();
        return c;
    }
    static constexpr qint64 kLimit = 64ll << 20;
    std::mutex m_;
    std::condition_variable notEmpty_, notFull_;
    std::deque<Item> items_;
    qint64 bytes_ = 0;
    bool closed_ = false;
    bool stopped_ = false;
};

// Thrown through a source's reader to end it early.
struct ReadingStopped {};

void readAll(const std::vector<Source>& sources, Queue& queue) try {
    for (const Source& s : sources) {
        const QString error = readSource(s, [&](RawMessage&& raw) {
            if (queue.stopped()) throw ReadingStopped{};
            Item item;
            item.folder = std::move(raw.folder);
            item.origin = std::move(raw.origin);
            item.consumed = raw.consumed;
            item.result = mime::parseMessage(std::move(raw.raw), raw.hints);
            queue.push(std::move(item));
        });
        if (!error.isEmpty()) {
            Item item;
            item.sourceError = QStringLiteral("%1: reading stopped: %2").arg(s.path, error);
            queue.push(std::move(item));
        }
    }
    queue.close();
} catch (const ReadingStopped&) {
    queue.close();
}

std::shared_ptr<store::Db> openStore(const QString& path) {
    const QString dir = QFileInfo(path).absolutePath();
    if (!privatefiles::makeFolder(dir))
        mapi::raise(mapi::code::DiskError,
                    QStringLiteral("The profile folder %1 could not be created.").arg(dir));
    return store::Db::open(path, true);
}

}  // namespace

int ImportReport::exitStatus() const {
    if (!sourceErrors.isEmpty()) return 1;
    if (imported > 0 || duplicates > 0) return 0;
    return skipped.empty() ? 0 : 1;
}

ImportReport runImport(const ImportOptions& options) {
    ImportReport report;
    report.profile = options.profile;
    std::vector<Source> sources;
    for (const QString& path : options.sources) {
        Recognized r = recognizeSource(path);
        if (r.source) {
            sources.push_back(*r.source);
            report.totals.bytesTotal += r.source->bytes;
        } else {
            report.sourceErrors << r.error;
        }
    }
    if (sources.empty()) return report;
    report.storeName = options.storeName.isEmpty() ? sources.front().storeName : options.storeName;

    // The store file, profile and store are made with the first message that
    // can be written, in its transaction: a source with no mail in it must not
    // leave an empty store that every logon lists.
    std::shared_ptr<store::Db> db;
    std::optional<StoreTarget> target;

    Queue queue;
    std::thread reader(readAll, std::cref(sources), std::ref(queue));
    QElapsedTimer clock;
    clock.start();
    qint64 lastReport = -1000;
    try {
        std::optional<MessageWriter> writer;
        std::optional<store::Db::Transaction> tx;
        int inBatch = 0;
        qint64 batchBytes = 0;
        Item item;
        while (queue.pop(item)) {
            if (options.cancel && options.cancel->load()) {
                report.cancelled = true;
                queue.stop();
                break;
            }
            if (!item.sourceError.isEmpty()) {
                report.sourceErrors << item.sourceError;
                continue;
            }
            ++report.totals.messages;
            report.totals.bytesDone += item.consumed;
            if (!item.result.message) {
                report.skipped.push_back({item.origin, item.result.unreadable});
            } else {
                if (!db) db = openStore(options.storePath);
                if (!tx) tx.emplace(*db);
                if (!target) {
                    StoreTarget::ensureSchema(*db);
                    target.emplace(*db, options.profile, report.storeName);
                    report.storeUsed = true;
                }
                if (!writer) writer.emplace(*db);
                const mime::ParsedMessage& m = *item.result.message;
                if (writer->write(target->folder(item.folder), m)) {
                    ++report.imported;
                    if (!m.warnings.isEmpty()) ++report.repaired;
                } else {
                    ++report.duplicates;
                }
                ++inBatch;
                batchBytes += m.raw.size();
                if (inBatch >= options.batchMessages || batchBytes >= (64ll << 20)) {
                    tx->commit();
                    tx.reset();
                    inBatch = 0;
                    batchBytes = 0;
                }
            }
            if (options.progress && clock.elapsed() - lastReport >= 250) {
                lastReport = clock.elapsed();
                report.totals.seconds = lastReport / 1000.0;
                options.progress(report.totals);
            }
        }
        if (tx) tx->commit();
        // A stopped reader may still be between two pushes.
        if (report.cancelled) {
            Item drop;
            while (queue.pop(drop)) {
            }
        }
    } catch (...) {
        // Let the reader finish into a queue nobody empties no more.
        Item drop;
        while (queue.pop(drop)) {
        }
        reader.join();
        throw;
    }
    reader.join();
    report.totals.seconds = clock.elapsed() / 1000.0;
    return report;
}

namespace {
QString duration(double seconds) {
    const auto s = static_cast<qint64>(seconds + 0.5);
    return s >= 60 ? QStringLiteral("%1 min %2 s").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'))
                   : QStringLiteral("%1 s").arg(s);
}
}  // namespace

QString progressText(const ImportProgress& p) {
    const double rate = p.seconds > 0 ? p.messages / p.seconds : 0;
    const double byteRate = p.seconds > 0 ? p.bytesDone / p.seconds : 0;
    QString line = QStringLiteral("%1 messages, %2 messages/s").arg(p.messages).arg(qRound(rate));
    if (byteRate > 0 && p.bytesTotal > p.bytesDone)
        line += QStringLiteral(", about %1 left")
                    .arg(duration((p.bytesTotal - p.bytesDone) / byteRate));
    return line;
}

QString summaryText(const ImportReport& r) {
    QString out;
    if (r.cancelled)
        out += QStringLiteral(
            "Cancelled: what was imported is kept; importing again adds what is missing.\n");
    for (const QString& e : r.sourceErrors) out += e + QLatin1Char('\n');
    if (!r.storeName.isEmpty() && !r.storeUsed) {
        out += QStringLiteral("Nothing imported, skipped %1: no store was created or changed.\n")
                   .arg(r.skipped.size());
    } else if (!r.storeName.isEmpty()) {
        out += QStringLiteral(
                   "Imported %1, duplicates %2, skipped %3 into store \"%4\" of profile "
                   "\"%5\".\n")
                   .arg(r.imported)
                   .arg(r.duplicates)
                   .arg(r.skipped.size())
                   .arg(r.storeName, r.profile);
        if (r.repaired > 0)
            out += QStringLiteral("%1 of them read with repairs.\n").arg(r.repaired);
    }
    for (const SkippedMessage& s : r.skipped)
        out += QStringLiteral("Skipped %1: %2\n").arg(s.origin, s.reason);
    return out;
}

}  // namespace import
