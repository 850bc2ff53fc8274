// The scenario runner driving real widgets in-process: a small window of our
// own with one control of each kind the program uses, and the program's
// dialog seam for message boxes, input boxes and file dialogs.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBuffer>
#include <QComboBox>
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
#include "ui/CheckBox.h"
#include "ui/Dialogs.h"
#include "ui/ListView.h"
#include "ui/TreeView.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

struct Outcome {
    int status = -1;
    QString out;
    QString err;
};

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
                     .arg(k->key())
                     .arg(k->text().toHtmlEscaped(), o->objectName()));
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

TEST_F(RunnerTest, ButtonsCheckBoxesAndOptionsRunTheirHandlers) {
    const Outcome o =
        run("click OkButton\nclick ClearCheck\nclick ClearCheck\nclick Opt(2)\nclick Opt(2)\n"
            "dump control ClearCheck\ndump control Opt(2)\ndump control MainWin/OkButton\n");
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(log.lines,
              (QStringList{"clicked OkButton", "check 1", "check 0", "option 2", "option 2"}));
    EXPECT_EQ(o.out,
              "ClearCheck visible=1 enabled=1 checked=0 text=\"Clear Criteria\"\n"
              "Opt(2) visible=1 enabled=1 checked=1 text=\"Option 2\"\n"
              "MainWin/OkButton visible=1 enabled=1 checked=0 text=\"OK\"\n");
}

TEST_F(RunnerTest, UnusableControlsStopTheScriptAtTheirLine) {
    struct Case {
        const char* script;
        const char* err;
    };
    const Case cases[] = {
        {"click OkButton\nclick NoSuchButton\nclick OkButton\n",
         "t.script:2: error: no control NoSuchButton in window MainWin\n"},
        {"\n# hidden\nclick HiddenButton\n", "t.script:3: error: control HiddenButton is hidden\n"},
        {"click DisabledButton\n", "t.script:1: error: control DisabledButton is disabled\n"},
        {"click NameText\n",
         "t.script:1: error: control NameText is not a button, check box or option button\n"},
        {"click Nowhere/OkButton\n", "t.script:1: error: no window Nowhere is open\n"},
        {"resize Nowhere 9000 6000\n", "t.script:1: error: no window Nowhere is open\n"},
        {"select Tree \"MAPI Session - Logged On\" Outbox\n",
         "t.script:1: error: no node \"Outbox\" under \"MAPI Session - Logged On\" in Tree\n"},
        {"select Tree Nothing\n", "t.script:1: error: no top-level node \"Nothing\" in Tree\n"},
        {"select Tree key=F9\n", "t.script:1: error: no node with key \"F9\" in Tree\n"},
        {"select OkButton key=F1\n", "t.script:1: error: control OkButton is not a tree view\n"},
        {"choose KindCombo Recipients\n",
         "t.script:1: error: no item \"Recipients\" in KindCombo\n"},
        {"dblclick Tree\n", "t.script:1: error: no node is selected in Tree\n"},
        {"dblclick BookList\n", "t.script:1: error: no entry is chosen in BookList\n"},
        {"answer OK\n", "t.script:1: error: no message box or input box is open\n"},
        {"file-cancel\n", "t.script:1: error: no file dialog is open\n"},
        {"header FilterList 4\n", "t.script:1: error: no column 4 in FilterList\n"},
        {"set KindCombo x\n", "t.script:1: error: combo box KindCombo has no edit text\n"},
        {"tab Nope\n", "t.script:1: error: no tab \"Nope\" in OptionsTab\n"},
    };
    for (const Case& c : cases) {
        log.lines.clear();
        const Outcome o = run(c.script);
        EXPECT_EQ(o.status, 1) << c.script;
        EXPECT_EQ(o.err.toStdString(), c.err);
        EXPECT_EQ(o.out, "") << c.script;
    }
    // Nothing after the failing line ran.
    log.lines.clear();
    run("click OkButton\nclick NoSuchButton\nclick OkButton\n");
    EXPECT_EQ(log.lines, QStringList{"clicked OkButton"});
}

