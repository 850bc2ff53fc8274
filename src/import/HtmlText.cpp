#include "import/HtmlText.h"

#include <QFont>
#include <QTextDocument>

namespace import {

QString htmlToText(const QString& html) {
    QTextDocument doc;
    // Without a GUI application the default font has no size, and headings
    // scaled from it make Qt complain on standard error for every message.
    QFont font;
    font.setPixelSize(16);
    doc.setDefaultFont(font);
    doc.setHtml(html);
    QString text = doc.toPlainText();
    // Qt writes non-breaking spaces as they are; mail readers show blanks.
    text.replace(QChar::Nbsp, QLatin1Char(' '));
    while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
    return text;
}

}  // namespace import
