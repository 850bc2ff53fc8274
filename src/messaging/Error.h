#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <exception>

namespace mapi {

// The one error type of the messaging layer and of the platform behaviour the
// callers rely on (object not set, type mismatch, tree key clashes ...).
// `number` is what the calling code reports as "Error #"; MAPI codes are kept in
// their signed 32-bit form, e.g. -2147221233 for MAPI_E_NOT_FOUND.
class Error : public std::exception {
  public:
    Error(std::int32_t number, QString description);

    std::int32_t number() const { return number_; }
    const QString& description() const { return description_; }
    const char* what() const noexcept override { return what_.constData(); }

  private:
    std::int32_t number_;
    QString description_;
    QByteArray what_;
};

namespace code {
// MAPI / COM codes (signed form of the HRESULT).
inline constexpr std::int32_t NotFound = static_cast<std::int32_t>(0x8004010F);
inline constexpr std::int32_t LogonFailed = static_cast<std::int32_t>(0x80040111);
inline constexpr std::int32_t UserCancel = static_cast<std::int32_t>(0x80040113);
inline constexpr std::int32_t NoAccess = static_cast<std::int32_t>(0x80070005);
inline constexpr std::int32_t InvalidParameter = static_cast<std::int32_t>(0x80070057);
inline constexpr std::int32_t AmbiguousRecip = static_cast<std::int32_t>(0x80040700);
inline constexpr std::int32_t NoSupport = static_cast<std::int32_t>(0x80040102);
inline constexpr std::int32_t NotInitialized = static_cast<std::int32_t>(0x80040605);
inline constexpr std::int32_t CallFailed = static_cast<std::int32_t>(0x80004005);
inline constexpr std::int32_t DiskError = static_cast<std::int32_t>(0x80040116);
inline constexpr std::int32_t Corrupt = static_cast<std::int32_t>(0x8004011B);
inline constexpr std::int32_t Busy = static_cast<std::int32_t>(0x8004010B);
inline constexpr std::int32_t ObjectDeleted = static_cast<std::int32_t>(0x8004010A);
inline constexpr std::int32_t NetworkError = static_cast<std::int32_t>(0x80040115);
inline constexpr std::int32_t Collision = static_cast<std::int32_t>(0x80040604);

// Visual Basic run-time errors that the program meets through the platform.
inline constexpr std::int32_t InvalidProcedureCall = 5;
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t SubscriptOutOfRange = 9;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t InvalidUseOfNull = 94;
inline constexpr std::int32_t TreeElementNotFound = 35601;
inline constexpr std::int32_t TreeKeyNotUnique = 35602;
inline constexpr std::int32_t IndexOutOfBounds = 35600;
}  // namespace code

// The error for a known code with its standard description, e.g.
// "The object could not be found. [MAPI_E_NOT_FOUND(8004010F)]" or, for the
// Visual Basic codes, "Object variable or With block variable not set".
Error makeError(std::int32_t number);

// A known MAPI code with a more specific first sentence; the bracketed code
// name and value are appended as for makeError.
Error makeError(std::int32_t number, const QString& sentence);

[[noreturn]] void raise(std::int32_t number);
[[noreturn]] void raise(std::int32_t number, const QString& sentence);

}  // namespace mapi
