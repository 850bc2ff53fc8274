#include "codewindow/CodeTextEdit.h"

#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

namespace codewindow {

namespace {
constexpr char16_t kLoneCr = 0xE00D;
}

CodeTextEdit::CodeTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QString CodeTextEdit::toDocument(const QString& text) {
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < n && text[i + 1] == u'\n') {
                out += u'\n';  // becomes a block break
                ++i;
            } else {
                out += QChar(kLoneCr);
            }
        } else if (c == u'\n') {
            out += QChar(QChar::LineSeparator);
        } else {
            out += c;
        }
    }
    return out;
}

QString CodeTextEdit::fromDocument(const QString& raw) {
    QString out;
    out.reserve(raw.size() + raw.size() / 16);
    for (const QChar c : raw) {
        switch (c.unicode()) {
            case QChar::ParagraphSeparator:
                out += u"\r\n";
                break;
            case QChar::LineSeparator:
                out += u'\n';
                break;
            case kLoneCr:
                out += u'\r';
                break;
            default:
                out += c;
        }
    }
    return out;
}

QString CodeTextEdit::exactText() const {
    // Raw text keeps U+2029 between blocks and U+2028 inside them.
    return fromDocument(document()->toRawText());
}

void CodeTextEdit::appendExact(const QString& text) {
    if (text.isEmpty()) return;
    QTextDocument* doc = document();
    const int start = doc->characterCount() - 1;
    QTextCursor caret = textCursor();
    // A caret the user has not moved since the last append follows the code;
    // one the user has put elsewhere stays where the typing goes on.
    const bool follow = !caret.hasSelection() && caret.position() == caretAfterAppend_;
    // Appends from code are not the user's edits: keep them out of the undo
    // history, which would otherwise grow with every generated line.
    doc->setUndoRedoEnabled(false);
    QTextCursor c(doc);
    c.movePosition(QTextCursor::End);
    c.insertText(toDocument(text));
    doc->setUndoRedoEnabled(true);
    if (follow) {
        caret.movePosition(QTextCursor::End);
        setTextCursor(caret);
        caretAfterAppend_ = caret.position();
    }
    revealFrom(start);
}

void CodeTextEdit::revealFrom(int position) {
    // As much of the new text as fits, but never its first line out of sight.
    QScrollBar* v = verticalScrollBar();
    v->setValue(v->maximum());
    const QTextBlock block = document()->findBlock(position);
    int line = block.firstLineNumber();
    if (const QTextLayout* layout = block.layout(); layout && layout->lineCount() > 0) {
        const QTextLine inBlock = layout->lineForTextPosition(position - block.position());
        if (inBlock.isValid()) line += inBlock.lineNumber();
    }
    if (line < v->value()) v->setValue(line);
    horizontalScrollBar()->setValue(horizontalScrollBar()->minimum());
}

void CodeTextEdit::setExactText(const QString& text) {
    setPlainText(toDocument(text));
    caretAfterAppend_ = textCursor().position();
}

QMimeData* CodeTextEdit::createMimeDataFromSelection() const {
    auto* mime = new QMimeData;
    // selectedText() keeps U+2029/U+2028 as the document holds them.
    mime->setText(fromDocument(textCursor().selectedText()));
    return mime;
}

void CodeTextEdit::insertFromMimeData(const QMimeData* source) {
    if (!source || !source->hasText()) return;
    textCursor().insertText(toDocument(source->text()));
    ensureCursorVisible();
}

}  // namespace codewindow
