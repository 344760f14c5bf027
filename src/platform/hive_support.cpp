#include "platform/hive_support.h"

#include <cstdint>

#include "base/strings.h"
#include "core/context.h"
#include "platform/offline_hives.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

constexpr int64_t kUnixEpochInFileTimeSeconds = 11644473600;

std::string TwoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

}  // namespace

void SetHivePrivileges(Context& ctx, bool on) {
    // Off disables only the two privileges switched on here, not every privilege of the
    // token: disabling them all would also take away privileges that other code enabled.
    for (const char* name : {"SeRestorePrivilege", "SeBackupPrivilege"}) {
        os::SecurityStep failed = os::SecurityStep::kNone;
        const uint32_t rc = ctx.os.security.AdjustPrivilege(name, on, failed);
        if (rc == 0) {
            continue;
        }
        const char* head = "AdjustTokenPrivileges: ";
        if (on && failed == os::SecurityStep::kOpenToken) {
            head = "OpenProcess: ";
        } else if (on && failed == os::SecurityStep::kLookupPrivilege) {
            head = "LookupPrivileges: ";
        }
        ctx.debug.Print(head + std::to_string(rc));
    }
}

std::vector<std::string> ListGuestKeys(Context& ctx) {
    std::vector<std::string> guests;
    std::string list;
    if (fEnumKey(ctx, "HKLM", "", list) != 0) {
        return guests;
    }
    for (const std::string& name : Split(list, std::string(1, '\0'))) {
        if (UCase(name.substr(0, 6)) == "GUEST_") {
            guests.push_back(name);
        }
    }
    return guests;
}

std::string HiveBackupName(Context& ctx, const std::string& hiveFile) {
    const int64_t now = ctx.os.clock.UnixSeconds();
    os::LocalTime t;
    // Only a clock set before 1601 has no local time; the name then holds zeros.
    (void)ctx.os.clock.ToLocalTime((now + kUnixEpochInFileTimeSeconds) * 10000000, t);
    return hiveFile + "." + std::to_string(t.year) + "-" + TwoDigits(t.month) + "-" +
           TwoDigits(t.day) + "-" + TwoDigits(t.hour) + "-" + TwoDigits(t.minute) +
           ".Fenx_RegBackup";
}

}  // namespace kestrel
