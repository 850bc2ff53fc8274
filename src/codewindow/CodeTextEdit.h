#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace codewindow {

// The text box behind CodeText. The document keeps line breaks its own way
// (a block break per line), so the exact characters of the text are mapped on
// the way in and out: CR LF <-> block break, a lone LF <-> line separator
// U+2028, a lone CR <-> the private character U+E00D. What the user types with
// Enter reads back as CR LF, as in the original text box.
class CodeTextEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit CodeTextEdit(QWidget* parent = nullptr);

    // Exact text <-> document characters.
    static QString toDocument(const QString& text);
    static QString fromDocument(const QString& raw);

    QString exactText() const;
    // Appends at the end and scrolls the first line of the new text into view;
    // the caret moves to the end only when the user left it where the last
    // append put it.
    void appendExact(const QString& text);
    void setExactText(const QString& text);

  protected:
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

  private:
    void revealFrom(int position);
    int caretAfterAppend_ = 0;
};

}  // namespace codewindow
