#pragma once

// Table-driven cases kept as data: a JSON file holding an array of groups,
//
//     [{"group": "Print", "about": "why these cases", "cases": [["a", "b"], ...]}, ...]
//
// each case an array of fields whose meaning is the test's: a string, or an array
// of strings standing for its lines joined by "\n". Qt Core only.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <ostream>
#include <string>
#include <vector>

namespace jsoncases {

struct Case {
    std::string name;  // GROUP_N, N counted from 0 in its group
    QStringList fields;
    std::string field(qsizetype i) const { return fields.value(i).toStdString(); }
};

inline void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name << ": " << c.fields.join(QStringLiteral(" | ")).toStdString();
}

// The cases of every group, or of the one named `only`.
inline std::vector<Case> read(const QString& path, const QString& only = {}) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll(), &error);
    if (doc.isNull()) qFatal("%s: %s", qPrintable(path), qPrintable(error.errorString()));
    std::vector<Case> out;
    for (const QJsonValue group : doc.array()) {
        const QString name = group[QLatin1String("group")].toString();
        if (!only.isEmpty() && name != only) continue;
        int n = 0;
        for (const QJsonValue c : group[QLatin1String("cases")].toArray()) {
            Case one{QStringLiteral("%1_%2").arg(name).arg(n++).toStdString(), {}};
            for (const QJsonValue v : c.toArray())
                one.fields << (v.isArray() ? v.toVariant().toStringList().join(u'\n')
                                           : v.toVariant().toString());
            out.push_back(one);
        }
    }
    return out;
}

// For INSTANTIATE_TEST_SUITE_P's name generator.
template <class Info>
std::string name(const Info& info) {
    return info.param.name;
}

}  // namespace jsoncases
