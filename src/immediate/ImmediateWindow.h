#pragma once

#include <QWidget>

#include "immediate/Completion.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace immediate {

class CompletingLineEdit;

// The Immediate window: Debug.Print output of every run, a line to type a
// statement into (Enter runs it; "." and Ctrl+Space complete) and Stop. It keeps the last kMaxLines
// lines; older ones are dropped and a note says so.
class ImmediateWindow : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kMaxLines = 5000;

    explicit ImmediateWindow(QWidget* parent = nullptr);

    // A printed line: data, never coloured as code, whatever words it holds.
    void appendLine(const QString& line);
    // A statement typed into the window, echoed above what it prints and
    // coloured as code.
    void appendStatement(const QString& text);
    void setRunning(bool running);
    // Where the input line's completion finds variables and their members.
    void setCompletionScope(CompletionScope scope);
    QPlainTextEdit* output() const { return output_; }

  signals:
    void statementEntered(const QString& text);
    void stopRequested();

  private:
    class TranscriptHighlighter;

    void append(const QString& line, bool statement);

    QPlainTextEdit* output_;
    TranscriptHighlighter* highlighter_;
    CompletingLineEdit* input_;
    QPushButton* stop_;
    QLabel* dropped_;
    qint64 lines_ = 0;
    bool refocusInput_ = false;  // the input line had the focus when a run began
};

}  // namespace immediate
