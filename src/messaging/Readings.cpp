#include "messaging/Readings.h"

namespace mapi {

std::optional<VarType> varTypeOfTag(std::uint32_t tag) {
    switch (tag & 0xFFFF) {
        case 0x0002:
            return VarType::Integer;
        case 0x0003:
            return VarType::Long;
        case 0x0004:
            return VarType::Single;
        case 0x0005:
            return VarType::Double;
        case 0x0006:
            return VarType::Currency;
        case 0x0007:
            return VarType::Date;  // PT_APPTIME
        case 0x000A:
            return VarType::Error;
        case 0x000B:
            return VarType::Boolean;
        case 0x001E:
        case 0x001F:
            return VarType::String;
        case 0x0040:
            return VarType::Date;
        case 0x0102:
            return VarType::Binary;
        default:
            return std::nullopt;
    }
}

std::optional<double> numberValue(const Variant& v) {
    switch (v.type()) {
        case VarType::Integer:
            return v.asInteger();
        case VarType::Long:
            return v.asLong();
        case VarType::Single:
            return v.asSingle();
        case VarType::Double:
            return v.asDouble();
        case VarType::Currency:
            return static_cast<double>(v.asCurrency().scaled) / 10000.0;
        case VarType::Boolean:
            return v.asBoolean() ? -1 : 0;
        case VarType::Date:
            return v.asDate().serial;
        default:
            return std::nullopt;
    }
}

}  // namespace mapi
