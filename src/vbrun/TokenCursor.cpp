#include "vbrun/TokenCursor.h"

#include <QSet>

namespace vbrun {

namespace {

const QSet<QString>& reservedWords() {
    static const QSet<QString> s = {
        QStringLiteral("and"),    QStringLiteral("as"),    QStringLiteral("call"),
        QStringLiteral("case"),   QStringLiteral("const"), QStringLiteral("dim"),
        QStringLiteral("do"),     QStringLiteral("each"),  QStringLiteral("else"),
        QStringLiteral("elseif"), QStringLiteral("end"),   QStringLiteral("eqv"),
        QStringLiteral("exit"),   QStringLiteral("for"),   QStringLiteral("function"),
        QStringLiteral("goto"),   QStringLiteral("if"),    QStringLiteral("imp"),
        QStringLiteral("in"),     QStringLiteral("is"),    QStringLiteral("like"),
        QStringLiteral("loop"),   QStringLiteral("mod"),   QStringLiteral("new"),
        QStringLiteral("next"),   QStringLiteral("not"),   QStringLiteral("on"),
        QStringLiteral("or"),     QStringLiteral("redim"), QStringLiteral("select"),
        QStringLiteral("set"),    QStringLiteral("step"),  QStringLiteral("sub"),
        QStringLiteral("then"),   QStringLiteral("to"),    QStringLiteral("until"),
        QStringLiteral("wend"),   QStringLiteral("while"), QStringLiteral("with"),
        QStringLiteral("xor"),
    };
    return s;
}

}  // namespace

bool isReserved(const QString& key) {
    return reservedWords().contains(key);
}

QString TokenCursor::ident(const char* what) {
    if (cur().kind != Tok::Ident || isReserved(cur().text.toLower()))
        fail(QStringLiteral("Expected: %1").arg(QLatin1String(what)));
    return t_[i_++].text;
}

bool TokenCursor::atStmtEnd() const {
    return cur().kind == Tok::EndStmt || cur().kind == Tok::End ||
           (inlineIf_ > 0 && isWord("else"));
}

bool TokenCursor::atStmtEndAfter(size_t k) const {
    const Token& t = peek(k);
    return t.kind == Tok::EndStmt || t.kind == Tok::End || (inlineIf_ > 0 && isWord(t, "else"));
}

}  // namespace vbrun
