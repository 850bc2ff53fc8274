// The scenario-script parser, and the promise the runner's log relies on: any
// text, quoted, reads back as exactly one token with that text.
#include "FuzzInput.h"
#include "scenario/ScriptParser.h"

using namespace scenario::script;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString input = fuzz::text(data, size);
    const ParseResult parsed = parseScript(input);
    for (const Command& c : parsed.commands)
        for (const Token& t : c.args) (void)keyForm(t);

    QString error;
    const auto tokens = tokenize(quote(input), &error);
    if (!tokens || tokens->size() != 1 || tokens->front().text != input) abort();
    return 0;
}
