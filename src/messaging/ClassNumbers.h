#pragma once

// The Class property of every object kind. The single objects carry the
// library's own numbers (0 Session ... 10 message filter); the collections
// follow them from 14 on. A kind has one number wherever it comes from, so
// code may branch on Class rather than on TypeName.

#include <cstdint>

namespace mapi::class_number {

inline constexpr std::int32_t Session = 0;
inline constexpr std::int32_t InfoStore = 1;
inline constexpr std::int32_t Folder = 2;
inline constexpr std::int32_t Message = 3;
inline constexpr std::int32_t Recipient = 4;
inline constexpr std::int32_t Attachment = 5;
inline constexpr std::int32_t Field = 6;
inline constexpr std::int32_t AddressList = 7;
inline constexpr std::int32_t AddressEntry = 8;
inline constexpr std::int32_t AddressEntryFilter = 9;
inline constexpr std::int32_t MessageFilter = 10;
inline constexpr std::int32_t InfoStores = 14;
inline constexpr std::int32_t Folders = 15;
inline constexpr std::int32_t Messages = 16;
inline constexpr std::int32_t Recipients = 17;
inline constexpr std::int32_t Attachments = 18;
inline constexpr std::int32_t Fields = 19;
inline constexpr std::int32_t AddressLists = 20;
inline constexpr std::int32_t AddressEntries = 21;

}  // namespace mapi::class_number
