// Key access lists, subinacl.exe runs, file owners and privileges over the fake machine.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/file_owner.h"
#include "platform/key_permissions.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::Ace;
using os::RegView;
using Lines = std::vector<std::string>;
using Program = os::fake::FakeProcesses::Program;

constexpr const char* kKey = "HKLM\\SOFTWARE\\Vendor";
constexpr uint8_t kCI = os::ace::kContainerInherit;

class Permissions : public ::testing::Test {
protected:
    Permissions() {
        m.registry.AddKey(kKey);
        m.processes.fallback = [](const std::string&) { return std::optional<Program>(Program{}); };
    }
    std::vector<Ace> Entries() { return m.registry.DaclOf(kKey)->entries; }

    testing::FakeMachine m;
    const std::string user = m.registry.tokenSids.front();
    std::string owner, grantee;
};

// The entries' kinds, flags, masks and trustees, in their order.
std::vector<std::tuple<uint8_t, uint8_t, uint32_t, std::string>> Shape(
    const std::vector<Ace>& aces) {
    std::vector<std::tuple<uint8_t, uint8_t, uint32_t, std::string>> shape;
    for (const Ace& a : aces) {
        shape.emplace_back(a.type, a.flags, a.mask, a.sid);
    }
    return shape;
}

TEST_F(Permissions, ANewEntryReplacesTheTrusteesOwnAndKeepsCanonicalOrder) {
    const Ace inheritedAdmins{os::ace::kAllowed, 0x10, 0xF003F, "S-1-5-32-544", {}};
    const Ace users{os::ace::kAllowed, 0, 0x20019, "S-1-5-32-545", {}};
    os::Dacl dacl;
    dacl.control = 0x1400;
    dacl.entries = {users, inheritedAdmins, {os::ace::kAllowed, 0, 0x20019, user, {}}};
    m.registry.SetDacl(kKey, dacl);
    std::string trustee, kind;
    EXPECT_TRUE(SetKeyAccess(m.ctx, "hklm", "SOFTWARE\\Vendor", trustee, kind, "W"));
    EXPECT_EQ(std::tie(trustee, kind), std::tuple("tech", "Allow"));
    const Ace mine{os::ace::kAllowed, kCI, 0x20006, user, {}};
    EXPECT_EQ(Shape(Entries()), Shape({users, mine, inheritedAdmins}));
    EXPECT_EQ(m.registry.DaclOf(kKey)->control, 0x1400);
    trustee = "Users";
    kind = "Deny";
    EXPECT_TRUE(SetKeyAccess(m.ctx, "HKLM", "SOFTWARE\\Vendor", trustee, kind, "Read"));
    const Ace denied{os::ace::kDenied, kCI, 0x20019, "S-1-5-32-545", {}};
    EXPECT_EQ(Shape(Entries()), Shape({denied, mine, inheritedAdmins}));
    EXPECT_EQ(m.registry.opens.back().access, 0x60000u);
}

TEST_F(Permissions, RightsTextsAreComparedExactlyAndAnythingElseIsFullAccess) {
    EXPECT_EQ(KeyRightsMask("Execute"), 0x20019u);
    for (const char* other : {"ALL", "read", ""}) {
        EXPECT_EQ(KeyRightsMask(other), 0xF003Fu) << other;
    }
}

TEST_F(Permissions, UnknownKeysTopKeysAndTrusteesChangeNothing) {
    const std::vector<Ace> before = Entries();
    std::string trustee = "nobody-here", kind;
    EXPECT_FALSE(SetKeyAccess(m.ctx, "HKLM", "SOFTWARE\\Vendor", trustee, kind, "ALL"));
    trustee.clear();
    EXPECT_FALSE(SetKeyAccess(m.ctx, "HKLM", "SOFTWARE\\Missing", trustee, kind, "ALL"));
    const size_t opens = m.registry.opens.size();
    // A key of another top key is refused, not looked for under HKLM.
    EXPECT_FALSE(SetKeyAccess(m.ctx, "HKXX", "SOFTWARE\\Vendor", trustee, kind, "ALL"));
    EXPECT_EQ(m.registry.opens.size(), opens);
    EXPECT_EQ(Entries().size(), before.size());
    m.registry.AddKey("HKCC\\System\\Vendor");
    EXPECT_TRUE(SetKeyAccess(m.ctx, "HKCC", "System\\Vendor", trustee, kind, "ALL"));
    EXPECT_EQ(m.registry.opens.back().path, "HKCC\\System\\Vendor");
}

TEST_F(Permissions, FullAccessGoesToFiveTrusteesInTurn) {
    GrantKeyFullAccess(m.ctx, "HKLM", "SOFTWARE\\Vendor");
    std::vector<Ace> expected;
    for (const char* sid :
         {user.c_str(), "S-1-5-18", "S-1-5-32-544", "S-1-5-32-547", "S-1-5-32-545"}) {
        expected.push_back({os::ace::kAllowed, kCI, 0xF003F, sid, {}});
    }
    EXPECT_EQ(Shape(Entries()), Shape(expected));
    // The view rule picks the key: a Wow6432Node path repairs the 32-bit key.
    m.registry.AddKey(kKey, RegView::k32);
    GrantKeyFullAccess(m.ctx, "HKLM", "SOFTWARE\\Wow6432Node\\Vendor");
    EXPECT_EQ(m.registry.DaclOf(kKey, RegView::k32)->entries.size(), 5u);
    GrantKeyFullAccess(m.ctx, "HKLM", "SOFTWARE\\Missing");
    EXPECT_TRUE(m.debugOut.lines.empty());
}

