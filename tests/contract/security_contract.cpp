// The security port's contract: the same cases for the fake and for Windows (Wine).
#include <gtest/gtest.h>

#include "app/strings.h"
#include "contract/registry_world.h"

namespace kestrel::testing {
namespace {

using os::RegKey;
using os::RegView;
namespace acc = os::regaccess;

constexpr RegKey kHKCU = os::kHkeyCurrentUser;
constexpr uint32_t kDaclAccess = acc::kReadControl | acc::kWriteDac;

RegKey MakeKey(RegistryWorld& w, const std::string& path, uint32_t access = acc::kAllAccess) {
    RegKey k = 0;
    EXPECT_EQ(w.Registry().CreateKey(kHKCU, path, access, RegView::kDefault, k), 0u);
    return k;
}

std::string Sid(RegistryWorld& w, const std::string& account) {
    std::string sid;
    EXPECT_EQ(w.Security().LookupAccount(account, sid), 0u) << account;
    return sid;
}

TEST_P(SecurityContract, AccountsHaveTheirWellKnownSids) {
    EXPECT_EQ(Sid(W(), "System"), "S-1-5-18");
    EXPECT_EQ(Sid(W(), "SYSTEM"), "S-1-5-18");
    EXPECT_EQ(Sid(W(), "Administrators"), "S-1-5-32-544");
    EXPECT_EQ(Sid(W(), "Users"), "S-1-5-32-545");
    EXPECT_EQ(Sid(W(), "Power Users"), "S-1-5-32-547");
    EXPECT_EQ(Sid(W(), "Everyone"), "S-1-1-0");
    EXPECT_TRUE(StartsWith(Sid(W(), W().CurrentUser()), "S-1-5-21-"));
    std::string sid = "unchanged";
    EXPECT_EQ(W().Security().LookupAccount("no-such-kestrel-account", sid), 1332u);
    EXPECT_EQ(sid, "unchanged");
}

TEST_P(SecurityContract, AccessListsAreStoredAsWritten) {
    RegKey k = MakeKey(W(), W().UserKey());
    os::Dacl dacl;
    dacl.entries = {
        {os::ace::kAllowed, os::ace::kContainerInherit, acc::kAllAccess, "S-1-5-32-544", {}},
        {os::ace::kAllowed,
         os::ace::kContainerInherit,
         acc::kRead,
         Sid(W(), W().CurrentUser()),
         {}},
        {os::ace::kAllowed, 0, acc::kAllAccess, "S-1-5-18", {}},
    };
    ASSERT_EQ(W().Security().SetKeyDacl(k, dacl), 0u);
    os::Dacl back;
    ASSERT_EQ(W().Security().GetKeyDacl(k, back), 0u);
    EXPECT_TRUE(back.present);
    ASSERT_EQ(back.entries.size(), dacl.entries.size());
    for (size_t i = 0; i < dacl.entries.size(); ++i) {
        EXPECT_EQ(back.entries[i].type, dacl.entries[i].type) << i;
        EXPECT_EQ(back.entries[i].flags, dacl.entries[i].flags) << i;
        EXPECT_EQ(back.entries[i].mask, dacl.entries[i].mask) << i;
        EXPECT_EQ(back.entries[i].sid, dacl.entries[i].sid) << i;
    }
    W().Registry().CloseKey(k);
}

TEST_P(SecurityContract, ReadingTheListNeedsReadControl) {
    W().Registry().CloseKey(MakeKey(W(), W().UserKey()));
    RegKey k = 0;
    ASSERT_EQ(W().Registry().OpenKey(kHKCU, W().UserKey(), acc::kQueryValue, RegView::kDefault, k),
              0u);
    os::Dacl dacl;
    EXPECT_EQ(W().Security().GetKeyDacl(k, dacl), 5u);
    EXPECT_EQ(W().Security().SetKeyDacl(k, dacl), 5u);
    W().Registry().CloseKey(k);
}

TEST_P(SecurityContract, DenyEntriesBlockOpeningButNotTheOwnersListAccess) {
    auto& r = W().Registry();
    const std::string path = W().UserKey() + "\\Locked";
    RegKey k = MakeKey(W(), path);
    os::Dacl original;
    ASSERT_EQ(W().Security().GetKeyDacl(k, original), 0u);
    os::Dacl locked;
    locked.entries = {{os::ace::kDenied, 0, acc::kAllAccess, "S-1-1-0", {}}};
    ASSERT_EQ(W().Security().SetKeyDacl(k, locked), 0u);
    r.CloseKey(k);

    RegKey probe = 0;
    EXPECT_EQ(r.OpenKey(kHKCU, path, acc::kQueryValue, RegView::kDefault, probe), 5u);
    // The owner may always read and rewrite the list: that is how a locked key is repaired.
    ASSERT_EQ(r.OpenKey(kHKCU, path, kDaclAccess, RegView::kDefault, probe), 0u);
    EXPECT_EQ(W().Security().SetKeyDacl(probe, original), 0u);
    r.CloseKey(probe);
    EXPECT_EQ(r.OpenKey(kHKCU, path, acc::kQueryValue, RegView::kDefault, probe), 0u);
    r.CloseKey(probe);
}

TEST_P(SecurityContract, ADenyEntryForDeleteProtectsTheKey) {
    auto& r = W().Registry();
    const std::string path = W().UserKey() + "\\Guarded";
    RegKey k = MakeKey(W(), path);
    os::Dacl guarded;
    guarded.entries = {{os::ace::kDenied, 0, acc::kDelete, "S-1-1-0", {}},
                       {os::ace::kAllowed, 0, acc::kAllAccess, "S-1-1-0", {}}};
    ASSERT_EQ(W().Security().SetKeyDacl(k, guarded), 0u);
    r.CloseKey(k);
    uint32_t rc = r.DeleteKey(kHKCU, path, RegView::kDefault);
    if (W().DeletesIgnoreDenyEntries()) {
        EXPECT_EQ(rc, 0u);
    } else {
        EXPECT_EQ(rc, 5u);
    }
}

TEST_P(SecurityContract, PrivilegesOfTheTokenSwitchOnAndOff) {
    os::SecurityStep failed = os::SecurityStep::kAdjust;
    EXPECT_EQ(W().Security().AdjustPrivilege("SeRestorePrivilege", true, failed), 0u);
    EXPECT_EQ(failed, os::SecurityStep::kNone);
    EXPECT_EQ(W().Security().AdjustPrivilege("SeRestorePrivilege", false, failed), 0u);
    EXPECT_EQ(W().Security().AdjustPrivilege("SeNoSuchKestrelPrivilege", true, failed), 1313u);
    EXPECT_EQ(failed, os::SecurityStep::kLookupPrivilege);
}

}  // namespace
}  // namespace kestrel::testing
