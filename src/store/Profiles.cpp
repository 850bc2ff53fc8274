#include "store/Profiles.h"

#include <QCryptographicHash>

namespace store {

QString hashPassword(const QString& password) {
    if (password.isEmpty()) return QString();
    return QString::fromLatin1(
        QCryptographicHash::hash(("quorvane:" + password).toUtf8(), QCryptographicHash::Sha256)
            .toHex());
}

bool passwordMatches(const Profile& p, const QString& password) {
    // A profile without a password takes whatever the caller passes.
    return p.passwordHash.isEmpty() || p.passwordHash == hashPassword(password);
}

std::vector<Profile> loadProfiles(Db& db) {
    std::vector<Profile> out;
    Stmt q = db.prepare(
        "SELECT rid, name, password, is_default, server, mailbox FROM profiles ORDER BY rid");
    while (q.step())
        out.push_back(
            Profile{q.integer(0), q.text(1), q.text(2), q.integer(3) != 0, q.text(4), q.text(5)});
    return out;
}

QStringList profileNames(const std::vector<Profile>& all) {
    QStringList names;
    for (const Profile& p : all) names << p.name;
    return names;
}

std::optional<Profile> findProfile(const std::vector<Profile>& all, const QString& name) {
    for (const Profile& p : all)
        if (p.name.compare(name, Qt::CaseInsensitive) == 0) return p;
    return std::nullopt;
}

std::optional<Profile> defaultProfile(const std::vector<Profile>& all) {
    for (const Profile& p : all)
        if (p.isDefault) return p;
    if (!all.empty()) return all.front();
    return std::nullopt;
}

std::optional<Profile> profileForServerMailbox(const std::vector<Profile>& all,
                                               const QString& profileInfo) {
    const qsizetype lf = profileInfo.indexOf(QLatin1Char('\n'));
    if (lf < 0) return std::nullopt;
    const QString server = profileInfo.left(lf);
    const QString mailbox = profileInfo.mid(lf + 1);
    for (const Profile& p : all) {
        if (p.server.isEmpty() && p.mailbox.isEmpty()) continue;
        if (p.server.compare(server, Qt::CaseInsensitive) == 0 &&
            p.mailbox.compare(mailbox, Qt::CaseInsensitive) == 0)
            return p;
    }
    return std::nullopt;
}

}  // namespace store
