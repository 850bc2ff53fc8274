// What the Immediate window shows for a typed statement: the statement coloured
// as code, then what it printed as plain text, whatever words that holds.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include "ImmediateWindow.h"

namespace {

struct Window : ImmediateWindow {
    QPlainTextEdit* output() const { return main.findChild<QPlainTextEdit*>("ImmediateText"); }

    // Types a statement; a message box it opens (a compile error) is closed
    // and its text returned.
    QString enter(const QString& statement) {
        QString box;
        QTimer closer;
        closer.setInterval(0);
        QObject::connect(&closer, &QTimer::timeout, [&box] {
            if (auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                box = m->text();
                m->reject();
            }
        });
        closer.start();
        runner.runStatement(statement);
        return box;
    }
};

// Every colour a line is drawn in other than the default: the highlighter's
// formats and the characters' own.
QStringList coloursOf(const QTextBlock& block) {
    QStringList out;
    for (const QTextLayout::FormatRange& r : block.layout()->formats())
        if (r.format.hasProperty(QTextFormat::ForegroundBrush))
            out << QStringLiteral("%1@%2").arg(r.format.foreground().color().name()).arg(r.start);
    for (auto it = block.begin(); !it.atEnd(); ++it)
        if (it.fragment().charFormat().hasProperty(QTextFormat::ForegroundBrush))
            out << it.fragment().charFormat().foreground().color().name();
    return out;
}

struct Case {
    const char* name;
    const char* statement;
    QStringList printed;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Transcript : public ::testing::TestWithParam<Case> {};

TEST_P(Transcript, ShowsTheStatementAsCodeAndWhatItPrintedAsText) {
    Window w;
    // A line already there keeps its look whatever comes after it.
    EXPECT_EQ(w.enter(QStringLiteral("Debug.Print \"Not for you\"")).toStdString(), "");
    EXPECT_EQ(w.enter(QString::fromUtf8(GetParam().statement)).toStdString(), "");

    QStringList lines;
    for (QTextBlock b = w.output()->document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    const QStringList expected =
        QStringList{"Debug.Print \"Not for you\"", "Not for you", GetParam().statement} +
        GetParam().printed;
    ASSERT_EQ(lines.join(u'\n').toStdString(), expected.join(u'\n').toStdString());

    QTextBlock b = w.output()->document()->begin();
    EXPECT_TRUE(coloursOf(b).contains("#000080@0")) << coloursOf(b).join(' ').toStdString();
    b = b.next();
    EXPECT_EQ(coloursOf(b).join(' ').toStdString(), "") << "printed: " << b.text().toStdString();
    b = b.next();
    EXPECT_FALSE(coloursOf(b).isEmpty()) << "typed: " << b.text().toStdString();
    for (b = b.next(); b.isValid(); b = b.next())
        EXPECT_EQ(coloursOf(b).join(' ').toStdString(), "")
            << "printed: " << b.text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Immediate, Transcript,
    ::testing::Values(
        Case{"KeywordsInPrintedText",
             "Debug.Print \"Bread and butter\" & vbCrLf & \"If not, 2\"",
             {"Bread and butter", "If not, 2"}},
        Case{"QuestionMark", "? 1 + 2", {" 3 "}}, Case{"QuestionMarkWithoutBlank", "?\"a\"", {"a"}},
        Case{"QuestionMarkInALoop", "For i = 1 To 2: ? \"Rem \" & i: Next", {"Rem 1", "Rem 2"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
