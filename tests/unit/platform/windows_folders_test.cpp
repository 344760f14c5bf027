// The folders of the running system and of another installation on the target drive.
#include <gtest/gtest.h>

#include "os/user_prompts.h"
#include "platform/windows_folders.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

constexpr uint32_t kPickerFlags = 81;

class WindowsFolders : public ::testing::Test {
protected:
    WindowsFolders() {
        m.ctx.systemDrive = "C:";
        m.env.windowsDirectory = "C:\\Windows";
        m.env.systemDirectory = "C:\\Windows\\system32";
        m.files.AddFolder("C:\\Users\\tech");
    }
    // Another Windows on D:, as an older or newer installation leaves it.
    void GuestOnD() {
        m.ctx.systemDrive = "D:";
        m.volumes.SetVolume('D', {});
    }
    testing::FakeMachine m;
};

TEST_F(WindowsFolders, TheRunningSystemAnswersForItselfAndGuestsAreOtherDrives) {
    EXPECT_FALSE(IsGuestOS(m.ctx, "c:"));
    EXPECT_TRUE(IsGuestOS(m.ctx, "D:"));
    m.env.Set("HomeDrive", "H:");
    EXPECT_FALSE(IsGuestOS(m.ctx, "h:"));
    EXPECT_FALSE(IsGuestOS(m.ctx, "C:"));
    EXPECT_EQ(GetWinDir(m.ctx, true), "C:\\Windows");
    EXPECT_EQ(GetSysDir(m.ctx, true), "C:\\Windows\\system32");
    EXPECT_TRUE(m.prompts.folderRequests.empty());
}

TEST_F(WindowsFolders, AGuestWindowsFolderIsTheLastCompleteCandidateOrIsAskedFor) {
    GuestOnD();
    m.files.AddFolder("D:\\Windows");  // no explorer.exe: not a Windows folder
    EXPECT_EQ(GetWinDir(m.ctx, false), "");
    EXPECT_TRUE(m.prompts.folderRequests.empty());
    m.prompts.pickedFolders.push_back("D:\\OS");
    EXPECT_EQ(GetWinDir(m.ctx, true), "D:\\OS");
    ASSERT_EQ(m.prompts.folderRequests.size(), 1u);
    EXPECT_EQ(m.prompts.folderRequests[0].prompt,
              "Could not determine Windows folder on D: drive.                 Please select the "
              "correct Windows folder for D: drive now:");
    EXPECT_EQ(m.prompts.folderRequests[0].root, "D:");
    EXPECT_EQ(m.prompts.folderRequests[0].flags, kPickerFlags);
    m.files.AddFile("D:\\Windows\\explorer.exe");
    EXPECT_EQ(GetWinDir(m.ctx, false), "D:\\Windows");
    m.files.AddFolder("D:\\Winnt");
    EXPECT_EQ(GetWinDir(m.ctx, false), "D:\\Windows");
    m.files.AddFile("D:\\Winnt\\explorer.exe");
    EXPECT_EQ(GetWinDir(m.ctx, false), "D:\\Winnt");
}

TEST_F(WindowsFolders, AGuestSystemFolderHasItsMarkerFileOrIsAskedFor) {
    GuestOnD();
    m.files.AddFile("D:\\Windows\\explorer.exe");
    EXPECT_EQ(GetSysDir(m.ctx, true), "");
    ASSERT_EQ(m.prompts.folderRequests.size(), 1u);
    EXPECT_EQ(m.prompts.folderRequests[0].prompt,
              "Could not determine System folder for D:\\WINDOWS               Please select the "
              "correct System or System32 folder now:");
    EXPECT_EQ(m.prompts.folderRequests[0].root, "");
    m.files.AddFile("D:\\Winnt\\explorer.exe");
    m.files.AddFolder("D:\\Winnt\\system32");
    EXPECT_EQ(GetSysDir(m.ctx, false), "");
    m.files.AddFile("D:\\Winnt\\system32\\winlogon.exe");
    EXPECT_EQ(GetSysDir(m.ctx, false), "D:\\Winnt\\system32");
    m.files.AddFile("D:\\Winnt\\system\\system.dat");
    EXPECT_EQ(GetSysDir(m.ctx, false), "D:\\Winnt\\system");
}

