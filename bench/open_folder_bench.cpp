// Double-clicking a folder node of 100,000 messages in the real mail store:
// the store query, one tree node per message and the generated block, as the
// dispatch does it. Reports the resident memory added per tree node.

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "BigFolderFixture.h"
#include "browser/TreeContext.h"
#include "browser/TreeController.h"
#include "messaging/SessionFactory.h"
#include "shell/MAPIMod.h"
#include "store/Backend.h"
#include "ui/TreeView.h"

namespace {

constexpr int kMessages = 100000;

QString writeFixture(const QString& dir, int messages) {
    return bench::writeBigFolderFixture(dir, messages, [](int i) {
        return QJsonObject{{QStringLiteral("subject"), QStringLiteral("Message number %1").arg(i)}};
    });
}

// Bytes in use on the heap (freed memory that the allocator keeps does not count).
long heapInUse() {
    return static_cast<long>(mallinfo2().uordblks);
}

struct Mailbox {
    QTemporaryDir dir;
    mapi::Ref<mapi::Session> session;
    Mailbox() {
        store::installFixtureBackend(writeFixture(dir.path(), kMessages));
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

void BM_OpenFolderOf100000Messages(benchmark::State& state) {
    shell::MAPIMod mod;
    mod.session = mailbox().session;
    double bytesPerNode = 0;
    std::size_t codeSize = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<ui::TreeView>();
        tree->add(0, ui::Relationship::Next, QString(), browser::kRootLoggedOn, browser::img::Root,
                  browser::img::RootSel);
        const std::int32_t storeNode = tree->add(1, ui::Relationship::Child, QStringLiteral("00E1"),
                                                 QStringLiteral("Mailbox - Bench"),
                                                 browser::img::Store, browser::img::StoreSel);
        const std::int32_t folderNode =
            tree->add(storeNode, ui::Relationship::Child, QStringLiteral("1001"),
                      QStringLiteral("Big"), browser::img::Folder, browser::img::FolderSel);
        tree->select(folderNode);
        QString code;
        browser::TreeContext cx{*tree, mod, [&code](const QString& t) { code += t; }};
        const long before = heapInUse();
        state.ResumeTiming();

        browser::dispatchDoubleClick(cx, [] {});

        state.PauseTiming();
        const std::int32_t nodes = tree->childCount(folderNode);
        if (nodes != kMessages) state.SkipWithError("not every message got a node");
        // What stays allocated: the nodes (and the code text, which is small).
        bytesPerNode = static_cast<double>(heapInUse() - before - code.capacity() * 2) / nodes;
        codeSize = static_cast<std::size_t>(code.size());
        tree.reset();
        state.ResumeTiming();
    }
    state.counters["nodes"] = kMessages;
    state.counters["heap_bytes_per_node"] = bytesPerNode;
    state.counters["code_chars"] = static_cast<double>(codeSize);
}
BENCHMARK(BM_OpenFolderOf100000Messages)->Unit(benchmark::kMillisecond)->Iterations(3);

// The two halves of the double-click on their own: the store walk (query, ID
// and Subject of every message) and adding 100,000 nodes to the tree.
void BM_StoreWalkOnly(benchmark::State& state) {
    mapi::Ref<mapi::Session> session = mailbox().session;
    for (auto _ : state) {
        mapi::Ref<mapi::Messages> msgs =
            session->GetFolder(QStringLiteral("1001"), QStringLiteral("00E1"))->MessagesOf();
        std::size_t chars = 0;
        QString id;
        QString subject;
        for (bool more = msgs->nextHeading(true, id, subject); more;
             more = msgs->nextHeading(false, id, subject))
            chars += static_cast<std::size_t>(id.size() + subject.size());
        benchmark::DoNotOptimize(chars);
    }
}
BENCHMARK(BM_StoreWalkOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TreeAddOnly(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = std::make_unique<ui::TreeView>();
        const std::int32_t root =
            tree->add(0, ui::Relationship::Next, QString(), QStringLiteral("root"), 9, 8);
        state.ResumeTiming();
        for (int i = 0; i < kMessages; ++i)
            tree->add(root, ui::Relationship::Child, QString::number(0x100000 + i, 16),
                      QStringLiteral("Message number %1").arg(i), 5, 6);
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TreeAddOnly)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
