#pragma once

// Cases kept as data: a text file of rows, each
//
//     === NAME [WORD...]      the row's name and its words (what they mean is the driver's)
//     # a comment             (comment and script lines come first, in any order)
//     > a script line         one command a line; "> @X" stands for the script of row "@X"
//     what the row gives      every other line, up to the next row
//
// Lines before the first row are the file's comments; rows named "@X" are only
// script snippets. With QUORVANE_BLESS set, expected() writes a row's actual
// output into the file first. Qt Core only.

#include <QFile>
#include <QMap>
#include <QString>
#include <QStringList>
#include <ostream>
#include <vector>

namespace casefile {

struct Row {
    QString name;
    QStringList words;
    QString script;  // every line ends in "\n"
    QString expected;
};

inline void PrintTo(const Row& r, std::ostream* os) {
    *os << r.name.toStdString();
}

namespace detail {

inline QString readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(f.readAll());
}

// The file's text split at its rows: [head, row, row, ...], each row from its
// name on (without "=== ").
inline QStringList sections(const QString& text) {
    QStringList parts = (u'\n' + text).split(QStringLiteral("\n=== "));
    parts[0].remove(0, 1);
    return parts;
}

}  // namespace detail

inline std::vector<Row> read(const QString& path) {
    std::vector<Row> rows;
    QMap<QString, QString> snippets;
    for (const QString& section : detail::sections(detail::readAll(path)).mid(1)) {
        QStringList lines = section.split(u'\n');
        Row row;
        row.words = lines.takeFirst().split(u' ', Qt::SkipEmptyParts);
        row.name = row.words.takeFirst();
        while (!lines.isEmpty() &&
               (lines.first().startsWith(u'#') || lines.first().startsWith(u'>'))) {
            const QString line = lines.takeFirst();
            if (line.startsWith(u'#')) continue;
            const QString command = line.mid(2);
            row.script +=
                command.startsWith(u'@') ? snippets.value(command) : command + QLatin1Char('\n');
        }
        while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        row.expected = lines.join(u'\n');
        if (row.name.startsWith(u'@'))
            snippets.insert(row.name, row.script);
        else
            rows.push_back(row);
    }
    return rows;
}

// The expected output of `row` in `path`; first written there from `actual`
// when QUORVANE_BLESS is set.
inline QString expected(const QString& path, const Row& row, const QString& actual) {
    if (!qEnvironmentVariableIsSet("QUORVANE_BLESS")) return row.expected;
    QStringList parts = detail::sections(detail::readAll(path));
    for (qsizetype i = 1; i < parts.size(); ++i) {
        QStringList lines = parts[i].split(u'\n');
        if (lines[0].section(u' ', 0, 0) != row.name) continue;
        qsizetype keep = 1;
        while (keep < lines.size() &&
               (lines[keep].startsWith(u'#') || lines[keep].startsWith(u'>')))
            ++keep;
        lines = lines.mid(0, keep);
        if (!actual.isEmpty()) lines << actual;
        parts[i] = lines.join(u'\n') + u'\n';
    }
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(parts.join(QStringLiteral("\n=== ")).toUtf8());
    return actual;
}

// A row's name as a test name: letters, digits and underscores only.
inline std::string testName(const Row& row) {
    std::string out;
    for (const QChar c : row.name) out += c.isLetterOrNumber() ? char(c.toLatin1()) : '_';
    return out;
}

}  // namespace casefile
