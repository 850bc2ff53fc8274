// Opening the address-book dialog over one very large address list, and
// finding a name near its end by typing.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include "libdialogs/AddressBookDialog.h"
#include "messaging/SessionFactory.h"
#include "store/Backend.h"

namespace {

// A logged-on session over a fresh store whose one address list has `entries` entries.
mapi::Ref<mapi::Session> bigSession(int entries) {
    QJsonArray list;
    for (int i = 0; i < entries; ++i)
        list.append(QJsonObject{
            {QStringLiteral("name"), QStringLiteral("Person %1").arg(i, 6, 10, QLatin1Char('0'))},
            {QStringLiteral("address"), QStringLiteral("p%1@example.com").arg(i)},
            {QStringLiteral("type"), QStringLiteral("SMTP")}});
    const QJsonObject fixture{
        {QStringLiteral("profiles"),
         QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Big")},
                                {QStringLiteral("default"), true},
                                {QStringLiteral("stores"), QJsonArray{}}}}},
        {QStringLiteral("stores"), QJsonArray{}},
        {QStringLiteral("addressLists"),
         QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("Global Address List")},
                                {QStringLiteral("entries"), list}}}}};
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("big.json")));
    f.open(QIODevice::WriteOnly);
    f.write(QJsonDocument(fixture).toJson(QJsonDocument::Compact));
    f.close();
    store::installFixtureBackend(f.fileName());
    mapi::Ref<mapi::Session> session = mapi::createSession();
    mapi::LogonArgs logon;
    logon.showDialog = false;
    session->Logon(logon);
    return session;
}

mapi::AddressBookArgs args() {
    mapi::AddressBookArgs a;
    a.title = QStringLiteral("My Title");
    a.recipLists = 3;
    return a;
}

void BM_OpenAddressBook(benchmark::State& state) {
    auto session = bigSession(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        libdialogs::AddressBookDialog dialog(*session, args());
        benchmark::DoNotOptimize(dialog.findChild<QListWidget*>(QStringLiteral("EntryList")));
    }
}
BENCHMARK(BM_OpenAddressBook)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_TypeAheadNearTheEnd(benchmark::State& state) {
    auto session = bigSession(static_cast<int>(state.range(0)));
    libdialogs::AddressBookDialog dialog(*session, args());
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
