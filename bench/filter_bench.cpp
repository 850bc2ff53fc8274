// A message filter over a folder of 100,000 messages in the real mail store:
// a subject substring that a handful of messages match, with the result text
// built as the Filter button builds it, beside walking the same folder
// unfiltered and reading the same three parts of every message.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "BigFolderFixture.h"
#include "messaging/SessionFactory.h"
#include "store/Backend.h"

namespace {

constexpr int kMessages = 100000;
constexpr int kEvery = 20000;  // every kEvery-th message is about the budget

QString writeFixture(const QString& dir) {
    return bench::writeBigFolderFixture(dir, kMessages, [](int i) {
        const QString subject = i % kEvery == 7 ? QStringLiteral("Quarterly budget %1").arg(i)
                                                : QStringLiteral("Message number %1").arg(i);
        return QJsonObject{
            {QStringLiteral("subject"), subject},
            {QStringLiteral("sender"),
             QJsonObject{{QStringLiteral("name"), QStringLiteral("Ann Able")},
                         {QStringLiteral("address"), QStringLiteral("ann@example.com")}}},
            {QStringLiteral("timeReceived"), QStringLiteral("1999-03-01T09:30:00")}};
    });
}

struct Mailbox {
    QTemporaryDir dir;
    mapi::Ref<mapi::Session> session;
    Mailbox() {
        store::installFixtureBackend(writeFixture(dir.path()));
        session = mapi::createSession();
        mapi::LogonArgs args;
        args.showDialog = false;
        args.newSession = true;
        session->Logon(args);
    }
};

Mailbox& mailbox() {
    static Mailbox m;
    return m;
}

// The result text of the Filter button for whatever the collection yields.
int resultLines(const mapi::Ref<mapi::Messages>& msgs, QString& text) {
    int n = 0;
    for (const mapi::Ref<mapi::Message>& m : *msgs) {
        text += QStringLiteral("Time Rec'd:  ") + m->TimeReceived().toText() +
                QStringLiteral("\tFrom:  ") + m->Sender()->Name() + QStringLiteral("\tSubject:  ") +
                m->Subject() + QLatin1Char('\n');
        ++n;
    }
    return n;
}

void BM_FilterSubjectSubstring(benchmark::State& state) {
    mapi::Ref<mapi::Session> session = mailbox().session;
    int matched = 0;
    for (auto _ : state) {
        mapi::Ref<mapi::Messages> msgs =
            session->GetFolder(QStringLiteral("1001"), QStringLiteral("00E1"))->MessagesOf();
        msgs->FilterOf()->Set(QStringLiteral("Subject"), QStringLiteral("budget"));
        QString text;
        matched = resultLines(msgs, text);
        benchmark::DoNotOptimize(text);
    }
    if (matched != kMessages / kEvery) state.SkipWithError("unexpected number of matches");
    state.counters["matched"] = matched;
}
BENCHMARK(BM_FilterSubjectSubstring)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_EnumerateUnfiltered(benchmark::State& state) {
    mapi::Ref<mapi::Session> session = mailbox().session;
    int seen = 0;
    for (auto _ : state) {
        mapi::Ref<mapi::Messages> msgs =
            session->GetFolder(QStringLiteral("1001"), QStringLiteral("00E1"))->MessagesOf();
        QString text;
        seen = resultLines(msgs, text);
        benchmark::DoNotOptimize(text);
    }
    state.counters["messages"] = seen;
}
BENCHMARK(BM_EnumerateUnfiltered)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
