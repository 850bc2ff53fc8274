#pragma once

#include <QString>
#include <QStringList>

#include "vbrun/Interpreter.h"
#include "vbrun/Parser.h"

namespace vbrun_test {

// Collects what a run prints; MsgBox prompts are logged as "MsgBox: TEXT".
struct RecordingHost : vbrun::Host {
    QStringList lines;
    int answer = 1;
    void print(const QString& line) override { lines << line; }
    int msgBox(const QString& prompt, int, const QString&) override {
        lines << QStringLiteral("MsgBox: ") + prompt;
        return answer;
    }
};

// Runs source and renders the outcome as one text: the printed lines, then
// "error LINE NUMBER: DESCRIPTION" or "compile error LINE: MESSAGE".
inline QString runText(const QString& source, vbrun::Interpreter* reuse = nullptr,
                       RecordingHost* host = nullptr) {
    RecordingHost own;
    RecordingHost& h = host ? *host : own;
    vbrun::Interpreter local(h);
    vbrun::Interpreter& in = reuse ? *reuse : local;
    try {
        const vbrun::Program p = vbrun::parse(source);
        const auto failure = in.run(p);
        QString out = h.lines.join(u'\n');
        if (failure)
            out += QStringLiteral("%1error %2 %3: %4")
                       .arg(out.isEmpty() ? QString() : QStringLiteral("\n"))
                       .arg(failure->line)
                       .arg(failure->number)
                       .arg(failure->description);
        return out;
    } catch (const vbrun::CompileError& e) {
        return QStringLiteral("compile error %1: %2").arg(e.line).arg(e.message);
    }
}

}  // namespace vbrun_test
