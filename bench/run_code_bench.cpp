// Running generated code over a folder of 100,000 messages: a loop printing
// every subject through the interpreter (goal: 1 s or less in a release build),
// beside the raw SQLite read of the same rows and the same walk in C++.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>

#include "messaging/SessionFactory.h"
#include "store/Fixture.h"
#include "store/StoreBackend.h"
#include "vbrun/Interpreter.h"
#include "vbrun/Parser.h"

namespace {

constexpr int kMessages = 100000;

struct Mailbox {
    QTemporaryDir dir;
    QString db;
    mapi::Ref<mapi::Session> session;
    Mailbox() {
        QJsonArray msgs;
        for (int i = 0; i < kMessages; ++i)
            msgs.append(QJsonObject{
                {QStringLiteral("subject"), QStringLiteral("Quarterly report %1").arg(i)},
                {QStringLiteral("text"), QStringLiteral("Body of message %1").arg(i)}});
        const QJsonObject doc{
            {QStringLiteral("stores"),
             QJsonArray{
                 QJsonObject{{QStringLiteral("name"), QStringLiteral("Bench")},
                             {QStringLiteral("folders"),
                              QJsonArray{QJsonObject{{QStringLiteral("id"), QStringLiteral("B16")},
                                                     {QStringLiteral("messages"), msgs}}}}}}}};
        db = dir.filePath(QStringLiteral("bench.db"));
        store::buildStoreFile(doc, db, QStringLiteral("bench"));
        std::make_shared<store::Backend>(db)->install();
        session = mapi::createSession();
        session->Logon(mapi::LogonArgs{});
    }
};

Mailbox& mailbox() {
    static Mailbox m;
    return m;
}

// Counts what would be printed; the Immediate window's own cost is not measured.
struct CountingHost : vbrun::Host {
    std::size_t lines = 0, chars = 0;
    void print(const QString& line) override {
        ++lines;
        chars += static_cast<std::size_t>(line.size());
    }
    int msgBox(const QString&, int, const QString&) override { return 1; }
};

void runLoop(benchmark::State& state, const char* source) {
    const vbrun::Program program = vbrun::parse(QString::fromUtf8(source));
    const mapi::Variant session(std::static_pointer_cast<mapi::Object>(mailbox().session.shared()));
    for (auto _ : state) {
        CountingHost host;
        vbrun::Interpreter in(host);
        in.bind(QStringLiteral("oSession"), session);
        if (in.run(program)) state.SkipWithError("run-time error");
        if (host.lines != kMessages) state.SkipWithError("wrong line count");
        benchmark::DoNotOptimize(host.chars);
    }
}

void BM_InterpretedForEachPrintingSubjects(benchmark::State& state) {
    runLoop(state,
            "Set oMsgs = oSession.GetFolder(\"B16\", \"\").Messages\n"
            "For Each oMsg In oMsgs\n"
            "  Debug.Print oMsg.Subject\n"
            "Next\n");
}
BENCHMARK(BM_InterpretedForEachPrintingSubjects)->Unit(benchmark::kMillisecond)->Iterations(3);

// The folder walk exactly as the generated message-listing block writes it.
void BM_InterpretedGetNextPrintingSubjects(benchmark::State& state) {
    runLoop(state,
            "Set oMsgs = oSession.GetFolder(\"B16\", \"\").Messages\n"
            "Set oMsg = oMsgs.GetFirst\n"
            "While Not oMsg Is Nothing\n"
            "  debug.print oMsg.Subject\n"
            "  Set oMsg = oMsgs.GetNext\n"
            "Wend\n");
}
BENCHMARK(BM_InterpretedGetNextPrintingSubjects)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CompiledWalkOfSubjects(benchmark::State& state) {
    for (auto _ : state) {
        auto msgs = mailbox().session->GetFolder(QStringLiteral("B16"), QString())->MessagesOf();
        std::size_t chars = 0;
        for (auto m = msgs->GetFirst(); m; m = msgs->GetNext())
            chars += static_cast<std::size_t>(m->Subject().size());
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_CompiledWalkOfSubjects)->Unit(benchmark::kMillisecond)->Iterations(3);

// How long a Stop waits: the window sees the click the next time the run lets
// events through, and the run ends at the next statement after that. The
// figures are the longest gap between two such moments in a runaway loop, and
// the time from the click to the end of the run (goal: 100 ms or less).
struct StoppingHost : CountingHost {
    std::atomic<bool> cancel{false};
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now(), last = start,
                                          clicked;
    double longestGapMs = 0;
    void idle() override {
        const auto now = std::chrono::steady_clock::now();
        longestGapMs =
            std::max(longestGapMs, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        if (!cancel && now - start > std::chrono::milliseconds(500)) {
            clicked = now;
            cancel = true;
        }
    }
};

void BM_StopOfARunawayLoop(benchmark::State& state) {
    const vbrun::Program program = vbrun::parse(QStringLiteral(
        "Do\n  n = n + 1\n  s = \"subject \" & n\n  If Len(s) > 100 Then Exit Do\nLoop\n"));
    double gap = 0, stop = 0;
    for (auto _ : state) {
        StoppingHost host;
        vbrun::Interpreter in(host);
        in.setCancelFlag(&host.cancel);
        const auto failure = in.run(program);
        const auto ended = std::chrono::steady_clock::now();
        if (!failure || failure->number != 18) state.SkipWithError("the loop was not stopped");
        gap = std::max(gap, host.longestGapMs);
        stop =
            std::max(stop, std::chrono::duration<double, std::milli>(ended - host.clicked).count());
    }
    state.counters["longest_gap_ms"] = gap;
    state.counters["click_to_stop_ms"] = stop;
}
BENCHMARK(BM_StopOfARunawayLoop)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RawSqliteReadOfSubjects(benchmark::State& state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(mailbox().db.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT m.subject FROM messages m JOIN folders f ON m.folder = f.rid "
                           "WHERE f.eid = 'B16' ORDER BY m.rid",
                           -1, &st, nullptr);
        std::size_t chars = 0, rows = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            chars += static_cast<std::size_t>(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)),
                                  sqlite3_column_bytes(st, 0))
                    .size());
            ++rows;
        }
        sqlite3_finalize(st);
        if (rows != kMessages) state.SkipWithError("wrong row count");
        benchmark::DoNotOptimize(chars);
    }
    sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteReadOfSubjects)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
