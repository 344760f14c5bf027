// The preview of "/auto" over the fake machine: what it lists, and that the registry, the
// files and the processes are exactly as they were.
#include <gtest/gtest.h>

#include <map>

#include "app/startup.h"
#include "base/strings.h"
#include "engine/auto_preview.h"
#include "inventory/inventory_scan.h"
#include "os/owned.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

using os::RegView;

// Every key and value below a top key in one view, read through the port.
void DumpKey(os::Registry& reg, os::RegKey key, const std::string& path, RegView view,
             std::map<std::string, std::string>& out) {
    out[path] = "key";
    std::string name;
    uint32_t type = 0;
    for (uint32_t i = 0; reg.EnumValue(key, i, name, type) == 0; ++i) {
        std::string data(1 << 16, '\0');
        uint32_t size = static_cast<uint32_t>(data.size());
        (void)reg.QueryValue(key, name, &type, &data, size);
        out[path + "|" + name] = std::to_string(type) + ":" + data.substr(0, size);
    }
    for (uint32_t i = 0; reg.EnumKey(key, i, name) == 0; ++i) {
        os::OwnedKey child(reg);
        if (reg.OpenKey(key, name, os::regaccess::kRead, view, child.Out()) == 0) {
            DumpKey(reg, child.Get(), path + "\\" + name, view, out);
        }
    }
}

std::map<std::string, std::string> Everything(testing::FakeMachine& m) {
    std::map<std::string, std::string> all;
    for (const auto& [name, top] :
         {std::pair{"HKLM", os::kHkeyLocalMachine}, {"HKCU", os::kHkeyCurrentUser},
          {"HKU", os::kHkeyUsers}}) {
        for (RegView view : {RegView::k64, RegView::k32}) {
            DumpKey(m.registry, top, std::string(name) + (view == RegView::k32 ? "/32" : ""),
                    view, all);
        }
    }
    for (const std::string& path : m.files.AllPaths()) {
        all["file " + path] = m.files.IsFolder(path) ? "folder" : m.files.Content(path).value_or("");
    }
    return all;
}

TEST(AutoPreview, ListsWhatAutoWouldDoAndLeavesTheMachineAsItWas) {
    testing::FakeMachine m;
    PrepareProgram(m.ctx);
    const std::string uninstall = std::string("HKLM\\") + kUninstallKey;
    auto app = [&](const std::string& key, const std::string& name, const std::string& command) {
        m.registry.PutString(uninstall + "\\" + key, "DisplayName", name);
        m.registry.PutString(uninstall + "\\" + key, "UninstallString", command);
    };
    app("Ask", "Ask Toolbar", "C:\\Ask\\uninst.exe");
    app("Keeper", "Keeper Toolbar", "C:\\Keeper\\uninst.exe");
    app("KB1", "Security Update for Toolbar (KB1)", "x.exe");
    app("Hidden", "Hidden Thing", "C:\\Hidden\\uninst.exe");
    m.registry.AddKey("HKLM\\SOFTWARE\\AskCo\\Settings");
    m.registry.PutString("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", "AskUpdater",
                         "C:\\Ask\\up.exe");
    m.files.AddFile("C:\\Program Files\\AskCo\\ask.dll", "x");
    m.files.AddFile("C:\\Kestrel\\Kestrel.txt", "Toolbar|note\r\n;Hidden\r\nask\r\n");
    m.files.AddFile("C:\\Kestrel\\Kestrel_Whitelist.txt", "Keeper\r\n");
    m.files.AddFile("C:\\Kestrel\\Kestrel_RegKeys.txt",
                    "Software\\AskCo\r\nSoftware\\Missing\r\nSoftware\\Microsoft\r\n");
    m.files.AddFile("C:\\Kestrel\\Kestrel_RunValues.txt", "AskUpdater\r\nNoSuchValue\r\n");
    m.files.AddFile("C:\\Kestrel\\Kestrel_FileSystemObjects.txt",
                    "%programfiles%\\AskCo\r\n\\Missing\r\n%windir%\r\n");
    const auto before = Everything(m);

    const std::string text = PreviewAutoRun(m.ctx);

    EXPECT_TRUE(m.processes.launches.empty());
    auto after = Everything(m);
    EXPECT_EQ(after.erase("file C:\\Kestrel\\Kestrel_Preview.txt"), 1u);
    EXPECT_EQ(after, before);
    EXPECT_EQ(m.files.Content("C:\\Kestrel\\Kestrel_Preview.txt"), text + "\r\n");
    EXPECT_TRUE(m.debugOut.Saw("\tRegistry keys that exist now and would be deleted (1)"));

    const auto has = [&](const std::string& part) {
        return text.find(part) != std::string::npos;
    };
    // "Toolbar" names Ask Toolbar; "ask" names it again, and it is listed once.
    EXPECT_TRUE(has("Would uninstall, by the blacklist's lines in their order (1)\r\n" +
                    std::string(40, '-') + "\r\n  \"Toolbar\" names:\r\n    Ask Toolbar    [HKLM\\" +
                    kUninstallKey + "\\Ask (64-bit)]\r\n        runs: C:\\Ask\\uninst.exe /S\r\n\r\n"))
        << text;
    EXPECT_TRUE(has("  Keeper Toolbar    (whitelist line \"Keeper\")\r\n")) << text;
    EXPECT_TRUE(has("  Security Update for Toolbar (KB1)    (a Windows update)\r\n")) << text;
    EXPECT_FALSE(has("Hidden Thing")) << text;  // a disabled line names nothing
    EXPECT_TRUE(has("(1)\r\n" + std::string(40, '-') + "\r\n  C:\\Program Files\\AskCo\\\r\n"))
        << text;
    // Only the 64-bit view holds the key.
    EXPECT_TRUE(has("(1)\r\n" + std::string(40, '-') + "\r\n  HKLM\\Software\\AskCo\r\n")) << text;
    EXPECT_FALSE(has("Missing")) << text;
    EXPECT_TRUE(has("  HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run  value \"AskUpdater\""))
        << text;
    EXPECT_FALSE(has("NoSuchValue")) << text;
    EXPECT_TRUE(has("  Software\\Microsoft  (a vital registry key)")) << text;
    EXPECT_TRUE(has("  C:\\Windows  (a protected folder or one that holds one)")) << text;
}

}  // namespace
}  // namespace kestrel
