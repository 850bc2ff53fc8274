#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

namespace immediate {

// Keywords, strings, comments and numbers of the generated Visual Basic in
// distinct colours. One pass over each line, no regular expressions, no state
// between lines: appending to a large code window highlights only what is new.
class VbHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
  public:
    explicit VbHighlighter(QTextDocument* document);

  protected:
    void highlightBlock(const QString& text) override;

  private:
    QTextCharFormat keyword_, string_, comment_, number_;
};

}  // namespace immediate
