#include "vbrun/Types.h"

#include <QHash>

namespace vbrun {

std::optional<VarKind> typeFromName(const QString& name) {
    static const QHash<QString, VarKind> kinds = {
        {QStringLiteral("variant"), VarKind::Variant},
        {QStringLiteral("string"), VarKind::String},
        {QStringLiteral("integer"), VarKind::Integer},
        {QStringLiteral("long"), VarKind::Long},
        {QStringLiteral("single"), VarKind::Single},
        {QStringLiteral("double"), VarKind::Double},
        {QStringLiteral("currency"), VarKind::Currency},
        {QStringLiteral("date"), VarKind::Date},
        {QStringLiteral("boolean"), VarKind::Boolean},
        {QStringLiteral("byte"), VarKind::Byte},
        {QStringLiteral("object"), VarKind::Object},
    };
    // The library's classes, bare or qualified ("MAPI.Session"), are objects.
    static const QStringList classes = {
        QStringLiteral("session"),
        QStringLiteral("infostores"),
        QStringLiteral("infostore"),
        QStringLiteral("folders"),
        QStringLiteral("folder"),
        QStringLiteral("messages"),
        QStringLiteral("message"),
        QStringLiteral("recipients"),
        QStringLiteral("recipient"),
        QStringLiteral("attachments"),
        QStringLiteral("attachment"),
        QStringLiteral("fields"),
        QStringLiteral("field"),
        QStringLiteral("addresslists"),
        QStringLiteral("addresslist"),
        QStringLiteral("addressentries"),
        QStringLiteral("addressentry"),
        QStringLiteral("messagefilter"),
        QStringLiteral("addressentryfilter"),
    };
    QString k = name.toLower();
    if (k.startsWith(u"mapi.")) k = k.mid(5);
    if (const auto it = kinds.constFind(k); it != kinds.constEnd()) return *it;
    if (classes.contains(k)) return VarKind::Object;
    return std::nullopt;
}

}  // namespace vbrun
