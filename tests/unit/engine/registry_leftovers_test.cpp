// The registry leftovers over the fake machine: the hive set and its order, the start-up
// keys, both registry views, the lists that mount nothing, and the vital keys that no
// definition deletes.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/strings.h"
#include "engine/registry_leftovers.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using Lines = std::vector<std::string>;
using os::RegView;

constexpr const char* kSid = "S-1-5-21-7-8-9-1001";

class RegistryLeftovers : public ::testing::Test {
protected:
    RegistryLeftovers() {
        m.ctx.definitions = DefinitionPathsIn("C:\\Kestrel\\");
        // Two user hives, a system hive and blanks among the mounted names.
        m.ctx.mountedHives = {" guest_anna ", "", "guest_SOFTWARE", "guest_bob"};
        m.security.enabled = {"SeBackupPrivilege", "SeRestorePrivilege"};
        for (const char* name : {"guest_anna", "guest_software", "guest_bob"}) {
            Mount(name);
        }
        m.security.enabled.clear();
        m.registry.AddKey("HKU\\.DEFAULT");
        m.registry.AddKey(std::string("HKU\\") + kSid);
        m.registry.AddKey(std::string("HKU\\") + kSid + "_Classes");
    }
    // An empty hive file mounted as HKLM\name, as a run that was killed would leave it.
    void Mount(const std::string& name) {
        const std::string file = "C:\\Users\\" + name + ".dat";
        m.registry.AddKey("HKCU\\Scratch");
        os::RegKey key = 0;
        ASSERT_EQ(m.registry.OpenKey(os::kHkeyCurrentUser, "Scratch", os::regaccess::kRead,
                                     RegView::k64, key),
                  0u);
        ASSERT_EQ(m.hives.SaveKey(key, file), 0u);
        (void)m.registry.CloseKey(key);
        m.registry.RemoveTree("HKCU\\Scratch");
        ASSERT_EQ(m.hives.LoadKey(os::kHkeyLocalMachine, name, file), 0u);
    }
    void Use32BitWindows() {
        m.env.Unset("ProgramFiles(x86)");
        m.registry.windows64 = false;
    }
    void List(const std::string& file, const Lines& lines) {
        m.files.AddFile(file, lines.empty() ? "" : Join(lines, "\r\n") + "\r\n");
    }
    // The key paths opened with the given access, in order.
    Lines Opened(uint32_t access) const {
        Lines paths;
        for (const auto& open : m.registry.opens) {
            if (open.access == access) {
                paths.push_back(open.path);
            }
        }
        return paths;
    }
    // Every key of the machine, physically (the 32-bit view lies below Wow6432Node).
    Lines AllKeys() const {
        Lines keys = {"HKLM", "HKCU", "HKU"};
        for (size_t i = 0; i < keys.size(); ++i) {
            for (const std::string& name : m.registry.SubkeyNames(keys[i])) {
                keys.push_back(keys[i] + "\\" + name);
            }
        }
        return keys;
    }
    size_t Count(const std::string& text) const {
        size_t count = 0;
        for (size_t at = m.Log().find(text); at != std::string::npos;
             at = m.Log().find(text, at + 1)) {
            ++count;
        }
        return count;
    }

    testing::FakeMachine m;
};

// Where a definition of the fixture's machine is applied, in order.
const Lines kPlaces = {"HKLM\\",
                       "HKCU\\",
                       "HKLM\\guest_anna\\",
                       "HKLM\\guest_bob\\",
                       "HKU\\.DEFAULT\\",
                       std::string("HKU\\") + kSid + "\\"};

