#pragma once

// The fixture the folder benchmarks share: one store whose folder "Big"
// (ID 1001) holds `count` messages, each described by `message(i)` and given
// the ID 00100000 + i in hexadecimal. Returns the written file's path.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <functional>

namespace bench {

inline QString writeBigFolderFixture(const QString& dir, int count,
                                     const std::function<QJsonObject(int)>& message) {
    QJsonArray msgs;
    for (int i = 0; i < count; ++i) {
        QJsonObject m = message(i);
        m.insert(QStringLiteral("id"),
                 QStringLiteral("%1").arg(0x100000 + i, 8, 16, QLatin1Char('0')).toUpper());
        msgs.append(m);
    }
    const QJsonObject folder{{QStringLiteral("id"), QStringLiteral("1001")},
                             {QStringLiteral("name"), QStringLiteral("Big")},
                             {QStringLiteral("messages"), msgs}};
    const QJsonObject store{
        {QStringLiteral("id"), QStringLiteral("00E1")},
        {QStringLiteral("name"), QStringLiteral("Mailbox - Bench")},
        {QStringLiteral("root"), QJsonObject{{QStringLiteral("id"), QStringLiteral("1000")},
                                             {QStringLiteral("name"), QStringLiteral("Top")}}},
        {QStringLiteral("folders"), QJsonArray{folder}}};
    const QJsonObject profile{{QStringLiteral("name"), QStringLiteral("Bench")},
                              {QStringLiteral("default"), true},
                              {QStringLiteral("stores"), QJsonArray{QStringLiteral("00E1")}}};
    const QJsonObject doc{{QStringLiteral("profiles"), QJsonArray{profile}},
                          {QStringLiteral("stores"), QJsonArray{store}},
                          {QStringLiteral("addressLists"), QJsonArray{}}};
    const QString path = dir + QStringLiteral("/big.json");
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(QJsonDocument(doc).toJson(QJsonDocument::Compact));
    return path;
}

}  // namespace bench
