#include "messaging/Error.h"

#include <utility>

namespace mapi {

Error::Error(std::int32_t number, QString description)
    : number_(number), description_(std::move(description)), what_(description_.toUtf8()) {}

namespace {

struct Known {
    std::int32_t number;
    const char* name;  // empty for Visual Basic run-time errors
    const char* sentence;
};

constexpr Known kKnown[] = {
    {code::NotFound, "MAPI_E_NOT_FOUND", "The object could not be found."},
    {code::LogonFailed, "MAPI_E_LOGON_FAILED", "The logon failed."},
    {code::UserCancel, "MAPI_E_USER_CANCEL", "The user canceled the operation."},
    {code::NoAccess, "E_ACCESSDENIED", "You do not have permission to perform this action."},
    {code::InvalidParameter, "E_INVALIDARG", "The parameter is not valid."},
    {code::AmbiguousRecip, "MAPI_E_AMBIGUOUS_RECIP", "The recipient name is ambiguous."},
    {code::NoSupport, "MAPI_E_NO_SUPPORT", "The operation is not supported."},
    {code::Collision, "MAPI_E_COLLISION", "An object of that name already exists."},
    {code::NotInitialized, "MAPI_E_NOT_INITIALIZED", "The session is not logged on."},
    {code::CallFailed, "MAPI_E_CALL_FAILED", "The call failed."},
    {code::DiskError, "MAPI_E_DISK_ERROR", "The message store could not be read or written."},
    {code::Corrupt, "MAPI_E_CORRUPT_DATA", "The message store is damaged."},
    {code::Busy, "MAPI_E_BUSY", "The message store is in use by another program."},
    {code::ObjectDeleted, "MAPI_E_OBJECT_DELETED", "The object has been deleted."},
    {code::NetworkError, "MAPI_E_NETWORK_ERROR", "The mail server could not be reached."},
    {code::InvalidProcedureCall, "", "Invalid procedure call or argument"},
    {code::Overflow, "", "Overflow"},
    {code::SubscriptOutOfRange, "", "Subscript out of range"},
    {code::TypeMismatch, "", "Type mismatch"},
    {code::ObjectNotSet, "", "Object variable or With block variable not set"},
    {code::InvalidUseOfNull, "", "Invalid use of Null"},
    {code::IndexOutOfBounds, "", "Index out of bounds"},
    {code::TreeElementNotFound, "", "Element not found"},
    {code::TreeKeyNotUnique, "", "Key is not unique in collection"},
};

const Known* find(std::int32_t number) {
    for (const Known& k : kKnown)
        if (k.number == number) return &k;
    return nullptr;
}

QString describe(std::int32_t number, const QString* sentence) {
    const Known* k = find(number);
    const QString first = sentence ? *sentence : (k ? QString::fromUtf8(k->sentence) : QString());
    if (k && *k->name == '\0') return first;  // Visual Basic error: the sentence alone
    const QString hex = QStringLiteral("%1")
                            .arg(static_cast<std::uint32_t>(number), 8, 16, QLatin1Char('0'))
                            .toUpper();
    const QString name = k ? QString::fromUtf8(k->name) : QStringLiteral("MAPI_E_CALL_FAILED");
    const QString lead = first.isEmpty() ? QStringLiteral("The call failed.") : first;
    return QStringLiteral("%1 [%2(%3)]").arg(lead, name, hex);
}

}  // namespace

Error makeError(std::int32_t number) {
    return Error(number, describe(number, nullptr));
}

Error makeError(std::int32_t number, const QString& sentence) {
    return Error(number, describe(number, &sentence));
}

void raise(std::int32_t number) {
    throw makeError(number);
}

void raise(std::int32_t number, const QString& sentence) {
    throw makeError(number, sentence);
}

}  // namespace mapi