TEST_F(RegistryLeftovers, AKeyGoesFromEveryHiveInOrderInBothViewsAndHkuIsListedOnce) {
    List(m.ctx.definitions.regKeys, {"  Software\\Vendor\\Product  ", "Software\\Other\\App"});
    for (const std::string& place : kPlaces) {
        m.registry.AddKey(place + "Software\\Vendor\\Product\\Deep");
        m.registry.AddKey(place + "SOFTWARE\\Wow6432Node\\Vendor\\Product");
    }
    const std::string classes = std::string("HKU\\") + kSid + "_Classes\\Software\\Vendor\\Product";
    m.registry.AddKey(classes);
    m.registry.AddKey("HKLM\\guest_software\\Software\\Vendor\\Product");
    m.registry.opens.clear();

    DeleteRegKeyDefinitions(m.ctx);

    for (const std::string& place : kPlaces) {
        EXPECT_FALSE(m.registry.KeyExists(place + "Software\\Vendor\\Product")) << place;
        EXPECT_TRUE(m.registry.KeyExists(place + "Software\\Vendor")) << place;
    }
    // HKCU and HKU share one view; the mounted hives keep their 32-bit keys literally.
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\Software\\Vendor\\Product", RegView::k32));
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\guest_anna\\SOFTWARE\\Wow6432Node\\Vendor\\Product"));
    EXPECT_TRUE(m.registry.KeyExists(classes));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\guest_software\\Software\\Vendor\\Product"));

    Lines expected;
    for (const char* entry : {"Software\\Vendor", "Software\\Other"}) {
        for (const std::string& place : kPlaces) {
            expected.push_back(place + entry);
        }
        for (const std::string& place : kPlaces) {
            // The view rule addresses 32-bit paths lower-cased, except in mounted hives.
            const size_t top = place.find('\\') + 1;
            const std::string wow = std::string("SOFTWARE\\Wow6432Node\\") + (entry + 9);
            expected.push_back(place.find("guest_") != std::string::npos
                                   ? place + wow
                                   : place.substr(0, top) + LCase(place.substr(top) + entry));
        }
    }
    EXPECT_EQ(Opened(os::regaccess::kCreateSubKey), expected);
    EXPECT_EQ(std::count_if(m.registry.opens.begin(), m.registry.opens.end(),
                            [](const auto& open) { return open.path == "HKU"; }),
              1);
    // An absent key costs one open per place and view: nothing is granted below a missing
    // parent.
    EXPECT_EQ(std::count_if(m.registry.opens.begin(), m.registry.opens.end(),
                            [](const auto& open) { return ContainsNoCase(open.path, "\\Other"); }),
              2 * kPlaces.size());
}

TEST_F(RegistryLeftovers, OnThirtyTwoBitWindowsAKeyIsDeletedOnceAsWritten) {
    Use32BitWindows();
    List(m.ctx.definitions.regKeys, {"Software\\Wow6432Node\\Vendor\\Product", "Vendor"});
    m.registry.AddKey("HKLM\\Software\\Vendor\\Product");
    m.registry.AddKey("HKLM\\Software\\Wow6432Node\\Vendor\\Product");
    m.registry.AddKey("HKCU\\Vendor\\Vendor\\Deep");
    m.registry.opens.clear();

    DeleteRegKeyDefinitions(m.ctx);

    EXPECT_FALSE(m.registry.KeyExists("HKLM\\Software\\Vendor\\Product"));
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\Software\\Wow6432Node\\Vendor\\Product"));
    // Without a backslash the entry is both the parent and the key.
    EXPECT_FALSE(m.registry.KeyExists("HKCU\\Vendor\\Vendor"));
    EXPECT_TRUE(m.registry.KeyExists("HKCU\\Vendor"));
}

