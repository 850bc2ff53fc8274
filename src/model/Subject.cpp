#include "model/Subject.h"

#include <QRegularExpression>

namespace model {

QString conversationTopic(const QString& subject) {
    static const QRegularExpression prefix(QStringLiteral("^\\s*((re|fw|fwd|aw|wg)\\s*:\\s*)+"),
                                           QRegularExpression::CaseInsensitiveOption);
    return QString(subject).remove(prefix);
}

}  // namespace model
