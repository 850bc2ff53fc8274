#include <gtest/gtest.h>

#include "scenario/ScriptParser.h"

using namespace scenario::script;

namespace {

std::vector<QString> texts(const std::vector<Token>& tokens) {
    std::vector<QString> out;
    for (const auto& t : tokens) out.push_back(t.text);
    return out;
}

std::vector<QString> tok(const QString& line) {
    QString error;
    auto t = tokenize(line, &error);
    EXPECT_TRUE(t.has_value()) << error.toStdString();
    return t ? texts(*t) : std::vector<QString>{};
}

QString tokError(const QString& line) {
    QString error;
    EXPECT_FALSE(tokenize(line, &error).has_value()) << line.toStdString();
    return error;
}

}  // namespace

TEST(ScriptTokenize, BlanksSeparateAndRunsOfBlanksCountOnce) {
    EXPECT_EQ(tok("  click \t LogonButton  "), (std::vector<QString>{"click", "LogonButton"}));
    EXPECT_EQ(tok(""), std::vector<QString>{});
}

TEST(ScriptTokenize, QuotedArgumentKeepsBlanksAndEscapes) {
    EXPECT_EQ(tok(R"(set SubjectText "Hello  world")"),
              (std::vector<QString>{"set", "SubjectText", "Hello  world"}));
    EXPECT_EQ(tok(R"(x "a\"b\\c\nd\re\tf")"),
              (std::vector<QString>{"x", QString("a\"b\\c\nd\re\tf")}));
    EXPECT_EQ(tok(R"(set X "")"), (std::vector<QString>{"set", "X", ""}));
}

TEST(ScriptTokenize, BackslashOutsideQuotesIsLiteral) {
    EXPECT_EQ(tok(R"(file C:\temp\a.txt)"), (std::vector<QString>{"file", "C:\\temp\\a.txt"}));
}

TEST(ScriptTokenize, QuotedPartJoinsThePlainTextAroundIt) {
    QString error;
    auto t = tokenize(uR"(select T key="a b"c "key=x")", &error);
    ASSERT_TRUE(t);
    ASSERT_EQ(t->size(), 4u);
    EXPECT_EQ((*t)[2].text, "key=a bc");
    EXPECT_FALSE((*t)[2].quoted);
    EXPECT_EQ(keyForm((*t)[2]), QString("a bc"));
    EXPECT_EQ((*t)[3].text, "key=x");
    EXPECT_TRUE((*t)[3].quoted);
    EXPECT_FALSE(keyForm((*t)[3]));  // quoted: a node text, not a key
}

TEST(ScriptTokenize, BadQuotingIsRefused) {
    EXPECT_EQ(tokError(R"(set X "abc)"), "unterminated quoted argument starting in column 7");
    EXPECT_EQ(tokError(R"(set X "abc\)"), "unterminated quoted argument starting in column 7");
    EXPECT_EQ(tokError(R"(set X "a\qb")"), "unknown escape \\q");
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

TEST(ScriptParse, ArgumentCountsPerCommand) {
    struct Case {
        const char* line;
        const char* error;  // nullptr: accepted
    };
    const Case cases[] = {
        {"click", "usage: click NAME"},
        {"click A B", "usage: click NAME"},
        {"set A", "usage: set NAME TEXT"},
        {"set A b", nullptr},
        {"key A", "usage: key NAME KEY"},
        {"key A Enter", nullptr},
        {"key A x", nullptr},
        {"key A Return2",
         "unknown key \"Return2\" (Enter, Escape, Tab, F5, Ctrl+G or one character)"},
        {"focus A", nullptr},
        {"choose A", "usage: choose NAME ITEM"},
        {"select T", "usage: select TREE TEXT... | select TREE key=KEY"},
        {"select T a b c", nullptr},
        {"select T key=K", nullptr},
        {"select T a key=K", "usage: select TREE TEXT... | select TREE key=KEY"},
        {"select T a \"key=K\"", nullptr},
        {"dblclick T", nullptr},
        {"edit T", "usage: edit TREE TEXT"},
        {"answer", "usage: answer BUTTON [TEXT]"},
        {"answer OK", nullptr},
        {"answer OK text", nullptr},
        {"answer OK a b", "usage: answer BUTTON [TEXT]"},
        {"file", "usage: file PATH"},
        {"file-cancel", nullptr},
        {"file-cancel x", "usage: file-cancel"},
        {"header L 0", nullptr},
        {"header L -1", "column must be a number from 0: \"-1\""},
        {"header L x", "column must be a number from 0: \"x\""},
        {"resize MAPIForm 9585 6795.5", nullptr},
        {"resize MAPIForm 9585", "usage: resize WINDOW WIDTH HEIGHT"},
        {"resize MAPIForm 0 6795", "size must be a number of twips above 0: \"0\""},
        {"resize MAPIForm 9585 -1", "size must be a number of twips above 0: \"-1\""},
        {"resize MAPIForm 9585 6795twips", "size must be a number of twips above 0: \"6795twips\""},
        {"resize MAPIForm nan 1", "size must be a number of twips above 0: \"nan\""},
        {"resize MAPIForm 1 inf", "size must be a number of twips above 0: \"inf\""},
        {"dump code", nullptr},
        {"dump code out.bas", nullptr},
        {"dump clipboard", nullptr},
        {"dump clipboard x",
         "usage: dump code [PATH] | dump tree NAME | dump list NAME | dump clipboard | dump "
         "control NAME | dump layout NAME | dump selection NAME"},
        {"dump tree",
         "usage: dump code [PATH] | dump tree NAME | dump list NAME | dump clipboard | dump "
         "control NAME | dump layout NAME | dump selection NAME"},
        {"dump tree MAPITree", nullptr},
        {"dump list FilterList", nullptr},
        {"dump control LogonButton", nullptr},
        {"dump layout MAPIForm", nullptr},
        {"dump layout",
         "usage: dump code [PATH] | dump tree NAME | dump list NAME | dump clipboard | "
         "dump control NAME | dump layout NAME | dump selection NAME"},
        {"dump screen",
         "unknown dump \"screen\"; usage: dump code [PATH] | dump tree NAME | dump list NAME | "
         "dump clipboard | dump control NAME | dump layout NAME | dump selection NAME"},
    };
    for (const Case& c : cases) {
        const auto r = parseScript(QString::fromUtf8(c.line));
        if (c.error) {
            ASSERT_TRUE(r.error) << c.line;
            EXPECT_EQ(r.error->message.toStdString(), c.error) << c.line;
            EXPECT_EQ(r.error->line, 1);
        } else {
            EXPECT_FALSE(r.error) << c.line << ": " << r.error->message.toStdString();
        }
    }
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
    QString error;
    auto back = tokenize(QStringLiteral("x ") + quote(s), &error);
    ASSERT_TRUE(back);
    EXPECT_EQ((*back)[1].text, s);
}
