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
        {QStringLiteral("NetworkError"), c::NetworkError},
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
    return lines.join(QLatin1Char('\n')).toStdString();
}

std::string expected(const char* feature, const char* row, const std::string& actual) {
    QFile file(QStringLiteral(FAULTS_DIR "/%1.expected").arg(QLatin1String(feature)));
    QString text;
    if (file.open(QIODevice::ReadOnly)) text = QString::fromUtf8(file.readAll());
    file.close();
    // A comment head, then per row "=== ROW", its lines and a blank line.
    QStringList parts = text.split(QStringLiteral("\n=== "));
    const QString name = QLatin1String(row);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const qsizetype eol = parts[i].indexOf(QLatin1Char('\n'));
        if (parts[i].left(eol) != name) continue;
        if (qEnvironmentVariableIsSet("QUORVANE_BLESS")) {
            parts[i] = name + QLatin1Char('\n') + QString::fromStdString(actual) +
                       (actual.empty() ? "\n" : "\n\n");
            if (file.open(QIODevice::WriteOnly)) file.write(parts.join(u"\n=== ").toUtf8());
        }
        QString lines = parts[i].mid(eol + 1);
        while (lines.endsWith(QLatin1Char('\n'))) lines.chop(1);
        return lines.toStdString();
    }
    return "no blessed output for row " + name.toStdString() + " in " +
           file.fileName().toStdString();
}

}  // namespace faulttable
