// Deleting keys and values over the fake machine: the escalation order, the outside programs'
// command lines, the not-found flag and the report lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>

#include "platform/registry.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::RegView;
using Program = os::fake::FakeProcesses::Program;
using Lines = std::vector<std::string>;
constexpr const char* kSubinacl = "C:\\Kestrel\\subinacl.exe";
constexpr const char* kDelReg = "C:\\Kestrel\\DelReg.exe";
constexpr const char* kPsexec = "C:\\Kestrel\\3rd Party Tools\\psexec.exe";

class RegistryDeletion : public ::testing::Test {
protected:
    RegistryDeletion() {
        m.ctx.redirection.SetAllowed(true);
        m.registry.AddKey("HKLM\\SOFTWARE\\Vendor\\App\\A\\A1");
        m.registry.AddKey("HKLM\\SOFTWARE\\Vendor\\App\\B");
        m.registry.PutString("HKCU\\Software\\Vendor", "v", "x");
    }
    // The outside programs that are present, each exiting at once; Protect makes the key
    // undeletable, and a program Doing a change makes it as it starts.
    void ProvideTools(std::initializer_list<const char*> present) {
        for (const char* file : present) {
            m.files.AddFile(file, "MZ");
        }
        for (const char* tool : {kSubinacl, "reg.exe", kDelReg, "psexec.exe"}) {
            m.processes.OnProgram(tool, Program{});
        }
    }
    void Protect(const std::string& path, RegView view = RegView::k64) {
        m.registry.SetFlags(path, {false, true}, view);
    }
    static Program Doing(std::function<void()> change) {
        Program p;
        p.onStart = std::move(change);
        return p;
    }
    testing::FakeMachine m;
    bool notFound = false;
};

TEST_F(RegistryDeletion, AKeyGoesWithItsTreeEachKeyRepairedFirst) {
    EXPECT_EQ(fDeleteKey(m.ctx, "HKLM", "SOFTWARE\\Vendor", "App", notFound), 0);
    EXPECT_FALSE(notFound);
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor\\App"));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor"));
    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_TRUE(m.debugOut.Saw("\t\t- Key: HKLM\\SOFTWARE\\Vendor\\App"));
    EXPECT_EQ(m.debugOut.lines.back(), "\t\t- lResult: 0 SUCCESS");
    // Each key's access list is rewritten before the key is opened to be emptied.
    auto& opens = m.registry.opens;
    auto first = [&](const std::string& path, uint32_t access) {
        return std::find_if(opens.begin(), opens.end(),
                            [&](const auto& o) { return o.path == path && o.access == access; }) -
               opens.begin();
    };
    for (const char* key : {"HKLM\\SOFTWARE\\Vendor\\App", "HKLM\\SOFTWARE\\Vendor\\App\\A\\A1"}) {
        EXPECT_LT(first(key, 0x60000), first(key, 0xF003F)) << key;
    }
    EXPECT_EQ(m.registry.OpenHandleCount(), 0u);
}

TEST_F(RegistryDeletion, AResistingKeyEscalatesThroughSubinaclRegAndDelReg) {
    ProvideTools({kSubinacl, kDelReg, kPsexec});
    Protect("HKLM\\SOFTWARE\\Vendor\\App");
    EXPECT_EQ(fDeleteKey(m.ctx, "HKLM", "SOFTWARE\\Vendor", "App", notFound), 5);
    EXPECT_FALSE(notFound);
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{"\"C:\\Kestrel\\subinacl.exe\" /keyreg \"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor"
                     "\\App\" /setowner=administrators /grant=tech=f",
                     "\"C:\\Kestrel\\subinacl.exe\" /subkeyreg \"HKEY_LOCAL_MACHINE\\SOFTWARE"
                     "\\Vendor\\App\" /setowner=administrators /grant=tech=f",
                     "reg.exe DELETE \"HKLM\\SOFTWARE\\Vendor\\App\" /f",
                     "\"C:\\Kestrel\\3rd Party Tools\\psexec.exe\" -s -i C:\\Kestrel\\DelReg.exe "
                     "key=HKLM,SOFTWARE\\Vendor,App"}));
    for (const auto& launch : m.processes.launches) {
        EXPECT_EQ(launch.showWindow, 0) << launch.commandLine;
    }
    EXPECT_TRUE(m.debugOut.Saw("\t\t- Attempting second run using subinacl..."));
    EXPECT_EQ(m.debugOut.lines.back(), "\t\t- lResult (0=Success 2=Not Found): 5");
}

