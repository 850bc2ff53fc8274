#include "immediate/ImmediateWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "immediate/CompletingLineEdit.h"
#include "immediate/VbHighlighter.h"

namespace immediate {

// Colours the typed statements only. Each line is told apart once, when its
// text first arrives, and keeps that in its block state, so later passes (the
// oldest lines dropped, a re-layout) colour the same lines again.
class ImmediateWindow::TranscriptHighlighter : public VbHighlighter {
  public:
    using VbHighlighter::VbHighlighter;
    bool statementNext = false;

  protected:
    void highlightBlock(const QString& text) override {
        enum : int { kPrinted = 1, kStatement = 2 };
        if (currentBlockState() < 0) {
            // The empty first line of the window takes the first text appended.
            if (text.isEmpty()) return;
            setCurrentBlockState(statementNext ? kStatement : kPrinted);
        }
        if (currentBlockState() == kStatement) VbHighlighter::highlightBlock(text);
    }
};

ImmediateWindow::ImmediateWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool),
      output_(new QPlainTextEdit(this)),
      highlighter_(new TranscriptHighlighter(output_->document())),
      input_(new CompletingLineEdit(this)),
      stop_(new QPushButton(tr("Stop"), this)),
      dropped_(new QLabel(this)) {
    setObjectName(QStringLiteral("ImmediateWindow"));
    setWindowTitle(tr("Immediate"));
    output_->setObjectName(QStringLiteral("ImmediateText"));
    output_->setReadOnly(true);
    output_->setLineWrapMode(QPlainTextEdit::NoWrap);
    output_->setMaximumBlockCount(kMaxLines);
    input_->setObjectName(QStringLiteral("ImmediateInput"));
    stop_->setObjectName(QStringLiteral("StopButton"));
    stop_->setEnabled(false);
    dropped_->setObjectName(QStringLiteral("DroppedLabel"));
    dropped_->setVisible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(dropped_);
    layout->addWidget(output_, 1);
    layout->addWidget(input_);
    layout->addWidget(stop_);
    resize(520, 300);

    connect(input_, &QLineEdit::returnPressed, this, [this] {
        const QString text = input_->text();
        if (text.trimmed().isEmpty()) return;
        input_->clear();
        emit statementEntered(text);
    });
    connect(stop_, &QPushButton::clicked, this, &ImmediateWindow::stopRequested);
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] {
        // Esc over the input line's completion list closes the list only.
        if (!input_->closeList()) emit stopRequested();
    });
}

void ImmediateWindow::appendLine(const QString& line) {
    append(line, false);
}

void ImmediateWindow::appendStatement(const QString& text) {
    append(text, true);
}

void ImmediateWindow::append(const QString& line, bool statement) {
    // A printed value may hold line breaks of its own; each is a line here.
    QString text = line;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    highlighter_->statementNext = statement;
    output_->appendPlainText(text);
    highlighter_->statementNext = false;
    lines_ += text.count(u'\n') + 1;
    if (lines_ > kMaxLines && !dropped_->isVisible()) {
        dropped_->setText(
            tr("Older lines were dropped: the window keeps the last %1.").arg(kMaxLines));
        dropped_->setVisible(true);
    }
}

void ImmediateWindow::setCompletionScope(CompletionScope scope) {
    input_->setScope(std::move(scope));
}

void ImmediateWindow::setRunning(bool running) {
    // Disabling the line while a statement typed there runs sends the focus
    // elsewhere; it comes back for the next statement.
    if (running) refocusInput_ = input_->hasFocus();
    stop_->setEnabled(running);
    input_->setEnabled(!running);
    if (!running && refocusInput_) input_->setFocus();
}

}  // namespace immediate
