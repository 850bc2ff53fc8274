// Without --script: the normal start (start-up sequence with the About
// window, then the main window). With --script: the same start on Qt's
// offscreen platform (or on screen with --show), driven by the scenario runner.
// With --run-code: the code file runs headless (after the script, if any).
// With --imap-log: every IMAP command and response is appended to FILE.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>
#include <optional>

#include "app/ImapAccounts.h"
#include "app/MAPIForm.h"
#include "app/RunCode.h"
#include "libdialogs/WidgetDialogs.h"
#include "messaging/Error.h"
#include "messaging/Version.h"
#include "scenario/ScenarioRunner.h"
#include "scenario/ScriptParser.h"
#include "store/Backend.h"
#include "ui/Dialogs.h"

namespace {

constexpr int kUsageError = 2;

// Every handler reports the library's errors on its own path; this is the net
// under those paths, so that an error none of them expected still ends in the
// program's error message instead of unwinding through Qt (undefined there)
// and ending the program.
class Application : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const mapi::Error& e) {
            report(e.number(), e.description());
        } catch (const std::exception& e) {
            report(mapi::code::CallFailed, QString::fromUtf8(e.what()));
        }
        return true;
    }

  private:
    static void report(std::int32_t number, const QString& description) {
        ui::msgBox(QStringLiteral("Error #") + QString::number(number) + QStringLiteral(" - ") +
                       description + QStringLiteral(" - has occurred."),
                   ui::Icon::Critical, ui::Buttons::Ok);
    }
};

struct Options {
    std::optional<QString> script;
    std::optional<QString> fixture;
    std::optional<QString> runCode;
    std::optional<QString> imapLog;
    std::optional<QString> profile;
    std::optional<QString> passwordFile;
    bool show = false;
    bool readOnly = false;
    bool demo = false;
};

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption script{QStringLiteral("script"),
                              QStringLiteral("Runs the scenario script FILE (- for standard input) "
                                             "against the real windows, headless unless --show."),
                              QStringLiteral("FILE")};
    QCommandLineOption fixture{
        QStringLiteral("fixture"),
        QStringLiteral("Runs on a fresh store built from the JSON description FILE instead of "
                       "your profiles."),
        QStringLiteral("FILE")};
    QCommandLineOption show{QStringLiteral("show"),
                            QStringLiteral("Shows the windows of a --script run on screen.")};
    QCommandLineOption runCode{
        QStringLiteral("run-code"),
        QStringLiteral("Runs the Visual Basic code in FILE headless (after the script, if any)."),
        QStringLiteral("FILE")};
    QCommandLineOption imapLog{
        QStringLiteral("imap-log"),
        QStringLiteral("Appends every IMAP command and response to FILE, passwords masked."),
        QStringLiteral("FILE")};
    QCommandLineOption profile{
        QStringLiteral("profile"),
        QStringLiteral("With --run-code: the profile a logon showing the profile chooser gets."),
        QStringLiteral("NAME")};
    QCommandLineOption passwordFile{
        QStringLiteral("password-file"),
        QStringLiteral("With --profile: the first line of F is that profile's password for a "
                       "logon that names it without one."),
        QStringLiteral("F")};
    QCommandLineOption readOnly{
        QStringLiteral("read-only"),
        QStringLiteral("With --run-code: every write the code asks for (an Update, a Delete) "
                       "fails with \"The session is read-only.\" and changes nothing.")};
    QCommandLineOption demo{
        QStringLiteral("demo"),
        QStringLiteral("Runs the demo scenario headless on the demo profile and prints the code "
                       "it generated.")};
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption version = parser.addVersionOption();

    CommandLine() {
        parser.setApplicationDescription(QStringLiteral(
            "Shows a mailbox as a tree and writes the Visual Basic code of every action."));
        parser.addOptions(
            {script, fixture, show, runCode, imapLog, profile, passwordFile, readOnly, demo});
    }
};

// Parsed before QApplication exists, since --script decides the platform.
std::optional<Options> parseArguments(CommandLine& cl, const QStringList& arguments,
                                      QString* problem) {
    if (!cl.parser.parse(arguments)) {
        *problem = cl.parser.errorText();
        return std::nullopt;
    }
    if (!cl.parser.positionalArguments().isEmpty()) {
        *problem = QStringLiteral("Unexpected argument '%1'.")
                       .arg(cl.parser.positionalArguments().constFirst());
        return std::nullopt;
    }
    Options o;
    for (auto [option, slot] : {std::pair{&cl.script, &o.script},
                                {&cl.fixture, &o.fixture},
                                {&cl.runCode, &o.runCode},
                                {&cl.imapLog, &o.imapLog},
                                {&cl.profile, &o.profile},
                                {&cl.passwordFile, &o.passwordFile}}) {
        const QStringList values = cl.parser.values(*option);
        if (values.size() > 1) {
            *problem = QStringLiteral("Option '%1' given twice.").arg(option->names().constFirst());
            return std::nullopt;
        }
        if (!values.isEmpty()) *slot = values.constFirst();
    }
    o.show = cl.parser.isSet(cl.show);
    o.readOnly = cl.parser.isSet(cl.readOnly);
    o.demo = cl.parser.isSet(cl.demo);
    if (o.demo && o.script) {
        *problem = QStringLiteral("--demo runs a script of its own; it does not go with --script.");
        return std::nullopt;
    }
    if (o.readOnly && !o.runCode) {
        *problem = QStringLiteral("--read-only goes with --run-code.");
        return std::nullopt;
    }
    if (o.profile && !o.runCode) {
        *problem = QStringLiteral("--profile goes with --run-code.");
        return std::nullopt;
    }
    if (o.passwordFile && !o.profile) {
        *problem = QStringLiteral("--password-file goes with --profile.");
        return std::nullopt;
    }
    return o;
}

