#pragma once
// Port: registry keys and values, at the level of the advapi32 calls. Every call names the
// registry view explicitly; results are Win32 error numbers (0 success, 2 not found, 5 access
// denied, 161 bad path, 234 more data, 259 no more items, 1018 key deleted meanwhile).

#include <cstdint>
#include <string>

namespace kestrel::os {

// An open key. The predefined keys keep their 32-bit Windows values; 0 is never a key.
using RegKey = uint64_t;

inline constexpr RegKey kHkeyClassesRoot = 0x80000000;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002;
inline constexpr RegKey kHkeyUsers = 0x80000003;
inline constexpr RegKey kHkeyCurrentConfig = 0x80000005;
inline constexpr RegKey kHkeyDynData = 0x80000006;

inline constexpr bool IsPredefinedKey(RegKey key) {
    return key >= kHkeyClassesRoot && key <= kHkeyDynData && key != 0x80000004;
}

// The view of a 64-bit Windows registry a call addresses. kDefault is the view of the running
// process (KEY_WOW64_* not given); on 32-bit Windows there is only one view.
enum class RegView { kDefault, k64, k32 };

namespace regaccess {
inline constexpr uint32_t kQueryValue = 0x0001;
inline constexpr uint32_t kSetValue = 0x0002;
inline constexpr uint32_t kCreateSubKey = 0x0004;
inline constexpr uint32_t kEnumerateSubKeys = 0x0008;
inline constexpr uint32_t kDelete = 0x10000;
inline constexpr uint32_t kReadControl = 0x20000;
inline constexpr uint32_t kWriteDac = 0x40000;
inline constexpr uint32_t kRead = 0x20019;
inline constexpr uint32_t kWrite = 0x20006;
inline constexpr uint32_t kAllAccess = 0xF003F;
inline constexpr uint32_t kWow64_64Key = 0x0100;
inline constexpr uint32_t kWow64_32Key = 0x0200;
}  // namespace regaccess

namespace regtype {
inline constexpr uint32_t kNone = 0;
inline constexpr uint32_t kSz = 1;
inline constexpr uint32_t kExpandSz = 2;
inline constexpr uint32_t kBinary = 3;
inline constexpr uint32_t kDword = 4;
inline constexpr uint32_t kMultiSz = 7;
inline constexpr uint32_t kQword = 11;
}  // namespace regtype

class Registry {
public:
    virtual ~Registry() = default;

    // RegOpenKeyExA(parent, subKey, 0, access | view flag). "" opens parent itself again; a
    // trailing "\" and doubled "\" are ignored, a leading "\" answers 161.
    [[nodiscard]] virtual uint32_t OpenKey(RegKey parent, const std::string& subKey,
                                           uint32_t access, RegView view, RegKey& key) = 0;
    // RegCreateKeyExA(parent, subKey, 0, "", 0, access | view flag, no security): every
    // missing level is made.
    [[nodiscard]] virtual uint32_t CreateKey(RegKey parent, const std::string& subKey,
                                             uint32_t access, RegView view, RegKey& key) = 0;
    // RegCloseKey; closing a predefined key does nothing and answers 0.
    [[nodiscard]] virtual uint32_t CloseKey(RegKey key) = 0;

    // RegQueryValueExA. data null: only the type and the size are asked. Otherwise size is the
    // buffer's capacity on entry: a larger value answers 234 with its size in size and data
    // untouched; on success data holds the value's size bytes. Needs KEY_QUERY_VALUE.
    [[nodiscard]] virtual uint32_t QueryValue(RegKey key, const std::string& name, uint32_t* type,
                                              std::string* data, uint32_t& size) = 0;
    // RegSetValueExA with the bytes as given (string types carry their own NULs).
    [[nodiscard]] virtual uint32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                                            const std::string& data) = 0;
    // RegDeleteValueA; needs KEY_SET_VALUE.
    [[nodiscard]] virtual uint32_t DeleteValue(RegKey key, const std::string& name) = 0;
    // RegDeleteKeyExA(key, subKey, view flag): a key that still has subkeys answers 5.
    [[nodiscard]] virtual uint32_t DeleteKey(RegKey key, const std::string& subKey,
                                             RegView view) = 0;

    // RegEnumKeyExA / RegEnumValueA by index; 259 after the last. Needs
    // KEY_ENUMERATE_SUB_KEYS / KEY_QUERY_VALUE.
    [[nodiscard]] virtual uint32_t EnumKey(RegKey key, uint32_t index, std::string& name) = 0;
    [[nodiscard]] virtual uint32_t EnumValue(RegKey key, uint32_t index, std::string& name,
                                             uint32_t& type) = 0;
};

}  // namespace kestrel::os
