#include "os/fake/fake_security.h"

#include "base/strings.h"

namespace kestrel::os::fake {
namespace {

constexpr uint32_t kNoneMapped = 1332;
constexpr uint32_t kNotAllAssigned = 1300;
constexpr uint32_t kNoSuchPrivilege = 1313;

bool KnownPrivilege(const std::string& name) {
    static const char* const kNames[] = {"SeAssignPrimaryTokenPrivilege",
                                         "SeAuditPrivilege",
                                         "SeBackupPrivilege",
                                         "SeChangeNotifyPrivilege",
                                         "SeCreateGlobalPrivilege",
                                         "SeCreatePagefilePrivilege",
                                         "SeCreatePermanentPrivilege",
                                         "SeCreateSymbolicLinkPrivilege",
                                         "SeCreateTokenPrivilege",
                                         "SeDebugPrivilege",
                                         "SeImpersonatePrivilege",
                                         "SeIncreaseBasePriorityPrivilege",
                                         "SeIncreaseQuotaPrivilege",
                                         "SeLoadDriverPrivilege",
                                         "SeLockMemoryPrivilege",
                                         "SeManageVolumePrivilege",
                                         "SeRemoteShutdownPrivilege",
                                         "SeRestorePrivilege",
                                         "SeSecurityPrivilege",
                                         "SeShutdownPrivilege",
                                         "SeSystemEnvironmentPrivilege",
                                         "SeSystemtimePrivilege",
                                         "SeTakeOwnershipPrivilege",
                                         "SeTcbPrivilege",
                                         "SeTimeZonePrivilege",
                                         "SeUndockPrivilege"};
    for (const char* known : kNames) {
        if (EqualsNoCase(name, known)) {
            return true;
        }
    }
    return false;
}

}  // namespace

FakeSecurity::FakeSecurity(FakeRegistry& registry) : m_registry(registry) {
    AddAccount("System", "S-1-5-18");
    AddAccount("Administrators", "S-1-5-32-544");
    AddAccount("Users", "S-1-5-32-545");
    AddAccount("Power Users", "S-1-5-32-547");
    AddAccount("Everyone", "S-1-1-0");
    held = {"SeBackupPrivilege", "SeRestorePrivilege",  "SeTakeOwnershipPrivilege",
            "SeDebugPrivilege",  "SeShutdownPrivilege", "SeChangeNotifyPrivilege"};
}

void FakeSecurity::AddAccount(const std::string& name, const std::string& sid) {
    accounts[LCase(name)] = sid;
}

bool FakeSecurity::Fails(SecurityStep step, SecurityStep& failed, uint32_t& error) const {
    if (failAt != step) {
        return false;
    }
    failed = step;
    error = failError;
    return true;
}

uint32_t FakeSecurity::LookupAccount(const std::string& name, std::string& sid) {
    SecurityStep ignored = SecurityStep::kNone;
    uint32_t error = 0;
    if (Fails(SecurityStep::kLookupAccount, ignored, error)) {
        return error;
    }
    auto it = accounts.find(LCase(name));
    if (it == accounts.end() || name.empty()) {
        return kNoneMapped;
    }
    sid = it->second;
    return 0;
}

uint32_t FakeSecurity::GetKeyDacl(RegKey key, Dacl& dacl) {
    return m_registry.ReadDacl(key, dacl);
}

uint32_t FakeSecurity::SetKeyDacl(RegKey key, const Dacl& dacl) {
    return m_registry.WriteDacl(key, dacl);
}

uint32_t FakeSecurity::SetFileOwner(const std::string& path, const std::string& sid,
                                    SecurityStep& failed) {
    uint32_t error = 0;
    for (SecurityStep step :
         {SecurityStep::kInitialize, SecurityStep::kSetOwner, SecurityStep::kSetFileSecurity}) {
        if (Fails(step, failed, error)) {
            return error;
        }
    }
    if (sid.empty()) {
        failed = SecurityStep::kSetOwner;
        return 87;
    }
    fileOwners[LCase(path)] = sid;
    failed = SecurityStep::kNone;
    return 0;
}

uint32_t FakeSecurity::AdjustPrivilege(const std::string& name, bool enable, SecurityStep& failed) {
    uint32_t error = 0;
    for (SecurityStep step :
         {SecurityStep::kOpenToken, SecurityStep::kLookupPrivilege, SecurityStep::kAdjust}) {
        if (Fails(step, failed, error)) {
            return error;
        }
    }
    if (!KnownPrivilege(name)) {
        failed = SecurityStep::kLookupPrivilege;
        return kNoSuchPrivilege;
    }
    if (held.count(name) == 0) {
        failed = SecurityStep::kAdjust;
        return kNotAllAssigned;
    }
    if (enable) {
        enabled.insert(name);
    } else {
        enabled.erase(name);
    }
    failed = SecurityStep::kNone;
    return 0;
}

}  // namespace kestrel::os::fake