// The demo scenario: share/quorvane/demo.scenario beside the binary's folder
// (installed) or inside it (a build tree); "" when there is none. The binary
// is found through /proc, as argv[0] may be a bare name found on the PATH.
QString demoScenario() {
    const QDir bin =
        QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath()).absoluteDir();
    for (const QString& candidate :
         {bin.filePath(QStringLiteral("../share/quorvane/demo.scenario")),
          bin.filePath(QStringLiteral("share/quorvane/demo.scenario"))})
        if (QFileInfo::exists(candidate)) return QDir::cleanPath(candidate);
    return QString();
}

// Qt's own chatter (platform plugin notes, font warnings) would make a
// scenario's standard error depend on the machine; only hard errors remain.
void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& msg) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
}

struct Script {
    QString name;  // what error lines start with
    std::vector<scenario::script::Command> commands;
};

// Reads and checks the whole script before anything starts: 2 when it cannot
// be read, 1 for a bad line, nullopt when it is ready to run.
std::optional<int> loadScript(const QString& path, Script& script) {
    script.name = path == u"-" ? QStringLiteral("<stdin>") : path;
    QFile f;
    const bool opened = path == u"-" ? f.open(stdin, QIODevice::ReadOnly)
                                     : (f.setFileName(path), f.open(QIODevice::ReadOnly));
    if (!opened) {
        std::fprintf(stderr, "quorvane: cannot read %s: %s\n", qPrintable(script.name),
                     qPrintable(f.errorString()));
        return kUsageError;
    }
    scenario::script::ParseResult parsed =
        scenario::script::parseScript(QString::fromUtf8(f.readAll()));
    if (parsed.error) {
        std::fprintf(stderr, "%s:%d: error: %s\n", qPrintable(script.name), parsed.error->line,
                     parsed.error->message.toUtf8().constData());
        return 1;
    }
    script.commands = std::move(parsed.commands);
    return std::nullopt;
}

int runScript(QApplication& app, Script script, const std::optional<QString>& runCode,
              const app::HeadlessAnswers& answers) {
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);

    app.setQuitOnLastWindowClosed(false);
    app::MAPIForm form;
    scenario::ScenarioRunner runner(script.name, std::move(script.commands), &out, &err);
    runner.setCodeSource([&form] { return form.code().text(); });
    runner.start(true);  // dismisses the start-up About window
    form.load();
    if (!runner.isFinished()) {
        form.show();
        runner.startupDone();
    }
    int status = runner.waitForFinished();
    if (status == 0 && runCode) status = app::runCodeFileAfterScript(*runCode, form, answers);
    // Shut-down as the user's closing would run it; nothing of it is logged.
    form.close();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine cl;
    QString problem;
    std::optional<Options> options = parseArguments(cl, arguments, &problem);
    if (!options || cl.parser.isSet(cl.help) || cl.parser.isSet(cl.version)) {
        // The help text names the program after the application object's first
        // argument; none of these paths goes on to the windows.
        char name[] = "quorvane";
        char* coreArgv[] = {name, nullptr};
        int coreArgc = 1;
        QCoreApplication core(coreArgc, coreArgv);
        QCoreApplication::setApplicationVersion(QString::fromLatin1(mapi::kProgramVersion));
        if (!options) {
            std::fprintf(stderr, "quorvane: %s\n\n%s", qPrintable(problem),
                         qPrintable(cl.parser.helpText()));
            return kUsageError;
        }
        if (cl.parser.isSet(cl.version)) {
            std::printf("quorvane %s\n", mapi::kProgramVersion);
            return 0;
        }
        std::fputs(qPrintable(cl.parser.helpText()), stdout);
        return 0;
    }
    if (options->demo) {
        const QString demo = demoScenario();
        if (demo.isEmpty()) {
            std::fprintf(stderr,
                         "quorvane: the demo scenario is not installed beside the program\n");
            return kUsageError;
        }
        options->script = demo;
    }
    const bool headless = options->script || options->runCode;
    if (headless && !options->show) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (headless) qInstallMessageHandler(quietMessages);

    Application app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(mapi::kProgramVersion));
    libdialogs::installWidgetDialogs();
    app::installImapAccounts(options->imapLog.value_or(QString()));
    Script script;
    if (options->script)
        if (const auto failed = loadScript(*options->script, script)) return *failed;
    if (options->fixture) {
        try {
            store::installFixtureBackend(*options->fixture);
        } catch (const store::FixtureError& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return kUsageError;
        } catch (const mapi::Error& e) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(*options->fixture),
                         e.description().toUtf8().constData());
            return kUsageError;
        }
    } else {
        // The program still starts: the logon reports the same failure on its
        // error path, and works once the profile folder is usable again.
        try {
            store::installDefaultBackend();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "quorvane: %s\n", e.what());
        }
    }

    app::HeadlessAnswers answers;
    answers.profile = options->profile.value_or(QString());
    answers.readOnly = options->readOnly;
    if (options->passwordFile) {
        QFile f(*options->passwordFile);
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "quorvane: cannot read %s: %s\n", qPrintable(f.fileName()),
                         qPrintable(f.errorString()));
            return kUsageError;
        }
        // The first line only: editors and `echo` add a line break.
        answers.password =
            QString::fromUtf8(f.readLine()).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
    }
    try {
        if (options->script) return runScript(app, std::move(script), options->runCode, answers);
        if (options->runCode) return app::runCodeFile(*options->runCode, {}, {}, answers);
        app::MAPIForm form;
        form.load();
        form.show();
        return app.exec();
    } catch (const std::exception& e) {
        // Only reached by a fault outside every handler's own error path.
        std::fprintf(stderr, "quorvane: %s\n", e.what());
        return 1;
    }
}
