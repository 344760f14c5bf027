#pragma once
// The Win32 error numbers the ports answer with and their callers test for.

#include <cstdint>

namespace kestrel::os::error {

inline constexpr int32_t kFileNotFound = 2;
inline constexpr int32_t kPathNotFound = 3;
inline constexpr int32_t kAccessDenied = 5;
inline constexpr int32_t kInvalidHandle = 6;
inline constexpr int32_t kWriteFault = 29;
inline constexpr int32_t kSharingViolation = 32;
inline constexpr int32_t kFileExists = 80;
inline constexpr int32_t kInvalidParameter = 87;
inline constexpr int32_t kInvalidName = 123;
inline constexpr int32_t kDirNotEmpty = 145;
inline constexpr int32_t kBadPathname = 161;
inline constexpr int32_t kAlreadyExists = 183;
inline constexpr int32_t kMoreData = 234;
inline constexpr int32_t kNoMoreItems = 259;
inline constexpr int32_t kKeyDeleted = 1018;
inline constexpr int32_t kInvalidWindowHandle = 1400;

}  // namespace kestrel::os::error
