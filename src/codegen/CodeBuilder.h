#pragma once

#include <QString>
#include <QStringView>
#include <initializer_list>

#include "codegen/VarNames.h"

namespace codegen {

inline const QString kCrLf = QStringLiteral("\r\n");

// Builds the generated lines of one step, to be passed to AppendCode at once.
//
//   Code c(names);
//   c.line(u"Set {Store} = {Session}.GetInfoStore(\"%1\")", {storeId}).blank();
//
// In a template, {Key} is the current name of the code variable whose settings
// key is Key (read now, so a rename affects only later lines) and %1..%9 are
// the run-time values, inserted unchanged and never scanned again, except that
// one standing between two quote characters ("%1") is made a valid string
// literal (quotes doubled, line breaks as vbCrLf/vbLf/vbCr). Any other
// character is literal. Every line ends with CR LF; blank() adds one more,
// for the lines followed by an empty line.
//
// A step of several lines is written as one raw string, the way the generated
// code reads; its lines share the values:
//
//   c.lines(uR"(
//   'get the message by ID
//   Set {Message} = {Session}.GetMessage("%1", "%2")
//
//   )", {messageId, storeId});
//
// The line break just after the opening and the one just before the closing
// belong to the literal; each line between them is one line(), so an empty
// one is a blank().
class Code {
  public:
    explicit Code(const VarNames& names) : names_(names) {}

    Code& line(QStringView tmpl, std::initializer_list<QString> args = {});
    Code& lines(QStringView block, std::initializer_list<QString> args = {});
    Code& blank();
    const QString& text() const { return text_; }

    // The expansion alone, without a line break.
    QString expand(QStringView tmpl, std::initializer_list<QString> args = {}) const;

  private:
    const VarNames& names_;
    QString text_;
};

}  // namespace codegen