TEST_F(RunnerTest, SetTypesTheTextAndChooseClicksTheEntry) {
    const Outcome o =
        run("set NameText \"Demo User\"\nset TypeCombo Currency\nchoose KindCombo Size\n"
            "choose BookList \"Personal Address Book\"\nchoose FilterList Size\n"
            "dump control NameText\ndump control TypeCombo\ndump control KindCombo\n");
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(log.lines, (QStringList{"edited Demo User", "combo click 2",
                                      "list click Personal Address Book", "row click 2"}));
    EXPECT_EQ(o.out,
              "NameText visible=1 enabled=1 checked=0 text=\"Demo User\"\n"
              "TypeCombo visible=1 enabled=1 checked=0 text=\"Currency\"\n"
              "KindCombo visible=1 enabled=1 checked=0 text=\"Size\"\n");
    EXPECT_EQ(win->findChild<ui::ListView*>("FilterList")->selectedIndex(), 2);
}

TEST_F(RunnerTest, ListViewHeaderSortsAndDumpShowsTheCurrentOrder) {
    const Outcome o = run(
        "dump list FilterList\nheader FilterList 0\ndump list FilterList\ndump list BookList\n");
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(log.lines, QStringList{"header 0"});
    EXPECT_EQ(o.out,
              "Subject\tString\tHello\t\n"
              "Size\tLong\t10\t\n"
              "Size\tLong\t10\t\n"
              "Subject\tString\tHello\t\n"
              "Global Address List\nPersonal Address Book\n");
}

TEST_F(RunnerTest, OkBoxWaitsForAnExplicitAnswerWhenOneFollows) {
    const Outcome o = run("click AskButton\nanswer Yes\nanswer OK\n");
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(log.lines, (QStringList{"answer yes", "after info"}));
    const Outcome bad = run("click AskButton\nanswer Yes\nanswer Cancel\n");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "t.script:3: error: the message box has no button \"Cancel\"\n");
}

TEST_F(RunnerTest, UnansweredQuestionIsAnError) {
    Outcome o = run("click AskButton\nclick OkButton\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err,
              "t.script:2: error: unanswered message box: Are you sure you want to clear the code "
              "window?\n");
    // Closed when the run stopped: the handler went on as for No, nothing logged after the error.
    EXPECT_EQ(
        o.out,
        "msgbox question yesno \"Quorvane '99\" Are you sure you want to clear the code window?\n");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(log.lines.contains("clicked OkButton"));

    o = run("click AskButton\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err,
              "t.script:1: error: unanswered message box: Are you sure you want to clear the code "
              "window?\n");
}

TEST_F(RunnerTest, InputBoxTypedAnswerAndCancel) {
    Outcome o =
        run("click InputButton\nanswer OK jsmith\nclick InputButton\nanswer Cancel\nclick "
            "InputButton\nanswer OK\n");
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(log.lines, (QStringList{"typed [jsmith]", "typed []", "typed [def]"}));
    EXPECT_EQ(o.out.count("inputbox \"Address Detail\" Enter the alias:\n"), 3);
    o = run("click InputButton\nclick OkButton\n");
    EXPECT_EQ(o.err, "t.script:2: error: unanswered input box: Enter the alias:\n");
}

TEST_F(RunnerTest, FileDialogChosenAndCancelled) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.txt");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    f.close();
    const Outcome o =
        run(QStringLiteral("click FileButton\nfile %1\nclick FileButton\nfile-cancel\n")
                .arg(scenario::script::quote(path)));
    ASSERT_EQ(o.status, 0) << o.err.toStdString() << o.out.toStdString()
                           << log.lines.join("|").toStdString();
    EXPECT_EQ(log.lines, (QStringList{"file " + path, "file cancelled"}));
    EXPECT_EQ(o.out.count("filedialog open \"Add Attachment\" All Files (*)\n"), 2);
}

TEST_F(RunnerTest, ProgramModalWindowTakesTheFollowingCommands) {
    const Outcome o = run("click ModalButton\nset SubText hello\nclick MainWin/OkButton\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(
        o.err,
        "t.script:3: error: control MainWin/OkButton is blocked by the modal window SubForm\n");
    EXPECT_EQ(o.out, "window SubForm shown\n");

    log.lines.clear();
    const Outcome ok =
        run("click ModalButton\nset SubText hello\nclick CloseButton\nclick OkButton\n");
    ASSERT_EQ(ok.status, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.out, "window SubForm shown\nwindow SubForm closed\n");
    EXPECT_EQ(log.lines, (QStringList{"sub closed with hello", "clicked OkButton"}));

    const Outcome open = run("click ModalButton\n");
    EXPECT_EQ(open.status, 1);
    EXPECT_EQ(open.err,
              "t.script:1: error: modal window SubForm is still open at the end of the script\n");
}

