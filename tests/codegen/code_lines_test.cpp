#include <gtest/gtest.h>

#include "codegen/CodeBuilder.h"
#include "codegen/VarNames.h"

namespace {

struct LinesCase {
    const char16_t* block;
    const char* text;  // what lines() writes, CR LF and all
};

// A block is written as a raw string whose first and last line breaks are the
// literal's own; every line between them counts, the empty ones as blank lines.
const LinesCase kLinesCases[] = {
    {u"\nA\n", "A\r\n"},
    {u"\nA\n\n", "A\r\n\r\n"},
    {u"\nA\nB\n", "A\r\nB\r\n"},
    {u"\nA\n\nB\n\n", "A\r\n\r\nB\r\n\r\n"},
    {u"A", "A\r\n"},
    {u"\n\n", "\r\n"},
    {u"\n  indented\n", "  indented\r\n"},
    {u"\nSet {Message} = Nothing\n", "Set oMsg = Nothing\r\n"},
};

TEST(CodeLinesTest, EachLineOfTheBlockIsOneLine) {
    const codegen::VarNames names;
    for (const LinesCase& c : kLinesCases) {
        EXPECT_EQ(QString::fromUtf8(c.text), codegen::Code(names).lines(c.block).text())
            << QString::fromUtf16(c.block).toStdString();
    }
}

TEST(CodeLinesTest, EveryLineSharesTheValuesAndQuotesThemWhereQuoted) {
    const codegen::VarNames names;
    const QString text = codegen::Code(names)
                             .lines(
                                 uR"(
'get the message "by ID"
Set {Message} = {Session}.GetMessage("%1", "%2")
If %2 = "%1" Then

)",
                                 {QStringLiteral("say \"hi\""), QStringLiteral("S1")})
                             .text();
    EXPECT_EQ(QString::fromUtf8("'get the message \"by ID\"\r\n"
                                "Set oMsg = oSession.GetMessage(\"say \"\"hi\"\"\", \"S1\")\r\n"
                                "If S1 = \"say \"\"hi\"\"\" Then\r\n"
                                "\r\n"),
              text);
}

TEST(CodeLinesTest, SameTextAsTheLinesOneByOne) {
    const codegen::VarNames names;
    codegen::Code byLine(names);
    byLine.line(u"'a").line(u"x = \"%1\"", {QStringLiteral("v")}).blank().line(u"End If").blank();
    codegen::Code byBlock(names);
    byBlock.lines(
        uR"(
'a
x = "%1"

End If

)",
        {QStringLiteral("v")});
    EXPECT_EQ(byLine.text(), byBlock.text());
}

}  // namespace
