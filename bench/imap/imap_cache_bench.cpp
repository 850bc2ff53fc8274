// A folder of QUORVANE_BENCH_MESSAGES messages (20,000 unless set) on a private
// Dovecot, opened cold (empty header cache) and again from the cache.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "DovecotServer.h"
#include "imap/HeaderCache.h"

namespace {

const QString kFolder = QStringLiteral("Big");

int messageCount() {
    const char* env = std::getenv("QUORVANE_BENCH_MESSAGES");
    return env ? std::atoi(env) : 20000;
}

struct Account {
    DovecotServer server;
    imap::ConnectOptions options;

    Account() {
        options.host = QStringLiteral("127.0.0.1");
        options.port = server.imapPort();
        if (options.port == 0) qFatal("Dovecot did not start: %s", qPrintable(server.failure()));
        auto client = logon();
        client->create(kFolder);
        for (int i = 0; i < messageCount(); ++i) {
            const QByteArray message =
                QStringLiteral(
                    "From: Sender %1 <sender%1@example.com>\r\nTo: alice@example.com\r\n"
                    "Subject: Message number %1\r\nDate: Mon, 02 Mar 2026 10:00:00 +0000\r\n"
                    "\r\nBody of message %1.\r\n")
                    .arg(i)
                    .toUtf8();
            client->append(kFolder, message, i % 3 ? unsigned(imap::Seen) : 0u);
        }
    }

    std::unique_ptr<imap::Client> logon() const {
        auto client = std::make_unique<imap::Client>();
        client->connect(options);
        client->login(QStringLiteral("alice"), QStringLiteral("secret"));
        return client;
    }
};

Account& account() {
    static Account a;
    return a;
}

void BM_OpenFolderCold(benchmark::State& state) {
    auto client = account().logon();
    for (auto _ : state) {
        QTemporaryDir dir;
        imap::HeaderCache cache(dir.filePath(QStringLiteral("cache.sqlite")));
        cache.sync(*client, kFolder);
        benchmark::DoNotOptimize(cache.messages(kFolder).size());
    }
    state.counters["messages"] = messageCount();
}

void BM_OpenFolderCached(benchmark::State& state) {
    auto client = account().logon();
    QTemporaryDir dir;
    imap::HeaderCache cache(dir.filePath(QStringLiteral("cache.sqlite")));
    cache.sync(*client, kFolder);
    // What a walk of the folder reads: the listing, envelopes left in the cache.
    for (auto _ : state) {
        cache.sync(*client, kFolder);
        benchmark::DoNotOptimize(cache.listing(kFolder).size());
    }
    state.counters["messages"] = messageCount();
}

}  // namespace

BENCHMARK(BM_OpenFolderCold)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_OpenFolderCached)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    // Stopped while the application object still exists: its script runs through QProcess.
    account().server.stop();
    return 0;
}
