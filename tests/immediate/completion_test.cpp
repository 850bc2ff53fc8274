// Which word of a typed line completion works on, what it offers and what
// taking an entry leaves: plain text with the cursor written as "|".

#include <gtest/gtest.h>

#include "immediate/Completion.h"

namespace {

using immediate::CompletionWant;

immediate::CompletionScope scope() {
    return {[](const QString& variable) -> QStringList {
                if (variable.compare(u"osession", Qt::CaseInsensitive) == 0)
                    return {"Logon", "Logoff", "InfoStores", "Inbox", "GetFolder"};
                if (variable.compare(u"ofolder", Qt::CaseInsensitive) == 0)
                    return {"Name", "Messages", "Folders", "ID"};
                return {};  // iCount holds a number, oUnknown nothing
            },
            [] {
                return QStringList{"oSession", "oMsg", "iCount", "oFolder", "OSESSION"};
            }};
}

struct Case {
    const char* name;
    const char* line;  // "|" marks the cursor
    CompletionWant want;
    const char* offered;  // "PREFIX: MATCHES" (members marked "."), or "none"
    const char* choice;   // taken from the list, or nullptr
    const char* result;   // the line after it, "|" the cursor
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

constexpr auto M = CompletionWant::Members;
constexpr auto A = CompletionWant::AnyWord;

const Case kCases[] = {
    {"dot after the session", "? oSession.|", M, ".: GetFolder Inbox InfoStores Logoff Logon",
     "Inbox", "? oSession.Inbox|"},
    {"dot in a Set", "Set f = oFolder.|", M, ".: Folders ID Messages Name", "Messages",
     "Set f = oFolder.Messages|"},
    {"variable in any case, prefix narrows", "? OSESSION.in|", A, ".in: Inbox InfoStores",
     "InfoStores", "? OSESSION.InfoStores|"},
    {"the rest of the word is replaced", "? oSession.Logo|ff x", A, ".Logo: Logoff Logon", "Logon",
     "? oSession.Logon| x"},
    {"prefix matching nothing", "? oSession.Q|", A, ".Q: ", nullptr, nullptr},
    {"a variable's name", "? oF|", A, "oF: oFolder", "oFolder", "? oFolder|"},
    {"variables once each, sorted", "x = 1: ? |", A, ": iCount oFolder oMsg oSession", "iCount",
     "x = 1: ? iCount|"},
    {"a word is no member list after a dot", "? oF|", M, "none", nullptr, nullptr},
    {"second member list on a line", "? oFolder.Name & oSession.G|", M, ".G: GetFolder",
     "GetFolder", "? oFolder.Name & oSession.GetFolder|"},
    {"after a closed string", "? \"a.b\" & oSession.|", M,
     ".: GetFolder Inbox InfoStores Logoff Logon", "Logon", "? \"a.b\" & oSession.Logon|"},
    {"a variable holding no object", "? iCount.|", M, "none", nullptr, nullptr},
    {"an unknown variable", "? oUnknown.|", M, "none", nullptr, nullptr},
    {"a member of a member", "? oSession.InfoStores.|", M, "none", nullptr, nullptr},
    {"a With block's dot", "? .|", A, "none", nullptr, nullptr},
    {"after an index", "? oSession.InfoStores(1).|", M, "none", nullptr, nullptr},
    {"inside a string", "? \"oSession.|", M, "none", nullptr, nullptr},
    {"inside a comment", "x = 1 ' oSession.|", M, "none", nullptr, nullptr},
    {"a number", "? 12|", A, "none", nullptr, nullptr},
    {"a hexadecimal number", "? &H1F|", A, "none", nullptr, nullptr},
    {"a decimal point", "? 1.|", M, "none", nullptr, nullptr},
};

class CompletionCases : public testing::TestWithParam<Case> {};

TEST_P(CompletionCases, OffersAndInserts) {
    const Case& c = GetParam();
    QString line = QString::fromUtf8(c.line);
    const qsizetype cursor = line.indexOf(u'|');
    line.remove(cursor, 1);
    const auto got = immediate::completionAt(line, cursor, scope(), c.want);
    if (!got) {
        EXPECT_EQ("none", std::string(c.offered));
        return;
    }
    const QString offered = (got->members ? QStringLiteral(".") : QString()) + got->prefix +
                            QStringLiteral(": ") + got->matches().join(u' ');
    ASSERT_EQ(offered.toStdString(), c.offered);
    if (!c.choice) return;
    const auto done = immediate::applyCompletion(line, *got, QString::fromUtf8(c.choice));
    QString shown = done.text;
    shown.insert(done.cursor, u'|');
    EXPECT_EQ(shown.toStdString(), c.result);
}

INSTANTIATE_TEST_SUITE_P(Lines, CompletionCases, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<Case>& info) {
                             std::string n;
                             for (const char* p = info.param.name; *p; ++p)
                                 n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return n;
                         });

TEST(Spellings, LaterSpellingWinsStringsCommentsAndMembersSkipped) {
    QHash<QString, QString> s;
    immediate::noteSpellings(QStringLiteral("Dim oMsg\r\nSet OMSG = oFolder.Messages(1) ' oItem\n"
                                            "Debug.Print \"iCount\", x2, 3"),
                             s);
    QStringList pairs;
    for (auto it = s.constBegin(); it != s.constEnd(); ++it) pairs << it.key() + u'=' + it.value();
    pairs.sort();
    EXPECT_EQ(pairs.join(u' ').toStdString(),
              "debug=Debug dim=Dim ofolder=oFolder omsg=OMSG set=Set x2=x2");
}

}  // namespace
