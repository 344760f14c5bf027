// The security port's contract: the same cases for the fake and for Windows (Wine).
#include <gtest/gtest.h>

#include "base/strings.h"
#include "contract/registry_world.h"

namespace kestrel::testing {
namespace {

using os::RegKey;
using os::RegView;
namespace acc = os::regaccess;

constexpr RegKey kHKCU = os::kHkeyCurrentUser;
constexpr uint32_t kDaclAccess = acc::kReadControl | acc::kWriteDac;

RegKey MakeKey(RegistryWorld& w, const std::string& path) {
    RegKey k = 0;
    EXPECT_EQ(w.Registry().CreateKey(kHKCU, path, acc::kAllAccess, RegView::kDefault, k), 0u);
    return k;
}

std::string Sid(RegistryWorld& w, const std::string& account) {
    std::string sid;
    EXPECT_EQ(w.Security().LookupAccount(account, sid), 0u) << account;
    return sid;
}

TEST_P(SecurityContract, AccountsHaveTheirWellKnownSids) {
    for (const auto& [account, sid] : {std::pair{"System", "S-1-5-18"},
                                       {"SYSTEM", "S-1-5-18"},
                                       {"Administrators", "S-1-5-32-544"},
                                       {"Users", "S-1-5-32-545"},
                                       {"Power Users", "S-1-5-32-547"},
                                       {"Everyone", "S-1-1-0"}}) {
        EXPECT_EQ(Sid(W(), account), sid);
    }
    EXPECT_TRUE(StartsWith(Sid(W(), W().CurrentUser()), "S-1-5-21-"));
    std::string sid = "unchanged";
    EXPECT_EQ(sec.LookupAccount("no-such-kestrel-account", sid), 1332u);
    EXPECT_EQ(sid, "unchanged");
}

TEST_P(SecurityContract, AccessListsAreStoredAsWritten) {
    RegKey k = MakeKey(W(), W().UserKey());
    const std::string user = Sid(W(), W().CurrentUser());
    os::Dacl dacl, back;
    dacl.entries = {
        {os::ace::kAllowed, os::ace::kContainerInherit, acc::kAllAccess, "S-1-5-32-544", {}},
        {os::ace::kAllowed, os::ace::kContainerInherit, acc::kRead, user, {}},
        {os::ace::kAllowed, 0, acc::kAllAccess, "S-1-5-18", {}},
    };
    ASSERT_EQ(sec.SetKeyDacl(k, dacl), 0u);
    ASSERT_EQ(sec.GetKeyDacl(k, back), 0u);
    EXPECT_TRUE(back.present);
    ASSERT_EQ(back.entries.size(), dacl.entries.size());
    for (size_t i = 0; i < dacl.entries.size(); ++i) {
        EXPECT_EQ(back.entries[i].type, dacl.entries[i].type) << i;
        EXPECT_EQ(back.entries[i].flags, dacl.entries[i].flags) << i;
        EXPECT_EQ(back.entries[i].mask, dacl.entries[i].mask) << i;
        EXPECT_EQ(back.entries[i].sid, dacl.entries[i].sid) << i;
    }
    r.CloseKey(k);
}

TEST_P(SecurityContract, DenyEntriesBlockOpeningButNotTheOwnersListAccess) {
    const std::string path = W().UserKey() + "\\Locked";
    RegKey k = MakeKey(W(), path);
    os::Dacl original, locked;
    ASSERT_EQ(sec.GetKeyDacl(k, original), 0u);
    locked.entries = {{os::ace::kDenied, 0, acc::kAllAccess, "S-1-1-0", {}}};
    ASSERT_EQ(sec.SetKeyDacl(k, locked), 0u);
    r.CloseKey(k);

    RegKey probe = 0;
    EXPECT_EQ(r.OpenKey(kHKCU, path, acc::kQueryValue, RegView::kDefault, probe), 5u);
    // The owner may always read and rewrite the list: that is how a locked key is repaired.
    ASSERT_EQ(r.OpenKey(kHKCU, path, kDaclAccess, RegView::kDefault, probe), 0u);
    EXPECT_EQ(sec.SetKeyDacl(probe, original), 0u);
    r.CloseKey(probe);
    ASSERT_EQ(r.OpenKey(kHKCU, path, acc::kQueryValue, RegView::kDefault, probe), 0u);
    // Opened for its values only, the key's list can be neither read nor written.
    EXPECT_EQ(sec.GetKeyDacl(probe, locked), 5u);
    EXPECT_EQ(sec.SetKeyDacl(probe, locked), 5u);
    r.CloseKey(probe);
}

TEST_P(SecurityContract, ADenyEntryForDeleteProtectsTheKey) {
    const std::string path = W().UserKey() + "\\Guarded";
    RegKey k = MakeKey(W(), path);
    os::Dacl guarded;
    guarded.entries = {{os::ace::kDenied, 0, acc::kDelete, "S-1-1-0", {}},
                       {os::ace::kAllowed, 0, acc::kAllAccess, "S-1-1-0", {}}};
    ASSERT_EQ(sec.SetKeyDacl(k, guarded), 0u);
    r.CloseKey(k);
    EXPECT_EQ(r.DeleteKey(kHKCU, path, RegView::kDefault),
              W().DeletesIgnoreDenyEntries() ? 0u : 5u);
}

TEST_P(SecurityContract, PrivilegesOfTheTokenSwitchOnAndOff) {
    os::SecurityStep failed = os::SecurityStep::kAdjust;
    EXPECT_EQ(sec.AdjustPrivilege("SeRestorePrivilege", true, failed), 0u);
    EXPECT_EQ(failed, os::SecurityStep::kNone);
    EXPECT_EQ(sec.AdjustPrivilege("SeRestorePrivilege", false, failed), 0u);
    EXPECT_EQ(sec.AdjustPrivilege("SeNoSuchKestrelPrivilege", true, failed), 1313u);
    EXPECT_EQ(failed, os::SecurityStep::kLookupPrivilege);
}

}  // namespace
}  // namespace kestrel::testing
