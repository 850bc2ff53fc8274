#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>

#include "codewindow/CodeTextEdit.h"
#include "codewindow/CodeWindow.h"
#include "support/Drive.h"

using codewindow::CodeTextEdit;
using codewindow::CodeWindow;

namespace {

struct Fixture : ::testing::Test {
    CodeTextEdit edit;
    CodeWindow code{&edit};
};

}  // namespace

using CodeWindowTest = Fixture;

TEST_F(CodeWindowTest, AppendedTextReadsBackExactly) {
    EXPECT_EQ("", code.text());
    code.AppendCode("Dim oSession As Object\r\n");
    code.AppendCode("Set oSession = CreateObject(\"MAPI.Session\")\r\n\r\n");
    EXPECT_EQ("Dim oSession As Object\r\nSet oSession = CreateObject(\"MAPI.Session\")\r\n\r\n",
              code.text());
    // What the user sees: one line per generated line.
    EXPECT_EQ(4, edit.document()->blockCount());
    EXPECT_EQ("Set oSession = CreateObject(\"MAPI.Session\")",
              edit.document()->findBlockByNumber(1).text());
}

TEST_F(CodeWindowTest, LoneLineFeedsAndCarriageReturnsSurvive) {
    // Values typed by the user are copied into generated lines unchanged.
    const QString text = "oMsg.Text = \"a\nb\rc\r\n\"\r\n\r\r\n\n";
    code.AppendCode(text);
    EXPECT_EQ(text, code.text());
    code.AppendCode("x\r\n");
    EXPECT_EQ(text + "x\r\n", code.text());
}

TEST_F(CodeWindowTest, CopyTakesTheWholeTextWhateverIsSelected) {
    code.AppendCode("First\r\nSecond\r\n\r\n");
    QTextCursor c = edit.textCursor();
    c.setPosition(2);
    c.setPosition(8, QTextCursor::KeepAnchor);
    edit.setTextCursor(c);
    code.copyAll();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(nullptr, mime);
    EXPECT_EQ("First\r\nSecond\r\n\r\n", mime->text());
    EXPECT_FALSE(mime->hasHtml());
    const QTextCursor after = edit.textCursor();
    EXPECT_EQ(0, after.selectionStart());
    EXPECT_EQ(edit.document()->characterCount() - 1, after.selectionEnd());
    EXPECT_EQ("First\r\nSecond\r\n\r\n", CodeTextEdit::fromDocument(after.selectedText()));
}

TEST_F(CodeWindowTest, TheTextBoxsOwnCopyAndPasteKeepCrLf) {
    code.AppendCode("A\r\nB\r\nC\r\n");
    QTextCursor c = edit.textCursor();
    c.setPosition(0);
    c.setPosition(3, QTextCursor::KeepAnchor);  // "A", break, "B"
    edit.setTextCursor(c);
    edit.copy();
    EXPECT_EQ("A\r\nB", QGuiApplication::clipboard()->text());
    edit.moveCursor(QTextCursor::End);
    QGuiApplication::clipboard()->setText("P\r\nQ\nR");
    edit.paste();
    EXPECT_EQ("A\r\nB\r\nC\r\nP\r\nQ\nR", code.text());
}

namespace {

// Whether the line holding `position` lies wholly inside the visible area.
bool lineVisible(CodeTextEdit& edit, int position) {
    QTextCursor c(edit.document());
    c.setPosition(position);
    const QRect line = edit.cursorRect(c);
    return line.top() >= 0 && line.bottom() <= edit.viewport()->height();
}

QString block(const char* name, int lines) {
    QString out;
    for (int i = 1; i <= lines; ++i) out += QStringLiteral("%1 line %2\r\n").arg(name).arg(i);
    return out;
}

}  // namespace

TEST_F(CodeWindowTest, EachAppendBringsItsFirstLineIntoView) {
    edit.resize(300, 150);
    edit.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&edit));
    // Three appends past a screenful, the last one taller than the window.
    const struct {
        const char* name;
        int lines;
    } appends[] = {{"first", 30}, {"second", 4}, {"third", 40}};
    for (const auto& a : appends) {
        SCOPED_TRACE(a.name);
        const int start = edit.document()->characterCount() - 1;
        code.AppendCode(block(a.name, a.lines));
        EXPECT_TRUE(lineVisible(edit, start));
        // The caret nobody moved follows the code to the end.
        EXPECT_EQ(edit.textCursor().position(), edit.document()->characterCount() - 1);
    }
    EXPECT_GT(edit.verticalScrollBar()->value(), 0);

    // The user types near the top: the caret and the typed text stay there,
    // and the next append is still brought into view.
    QTextCursor c = edit.textCursor();
    c.setPosition(5);
    edit.setTextCursor(c);
    QTest::keyClicks(&edit, "XY");
    const int start = edit.document()->characterCount() - 1;
    code.AppendCode(block("fourth", 3));
    EXPECT_TRUE(lineVisible(edit, start));
    EXPECT_EQ(edit.textCursor().position(), 7);
    EXPECT_TRUE(code.text().startsWith(QStringLiteral("firstXY line 1\r\n")));
    QTest::keyClicks(&edit, "Z");
    EXPECT_TRUE(code.text().startsWith(QStringLiteral("firstXYZ line 1\r\n")));
}
