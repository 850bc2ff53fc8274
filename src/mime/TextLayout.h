#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace mime {

// Lays the text met in a walk of an HTML tree out in lines as a browser shows
// it: white space collapsed outside preformatted text, block boundaries and
// line breaks as new lines, table cells apart on their line. Works on UTF-8.
class TextLayout {
  public:
    // Character data; collapsed unless inside preformatted text.
    void text(std::string_view utf8);
    // A <br>: always ends the line, even an empty one.
    void lineBreak();
    // The edge of a block: 1 starts a new line, 2 leaves a blank line.
    // Adjacent edges do not add up; the largest wins.
    void blockEdge(int lines);
    // The start of a table cell: apart from what came before on its line.
    void cell();
    void enterPreformatted() { ++pre_; }
    void leavePreformatted() {
        if (pre_ > 0) --pre_;
    }
    // The text laid out, with non-breaking spaces as plain blanks, no blanks
    // at line ends and no more than one blank line in a row.
    QString result() const;

  private:
    void beforeContent();
    std::string out_;
    int pre_ = 0;
    int pendingLines_ = 0;  // block edges seen since the last content
    int newlines_ = 0;      // line ends written since the last content
    bool pendingSpace_ = false;
    bool pendingCell_ = false;
    bool lineStart_ = true;  // nothing written on the current line yet
};

}  // namespace mime
