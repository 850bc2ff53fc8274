#pragma once

// Property tags of the standard properties the stores list, and the bits of
// PR_MESSAGE_FLAGS they compute.

#include <cstdint>

namespace model {

namespace tag {
// Messages.
inline constexpr std::uint32_t Importance = 0x00170003;
inline constexpr std::uint32_t MessageClass = 0x001A001E;
inline constexpr std::uint32_t Subject = 0x0037001E;
inline constexpr std::uint32_t ClientSubmitTime = 0x00390040;
inline constexpr std::uint32_t ConversationTopic = 0x0070001E;
inline constexpr std::uint32_t ConversationIndex = 0x00710102;
inline constexpr std::uint32_t SenderName = 0x0C1A001E;
inline constexpr std::uint32_t SenderAddress = 0x0C1F001E;
inline constexpr std::uint32_t DeliveryTime = 0x0E060040;
inline constexpr std::uint32_t MessageFlags = 0x0E070003;
inline constexpr std::uint32_t MessageSize = 0x0E080003;
inline constexpr std::uint32_t Body = 0x1000001E;
// Address entries.
inline constexpr std::uint32_t DisplayName = 0x3001001E;
inline constexpr std::uint32_t AddressType = 0x3002001E;
inline constexpr std::uint32_t EmailAddress = 0x3003001E;
inline constexpr std::uint32_t Comment = 0x3004001E;
inline constexpr std::uint32_t DisplayType = 0x39000003;
inline constexpr std::uint32_t Account = 0x3A00001E;
inline constexpr std::uint32_t SendRichInfo = 0x3A40000B;
}  // namespace tag

inline constexpr int kMsgFlagRead = 0x1;
inline constexpr int kMsgFlagUnsent = 0x8;
inline constexpr int kMsgFlagHasAttach = 0x10;

}  // namespace model