TEST_F(RegistryLeftovers, ValuesGoFromBothViewsWithTheirKeyPathNormalised) {
    List(m.ctx.definitions.regValues,
         {"\\Software\\Vendor\\\\Setting", "Software\\Wow6432Node\\Vendor\\Other",
          "Software\\Vendor\\", " \\ "});
    for (RegView view : {RegView::k64, RegView::k32}) {
        m.registry.PutString("HKLM\\Software\\Vendor", "Setting", "1", view);
        m.registry.PutString("HKLM\\Software\\Vendor", "Other", "1", view);
        m.registry.PutString("HKLM\\Software\\Vendor", "", "default", view);
        m.registry.PutString("HKLM\\Software\\Vendor", "Kept", "1", view);
    }
    m.registry.PutString("HKLM\\guest_bob\\SOFTWARE\\Wow6432Node\\Vendor", "Setting", "1");
    m.registry.opens.clear();

    DeleteRegValueDefinitions(m.ctx);

    for (RegView view : {RegView::k64, RegView::k32}) {
        for (const char* name : {"Setting", "Other", ""}) {
            EXPECT_FALSE(m.registry.GetValue("HKLM\\Software\\Vendor", name, view)) << name;
        }
        EXPECT_TRUE(m.registry.GetValue("HKLM\\Software\\Vendor", "Kept", view));
    }
    EXPECT_FALSE(m.registry.GetValue("HKLM\\guest_bob\\SOFTWARE\\Wow6432Node\\Vendor", "Setting"));
    const Lines opened = Opened(os::regaccess::kSetValue);
    EXPECT_EQ(opened.size(), 3 * 2 * kPlaces.size());
    for (const std::string& path : opened) {
        EXPECT_EQ(path.find("\\\\"), std::string::npos) << path;
    }
    EXPECT_EQ(Count(":  Refused, "), 1u);
}

TEST_F(RegistryLeftovers, RunValuesGoFromAllSixStartUpKeysOfEveryHiveOnBothBitnesses) {
    const Lines runKeys = {
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run",
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run",
        "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
        "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
        "SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run"};
    for (bool windows64 : {true, false}) {
        m.registry.opens.clear();
        if (!windows64) {
            Use32BitWindows();
        }
        List(m.ctx.definitions.runValues, {" VendorTray ", ""});
        for (const std::string& place : kPlaces) {
            for (const std::string& key : runKeys) {
                m.registry.PutString(place + key, "VendorTray", "tray.exe");
            }
        }

        DeleteRunValueDefinitions(m.ctx);

        const Lines opened = Opened(os::regaccess::kSetValue);
        ASSERT_EQ(opened.size(), kPlaces.size() * runKeys.size()) << windows64;
        for (size_t i = 0; i < opened.size(); ++i) {
            const std::string& place = kPlaces[i / runKeys.size()];
            EXPECT_TRUE(StartsWithNoCase(opened[i], place)) << opened[i];
        }
        for (const std::string& place : kPlaces) {
            for (const std::string& key : runKeys) {
                // The shared 32-bit view of the user hives holds no Wow6432Node keys.
                const bool reached =
                    !windows64 || key.find("Wow") == std::string::npos || StartsWith(place, "HKLM");
                EXPECT_EQ(m.registry.GetValue(place + key, "VendorTray").has_value(), !reached)
                    << place << key << windows64;
            }
        }
    }
}

// Blank or missing lists mount nothing and touch no key; the hives that a killed run left
// mounted (the fixture's) are unmounted all the same.
TEST_F(RegistryLeftovers, BlankOrMissingListsMountNothingAndTouchNoKey) {
    m.registry.AddKey("HKLM\\Software\\Vendor\\Product");
    EXPECT_TRUE(CleanRegistryLeftovers(m.ctx));
    EXPECT_EQ(m.ctx.systemDrive, "C:");
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\guest_anna"));
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\guest_software"));
    EXPECT_FALSE(m.ctx.hivesLoaded);
    List(m.ctx.definitions.regKeys, {"   ", ""});
    List(m.ctx.definitions.runValues, {});
    m.registry.opens.clear();
    EXPECT_TRUE(CleanRegistryLeftovers(m.ctx));
    EXPECT_TRUE(IsDefinitionFileEmpty(m.ctx, m.ctx.definitions.regKeys));
    EXPECT_FALSE(m.ctx.hivesLoaded);
    EXPECT_TRUE(m.registry.KeyExists("HKLM\\Software\\Vendor\\Product"));
    for (const auto& open : m.registry.opens) {
        EXPECT_EQ(open.path, "HKLM") << "only HKLM is listed for mounted hives";
    }

    List(m.ctx.definitions.regValues, {"", "Software\\Vendor\\Product\\Setting"});
    List(m.ctx.definitions.regKeys, {"   ", "Software\\Vendor\\Product"});
    EXPECT_FALSE(IsDefinitionFileEmpty(m.ctx, m.ctx.definitions.regKeys));
    (void)CleanRegistryLeftovers(m.ctx);
    EXPECT_FALSE(m.registry.KeyExists("HKLM\\Software\\Vendor\\Product"));
}

