#include "os/win32/windows_api.h"

#include <sddl.h>

#include <vector>

#include "os/security.h"
#include "os/win32/registry_keys.h"
#include "os/win32/win32_ports.h"

namespace kestrel::os::win32 {
namespace {

constexpr SECURITY_DESCRIPTOR_CONTROL kDaclControlBits =
    SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED | SE_DACL_PROTECTED;

std::string SidText(PSID sid) {
    UniqueLocal text;
    if (!ConvertSidToStringSidA(sid, reinterpret_cast<LPSTR*>(text.Out()))) {
        return {};
    }
    return static_cast<const char*>(text.Get());
}

bool SidFromText(const std::string& text, UniqueLocal& sid) {
    return ConvertStringSidToSidA(text.c_str(), reinterpret_cast<PSID*>(sid.Out())) != 0;
}

uint32_t ReadDacl(PSECURITY_DESCRIPTOR sd, Dacl& dacl) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    if (!GetSecurityDescriptorDacl(sd, &present, &acl, &defaulted)) {
        return GetLastError();
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(sd, &control, &revision)) {
        return GetLastError();
    }
    dacl = Dacl{};
    dacl.present = present && acl != nullptr;
    dacl.control = control & kDaclControlBits;
    if (!dacl.present) {
        return 0;
    }
    for (DWORD i = 0; i < acl->AceCount; ++i) {
        void* raw = nullptr;
        if (!GetAce(acl, i, &raw)) {
            return GetLastError();
        }
        auto* header = static_cast<ACE_HEADER*>(raw);
        Ace entry;
        entry.type = header->AceType;
        entry.flags = header->AceFlags;
        if (header->AceType == ACCESS_ALLOWED_ACE_TYPE ||
            header->AceType == ACCESS_DENIED_ACE_TYPE) {
            auto* simple = static_cast<ACCESS_ALLOWED_ACE*>(raw);
            entry.mask = simple->Mask;
            entry.sid = SidText(&simple->SidStart);
        } else {
            entry.raw.assign(static_cast<const char*>(raw), header->AceSize);
        }
        dacl.entries.push_back(std::move(entry));
    }
    return 0;
}

class Win32Security : public Security {
public:
    uint32_t LookupAccount(const std::string& name, std::string& sid) override {
        DWORD sidSize = 0;
        DWORD domainSize = 0;
        SID_NAME_USE use;
        LookupAccountNameA(nullptr, name.c_str(), nullptr, &sidSize, nullptr, &domainSize, &use);
        if (sidSize == 0) {
            return GetLastError();
        }
        std::vector<BYTE> sidBuffer(sidSize);
        std::vector<char> domain(domainSize + 1);
        if (!LookupAccountNameA(nullptr, name.c_str(), sidBuffer.data(), &sidSize, domain.data(),
                                &domainSize, &use)) {
            return GetLastError();
        }
        sid = SidText(sidBuffer.data());
        return sid.empty() ? ERROR_INVALID_SID : 0;
    }

    uint32_t GetKeyDacl(RegKey key, Dacl& dacl) override {
        DWORD size = 0;
        LONG rc = RegGetKeySecurity(ToHkey(key), DACL_SECURITY_INFORMATION, nullptr, &size);
        if (rc != ERROR_INSUFFICIENT_BUFFER) {
            return rc == ERROR_SUCCESS ? ERROR_INVALID_SECURITY_DESCR : static_cast<uint32_t>(rc);
        }
        std::vector<BYTE> sd(size);
        rc = RegGetKeySecurity(ToHkey(key), DACL_SECURITY_INFORMATION, sd.data(), &size);
        if (rc != ERROR_SUCCESS) {
            return static_cast<uint32_t>(rc);
        }
        return ReadDacl(sd.data(), dacl);
    }

    uint32_t SetKeyDacl(RegKey key, const Dacl& dacl) override {
        std::vector<UniqueLocal> sids(dacl.entries.size());
        DWORD size = sizeof(ACL);
        DWORD revision = ACL_REVISION;
        for (size_t i = 0; i < dacl.entries.size(); ++i) {
            const Ace& entry = dacl.entries[i];
            if (!entry.raw.empty()) {
                size += static_cast<DWORD>(entry.raw.size());
                if (entry.type > ACCESS_MAX_MS_V2_ACE_TYPE) {
                    revision = ACL_REVISION_DS;
                }
            } else {
                if (!SidFromText(entry.sid, sids[i])) {
                    return ERROR_INVALID_SID;
                }
                size += sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(sids[i].Get());
            }
        }
        size = (size + 3) & ~3u;
        std::vector<BYTE> aclBuffer(size);
        auto* acl = reinterpret_cast<PACL>(aclBuffer.data());
        if (!InitializeAcl(acl, size, revision)) {
            return GetLastError();
        }
        for (size_t i = 0; i < dacl.entries.size(); ++i) {
            const Ace& entry = dacl.entries[i];
            BOOL ok = FALSE;
            if (!entry.raw.empty()) {
                ok = AddAce(acl, revision, MAXDWORD, const_cast<char*>(entry.raw.data()),
                            static_cast<DWORD>(entry.raw.size()));
            } else if (entry.type == ace::kDenied) {
                ok = AddAccessDeniedAceEx(acl, revision, entry.flags, entry.mask, sids[i].Get());
            } else {
                ok = AddAccessAllowedAceEx(acl, revision, entry.flags, entry.mask, sids[i].Get());
            }
            if (!ok) {
                return GetLastError();
            }
        }
        SECURITY_DESCRIPTOR sd;
        if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
            !SetSecurityDescriptorDacl(&sd, dacl.present, dacl.present ? acl : nullptr, FALSE) ||
            !SetSecurityDescriptorControl(&sd, kDaclControlBits, dacl.control & kDaclControlBits)) {
            return GetLastError();
        }
        return static_cast<uint32_t>(
            RegSetKeySecurity(ToHkey(key), DACL_SECURITY_INFORMATION, &sd));
    }

    uint32_t SetFileOwner(const std::string& path, const std::string& sidText,
                          SecurityStep& failed) override {
        failed = SecurityStep::kNone;
        UniqueLocal sid;
        SECURITY_DESCRIPTOR sd;
        if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION)) {
            failed = SecurityStep::kInitialize;
            return GetLastError();
        }
        if (!SidFromText(sidText, sid) || !SetSecurityDescriptorOwner(&sd, sid.Get(), FALSE)) {
            failed = SecurityStep::kSetOwner;
            return GetLastError();
        }
        if (!SetFileSecurityW(LongForm(path).c_str(), OWNER_SECURITY_INFORMATION, &sd)) {
            failed = SecurityStep::kSetFileSecurity;
            return GetLastError();
        }
        return 0;
    }

    uint32_t AdjustPrivilege(const std::string& name, bool enable, SecurityStep& failed) override {
        failed = SecurityStep::kNone;
        HANDLE raw = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &raw)) {
            failed = SecurityStep::kOpenToken;
            return GetLastError();
        }
        UniqueHandle token(raw);
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        if (!LookupPrivilegeValueA(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) {
            failed = SecurityStep::kLookupPrivilege;
            return GetLastError();
        }
        privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        SetLastError(ERROR_SUCCESS);
        if (!AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr) ||
            GetLastError() == ERROR_NOT_ALL_ASSIGNED) {
            failed = SecurityStep::kAdjust;
            return GetLastError();
        }
        return 0;
    }
};

}  // namespace

std::unique_ptr<Security> MakeSecurity() {
    return std::make_unique<Win32Security>();
}

}  // namespace kestrel::os::win32
