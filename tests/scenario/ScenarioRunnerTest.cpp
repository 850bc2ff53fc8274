// The scenario runner driving real widgets in-process: a small window of our
// own with one control of each kind the program uses, and the program's
// dialog seam for message boxes, input boxes and file dialogs. The cases are
// rows of runner_cases.txt (support/CaseFile.h): a script and everything it
// gives, as the driver below writes it.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QCompleter>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest/QTest>

#include "scenario/ScenarioRunner.h"
#include "scenario/ScriptParser.h"
#include "support/CaseFile.h"
#include "support/Drive.h"
#include "ui/CheckBox.h"
#include "ui/Dialogs.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

using drive::Outcome;

// Records every handler that ran, in order.
struct Log {
    QStringList lines;
    void operator()(const QString& s) { lines << s; }
};

// Swallows Enter and records the keys it sees, as a KeyPress handler would.
class KeyRecorder : public QObject {
  public:
    explicit KeyRecorder(Log& log) : log_(log) {}
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            log_(QStringLiteral("key %1 %2 in %3")
                     .arg(QKeySequence(k->key()).toString(), k->text(), o->objectName()));
            if (k->key() == Qt::Key_Return) return true;
        }
        if (e->type() == QEvent::FocusOut) log_("lost focus " + o->objectName());
        return false;
    }

  private:
    Log& log_;
};

