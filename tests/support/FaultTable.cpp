#include "FaultTable.h"

#include <QFile>
#include <QMap>
#include <QStringList>

#include "messaging/Error.h"
#include "support/Drive.h"
#include "support/FaultyMapi.h"

namespace faulttable {

namespace {

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
    };
    const auto it = codes.find(name);
    if (it == codes.end()) ADD_FAILURE() << "unknown code " << name.toStdString();
    return it == codes.end() ? 0 : *it;
}

void applyFaults(const QString& rules) {
    for (const QString& rule : rules.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList memberRest = rule.trimmed().split(QLatin1Char('#'));
        const QStringList nthCode = memberRest.value(1).split(QLatin1Char('='));
        const bool every = nthCode.value(0) == u"*";
        faulty::faults().failOn(memberRest.value(0), every ? 1 : nthCode.value(0).toInt(),
                                codeNamed(nthCode.value(1)), every ? -1 : 1);
    }
}

}  // namespace

std::string run(const Case& c) {
    QFile fixture(QStringLiteral(SCENARIOS_DIR "/%1/fixture.json").arg(QLatin1String(c.fixture)));
    if (!fixture.open(QIODevice::ReadOnly)) return "no fixture " + fixture.fileName().toStdString();
    drive::installFixture(fixture.readAll());
    faulty::Install wrapped;
    applyFaults(QLatin1String(c.faults));
    const drive::Outcome o = drive::run(QLatin1String(c.script));
    if (qEnvironmentVariableIsSet("QUORVANE_FAULT_LOG"))
        std::printf("calls: %s\n", qPrintable(faulty::faults().log().join(u' ')));
    QStringList lines;
    for (const QString& line : o.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        if (!line.startsWith(u"window ")) lines << line;
    for (const QString& line : o.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        lines << QStringLiteral("stderr: ") + line;
    const std::string actual = lines.join(QLatin1Char('\n')).toStdString();
    if (qEnvironmentVariableIsSet("QUORVANE_BLESS"))
        std::printf("=== %s\n%s\n-----\n", c.name, actual.c_str());
    return actual;
}

}  // namespace faulttable