TEST_F(WindowsFolders, ProfilesOfTheRunningSystem) {
    EXPECT_EQ(GetUserProf(m.ctx, true), "C:\\Users");
    m.system.profilesDirectory = "";
    EXPECT_EQ(GetUserProf(m.ctx, true), "C:\\Users");
    m.system.profilesDirectory = "C:\\Profiles";  // reported, but not there
    m.env.Set("UserProfile", "C:\\Documents and Settings\\tech");
    EXPECT_EQ(GetUserProf(m.ctx, true), "C:\\Documents and Settings");
    EXPECT_TRUE(m.prompts.folderRequests.empty());
}

TEST_F(WindowsFolders, ProfilesOfAGuestFollowItsLayoutOrAreAskedFor) {
    GuestOnD();
    EXPECT_EQ(GetUserProfOld(m.ctx, false), "");
    EXPECT_TRUE(m.prompts.folderRequests.empty());
    m.prompts.pickedFolders.push_back("D:\\WINDOWS\\Profiles");
    EXPECT_EQ(GetUserProf(m.ctx, true), "D:\\WINDOWS\\Profiles");
    ASSERT_EQ(m.prompts.folderRequests.size(), 1u);
    EXPECT_EQ(m.prompts.folderRequests[0].prompt,
              "Cannot find User Profile directory on D:  Please select the correct folder (e.g. "
              "\\Users or \\Documents and Settings)");
    m.files.AddFolder("D:\\Users\\Default User");
    m.files.AddFolder("D:\\Users\\All Users");
    m.files.AddFolder("D:\\Documents and Settings\\old");
    EXPECT_FALSE(HasNewProfileLayout(m.ctx, "D:"));
    EXPECT_EQ(GetUserProf(m.ctx, true), "D:\\Documents and Settings");
    m.files.AddFolder("D:\\ProgramData");
    EXPECT_TRUE(HasNewProfileLayout(m.ctx, "D:"));
    EXPECT_EQ(GetUserProf(m.ctx, true), "D:\\Users");
    EXPECT_FALSE(HasNewProfileLayout(m.ctx, "Q:"));
    EXPECT_EQ(m.prompts.folderRequests.size(), 1u);
}

TEST_F(WindowsFolders, TheUserListHoldsTheProfileFoldersButNoLinks) {
    m.files.AddLink("C:\\Users\\All Users", "C:\\ProgramData");
    m.files.AddLink("C:\\Users\\Default User", "C:\\Users\\Default");
    m.files.AddFile("C:\\Users\\desktop.ini");
    m.ctx.userList = {"stale"};
    GetUserList(m.ctx, false);
    EXPECT_EQ(m.ctx.userList, (std::vector<std::string>{"C:\\Users\\Default", "C:\\Users\\Public",
                                                        "C:\\Users\\tech"}));
    GuestOnD();
    m.files.AddFolder("D:\\Documents and Settings");
    GetUserList(m.ctx, false);
    EXPECT_TRUE(m.ctx.userList.empty());
    m.ctx.systemDrive = "Q:";
    GetUserList(m.ctx, false);
    EXPECT_TRUE(m.ctx.userList.empty());
    EXPECT_TRUE(m.prompts.messages.empty());
}

TEST_F(WindowsFolders, ThePickerStartsAtItsFolderWhenThatExists) {
    m.prompts.pickedFolders = {"C:\\Users\\tech", ""};
    EXPECT_EQ(PickFolder(m.ctx, "Where?", "C:\\Users"), "C:\\Users\\tech");
    EXPECT_EQ(PickFolder(m.ctx, "Where?", "C:\\Nowhere"), "");
    EXPECT_EQ(m.prompts.folderRequests[0].root, "C:\\Users");
    EXPECT_EQ(m.prompts.folderRequests[1].root, "");
}

}  // namespace
}  // namespace kestrel
