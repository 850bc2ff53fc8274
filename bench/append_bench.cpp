// Appending to the code window costs time in proportion to what is appended:
// N appends of a 60-character line should scale as O(N), whatever the window
// already holds. Also: 100,000 child nodes added under one collapsed tree node.
//
//   QT_QPA_PLATFORM=offscreen ./append_bench

#include <benchmark/benchmark.h>

#include <QApplication>

#include "codewindow/CodeTextEdit.h"
#include "codewindow/CodeWindow.h"
#include "immediate/VbHighlighter.h"
#include "ui/TreeView.h"

namespace {

const QString kLine = QString(58, QLatin1Char('x')) + QStringLiteral("\r\n");  // 60 characters

void BM_AppendLines(benchmark::State& state) {
    const auto n = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto* edit = new codewindow::CodeTextEdit;
        edit->resize(600, 300);
        edit->show();
        codewindow::CodeWindow code(edit);
        state.ResumeTiming();
        for (std::int64_t i = 0; i < n; ++i) code.AppendCode(kLine);
        QCoreApplication::processEvents();
        state.PauseTiming();
        if (code.text().size() != n * kLine.size()) state.SkipWithError("text lost");
        delete edit;
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AppendLines)
    ->Arg(12500)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// 10 MB of generated code appended in blocks of 20 lines, with the code
// window's syntax highlighting (range 1) and without it (range 0, the baseline).
void BM_AppendTenMegabytes(benchmark::State& state) {
    QString block;
    for (int i = 0; i < 4; ++i)
        block += QStringLiteral(
            "  ' Get the message's subject and its sender\r\n"
            "  Set oMsg = oFolder.Messages.Item(1)\r\n"
            "  Debug.Print \"Subject: \" & oMsg.Subject & \" (\" & 12345 & \")\"\r\n"
            "  If oMsg.Unread Then MsgBox \"unread\"\r\n"
            "  For Each oRecip In oMsg.Recipients: Debug.Print oRecip.Name: Next\r\n");
    const qsizetype blocks = 10 * 1024 * 1024 / block.size();
    for (auto _ : state) {
        state.PauseTiming();
        auto* edit = new codewindow::CodeTextEdit;
        edit->resize(600, 300);
        edit->show();
        if (state.range(0)) new immediate::VbHighlighter(edit->document());
        codewindow::CodeWindow code(edit);
        state.ResumeTiming();
        for (qsizetype i = 0; i < blocks; ++i) code.AppendCode(block);
        QCoreApplication::processEvents();
        state.PauseTiming();
        delete edit;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AppendTenMegabytes)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(1);

// One append to a window that already holds `range` lines.
void BM_AppendToFullWindow(benchmark::State& state) {
    codewindow::CodeTextEdit edit;
    edit.show();
    codewindow::CodeWindow code(&edit);
    for (std::int64_t i = 0; i < state.range(0); ++i) code.AppendCode(kLine);
    for (auto _ : state) code.AppendCode(kLine);
}
BENCHMARK(BM_AppendToFullWindow)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_TreeChildAdds(benchmark::State& state) {
    const auto n = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        auto* tree = new ui::TreeView;
        tree->show();
        const auto root = tree->add(0, ui::Relationship::Next, QString(), QStringLiteral("root"));
        const auto folder =
            tree->add(root, ui::Relationship::Child, QStringLiteral("F"), QStringLiteral("folder"));
        state.ResumeTiming();
        for (std::int64_t i = 0; i < n; ++i)
            tree->add(folder, ui::Relationship::Child, QStringLiteral("M%1").arg(i),
                      QStringLiteral("Message subject %1").arg(i), 5, 6);
        QCoreApplication::processEvents();
        state.PauseTiming();
        delete tree;
        state.ResumeTiming();
    }
    state.SetComplexityN(n);
}
BENCHMARK(BM_TreeChildAdds)
    ->Arg(25000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
