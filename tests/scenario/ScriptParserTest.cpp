#include <gtest/gtest.h>

#include "scenario/ScriptParser.h"
#include "support/JsonCases.h"

using namespace scenario::script;

namespace {

const QString kCases = QStringLiteral(CASES_DIR "/parser.json");
class Tokens : public testing::TestWithParam<jsoncases::Case> {};
class Commands : public testing::TestWithParam<jsoncases::Case> {};

TEST_P(Tokens, ComeBackQuotedOrAreRefused) {
    QString error;
    const auto tokens = tokenize(GetParam().fields[0], &error);
    QStringList quoted;
    for (const Token& t : tokens.value_or(std::vector<Token>{})) quoted << quote(t.text);
    EXPECT_EQ((tokens ? quoted.join(u' ') : "error: " + error).toStdString(), GetParam().field(1));
}

TEST_P(Commands, AreAcceptedOrRefusedWithTheirUsage) {
    const auto r = parseScript(GetParam().fields[0]);
    EXPECT_EQ(r.error ? r.error->message.toStdString() : "", GetParam().field(1));
    EXPECT_EQ(r.error ? r.error->line : 1, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, Tokens, testing::ValuesIn(jsoncases::read(kCases, "Tokens")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);
INSTANTIATE_TEST_SUITE_P(Cases, Commands, testing::ValuesIn(jsoncases::read(kCases, "Commands")),
                         jsoncases::name<testing::TestParamInfo<jsoncases::Case>>);

}  // namespace

TEST(ScriptTokenize, AQuotedKeyFormIsANodeText) {
    const auto t = tokenize(uR"(select T key="a b"c "key=x")", nullptr);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->size(), 4u);
    EXPECT_FALSE((*t)[2].quoted);
    EXPECT_EQ(keyForm((*t)[2]), QString("a bc"));
    EXPECT_TRUE((*t)[3].quoted);
    EXPECT_FALSE(keyForm((*t)[3]));  // quoted: a node text, not a key
}

TEST(ScriptParse, CommentsAndBlankLinesAreSkippedAndLinesCounted) {
    const auto r = parseScript(
        "# a comment\n\n   \n  # indented comment\nclick A\r\ntab \"Logon Properties\"\n");
    ASSERT_FALSE(r.error);
    ASSERT_EQ(r.commands.size(), 2u);
    EXPECT_EQ(r.commands[0].line, 5);
    EXPECT_EQ(r.commands[0].name, "click");
    EXPECT_EQ(r.commands[0].arg(0), "A");  // the CR of a CR LF file is not part of it
    EXPECT_EQ(r.commands[1].line, 6);
    EXPECT_EQ(r.commands[1].arg(0), "Logon Properties");
}

TEST(ScriptParse, FirstBadLineStopsParsingWithItsNumber) {
    const auto r = parseScript("click A\nclack B\nfrobnicate\n");
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->line, 2);
    EXPECT_EQ(r.error->message, "unknown command \"clack\"");
    EXPECT_TRUE(r.commands.empty());
}

TEST(ScriptKeys, NamedKeysAndSingleCharacters) {
    EXPECT_EQ(keyByName("Enter")->key, Qt::Key_Return);
    EXPECT_EQ(keyByName("Enter")->text, "\r");
    EXPECT_EQ(keyByName("Escape")->key, Qt::Key_Escape);
    EXPECT_EQ(keyByName("Tab")->key, Qt::Key_Tab);
    EXPECT_EQ(keyByName("a")->key, Qt::Key_A);
    EXPECT_EQ(keyByName("a")->text, "a");
    EXPECT_EQ(keyByName("7")->key, Qt::Key_7);
    EXPECT_FALSE(keyByName("enter"));  // names are case-sensitive
    EXPECT_FALSE(keyByName(""));
    EXPECT_FALSE(keyByName("ab"));
}

TEST(ScriptEscape, EveryTextFitsOnOneLineAndRoundTrips) {
    const QString s = "Error #5 - \"x\"\\y\r\n\tz";
    EXPECT_EQ(escape(s), R"(Error #5 - \"x\"\\y\r\n\tz)");
    EXPECT_EQ(quote(s), R"("Error #5 - \"x\"\\y\r\n\tz")");
    auto back = tokenize(QStringLiteral("x ") + quote(s), nullptr);
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[1].text, s);
}
