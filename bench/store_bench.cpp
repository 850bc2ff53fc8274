// Listing and filtering one folder of 100,000 messages in the embedded store.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include "messaging/SessionFactory.h"
#include "store/Fixture.h"
#include "store/StoreBackend.h"

namespace {

constexpr int kMessages = 100000;

mapi::Ref<mapi::Session> session() {
    static QTemporaryDir dir;
    static mapi::Ref<mapi::Session> s = [] {
        QJsonArray msgs;
        for (int i = 0; i < kMessages; ++i)
            msgs.append(QJsonObject{
                {QStringLiteral("subject"), QStringLiteral("Quarterly report %1").arg(i)},
                {QStringLiteral("text"), QStringLiteral("Body of message %1").arg(i)},
                {QStringLiteral("sender"),
                 QJsonObject{
                     {QStringLiteral("name"), QStringLiteral("Sender %1").arg(i % 50)},
                     {QStringLiteral("address"), QStringLiteral("s%1@example.com").arg(i % 50)}}},
                {QStringLiteral("importance"), i % 3},
                {QStringLiteral("timeReceived"), QStringLiteral("1999-03-01T09:00:00")}});
        const QJsonObject doc{
            {QStringLiteral("stores"),
             QJsonArray{
                 QJsonObject{{QStringLiteral("name"), QStringLiteral("Bench")},
                             {QStringLiteral("folders"),
                              QJsonArray{QJsonObject{{QStringLiteral("id"), QStringLiteral("B16")},
                                                     {QStringLiteral("messages"), msgs}}}}}}}};
        const QString db = dir.filePath(QStringLiteral("bench.db"));
        store::buildStoreFile(doc, db, QStringLiteral("bench"));
        std::make_shared<store::Backend>(db)->install();
        auto s = mapi::createSession();
        s->Logon(mapi::LogonArgs{});
        return s;
    }();
    return s;
}

mapi::Ref<mapi::Messages> folderMessages() {
    return session()->GetFolder(QStringLiteral("B16"), QString())->MessagesOf();
}

void ListWithGetFirstGetNext(benchmark::State& state) {
    for (auto _ : state) {
        auto msgs = folderMessages();
        std::int64_t n = 0;
        for (auto m = msgs->GetFirst(); m; m = msgs->GetNext()) {
            benchmark::DoNotOptimize(m->ID());
            benchmark::DoNotOptimize(m->Subject());
            ++n;
        }
        state.counters["messages"] = static_cast<double>(n);
        // A walk that loses or repeats rows at a batch boundary is no result.
        if (n != kMessages) state.SkipWithError("the walk did not see every message once");
    }
}
BENCHMARK(ListWithGetFirstGetNext)->Unit(benchmark::kMillisecond);

void CountOnly(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(folderMessages()->Count());
}
BENCHMARK(CountOnly)->Unit(benchmark::kMillisecond);

void FilterSubjectSubstring(benchmark::State& state) {
    for (auto _ : state) {
        auto msgs = folderMessages();
        msgs->FilterOf()->Set(QStringLiteral("Subject"), QStringLiteral("report 4242"));
        int hits = 0;
        for (mapi::Ref<mapi::Message> m : *msgs) {
            benchmark::DoNotOptimize(m->Subject());
            ++hits;
        }
        state.counters["hits"] = hits;
        if (hits != 11) state.SkipWithError("expected 4242 and 42420..42429");
    }
}
BENCHMARK(FilterSubjectSubstring)->Unit(benchmark::kMillisecond);

void FilterSenderAndImportance(benchmark::State& state) {
    for (auto _ : state) {
        auto msgs = folderMessages();
        msgs->FilterOf()->Set(QStringLiteral("Sender"), QStringLiteral("s7@"));
        msgs->FilterOf()->Set(QStringLiteral("Importance"), std::int32_t{2});
        benchmark::DoNotOptimize(msgs->Count());
    }
}
BENCHMARK(FilterSenderAndImportance)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    session();  // builds the store outside the timings
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
