// The language on its own: each construct as source text and the exact output
// (or error) it must give. No messaging objects are involved here.

#include <gtest/gtest.h>

#include <atomic>

#include "RunHelper.h"

namespace {

struct Case {
    const char* source;
    const char* expected;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.source;
}

class Language : public testing::TestWithParam<Case> {};

TEST_P(Language, PrintsExactly) {
    EXPECT_EQ(vbrun_test::runText(QString::fromUtf8(GetParam().source)).toStdString(),
              std::string(GetParam().expected));
}

// Debug.Print: numbers carry a sign blank before and a blank after, ',' moves
// to the next 14-column zone, ';' joins, a trailing separator keeps the line.
INSTANTIATE_TEST_SUITE_P(
    Print, Language,
    testing::Values(Case{"Debug.Print 5", " 5 "}, Case{"Debug.Print -5", "-5 "},
                    Case{"Debug.Print \"a\"; \"b\"", "ab"},
                    Case{"Debug.Print \"a\", \"b\"", "a             b"},
                    Case{"Debug.Print 1; 2", " 1  2 "},
                    Case{"Debug.Print \"abcdefghijklmn\", 1", "abcdefghijklmn               1 "},
                    Case{"Debug.Print", ""}, Case{"Debug.Print \"a\";\nDebug.Print \"b\"", "ab"},
                    Case{"debug.print True, Null", "True          Null"},
                    Case{"Debug.Print 2.5, 1E+20", " 2.5           1E+20 "},
                    Case{"Debug.Print \"x\" & vbTab & \"y\"", "x\ty"},
                    // "?" is the Immediate window's Debug.Print, also after ':' and Then.
                    Case{"? 1 + 2", " 3 "}, Case{"?\"a\"", "a"}, Case{"?", ""},
                    Case{"? \"a\", 1;", "a              1 "},
                    Case{"For i = 1 To 2: ? i;: Next", " 1  2 "},
                    Case{"If True Then ?\"t\" Else ?\"f\"", "t"},
                    Case{"x = ?", "compile error 1: Expected: expression"}));

INSTANTIATE_TEST_SUITE_P(
    Coercion, Language,
    testing::Values(Case{"Debug.Print \"1\" + 2", " 3 "}, Case{"Debug.Print \"1\" + \"2\"", "12"},
                    Case{"Debug.Print \"1\" & 2", "12"},
                    Case{"Debug.Print 7 \\ 2; 7 Mod 3; 7 / 2; 2 ^ 10", " 3  1  3.5  1024 "},
                    Case{"Debug.Print 32767 + 1", " 32768 "},
                    Case{"Debug.Print CStr(True) & CStr(1.5) & CStr(Empty) & \"|\"", "True1.5|"},
                    Case{"Debug.Print CInt(\"2.5\"); CInt(3.5); CLng(\"1,000\")", " 2  4  1000 "},
                    Case{"Debug.Print CBool(\"true\"), CBool(0)", "True          False"},
                    Case{"Debug.Print CDate(\"March 1, 1999\")", "3/1/1999"},
                    Case{"Debug.Print CDbl(\"x\")", "error 1 13: Type mismatch"},
                    Case{"Debug.Print CInt(40000)", "error 1 6: Overflow"},
                    Case{"Debug.Print CLng(0 - 2147483648); CLng(2147483647.4)",
                         "-2147483648  2147483647 "},
                    Case{"Debug.Print CLng(2147483647.5)", "error 1 6: Overflow"},
                    Case{"Debug.Print 1 / 0", "error 1 11: Division by zero"},
                    Case{"Debug.Print \"a\" + 1", "error 1 13: Type mismatch"},
                    Case{"x = Null\nDebug.Print CStr(x)", "error 2 94: Invalid use of Null"},
                    Case{"Debug.Print Null & \"a\"; IsNull(Null + 1)", "aTrue"},
                    Case{"Debug.Print x = 0; x = \"\"; IsEmpty(x)", "TrueTrueTrue"},
                    Case{"Debug.Print Not True; Not 0; True And 1", "False-1  1 "}));

// Comparisons: text is binary and case-sensitive; a number against text that is
// a number compares as numbers, against other text the number is smaller.
INSTANTIATE_TEST_SUITE_P(
    Compare, Language,
    testing::Values(Case{"Debug.Print \"a\" < \"b\"; \"a\" = \"A\"; \"B\" < \"a\"",
                         "TrueFalseTrue"},
                    Case{"Debug.Print 10 = \"10\"; 9 < \"10\"; 9 < \"x\"", "TrueTrueTrue"},
                    Case{"Debug.Print IsNull(1 = Null)", "True"},
                    Case{"Debug.Print \"abc\" Like \"a*\"; \"a1\" Like \"a#\"", "TrueTrue"},
                    Case{"Set a = Nothing\nDebug.Print a Is Nothing", "True"},
                    Case{"Debug.Print 1 Is Nothing", "error 1 424: Object required"},
                    Case{"Debug.Print neverSet Is Nothing", "True"}));

INSTANTIATE_TEST_SUITE_P(
    Blocks, Language,
    testing::Values(
        Case{"x = 2\nIf x = 1 Then\n Debug.Print \"one\"\nElseIf x = 2 Then\n Debug.Print "
             "\"two\"\nElse\n "
             "Debug.Print \"many\"\nEnd If",
             "two"},
        Case{"If 1 = 2 Then Debug.Print \"a\" Else Debug.Print \"b\": Debug.Print \"c\"", "b\nc"},
        Case{"If 1 = 1 Then Debug.Print \"a\": Debug.Print \"b\"\nDebug.Print \"c\"", "a\nb\nc"},
        Case{"For i = 1 To 3: Debug.Print i;: Next i\nDebug.Print\nDebug.Print i",
             " 1  2  3 \n 4 "},
        Case{"For i = 10 To 1 Step -4\nDebug.Print i\nNext", " 10 \n 6 \n 2 "},
        Case{"For i = 1 To 0\nDebug.Print i\nNext\nDebug.Print \"none\"", "none"},
        Case{"For i = 1 To 5\nIf i = 3 Then Exit For\nNext\nDebug.Print i", " 3 "},
        Case{"For Each v In Array(\"a\", 2)\nDebug.Print v\nNext", "a\n 2 "},
        Case{"i = 0\nWhile i < 2\ni = i + 1\nWend\nDebug.Print i", " 2 "},
        Case{"i = 0\nDo While i < 3\ni = i + 1\nLoop\nDebug.Print i", " 3 "},
        Case{"i = 0\nDo\ni = i + 1\nLoop Until i >= 5\nDebug.Print i", " 5 "},
        Case{"Do\nExit Do\nLoop\nDebug.Print \"out\"", "out"},
        Case{"For Each x In 5\nNext", "error 1 451: Object not a collection"},
        Case{"Select Case 7\nCase 1, 2\nDebug.Print \"low\"\nCase 3 To 8\nDebug.Print "
             "\"mid\"\nCase Else\n"
             "Debug.Print \"high\"\nEnd Select",
             "mid"},
        Case{"Select Case \"b\"\nCase Is < \"a\"\nDebug.Print 1\nCase Else\nDebug.Print 2\nEnd "
             "Select",
             " 2 "},
        Case{"x = 1 + _\n  2\nDebug.Print x", " 3 "},
        Case{"Rem a remark\nDebug.Print 1 ' trailing", " 1 "},
        Case{"Debug.Print \"a\"\nExit Sub\nDebug.Print \"b\"", "a"},
        Case{"Debug.Print \"a\"\nEnd\nDebug.Print \"b\"", "a"}));

INSTANTIATE_TEST_SUITE_P(
    Declarations, Language,
    testing::Values(
        Case{"Dim s As String, n As Long\nDebug.Print \"[\" & s & \"]\"; n", "[] 0 "},
        Case{"Dim n As Integer\nn = \"12\"\nDebug.Print n + 1", " 13 "},
        Case{"Dim n As Long\nn = \"abc\"", "error 2 13: Type mismatch"},
        Case{"Dim b As Boolean\nb = 5\nDebug.Print b", "True"},
        Case{"Dim o As Object\no = 1",
             "error 2 91: Object variable or With block variable not set"},
        Case{"Dim n As Long\nSet n = Nothing", "error 2 13: Type mismatch"},
        Case{"Const Max = 3\nDebug.Print Max * 2", " 6 "},
        Case{"Const Max = 3\nMax = 4", "error 2 1000: Assignment to constant not permitted"},
        Case{"Dim a(2)\na(0) = \"x\": a(2) = 5\nDebug.Print UBound(a); a(0); a(2)", " 2 x 5 "},
        Case{"Dim a(2)\na(3) = 1", "error 2 9: Subscript out of range"},
        Case{"ReDim a(1)\na(1) = 7\nReDim Preserve a(3)\nDebug.Print UBound(a); a(1)", " 3  7 "},
        Case{"Dim a(1)\nReDim a(4)", "error 2 10: This array is fixed or temporarily locked"},
        Case{"Dim x As Frobnitz", "compile error 1: User-defined type not defined: Frobnitz"},
        Case{"Dim o As MAPI.Session\nDebug.Print o Is Nothing", "True"}));

INSTANTIATE_TEST_SUITE_P(
    Procedures, Language,
    testing::Values(
        Case{"Function Twice(ByVal n)\nTwice = n * 2\nEnd Function\nDebug.Print Twice(4)", " 8 "},
        Case{"Sub Bump(n)\nn = n + 1\nEnd Sub\nx = 1\nBump x\nCall Bump(x)\nDebug.Print x", " 3 "},
        Case{"Sub Bump(ByVal n)\nn = n + 1\nEnd Sub\nx = 1\nBump x\nDebug.Print x", " 1 "},
        Case{"Sub Greet(Name, Optional Greeting = \"Hi\")\nDebug.Print Greeting & \" \" & "
             "Name\nEnd Sub\n"
             "Greet \"Jo\"\nGreet Greeting:=\"Yo\", Name:=\"Al\"",
             "Hi Jo\nYo Al"},
        Case{"Sub Need(a)\nEnd Sub\nNeed", "error 3 449: Argument not optional"},
        Case{"Function F()\nF = 1\nExit Function\nF = 2\nEnd Function\nDebug.Print F()", " 1 "},
        Case{"Sub S()\nDebug.Print \"in\"\nExit Sub\nDebug.Print \"no\"\nEnd Sub\nS\nDebug.Print "
             "\"after\"",
             "in\nafter"},
        Case{"Function Fact(n)\nIf n <= 1 Then Fact = 1 Else Fact = n * Fact(n - 1)\nEnd Function\n"
             "Debug.Print Fact(10)",
             " 3628800 "},
        Case{"Sub Fail()\nx = 1 / 0\nEnd Sub\nOn Error Resume Next\nFail\nDebug.Print Err.Number",
             " 11 "},
        Case{"Sub Fail()\nx = 1 / 0\nEnd Sub\nFail", "error 2 11: Division by zero"}));

INSTANTIATE_TEST_SUITE_P(
    Errors, Language,
    testing::Values(
        Case{"On Error Resume Next\nx = 1 / 0\nDebug.Print Err.Number; "
             "Err.Description\nDebug.Print \"on\"",
             " 11 Division by zero\non"},
        Case{"On Error Resume Next\nx = 1 / 0\nErr.Clear\nDebug.Print Err.Number; Err", " 0  0 "},
        Case{"On Error Resume Next\nx = 1 / 0\nOn Error GoTo 0\nDebug.Print Err.Number\ny = 1 / 0",
             " 0 \nerror 5 11: Division by zero"},
        Case{"On Error Resume Next\nErr.Raise 5\nDebug.Print Err.Description",
             "Invalid procedure call or argument"},
        Case{"Err.Raise 1234, , \"Custom\"", "error 1 1234: Custom"},
        Case{"Debug.Print 1\nDebug.Print Mid(\"abc\", 0)",
             " 1 \nerror 2 5: Invalid procedure call or argument"},
        Case{"Debug.Print x.Name", "error 1 424: Object required"},
        Case{"Set x = Nothing\nDebug.Print x.Name",
             "error 2 91: Object variable or With block variable not set"},
        Case{"Set x = 5", "error 1 424: Object required"},
        Case{"Debug.Print CreateObject(\"Word.Application\")",
             "error 1 429: ActiveX component can't create object"}));

// Faults found before anything runs: nothing is printed, the line is named.
INSTANTIATE_TEST_SUITE_P(
    CompileErrors, Language,
    testing::Values(
        Case{"Debug.Print 1\nIf x Then\nDebug.Print 2", "compile error 2: If without End If"},
        Case{"Debug.Print 1\nNext", "compile error 2: Next without For"},
        Case{"Debug.Print 1\nGoTo Done", "compile error 2: GoTo is not supported"},
        Case{"Open \"f\" For Input As #1", "compile error 1: Open is not supported"},
        Case{"On Error GoTo Handler", "compile error 1: On Error GoTo a label is not supported"},
        Case{"Debug.Print 1\nx = Frob(2)", "compile error 2: Sub or Function not defined: Frob"},
        Case{"Debug.Print 1\nFrob 2", "compile error 2: Sub or Function not defined: Frob"},
        Case{"x = (1 + 2", "compile error 1: Expected: )"},
        Case{"x = \"abc", "compile error 1: Expected: end of string"},
        Case{"x = 1 +", "compile error 1: Expected: expression"},
        Case{"For i = 1 To 2\nNext j", "compile error 2: Invalid Next control variable reference"},
        Case{"Set x = New Collection", "compile error 1: New is not supported"},
        Case{"Wend", "compile error 1: Wend without While"},
        Case{"x = 1\nWith x\nFor i = 1 To 2\nEnd With", "compile error 3: For without Next"},
        Case{"x = Array(1)\ny = x(0)#", "compile error 2: Expected: end of statement"},
        Case{"Debug.Print 1 2", "compile error 1: Expected: end of statement"},
        Case{"Exit Function", "compile error 1: Exit Function not allowed in Sub"},
        Case{"Function F()\nIf x Then Sub G\nEnd Function",
             "compile error 2: Expected: End Function"},
        Case{"Sub F()\nIf x Then Function G\nEnd Sub", "compile error 2: Expected: End Sub"}));

INSTANTIATE_TEST_SUITE_P(
    Functions, Language,
    testing::Values(
        Case{"s = \"Hello\"\nDebug.Print Len(s); Left(s, 2); Right(s, 3); Mid(s, 2, 3); Mid(s, 4)",
             " 5 Helloelllo"},
        Case{"Debug.Print InStr(\"abcabc\", \"c\"); InStr(4, \"abcabc\", \"c\"); InStr(\"abc\", "
             "\"z\")",
             " 3  6  0 "},
        Case{"Debug.Print UCase(\"aB\") & LCase(\"aB\") & \"[\" & Trim(\"  x  \") & \"]\"",
             "ABab[x]"},
        Case{"Debug.Print Format(1234.5, \"#,##0.00\"); \" \"; Format(0.5, \"0%\"); \" \"; "
             "Format(3, \"000\")",
             "1,234.50 50% 003"},
        Case{"Debug.Print Format(CDate(\"3/1/1999 14:05:09\"), \"yyyy-mm-dd hh:nn:ss\")",
             "1999-03-01 14:05:09"},
        Case{"Debug.Print Format(CDate(\"3/1/1999\"), \"Long Date\")", "Monday, March 1, 1999"},
        Case{"Debug.Print Format(CDate(\"3/1/1999 14:05\"), \"h:mm AM/PM\")", "2:05 PM"},
        Case{"Debug.Print DateSerial(1999, 3, 1) = CDate(\"3/1/1999\"); \" \"; "
             "Format(DateSerial(1999, 14, 0), \"yyyy-mm-dd\")",
             "True 2000-01-31"},
        Case{"Debug.Print TypeName(1); TypeName(\"\"); TypeName(Nothing); VarType(1&)",
             "IntegerStringNothing 3 "},
        Case{"Debug.Print IsNumeric(\"1e3\"), IsDate(\"1/2/1999\"), IsNumeric(\"x\")",
             "True          True          False"},
        Case{"Debug.Print Year(Now) > 2000", "True"},
        Case{"x = MsgBox(\"Hi\", vbYesNo)\nDebug.Print x", "MsgBox: Hi\n 1 "}));

}  // namespace

namespace {

// Stop: a runaway loop ends with error 18 at the next statement after the
// flag is raised, and On Error Resume Next does not swallow it.
struct StoppingHost : vbrun_test::RecordingHost {
    std::atomic<bool>* flag = nullptr;
    void print(const QString& line) override {
        RecordingHost::print(line);
        if (lines.size() == 3) flag->store(true);
    }
};

TEST(Stop, EndsARunawayLoopWithError18) {
    std::atomic<bool> flag{false};
    StoppingHost host;
    host.flag = &flag;
    vbrun::Interpreter in(host);
    in.setCancelFlag(&flag);
    const QString out = vbrun_test::runText(
        QStringLiteral("On Error Resume Next\ni = 0\nDo\n  i = i + 1\n  Debug.Print i\nLoop"), &in,
        &host);
    EXPECT_EQ(out.toStdString(), " 1 \n 2 \n 3 \nerror 5 18: User interrupt occurred");
}

}  // namespace
