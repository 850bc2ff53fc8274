#pragma once

#include <QString>

namespace app {

// The text of the "Instructions" panel: the title line and the paragraphs,
// each followed by an empty line, with CR LF line breaks.
QString instructionsText();

}  // namespace app
