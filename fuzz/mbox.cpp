// The importer's mbox splitting on any file: messages come out in order, each
// accounting for the bytes it took, never more than the file holds.
#include <QFile>

#include "FuzzInput.h"
#include "import/MailSources.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    import::Source source;
    source.path = fuzz::scratchFile(fuzz::bytes(data, size), ".mbox");
    source.kind = import::SourceKind::Mbox;
    qint64 consumed = 0;
    const QString error = import::readSource(source, [&](import::RawMessage&& m) {
        if (m.consumed < 0 || m.raw.size() > m.consumed) abort();
        consumed += m.consumed;
    });
    if (!error.isEmpty() || consumed > static_cast<qint64>(size)) abort();
    QFile::remove(source.path);
    return 0;
}