TEST_F(RegistryDeletion, TakingControlMayLetTheSecondAttemptSucceed) {
    ProvideTools({kSubinacl, kDelReg, kPsexec});
    Protect("HKLM\\SOFTWARE\\Vendor\\App");
    m.processes.OnProgram("C:\\Kestrel\\subinacl.exe", Doing([this] {
                              m.registry.SetFlags("HKLM\\SOFTWARE\\Vendor\\App", {});
                          }));
    EXPECT_EQ(fDeleteKey(m.ctx, "HKLM", "SOFTWARE\\Vendor", "App", notFound), 0);
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor\\App"));
    EXPECT_EQ(m.processes.CommandLines().size(), 2u);  // the two subinacl runs, nothing after
}

TEST_F(RegistryDeletion, GrantingAccessRemovesTheUsersOwnDenyEntry) {
    const std::string key = "HKLM\\SOFTWARE\\Vendor\\App\\B";
    os::Dacl dacl;
    dacl.entries = {{os::ace::kDenied, 0, 0xF003F, m.registry.tokenSids.front(), {}},
                    {os::ace::kAllowed, 0, 0xF003F, "S-1-5-32-544", {}}};
    m.registry.SetDacl(key, dacl);
    EXPECT_EQ(fDeleteKey(m.ctx, "HKLM", "SOFTWARE\\Vendor\\App", "B", notFound), 0);
    EXPECT_FALSE(m.registry.KeyExists(key));
    EXPECT_FALSE(m.debugOut.Saw("\tmodRegistry\\fDeleteKey - Error:  5"));
}

TEST_F(RegistryDeletion, AKeyRegExeRemovedIsReportedNotFoundWithTheRegistryError) {
    ProvideTools({});
    Protect("HKLM\\SOFTWARE\\Vendor\\App");
    m.processes.OnProgram("reg.exe",
                          Doing([this] { m.registry.RemoveTree("HKLM\\SOFTWARE\\Vendor\\App"); }));
    EXPECT_EQ(fDeleteKey(m.ctx, "HKLM", "SOFTWARE\\Vendor", "App", notFound), 5);
    EXPECT_TRUE(notFound);
    EXPECT_EQ(m.processes.CommandLines(),
              Lines{"reg.exe DELETE \"HKLM\\SOFTWARE\\Vendor\\App\" /f"});
}

TEST_F(RegistryDeletion, AThirtyTwoBitKeyIsDeletedInItsOwnViewOnly) {
    ProvideTools({});
    m.registry.AddKey("HKLM\\SOFTWARE\\Vendor\\Tool", RegView::k32);
    m.registry.AddKey("HKLM\\SOFTWARE\\Vendor\\Tool", RegView::k64);
    Protect("HKLM\\SOFTWARE\\Vendor\\Tool", RegView::k32);
    EXPECT_EQ(fDeleteKey(m.ctx, "HKLM", "SOFTWARE\\Wow6432Node\\Vendor", "Tool", notFound), 5);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor\\Tool", RegView::k64));
    // reg.exe must be told the view, or it would delete the 64-bit key of that path.
    EXPECT_EQ(m.processes.CommandLines(),
              Lines{"reg.exe DELETE \"HKLM\\software\\vendor\\Tool\" /f /reg:32"});
}

TEST_F(RegistryDeletion, NamesThatWouldDeleteTheParentAreRefused) {
    for (const char* name : {"", "   ", "\\\\"}) {
        EXPECT_EQ(fDeleteKey(m.ctx, "HKLM", "SOFTWARE\\Vendor\\App", name, notFound), 87) << name;
    }
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor\\App\\A\\A1"));
    EXPECT_FALSE(notFound);
    EXPECT_TRUE(m.registry.opens.empty());
}

TEST_F(RegistryDeletion, BadTopKeysAndIniFilesNeverReachTheRegistry) {
    EXPECT_EQ(fDeleteKey(m.ctx, "HKEY_LOCAL_MACHINE", "SOFTWARE\\Vendor", "App", notFound), 99);
    EXPECT_EQ(fDeleteValue(m.ctx, "HKXX", "Software\\Vendor", "v", notFound), 99);
    m.files.AddFile("C:\\Kestrel\\x.ini");
    EXPECT_EQ(fDeleteKey(m.ctx, "C:\\Kestrel\\x.ini", "SOFTWARE\\Vendor", "App", notFound), 6);
    EXPECT_TRUE(m.registry.opens.empty());
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor\\App"));
}

TEST_F(RegistryDeletion, StrayBackslashesAndAnEmptyParentNameTheIntendedKey) {
    EXPECT_EQ(fDeleteKey(m.ctx, "hklm", "SOFTWARE\\Vendor\\", "App\\", notFound), 0);
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\SOFTWARE\\Vendor\\App"));
    m.registry.AddKey("HKCU\\KestrelJunk\\Sub");
    EXPECT_EQ(fDeleteKey(m.ctx, "HKCU", "", "KestrelJunk", notFound), 0);
    EXPECT_FALSE(m.registry.KeyExists("HKCU\\KestrelJunk"));
    EXPECT_FALSE(notFound);
}

