#pragma once
// Port: access lists of registry keys, account lookup, file owners and the privileges of the
// program's own token. Security identifiers travel in their text form ("S-1-5-32-544").

#include <cstdint>
#include <string>
#include <vector>

#include "os/registry.h"

namespace kestrel::os {

namespace ace {
inline constexpr uint8_t kAllowed = 0;  // ACCESS_ALLOWED_ACE_TYPE
inline constexpr uint8_t kDenied = 1;   // ACCESS_DENIED_ACE_TYPE
inline constexpr uint8_t kContainerInherit = 0x02;
inline constexpr uint8_t kInherited = 0x10;  // INHERITED_ACE
}  // namespace ace

// One access-control entry. Allowed and denied entries are read into type, flags, mask and
// sid; any other kind keeps its whole binary form in raw (and sid stays empty) so that it can
// be written back unchanged.
struct Ace {
    uint8_t type = ace::kAllowed;
    uint8_t flags = 0;
    uint32_t mask = 0;
    std::string sid;
    std::string raw;
};

// A discretionary access list. present false is the "null DACL" (everyone may do anything).
// control holds the descriptor's DACL inheritance bits (SE_DACL_AUTO_INHERIT_REQ 0x100,
// SE_DACL_AUTO_INHERITED 0x400, SE_DACL_PROTECTED 0x1000).
struct Dacl {
    bool present = true;
    uint16_t control = 0;
    std::vector<Ace> entries;
};

// The Win32 call of a multi-step operation that failed.
enum class SecurityStep {
    kNone,
    kLookupAccount,    // LookupAccountNameA
    kInitialize,       // InitializeSecurityDescriptor
    kSetOwner,         // SetSecurityDescriptorOwner
    kSetFileSecurity,  // SetFileSecurityA
    kOpenToken,        // OpenProcessToken
    kLookupPrivilege,  // LookupPrivilegeValueA
    kAdjust            // AdjustTokenPrivileges
};

class Security {
public:
    virtual ~Security() = default;

    // LookupAccountNameA on the local computer; the account's SID as text. 1332 when unknown.
    [[nodiscard]] virtual uint32_t LookupAccount(const std::string& name, std::string& sid) = 0;

    // RegGetKeySecurity / RegSetKeySecurity with DACL_SECURITY_INFORMATION; the key must be
    // open with READ_CONTROL / WRITE_DAC (5 otherwise).
    [[nodiscard]] virtual uint32_t GetKeyDacl(RegKey key, Dacl& dacl) = 0;
    [[nodiscard]] virtual uint32_t SetKeyDacl(RegKey key, const Dacl& dacl) = 0;

    // SetFileSecurityA(path, OWNER_SECURITY_INFORMATION) with a descriptor that holds only the
    // owner. On failure, failed names the call that failed.
    [[nodiscard]] virtual uint32_t SetFileOwner(const std::string& path, const std::string& sid,
                                                SecurityStep& failed) = 0;

    // Enables or disables one privilege of the process token (OpenProcessToken with
    // TOKEN_ADJUST_PRIVILEGES, LookupPrivilegeValueA, AdjustTokenPrivileges). A privilege the
    // token does not hold answers 1300 (ERROR_NOT_ALL_ASSIGNED) at kAdjust; an unknown name
    // 1313 at kLookupPrivilege.
    [[nodiscard]] virtual uint32_t AdjustPrivilege(const std::string& name, bool enable,
                                                   SecurityStep& failed) = 0;
};

}  // namespace kestrel::os