TEST_F(RunnerTest, KeyGoesToTheControlAndFocusMovesWithLostFocus) {
    const Outcome o = run("focus NameText\nkey NameText a\nkey NameText Enter\nfocus OtherText\n");
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(log.lines,
              (QStringList{QStringLiteral("key %1 a in NameText").arg(Qt::Key_A), "edited a",
                           QStringLiteral("key %1 \r in NameText").arg(Qt::Key_Return),
                           "lost focus NameText"}));
    // The typed character reached the text box; the swallowed Enter did nothing.
    EXPECT_EQ(win->findChild<QLineEdit*>("NameText")->text(), "a");
}

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

}  // namespace

namespace {

// A start-up window like the program's: modal, closed by its OKButton.
int showStartupWindow(const char* name, const char* okName) {
    QDialog about;
    about.setObjectName(name);
    auto* ok = new QPushButton("OK", &about);
    ok->setObjectName(okName);
    QObject::connect(ok, &QPushButton::clicked, &about, &QDialog::accept);
    return about.exec();
}

struct StartupOutcome {
    int dialogResult = -1;
    int status = -1;
    QString out;
    QString err;
};

StartupOutcome runWithStartup(const char* name, const char* okName, const QString& script) {
    auto parsed = scenario::script::parseScript(script);
    QBuffer out, err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    scenario::ScenarioRunner runner("s", std::move(parsed.commands), &out, &err);
    runner.start(true);
    StartupOutcome o;
    o.dialogResult = showStartupWindow(name, okName);
    if (!runner.isFinished()) runner.startupDone();
    o.status = runner.waitForFinished();
    o.out = QString::fromUtf8(out.data());
    o.err = QString::fromUtf8(err.data());
    return o;
}

}  // namespace

TEST_F(RunnerTest, StartupWindowsTheScriptCannotAnswerStopTheRun) {
    StartupOutcome o = runWithStartup("AboutForm", "CloseButton", "click OkButton\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.dialogResult, QDialog::Rejected);  // closed so the run could end
    EXPECT_EQ(o.err, "s: error: the start-up window AboutForm has no usable OKButton\n");
    EXPECT_TRUE(log.lines.isEmpty());

    o = runWithStartup("SplashForm", "OKButton", "click OkButton\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "s: error: unexpected modal window SplashForm at start-up\n");
    EXPECT_TRUE(log.lines.isEmpty());
}

TEST_F(RunnerTest, FailureInsideStackedModalsClosesThemAllAndLogsNothingMore) {
    // A failing command while a program modal window is open: the window is
    // closed (its handler goes on as for a cancel) and nothing more is logged.
    const Outcome o = run("click ModalButton\nclick NoSuchButton\n");
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "t.script:2: error: no control NoSuchButton in window SubForm\n");
    EXPECT_EQ(o.out, "window SubForm shown\n");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(log.lines, QStringList{"sub closed with "});

    log.lines.clear();
    const Outcome nested = run("click AskButton\nanswer Yes\n");  // info box left to the runner
    EXPECT_EQ(nested.status, 0);
    EXPECT_EQ(log.lines, (QStringList{"answer yes", "after info"}));
}

TEST_F(RunnerTest, OkBoxWithDetailsIsPressedByItsOkButton) {
    auto* b = new QPushButton("Long", win.get());
    b->setObjectName("LongButton");
    b->show();
    QObject::connect(b, &QPushButton::clicked, [this] {
        QStringList lines;
        for (int i = 1; i <= 40; ++i) lines << QStringLiteral("line %1").arg(i);
        ui::msgBoxWithDetails(lines.join("\r\n"), 30, ui::Icon::Information);
        log("long box closed");
    });
    const Outcome o = run("click LongButton\nclick OkButton\n");
    ASSERT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(
        o.out.startsWith("msgbox information ok \"Quorvane '99\" line 1\\r\\nline 2\\r\\n"));
    EXPECT_TRUE(o.out.endsWith("line 30\\r\\n(10 more not shown)\n"));
    EXPECT_EQ(log.lines, (QStringList{"long box closed", "clicked OkButton"}));
}
