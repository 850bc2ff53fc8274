#pragma once

#include <QByteArray>
#include <QString>

namespace mime {

// The text a mail reader shows for an HTML body: the document parsed as a
// browser parses it (HTML5, so broken markup ends up where a browser puts it),
// then laid out in lines. Nothing of the head, scripts or styles; entities
// decoded; block elements and <br> on lines of their own, paragraphs,
// headings, quotes and preformatted text set off by a blank line; table cells
// apart by a tab; an image by its alternative text, as a reader that does not
// load remote images shows it. Safe to call from any thread: no Qt Gui.
QString htmlToText(const QString& html);

// The charset an HTML document names in a <meta> near its start, as a browser
// finds it when nothing else says; empty when it names none.
QByteArray htmlDeclaredCharset(const QByteArray& html);

}  // namespace mime