class TestWindow : public QWidget {
  public:
    explicit TestWindow(Log& log) : log_(log), keys_(log) {
        setObjectName("MainWin");
        auto* lay = new QVBoxLayout(this);
        const auto add = [&](QWidget* w, const char* name) {
            w->setObjectName(name);
            lay->addWidget(w);
            return w;
        };
        auto* tabs = new QTabBar;
        tabs->addTab("Functions");
        tabs->addTab("&Options");
        add(tabs, "OptionsTab");
        connect(tabs, &QTabBar::tabBarClicked,
                [this](int i) { log_(QStringLiteral("tab clicked %1").arg(i)); });

        auto* ok = new QPushButton("OK");
        add(ok, "OkButton");
        connect(ok, &QPushButton::clicked, [this] { log_("clicked OkButton"); });
        add(new QPushButton("Hidden"), "HiddenButton")->hide();
        add(new QPushButton("Disabled"), "DisabledButton")->setEnabled(false);

        auto* check = new ui::CheckBox("Clear Criteria");
        add(check, "ClearCheck");
        connect(check, &ui::CheckBox::clickRule,
                [this, check] { log_(QStringLiteral("check %1").arg(check->value())); });
        for (int i = 1; i <= 2; ++i) {
            auto* opt = new QRadioButton(QStringLiteral("Option %1").arg(i));
            add(opt, i == 1 ? "Opt(1)" : "Opt(2)");
            connect(opt, &QRadioButton::clicked,
                    [this, i] { log_(QStringLiteral("option %1").arg(i)); });
        }

        auto* text = new QLineEdit;
        add(text, "NameText");
        connect(text, &QLineEdit::textEdited, [this](const QString& s) { log_("edited " + s); });
        text->installEventFilter(&keys_);
        auto* other = new QLineEdit;
        add(other, "OtherText");
        other->installEventFilter(&keys_);
        // A pop-up list over a text box, as the Immediate window's completion has.
        auto* completer = new QCompleter(QStringList{"Sender", "Size", "Subject"}, other);
        completer->popup()->setObjectName("OtherList");
        other->setCompleter(completer);

        auto* combo = new QComboBox;
        combo->addItems({"Subject", "Sender", "Size"});
        add(combo, "KindCombo");
        connect(combo, &QComboBox::activated,
                [this](int i) { log_(QStringLiteral("combo click %1").arg(i)); });
        auto* edCombo = new QComboBox;
        edCombo->setEditable(true);
        edCombo->addItems({"String", "Long"});
        add(edCombo, "TypeCombo");

        auto* list = new QListWidget;
        list->addItems({"Global Address List", "Personal Address Book"});
        add(list, "BookList");
        connect(list, &QListWidget::itemClicked,
                [this](QListWidgetItem* it) { log_("list click " + it->text()); });
        connect(list, &QListWidget::itemDoubleClicked,
                [this](QListWidgetItem* it) { log_("list dblclick " + it->text()); });

        auto* rows = new ui::ListView({"Criterion", "Type", "Value", "Field ID"});
        rows->addRow({"Subject", "String", "Hello", ""});
        rows->addRow({"Size", "Long", "10", ""});
        add(rows, "FilterList");
        connect(rows, &ui::ListView::rowClicked,
                [this](int i) { log_(QStringLiteral("row click %1").arg(i)); });
        connect(rows, &ui::ListView::columnClicked, [rows, this](int c) {
            log_(QStringLiteral("header %1").arg(c));
            rows->setSortKey(c);
            rows->setSortOrder(ui::ListView::SortOrder::Ascending);
            rows->setSorted(true);
        });

        tree = new ui::TreeView;
        add(tree, "Tree");
        const auto root =
            tree->add(0, ui::Relationship::Next, "", "MAPI Session - Logged On", 9, 8);
        const auto store = tree->add(root, ui::Relationship::Child, "S1", "Mailbox - Demo User", 2);
        tree->add(store, ui::Relationship::Child, "F1", "Inbox", 1);
        tree->add(store, ui::Relationship::Child, "F2", "Line\tbreak\\", 1);
        tree->add(root, ui::Relationship::Child, "", "Public Folders", 2);
        connect(tree, &ui::TreeView::nodeClicked,
                [this](std::int32_t i) { log_("node click " + tree->text(i)); });
        connect(tree, &ui::TreeView::nodeDoubleClicked,
                [this] { log_("node dblclick " + tree->text(tree->selectedIndex())); });
        connect(tree, &ui::TreeView::afterLabelEdit,
                [this](std::int32_t, const QString& t) { log_("renamed " + t); });

        auto* ask = new QPushButton("Ask");
        add(ask, "AskButton");
        connect(ask, &QPushButton::clicked, [this] {
            const auto a = ui::msgBox("Are you sure you want to clear the code window?",
                                      ui::Icon::Question, ui::Buttons::YesNo);
            log_(a == ui::Answer::Yes ? "answer yes" : "answer no");
            // A result box after the question, as the actions do.
            ui::msgBox("Done.\r\nSecond \"line\"", ui::Icon::Information);
            log_("after info");
        });
        auto* input = new QPushButton("Input");
        add(input, "InputButton");
        connect(input, &QPushButton::clicked, [this] {
            log_("typed [" + ui::inputBox("Enter the alias:", "Address Detail", "def") + "]");
        });
        auto* file = new QPushButton("File");
        add(file, "FileButton");
        connect(file, &QPushButton::clicked, [this] {
            const auto p = ui::openFileName("Add Attachment", "All Files (*)");
            log_(p ? "file " + *p : QStringLiteral("file cancelled"));
        });
        auto* modal = new QPushButton("Modal");
        add(modal, "ModalButton");
        connect(modal, &QPushButton::clicked, [this] {
            QDialog dlg(this);
            dlg.setObjectName("SubForm");
            auto* l = new QVBoxLayout(&dlg);
            auto* t = new QLineEdit(&dlg);
            t->setObjectName("SubText");
            l->addWidget(t);
            auto* close = new QPushButton("Close", &dlg);
            close->setObjectName("CloseButton");
            l->addWidget(close);
            connect(close, &QPushButton::clicked, &dlg, &QDialog::accept);
            dlg.exec();
            log_("sub closed with " + t->text());
        });
        auto* longBox = new QPushButton("Long");
        add(longBox, "LongButton");
        connect(longBox, &QPushButton::clicked, [this] {
            QStringList lines;
            for (int i = 1; i <= 40; ++i) lines << QStringLiteral("line %1").arg(i);
            ui::msgBoxWithDetails(lines.join("\r\n"), 30, ui::Icon::Information);
            log_("long box closed");
        });
        auto* code = new QPlainTextEdit;
        add(code, "CodeText");
    }
    ui::TreeView* tree = nullptr;

  private:
    Log& log_;
    KeyRecorder keys_;
};

class RunnerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        win = std::make_unique<TestWindow>(log);
        win->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
    }
    void TearDown() override { win.reset(); }

    Outcome run(const QString& script) {
        auto parsed = scenario::script::parseScript(script);
        EXPECT_FALSE(parsed.error) << parsed.error->message.toStdString();
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        scenario::ScenarioRunner runner("t.script", std::move(parsed.commands), &out, &err);
        runner.setCodeSource(
            [] { return QStringLiteral("Dim oSession As Object\r\nSet oSession = Nothing\r\n"); });
        Outcome o;
        o.status = runner.exec();
        o.out = QString::fromUtf8(out.data());
        o.err = QString::fromUtf8(err.data());
        return o;
    }

    Log log;
    std::unique_ptr<TestWindow> win;
};

const QString kCases = QStringLiteral(CASES_DIR "/runner_cases.txt");

class RunnerCases : public RunnerTest, public ::testing::WithParamInterface<casefile::Row> {};

// Gives the runner's output, then "log: " each handler that ran, "stderr: " each
// line of standard error, a modal window left open, and the exit status. $TMP
// is a fresh folder holding a.txt.
TEST_P(RunnerCases, GiveExactly) {
    QTemporaryDir tmp;
    QFile a(tmp.filePath("a.txt"));
    ASSERT_TRUE(a.open(QIODevice::WriteOnly));
    a.close();
    QString script = GetParam().script;
    const Outcome o = run(script.replace("$TMP", tmp.path()));
    QStringList lines = o.out.split(u'\n');
    if (lines.last().isEmpty()) lines.removeLast();
    for (const QString& l : log.lines) lines << "log: " + scenario::script::escape(l);
    for (const QString& l : o.err.split(u'\n', Qt::SkipEmptyParts)) lines << "stderr: " + l;
    if (QWidget* m = QApplication::activeModalWidget())
        lines << "modal window left open: " + m->objectName();
    lines << QStringLiteral("status %1").arg(o.status);
    const QString actual = lines.join(u'\n').replace(tmp.path(), "$TMP");
    EXPECT_EQ(actual.toStdString(), casefile::expected(kCases, GetParam(), actual).toStdString());
}

INSTANTIATE_TEST_SUITE_P(Rows, RunnerCases, ::testing::ValuesIn(casefile::read(kCases)),
                         [](const auto& info) { return casefile::testName(info.param); });

TEST_F(RunnerTest, DumpCodeToStdoutAndToAFileByteForByte) {
    QTemporaryDir dir;
    const QString path = dir.filePath("code.bas");
    const Outcome o = run("dump code\ndump code " + scenario::script::quote(path) + "\n");
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(
        o.out,
        "--- code ---\nDim oSession As Object\r\nSet oSession = Nothing\r\n--- end code ---\n");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("Dim oSession As Object\r\nSet oSession = Nothing\r\n"));
}

// A start-up window like the program's, modal and closed by the button
// `okName`, shown while the runner waits for the start-up to end.
TEST_F(RunnerTest, StartupWindowsTheScriptCannotAnswerStopTheRun) {
    const struct {
        const char* window;
        const char* okName;
        const char* err;
    } cases[] = {
        {"AboutForm", "CloseButton",
         "s: error: the start-up window AboutForm has no usable OKButton\n"},
        {"SplashForm", "OKButton", "s: error: unexpected modal window SplashForm at start-up\n"}};
    for (const auto& c : cases) {
        QBuffer out, err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        scenario::ScenarioRunner runner(
            "s", scenario::script::parseScript("click OkButton\n").commands, &out, &err);
        runner.start(true);
        QDialog startup;
        startup.setObjectName(c.window);
        auto* ok = new QPushButton("OK", &startup);
        ok->setObjectName(c.okName);
        QObject::connect(ok, &QPushButton::clicked, &startup, &QDialog::accept);
        EXPECT_EQ(startup.exec(), QDialog::Rejected);  // closed so the run could end
        if (!runner.isFinished()) runner.startupDone();
        EXPECT_EQ(runner.waitForFinished(), 1);
        EXPECT_EQ(QString::fromUtf8(err.data()).toStdString(), c.err);
        EXPECT_EQ(out.data(), "window " + QByteArray(c.window) + " shown\n");
        EXPECT_TRUE(log.lines.isEmpty());
    }
}

}  // namespace
