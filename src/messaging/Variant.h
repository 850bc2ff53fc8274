#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <memory>
#include <variant>

namespace mapi {

class Object;

// Visual Basic variant type codes, as Field.Type reports them.
enum class VarType : int {
    Empty = 0,
    Null = 1,
    Integer = 2,  // 16-bit
    Long = 3,     // 32-bit
    Single = 4,
    Double = 5,
    Currency = 6,  // 64-bit, four implied decimals
    Date = 7,
    String = 8,
    Object = 9,
    Error = 10,
    Boolean = 11,
    Binary = 65,
};

// A 64-bit scaled integer: the value times 10,000.
struct Currency {
    std::int64_t scaled = 0;
    friend bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
};

// A date as the platform keeps it: days since 30 December 1899, the fraction
// being the time of day. Local time, no zone.
struct Date {
    double serial = 0.0;
    friend bool operator==(Date a, Date b) { return a.serial == b.serial; }

    static Date fromDateTime(const QDateTime& dt);
    static Date fromDate(const QDate& d);
    QDateTime toDateTime() const;  // local time, whole seconds
};

// An Error-typed value: holds an error code instead of data.
struct ErrorValue {
    std::int32_t code = 0;
    friend bool operator==(ErrorValue a, ErrorValue b) { return a.code == b.code; }
};

struct NullValue {
    friend bool operator==(NullValue, NullValue) { return true; }
};

// The small variant the messaging layer passes values in.
class Variant {
  public:
    Variant() = default;  // Empty
    static Variant null() { return Variant(NullValue{}); }
    Variant(NullValue v) : v_(v) {}
    static Variant integer(std::int16_t v) { return Variant(Storage(v)); }
    Variant(std::int32_t v) : v_(v) {}  // Long
    Variant(float v) : v_(v) {}
    Variant(double v) : v_(v) {}
    Variant(Currency v) : v_(v) {}
    Variant(Date v) : v_(v) {}
    Variant(const QString& v) : v_(v) {}
    Variant(const char* v) : v_(QString::fromUtf8(v)) {}
    Variant(ErrorValue v) : v_(v) {}
    Variant(bool v) : v_(v) {}
    Variant(const QByteArray& v) : v_(v) {}
    Variant(std::shared_ptr<Object> v) : v_(std::move(v)) {}

    VarType type() const;
    bool isEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    bool isNull() const { return std::holds_alternative<NullValue>(v_); }

    // Direct access; the caller has checked type().
    std::int16_t asInteger() const { return std::get<std::int16_t>(v_); }
    std::int32_t asLong() const { return std::get<std::int32_t>(v_); }
    float asSingle() const { return std::get<float>(v_); }
    double asDouble() const { return std::get<double>(v_); }
    Currency asCurrency() const { return std::get<Currency>(v_); }
    Date asDate() const { return std::get<Date>(v_); }
    const QString& asString() const { return std::get<QString>(v_); }
    ErrorValue asError() const { return std::get<ErrorValue>(v_); }
    bool asBoolean() const { return std::get<bool>(v_); }
    const QByteArray& asBinary() const { return std::get<QByteArray>(v_); }
    const std::shared_ptr<Object>& asObject() const {
        return std::get<std::shared_ptr<Object>>(v_);
    }

    // CStr(): the text the platform gives the value, independent of the
    // machine's locale: "True"/"False", plain decimal numbers, dates as
    // "M/D/YYYY h:mm:ss AM" (date only at midnight, time only on day zero),
    // binary as upper-case hexadecimal. Empty gives "". Null fails with
    // "Invalid use of Null" (94); Error values and objects with "Type mismatch" (13).
    QString toText() const;

    friend bool operator==(const Variant& a, const Variant& b) { return a.v_ == b.v_; }

  private:
    using Storage =
        std::variant<std::monostate, NullValue, std::int16_t, std::int32_t, float, double, Currency,
                     Date, QString, ErrorValue, bool, QByteArray, std::shared_ptr<Object>>;
    explicit Variant(Storage s) : v_(std::move(s)) {}
    Storage v_;
};

// Text forms shared by toText() and the conversion routines.
QString dateToText(Date d);
QString doubleToText(double v);
QString singleToText(float v);
QString currencyToText(Currency c);

}  // namespace mapi
