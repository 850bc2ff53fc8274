// Opening the address-book dialog over one very large address list, and
// finding a name near its end by typing.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include "libdialogs/AddressBookDialog.h"
#include "support/FakeMapi.h"

namespace {

std::shared_ptr<fake::World> bigWorld(int entries) {
    auto w = std::make_shared<fake::World>();
    auto list = std::make_shared<fake::ListData>();
    list->name = QStringLiteral("Global Address List");
    list->entries.reserve(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) {
        auto e = std::make_shared<fake::EntryData>();
        e->name = QStringLiteral("Person %1").arg(i, 6, 10, QLatin1Char('0'));
        e->address = QStringLiteral("p%1@example.com").arg(i);
        list->entries.push_back(e);
    }
    fake::ProfileData p;
    p.name = QStringLiteral("Big");
    p.lists = {list};
    w->profiles.push_back(p);
    return w;
}

mapi::AddressBookArgs args() {
    mapi::AddressBookArgs a;
    a.title = QStringLiteral("My Title");
    a.recipLists = 3;
    return a;
}

void BM_OpenAddressBook(benchmark::State& state) {
    auto world = bigWorld(static_cast<int>(state.range(0)));
    auto session = fake::newSession(world);
    session->Logon(mapi::LogonArgs{});
    for (auto _ : state) {
        store::AddressBookDialog dialog(*session, args());
        benchmark::DoNotOptimize(dialog.findChild<QListWidget*>(QStringLiteral("EntryList")));
    }
}
BENCHMARK(BM_OpenAddressBook)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_TypeAheadNearTheEnd(benchmark::State& state) {
    auto world = bigWorld(static_cast<int>(state.range(0)));
    auto session = fake::newSession(world);
    session->Logon(mapi::LogonArgs{});
    store::AddressBookDialog dialog(*session, args());
    auto* search = dialog.findChild<QLineEdit*>(QStringLiteral("SearchText"));
    const QString last =
        QStringLiteral("Person %1").arg(state.range(0) - 1, 6, 10, QLatin1Char('0'));
    for (auto _ : state) {
        search->clear();
        QTest::keyClicks(search, last);
    }
}
BENCHMARK(BM_TypeAheadNearTheEnd)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