TEST_F(RegistryDeletion, AQuoteInTheKeyKeepsOutsideProgramsOut) {
    ProvideTools({kDelReg, kPsexec});
    m.registry.AddKey("HKLM\\SOFTWARE\\Vendor\\Odd\" /va \"x");
    Protect("HKLM\\SOFTWARE\\Vendor\\Odd\" /va \"x");
    EXPECT_EQ(fDeleteKey(m.ctx, "HKLM", "SOFTWARE\\Vendor", "Odd\" /va \"x", notFound), 5);
    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_TRUE(
        m.debugOut.Saw("\tmodRegistry\\fDeleteKey:  Not run, the key holds a double quote."));
}

TEST_F(RegistryDeletion, ValuesGoAndAbsentKeysOrValuesCountAsGoneWithTheFlag) {
    EXPECT_EQ(fDeleteValue(m.ctx, "HKCU", "Software\\Vendor", "v", notFound), 0);
    EXPECT_FALSE(notFound);
    EXPECT_FALSE(m.registry.GetValue("HKCU\\Software\\Vendor", "v"));
    EXPECT_EQ(m.registry.opens.back().access, 0x0002u);
    for (const char* key : {"Software\\Vendor", "Software\\Nowhere"}) {
        notFound = false;
        EXPECT_EQ(fDeleteValue(m.ctx, "HKCU", key, "v", notFound), 0) << key;
        EXPECT_TRUE(notFound) << key;
        notFound = false;
        EXPECT_EQ(fDeleteKey(m.ctx, "HKCU", key, "Gone", notFound), 0) << key;
        EXPECT_TRUE(notFound) << key;
    }
    EXPECT_EQ(m.debugOut.lines.back(), "\t\t- lResult: 2 NOT FOUND");
    EXPECT_TRUE(m.processes.launches.empty());
}

TEST_F(RegistryDeletion, AResistingValueGetsSubinaclGrantsAndDelReg) {
    ProvideTools({kSubinacl, kDelReg});
    m.registry.SetFlags("HKCU\\Software\\Vendor", {true, false});
    EXPECT_EQ(fDeleteValue(m.ctx, "HKCU", "Software\\Vendor", "v", notFound), 5);
    const std::string base =
        "\"C:\\Kestrel\\subinacl.exe\" /subkeyreg \"hkey_current_user\\Software\\Vendor\"";
    EXPECT_EQ(m.processes.CommandLines(),
              (Lines{base + " /setowner=WORKSHOP-PC\\tech", base + " /sgrant=WORKSHOP-PC\\tech=F",
                     base + " /grant=WORKSHOP-PC\\tech=F",
                     "C:\\Kestrel\\DelReg.exe value=HKCU,Software\\Vendor,v"}));
    // DelReg.exe (which ignores the key's protection here) lets the second attempt through.
    m.processes.OnProgram("C:\\Kestrel\\DelReg.exe",
                          Doing([this] { m.registry.SetFlags("HKCU\\Software\\Vendor", {}); }));
    EXPECT_EQ(fDeleteValue(m.ctx, "HKCU", "Software\\Vendor", "v", notFound), 0);
    EXPECT_FALSE(m.registry.GetValue("HKCU\\Software\\Vendor", "v"));
}

TEST_F(RegistryDeletion, OnlyFourTopKeysHaveASubinaclForm) {
    ProvideTools({kSubinacl});
    m.registry.PutString("HKCC\\Software\\Vendor", "v", "x");
    m.registry.SetFlags("HKCC\\Software\\Vendor", {true, false});
    EXPECT_EQ(fDeleteValue(m.ctx, "HKCC", "Software\\Vendor", "v", notFound), 5);
    EXPECT_TRUE(m.processes.launches.empty());
    EXPECT_TRUE(
        m.debugOut.Saw("\tmodRegistry\\fDeleteValue:  TopKeys supported: HKLM, HKCU, HKU, HKCR"));
}

TEST_F(RegistryDeletion, AnIniEntryIsEmptiedAndAFailedWriteSaysSo) {
    const std::string ini = "C:\\Kestrel\\app.ini";
    m.files.AddFile(ini, "[Sec]\r\nkey=value\r\n");
    EXPECT_EQ(fDeleteValue(m.ctx, ini, "Sec", "key", notFound), 0);
    std::string text;
    EXPECT_EQ(m.ini.GetString("Sec", "key", "dflt", 255, ini, text), 0u);
    m.files.SetAttributes(ini, os::attr::kReadOnly);
    EXPECT_EQ(fDeleteValue(m.ctx, ini, "Sec", "key", notFound), 29);
    EXPECT_FALSE(notFound);
}

}  // namespace
}  // namespace kestrel
