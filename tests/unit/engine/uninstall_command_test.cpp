#include <gtest/gtest.h>

#include "engine/uninstall_command.h"

namespace kestrel {
namespace {

TEST(SilentUninstallCommand, WindowsInstallerRemovesPassivelyInLowerCase) {
    EXPECT_EQ(SilentUninstallCommand("MsiExec.exe /I{86D4B82A-ABED-442A-BE86-96357B70F4FE}", false),
              "msiexec.exe /passive /norestart /x{86d4b82a-abed-442a-be86-96357b70f4fe}");
    EXPECT_EQ(SilentUninstallCommand("MSIEXEC.EXE /X{A}", true),
              "msiexec.exe /passive /norestart /x{a}");
    // Already quiet: only the install switch turns into the removal switch.
    EXPECT_EQ(SilentUninstallCommand("MsiExec.exe /I{ABC} /QUIET", false),
              "MsiExec.exe /x{ABC} /QUIET");
    EXPECT_EQ(SilentUninstallCommand("msiexec.exe /x {A} /quiet", false),
              "msiexec.exe /x {A} /quiet");
    // A second "/norestart" is added, and a "/i" inside a path turns too.
    EXPECT_EQ(SilentUninstallCommand("C:\\Windows\\System32\\MsiExec.exe /I{A} /norestart", false),
              "c:\\windows\\system32\\msiexec.exe /passive /norestart /x{a} /norestart");
    EXPECT_EQ(SilentUninstallCommand("msiexec.exe /package c:/installs/app.msi", false),
              "msiexec.exe /passive /norestart /package c:/xnstalls/app.msi");
}

TEST(SilentUninstallCommand, InnoSetupGetsItsSilentSwitches) {
    EXPECT_EQ(SilentUninstallCommand("\"C:\\Program Files\\App\\unins000.exe\"", true),
              "\"C:\\Program Files\\App\\unins000.exe\" /sp- /silent /norestart");
    EXPECT_EQ(SilentUninstallCommand("\"C:\\App\\unins000.exe\" /SILENT", true),
              "\"C:\\App\\unins000.exe\" /SILENT");
    // "/verysilent" is not "/silent"'s text: the switches are still added.
    EXPECT_EQ(SilentUninstallCommand("unins000.exe /VERYSILENT", true),
              "unins000.exe /VERYSILENT /sp- /silent /norestart");
}

TEST(SilentUninstallCommand, EverythingElseIsTakenForNsisAndNothingStaysNothing) {
    EXPECT_EQ(SilentUninstallCommand("\"C:\\Program Files\\App\\uninst.exe\"", false),
              "\"C:\\Program Files\\App\\uninst.exe\" /S");
    EXPECT_EQ(SilentUninstallCommand("\"C:\\App\\uninst.exe\" /S", false),
              "\"C:\\App\\uninst.exe\" /S");
    // Any "/s" counts, also inside a path.
    EXPECT_EQ(SilentUninstallCommand("C:/setup/uninst.exe", false), "C:/setup/uninst.exe");
    EXPECT_EQ(SilentUninstallCommand("uninst.exe /sp-", false), "uninst.exe /sp-");
    EXPECT_EQ(SilentUninstallCommand("", false), "");
    EXPECT_EQ(SilentUninstallCommand("", true), "");
}

}  // namespace
}  // namespace kestrel
