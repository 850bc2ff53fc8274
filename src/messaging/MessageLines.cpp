#include "messaging/Objects.h"
#include "messaging/Variant.h"

namespace mapi {

namespace {

bool isMissingPart(const Error& e) {
    return e.number() == code::NotFound || e.number() == code::ObjectNotSet ||
           e.number() == code::InvalidUseOfNull;
}

template <class F>
QString partOrEmpty(F&& read) {
    try {
        return read();
    } catch (const Error& e) {
        if (isMissingPart(e)) return QString();
        throw;
    }
}

}  // namespace

MessageLine Messages::lineOf(Message& m) {
    MessageLine line;
    line.received = partOrEmpty([&] { return m.TimeReceived().toText(); });
    line.sender = partOrEmpty([&] { return m.Sender()->Name(); });
    line.subject = partOrEmpty([&] { return m.Subject(); });
    return line;
}

void Messages::listLines(const std::function<void(const MessageLine&)>& each) {
    for (const Ref<Message>& m : *this) each(lineOf(*m));
}

bool Messages::nextHeading(bool first, QString& id, QString& subject) {
    const Ref<Message> m = first ? GetFirst() : GetNext();
    if (!m) return false;
    id = m->ID();
    subject = m->Subject();
    return true;
}

}  // namespace mapi