// Definitions that would delete a vital key: each is refused with one line naming it, and
// nothing changes anywhere.
TEST_F(RegistryLeftovers, VitalKeysAreRefusedAndKeysBelowThemStillGo) {
    const Lines belowVital = {
        "Software\\Classes\\VendorFile",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{1234-ABCD}",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Vendor",
        "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Vendor",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Vendor",
        "Software\\Microsoft\\Windows NT\\CurrentVersion\\Vendor",
        "Software\\MicrosoftEdgeHelper\\Sub",
        "Software\\Policies\\Vendor",
        "System\\CurrentControlSet\\Services\\VendorDriver",
        "System\\ControlSet001\\Services\\VendorDriver",
        "Control Panel\\VendorApplet",
        "Environment\\Vendor"};
    for (const std::string& place : kPlaces) {
        for (const std::string& key : belowVital) {
            m.registry.AddKey(place + key);
        }
        m.registry.AddKey(place + "Software\\Microsoft\\Windows\\CurrentVersion", RegView::k32);
    }
    const Lines before = AllKeys();
    const Lines refused = {
        // the hive's root and the top keys, however written
        "\\", " \\\\ ", "Software", "\\Software\\", "SOFTWARE\\Classes", "Software\\\\Microsoft\\",
        "software\\microsoft\\windows", "System", "\\System", "Control Panel", "Environment",
        // Windows' own keys and the start-up, uninstall and policy keys
        "Software\\Microsoft\\Windows\\CurrentVersion",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
        "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        "Software\\Microsoft\\Windows\\CurrentVersion\\Policies", "Software\\Microsoft\\Windows NT",
        "Software\\Microsoft\\Windows NT\\CurrentVersion", "Software\\Policies",
        // the 32-bit view's root and its Windows keys
        "Software\\Wow6432Node", "Software\\Wow6432Node\\", "SOFTWARE\\WOW6432NODE\\Microsoft",
        "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        // the control sets and their services
        "System\\CurrentControlSet", "System\\CurrentControlSet\\Services", "SYSTEM\\ControlSet001",
        "System\\ControlSet002\\Services\\"};
    for (const std::string& entry : refused) {
        m.debugOut.lines.clear();
        List(m.ctx.definitions.regKeys, {entry});
        DeleteRegKeyDefinitions(m.ctx);
        EXPECT_EQ(Count("Refused, a vital registry key:  " + Trim(entry) + "\n"), 1u) << entry;
        EXPECT_EQ(AllKeys(), before) << entry;
    }

    m.debugOut.lines.clear();
    List(m.ctx.definitions.regKeys, belowVital);
    DeleteRegKeyDefinitions(m.ctx);
    EXPECT_EQ(Count("Refused"), 0u);
    for (const std::string& place : kPlaces) {
        for (const std::string& key : belowVital) {
            EXPECT_FALSE(m.registry.KeyExists(place + key)) << place << key;
        }
        EXPECT_TRUE(m.registry.KeyExists(place + "System\\ControlSet001\\Services"));
    }
}

}  // namespace
}  // namespace kestrel
