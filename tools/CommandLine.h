#pragma once

// The store tool's command lines: each command parses its own options with
// QCommandLineParser and answers --help itself.

#include <QCommandLineParser>
#include <QRegularExpression>
#include <QStringList>
#include <QTextStream>

// Every command's own parser: its options, --help, and the program's name in the
// usage line whatever the binary was called.
struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QString usage;

    CommandLine(const QString& command, const QString& description) {
        parser.setApplicationDescription(description);
        usage = QStringLiteral("quorvane-store ") + command;
    }
    void add(const char* name, const char* text, const char* value = nullptr) {
        parser.addOption(value ? QCommandLineOption(QLatin1String(name), QLatin1String(text),
                                                    QLatin1String(value))
                               : QCommandLineOption(QLatin1String(name), QLatin1String(text)));
    }
    QString helpText() const {
        QString text = parser.helpText();
        text.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                     QStringLiteral("Usage: ") + usage);
        return text;
    }
    // Parses a command's arguments: 0 to go on, else the exit status (--help
    // answered, or the usage error reported).
    int parse(const QStringList& args) {
        if (!parser.parse(QStringList{usage} + args.mid(2))) return usageError(parser.errorText());
        if (parser.isSet(help)) {
            QTextStream(stdout) << helpText();
            return -1;
        }
        return 0;
    }
    int usageError(const QString& problem) const {
        QTextStream(stderr) << "quorvane-store: " << problem << "\n\n" << helpText();
        return 2;
    }
    QString value(const char* name) const { return parser.value(QLatin1String(name)); }
};
