#pragma once
// The record signatures and fixed sizes of the ZIP format (PKWARE's application note), shared
// by the reader and the writer. All fields are little-endian.

#include <cstddef>
#include <cstdint>

namespace kestrel::zipformat {

inline constexpr uint32_t kLocalSignature = 0x04034B50;
inline constexpr uint32_t kCentralSignature = 0x02014B50;
inline constexpr uint32_t kEndSignature = 0x06054B50;
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndRecordSize = 22;

}  // namespace kestrel::zipformat
