// Fault paths, one table per feature (FEATURE.faults, read by support/CaseFile.h):
// a row "=== NAME FIXTURE FAULTS" runs its script against the main window on the
// store of scenario FIXTURE's fixture.json, with the calls FAULTS names failing
// ("Class.Member#N=Code" rules separated by ";": the Nth call from the start of
// the script fails, N "*" every call), and must log exactly its lines: the
// runner's output without its window lines, then standard error as "stderr: ".
// "$SCENARIOS" in a script is the scenarios folder.

#include <gtest/gtest.h>

#include <QMap>

#include "messaging/Error.h"
#include "support/CaseFile.h"
#include "support/Drive.h"
#include "support/FaultyMapi.h"

namespace {

struct Row {
    QString feature;
    casefile::Row row;
};

void PrintTo(const Row& r, std::ostream* os) {
    *os << r.feature.toStdString() << '/' << r.row.name.toStdString();
}

QString tablePath(const QString& feature) {
    return QStringLiteral(FAULTS_DIR "/%1.faults").arg(feature);
}

std::vector<Row> rows() {
    std::vector<Row> out;
    for (const char* feature : {"Session", "Browser", "Compose", "AddressBook", "Filters"})
        for (const casefile::Row& r : casefile::read(tablePath(QLatin1String(feature))))
            out.push_back({QLatin1String(feature), r});
    return out;
}

std::int32_t codeNamed(const QString& name) {
    namespace c = mapi::code;
    static const QMap<QString, std::int32_t> codes{
        {QStringLiteral("NotFound"), c::NotFound},
        {QStringLiteral("LogonFailed"), c::LogonFailed},
        {QStringLiteral("UserCancel"), c::UserCancel},
        {QStringLiteral("NoAccess"), c::NoAccess},
        {QStringLiteral("NoSupport"), c::NoSupport},
        {QStringLiteral("CallFailed"), c::CallFailed},
        {QStringLiteral("DiskError"), c::DiskError},
        {QStringLiteral("InvalidParameter"), c::InvalidParameter},
        {QStringLiteral("NetworkError"), c::NetworkError},
    };
    const auto it = codes.find(name);
    if (it == codes.end()) ADD_FAILURE() << "unknown code " << name.toStdString();
    return it == codes.end() ? 0 : *it;
}

QString run(const casefile::Row& row) {
    QFile fixture(QStringLiteral(SCENARIOS_DIR "/%1/fixture.json").arg(row.words.value(0)));
    if (!fixture.open(QIODevice::ReadOnly)) return "no fixture " + fixture.fileName();
    drive::installFixture(fixture.readAll());
    faulty::Install wrapped;
    for (const QString& rule : row.words.value(1).split(u';', Qt::SkipEmptyParts)) {
        const QStringList memberRest = rule.split(u'#');
        const QStringList nthCode = memberRest.value(1).split(u'=');
        const bool every = nthCode.value(0) == u"*";
        faulty::faults().failOn(memberRest.value(0), every ? 1 : nthCode.value(0).toInt(),
                                codeNamed(nthCode.value(1)), every ? -1 : 1);
    }
    QString script = row.script;
    const drive::Outcome o =
        drive::run(script.replace(QStringLiteral("$SCENARIOS"), QStringLiteral(SCENARIOS_DIR)));
    if (qEnvironmentVariableIsSet("QUORVANE_FAULT_LOG"))
        std::printf("calls: %s\n", qPrintable(faulty::faults().log().join(u' ')));
    QStringList lines;
    for (const QString& line : o.out.split(u'\n', Qt::SkipEmptyParts))
        if (!line.startsWith(u"window ")) lines << line;
    for (const QString& line : o.err.split(u'\n', Qt::SkipEmptyParts))
        lines << QStringLiteral("stderr: ") + line;
    return lines.join(u'\n');
}

class FaultPaths : public ::testing::TestWithParam<Row> {};

TEST_P(FaultPaths, LogExactly) {
    const Row& r = GetParam();
    const QString actual = run(r.row);
    EXPECT_EQ(actual.toStdString(),
              casefile::expected(tablePath(r.feature), r.row, actual).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Rows, FaultPaths, ::testing::ValuesIn(rows()), [](const auto& info) {
    return info.param.feature.toStdString() + '_' + casefile::testName(info.param.row);
});

}  // namespace