TEST_F(Permissions, TakingControlOfAKeyRunsTheLastSubinaclFoundTwice) {
    TakeControlOfKey(m.ctx, "HKCU", "Software\\Vendor", owner, grantee);
    EXPECT_EQ(std::tie(owner, grantee), std::tuple("tech", "tech"));
    EXPECT_TRUE(m.processes.launches.empty());  // no subinacl.exe anywhere
    m.files.AddFile("C:\\Windows\\subinacl.exe", "MZ");
    m.files.AddFile("C:\\Windows\\System32\\subinacl.exe", "MZ");
    owner = grantee = "";
    m.env.Set("username", "");
    TakeControlOfKey(m.ctx, "hkcc", "Vendor", owner, grantee);
    EXPECT_EQ(std::tie(owner, grantee), std::tuple("administrators", "System"));
    EXPECT_EQ(
        m.processes.CommandLines(),
        (Lines{"\"C:\\Windows\\System32\\subinacl.exe\" /keyreg \"HKEY_CURRENT_CONFIG\\Vendor\""
               " /setowner=administrators /grant=System=f",
               "\"C:\\Windows\\System32\\subinacl.exe\" /subkeyreg \"HKEY_CURRENT_CONFIG"
               "\\Vendor\" /setowner=administrators /grant=System=f"}));
    EXPECT_EQ(m.processes.launches[0].showWindow, 0);
    TakeControlOfKey(m.ctx, "HKXX", "Vendor", owner, grantee);
    EXPECT_EQ(m.processes.launches.size(), 2u);
    // Files look one level above the program's folder too.
    m.files.AddFile("C:\\3rd Party Tools\\subinacl.exe", "MZ");
    EXPECT_EQ(FindSubinacl(m.ctx, true), "C:\\Kestrel\\..\\3rd Party Tools\\subinacl.exe");
    m.files.AddFile("C:\\Kestrel\\subinacl.exe", "MZ");
    EXPECT_EQ(FindSubinacl(m.ctx, false), "C:\\Kestrel\\subinacl.exe");
}

TEST_F(Permissions, TakingControlOfFilesAndFolders) {
    m.files.AddFile("C:\\Kestrel\\subinacl.exe", "MZ");
    m.files.AddFile("C:\\Data\\locked.dat", "x");
    bool subfolders = true;
    TakeControl(m.ctx, "C:\\Data\\locked.dat", subfolders, 1, owner, grantee);
    EXPECT_FALSE(subfolders);
    EXPECT_EQ(m.processes.launches[0].showWindow, 1);
    m.env.Set("username", "WORKSHOP-PC$");
    subfolders = true;
    owner = grantee = "";
    TakeControl(m.ctx, "C:\\Data\\", subfolders, 0, owner, grantee);
    EXPECT_EQ(std::tie(owner, grantee), std::tuple("System", "Everyone"));
    TakeControl(m.ctx, "C:\\Nothing\\here", subfolders, 0, owner, grantee);
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"\"C:\\Kestrel\\subinacl.exe\" /file \"C:\\Data\\locked.dat\" /setowner=tech "
                     "/grant=tech=F",
                     "\"C:\\Kestrel\\subinacl.exe\" /file \"C:\\Data\" /setowner=System "
                     "/grant=Everyone=F",
                     "\"C:\\Kestrel\\subinacl.exe\" /subdirectories \"C:\\Data\\*.*\" "
                     "/setowner=System /grant=Everyone=F"}));
}

TEST_F(Permissions, AFileGetsTheCurrentUserAsOwnerAndEachFailingStepIsNamed) {
    owner = "Someone";
    ChangeOwnerOfFile(m.ctx, "C:\\Data\\x.dat", owner);
    EXPECT_EQ(owner, "tech");
    EXPECT_EQ(m.security.fileOwners["c:\\data\\x.dat"], user);
    EXPECT_EQ(m.debugOut.lines.back(), "\tOwner of C:\\Data\\x.dat changed to tech");
    EXPECT_TRUE(m.security.enabled.empty());  // switched on for the change only
    m.security.fileOwners.clear();
    m.security.failAt = os::SecurityStep::kSetFileSecurity;
    ChangeOwnerOfFile(m.ctx, "C:\\Data\\x.dat", owner);
    EXPECT_EQ(m.debugOut.lines.back(), "\tSetFileSecurity failed with error code 5");
    EXPECT_TRUE(m.security.fileOwners.empty());
    m.security.failAt = os::SecurityStep::kNone;
    m.env.Set("username", "ghost");
    ChangeOwnerOfFile(m.ctx, "C:\\Data\\x.dat", owner);
    EXPECT_EQ(m.debugOut.lines.back(), "\tLookupAccountName failed with error code 1332");
    EXPECT_TRUE(m.security.enabled.empty());
}

TEST_F(Permissions, PrivilegesAreSwitchedOnlyWhenHeld) {
    EXPECT_TRUE(Enable_Privilege(m.ctx, "SeBackupPrivilege"));
    EXPECT_EQ(m.security.enabled.count("SeBackupPrivilege"), 1u);
    EXPECT_TRUE(Disable_Privilege(m.ctx, "SeBackupPrivilege"));
    EXPECT_TRUE(m.security.enabled.empty());
    EXPECT_FALSE(ModifyState(m.ctx, "SeTcbPrivilege", true));
    EXPECT_EQ(m.debugOut.lines.back(), "\tAdjustTokenPrivileges failed with error code 1300");
    EXPECT_FALSE(Enable_Privilege(m.ctx, "SeMadeUpPrivilege"));
    m.security.failAt = os::SecurityStep::kOpenToken;
    EXPECT_FALSE(Enable_Privilege(m.ctx, "SeBackupPrivilege"));
    EXPECT_TRUE(m.security.enabled.empty());
}

}  // namespace
}  // namespace kestrel
