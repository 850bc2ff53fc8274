// The Visual Basic conversions on any text. They may refuse a value only with
// "Type mismatch" or "Overflow"; what IsNumeric accepts CDbl never calls a
// type mismatch, and what IsDate accepts CDate never does either.
#include "messaging/VbConvert.h"
#include "FuzzInput.h"
#include "messaging/Error.h"

namespace {

// The VB error number the conversion failed with, or 0.
template <typename F>
int vbErrorOf(F&& f) {
    try {
        f();
        return 0;
    } catch (const mapi::Error& e) {
        return e.number();
    }
}

void expectOnlyMismatchOrOverflow(int err) {
    if (err != 0 && err != mapi::code::TypeMismatch && err != mapi::code::Overflow) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString t = fuzz::text(data, size);
    const bool numeric = vb::isNumeric(t);
    const bool date = vb::isDate(t);
    expectOnlyMismatchOrOverflow(vbErrorOf([&] { vb::toBoolean(t); }));
    expectOnlyMismatchOrOverflow(vbErrorOf([&] { vb::toInteger(t); }));
    expectOnlyMismatchOrOverflow(vbErrorOf([&] { vb::toLong(t); }));
    expectOnlyMismatchOrOverflow(vbErrorOf([&] { vb::toSingle(t); }));
    expectOnlyMismatchOrOverflow(vbErrorOf([&] { vb::toCurrency(t); }));
    const int dbl = vbErrorOf([&] { vb::toDouble(t); });
    expectOnlyMismatchOrOverflow(dbl);
    if (numeric && dbl == mapi::code::TypeMismatch) abort();
    const int dt = vbErrorOf([&] { vb::toDate(t); });
    expectOnlyMismatchOrOverflow(dt);
    if (date && dt == mapi::code::TypeMismatch) abort();
    return 0;
}
