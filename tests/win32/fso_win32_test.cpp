// The file utilities on real folders (Wine), each test in its own scratch tree.
#include <gtest/gtest.h>

#include <chrono>

#include "base/strings.h"
#include "os/win32/windows_api.h"
#include "platform/file_search.h"
#include "platform/file_tests.h"
#include "platform/fso.h"
#include "platform/shell_file_ops.h"
#include "win32/win32_machine.h"
#include "win32/win32_world.h"

namespace kestrel::testing {
namespace {

using os::win32::Wide;

// Makes a file through the wide functions, which take the "\\?\" forms at any length.
void Make(const std::string& path, const std::string& content = "x",
          DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    os::win32::UniqueHandle h(CreateFileW(os::win32::LongForm(path).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_ALWAYS, attributes, nullptr));
    ASSERT_TRUE(h.Valid()) << path << " " << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(h.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
}

void MakeFolder(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryW(os::win32::LongForm(path).c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS)
        << path;
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(os::win32::LongForm(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Read(const std::string& path) {
    std::string bytes;
    os::win32::UniqueHandle h(CreateFileW(os::win32::LongForm(path).c_str(), GENERIC_READ,
                                          FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[256];
    DWORD got = 0;
    while (h.Valid() && ReadFile(h.Get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    return bytes;
}

// Holds a file open without sharing, as another program may.
os::win32::UniqueHandle HoldOpen(const std::string& path) {
    return os::win32::UniqueHandle(
        CreateFileW(Wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

class FsoOnWindows : public ::testing::Test {
protected:
    ~FsoOnWindows() override { RemoveTree(m_root); }
    const std::string& Root() const { return m_root; }

    Win32Machine machine;
    clsFSO fso{machine.ctx()};
    const std::string m_root = MakeScratchFolder("fso");
};

TEST_F(FsoOnWindows, ReadOnlyFilesGoOnTheSecondTry) {
    const std::string file = Root() + "\\guarded.txt";
    Make(file, "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    ASSERT_EQ(DeleteFileW(Wide(file).c_str()), FALSE);  // the first try fails
    EXPECT_TRUE(fso.KillFile(file));
    EXPECT_FALSE(Exists(file));
    EXPECT_FALSE(machine.debugOut.Saw("Unable to delete"));
}

TEST_F(FsoOnWindows, AFileHeldOpenIsReportedAsNotDeleted) {
    const std::string file = Root() + "\\held.txt";
    Make(file);
    const auto held = HoldOpen(file);
    ASSERT_TRUE(held.Valid());
    EXPECT_FALSE(fso.KillFile(file));
    EXPECT_TRUE(Exists(file));
    EXPECT_TRUE(machine.debugOut.Saw("clsFSO\\KillFile - Unable to delete:  " + file));
    EXPECT_FALSE(fso.DelTree32(Root()));
    EXPECT_TRUE(Exists(file));
}

TEST_F(FsoOnWindows, DeepAndWideTreesGoWhole) {
    std::string deep = Root() + "\\tree";
    MakeFolder(deep);
    for (int level = 0; level < 60; ++level) {
        deep += "\\" + std::to_string(level);
        MakeFolder(deep);
        Make(deep + "\\file.txt", "x", level % 3 == 0 ? FILE_ATTRIBUTE_READONLY : 0);
    }
    for (int i = 0; i < 50; ++i) {
        MakeFolder(Root() + "\\tree\\wide" + std::to_string(i));
        Make(Root() + "\\tree\\wide" + std::to_string(i) + "\\f.bin");
    }
    EXPECT_TRUE(fso.KillDir(Root() + "\\tree", true));
    EXPECT_TRUE(Exists(Root() + "\\tree"));
    EXPECT_FALSE(Exists(Root() + "\\tree\\0"));
    EXPECT_TRUE(machine.debugOut.lines.empty());
}

TEST_F(FsoOnWindows, PathsLongerThanMaxPathAreListedCopiedAndDeleted) {
    std::string deep = Root() + "\\long";
    MakeFolder(deep);
    while (deep.size() < 300) {
        deep += "\\a-folder-name-of-some-length";
        MakeFolder(deep);
    }
    const std::string file = deep + "\\file.txt";
    Make(file, "far down");
    EXPECT_EQ(ClassifyPath(machine.ctx(), file), "file");
    EXPECT_EQ(ClassifyPath(machine.ctx(), deep), "dir");
    EXPECT_EQ(fso.Get_FileList(Root() + "\\long", true), file + ";");
    EXPECT_TRUE(fso.Copy_File(file, deep + "\\copy.txt", false));
    EXPECT_EQ(Read(deep + "\\copy.txt"), "far down");
    EXPECT_TRUE(fso.Move_File(deep + "\\copy.txt", file, true));
    EXPECT_FALSE(Exists(deep + "\\copy.txt"));
    EXPECT_TRUE(fso.Get_FileInfo(file));
    EXPECT_EQ(fso.Details().size, 8u);
    EXPECT_TRUE(fso.KillFile(file));
    EXPECT_TRUE(fso.KillDir(Root() + "\\long"));
    EXPECT_FALSE(Exists(Root() + "\\long"));
}

TEST_F(FsoOnWindows, NamesWithTrailingDotsAndBlanksAreDeletedAsNamed) {
    Make(Root() + "\\name", "plain");
    Make("\\\\?\\" + Root() + "\\name.", "dotted");
    MakeFolder("\\\\?\\" + Root() + "\\dir. ");
    Make("\\\\?\\" + Root() + "\\dir. \\inner.", "inner", FILE_ATTRIBUTE_READONLY);
    MakeFolder(Root() + "\\dir");
    Make(Root() + "\\dir\\keep.txt", "keep");
    const std::string files = fso.Get_FileList(Root(), true);
    EXPECT_NE(files.find(Root() + "\\dir. \\inner.;"), std::string::npos) << files;
    EXPECT_TRUE(fso.KillFile(Root() + "\\name."));
    EXPECT_TRUE(fso.KillDir(Root() + "\\dir. "));
    EXPECT_EQ(Read(Root() + "\\name"), "plain");
    EXPECT_EQ(Read(Root() + "\\dir\\keep.txt"), "keep");
    EXPECT_FALSE(Exists("\\\\?\\" + Root() + "\\name."));
    EXPECT_FALSE(Exists("\\\\?\\" + Root() + "\\dir. "));
}

TEST_F(FsoOnWindows, JunctionsAreRemovedWithoutWhatTheyLeadTo) {
    MakeFolder(Root() + "\\precious");
    Make(Root() + "\\precious\\keep.txt", "keep");
    MakeFolder(Root() + "\\tree");
    auto world = MakeWin32FileWorld();
    if (!world->MakeJunction(Root() + "\\tree\\link", Root() + "\\precious")) {
        GTEST_SKIP() << "no junctions here (Wine 8 answers 50 to FSCTL_SET_REPARSE_POINT)";
    }
    EXPECT_EQ(fso.Get_FileList(Root() + "\\tree", true), "");
    EXPECT_TRUE(fso.DelTree32(Root() + "\\tree"));
    EXPECT_EQ(Read(Root() + "\\precious\\keep.txt"), "keep");
}

TEST(HelperProcess, DISABLED_WaitsToBeEnded) {
    Sleep(60000);
}

TEST_F(FsoOnWindows, ARunningProgramCanBeRenamedButNotDeleted) {
    wchar_t self[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    const std::string program = Root() + "\\running.exe";
    ASSERT_TRUE(CopyFileW(self, Wide(program).c_str(), FALSE)) << os::win32::Narrow(self);
    std::wstring command = L"\"" + Wide(program) +
                           L"\" --gtest_filter=HelperProcess.DISABLED_WaitsToBeEnded "
                           L"--gtest_also_run_disabled_tests";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    const std::wstring folder = Wide(Root());
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                               nullptr, folder.c_str(), &startup, &info));
    os::win32::UniqueHandle process(info.hProcess), thread(info.hThread);
    struct Ender {
        HANDLE h;
        ~Ender() {
            TerminateProcess(h, 0);
            WaitForSingleObject(h, 10000);
        }
    } ender{process.Get()};
    ASSERT_EQ(WaitForSingleObject(process.Get(), 1000), WAIT_TIMEOUT);

    std::string newName = "renamed.exe";
    EXPECT_TRUE(fso.RenFile(program, newName, false));
    EXPECT_EQ(newName, Root() + "\\renamed.exe");
    EXPECT_FALSE(fso.KillFile(newName));
    EXPECT_TRUE(Exists(newName));
    EXPECT_FALSE(fso.Move_File(Root() + "\\absent.exe", newName, true));
    TerminateProcess(process.Get(), 0);
    ASSERT_EQ(WaitForSingleObject(process.Get(), 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(fso.KillFile(newName));
    EXPECT_FALSE(Exists(newName));
}

TEST_F(FsoOnWindows, ThousandsOfFilesAreListedOnceEach) {
    for (int folder = 0; folder < 3; ++folder) {
        const std::string dir = Root() + "\\many" + std::to_string(folder);
        MakeFolder(dir);
        for (int i = 0; i < 1000; ++i) {
            Make(dir + "\\file" + std::to_string(i) + (i % 2 ? ".log" : ".txt"));
        }
    }
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> all = Split(fso.Get_FileList(Root(), true), ";");
    EXPECT_EQ(all.size(), 3001u);  // and the empty piece after the last ";"
    EXPECT_EQ(Split(fso.Get_FileList(Root(), true, "*.LOG"), ";").size(), 1501u);
    EXPECT_EQ(fso.Count(), 1500);
    std::vector<std::string> found;
    FindFiles(machine.ctx(), Root(), "*.txt;file1*.*", found, true);
    // Every .txt file, and the .log files among file1, file10-19 and file100-199 of each folder;
    // the .txt files among those are found twice and logged.
    EXPECT_EQ(found.size(), 1500u + 3 * 56);
    EXPECT_EQ(Split(fso.Get_DirList(Root(), true), ";").size(), 3u);
    EXPECT_EQ(fso.GetDirSize(Root()), 3000u);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_TRUE(fso.DelTree32(Root() + "\\many0"));
}

TEST_F(FsoOnWindows, AFailedReplaceLeavesTheHeldTargetWhole) {
    Make(Root() + "\\new.txt", "new");
    Make(Root() + "\\old.txt", "old");
    const auto held = HoldOpen(Root() + "\\old.txt");
    ASSERT_TRUE(held.Valid());
    EXPECT_FALSE(fso.Move_File(Root() + "\\new.txt", Root() + "\\old.txt", true));
    EXPECT_FALSE(fso.Copy_File(Root() + "\\new.txt", Root() + "\\old.txt", true));
    EXPECT_EQ(Read(Root() + "\\new.txt"), "new");
    std::vector<os::DirEntry> entries;
    machine.ctx().os.files.List(Root() + "\\*", entries);
    EXPECT_EQ(entries.size(), 4u);  // ".", "..", new.txt and old.txt: no staged copy is left
}

TEST_F(FsoOnWindows, ShellOperationsDeleteAndMoveEvenWhereSeveralItemsMoveAsNone) {
    MakeFolder(Root() + "\\from");
    Make(Root() + "\\from\\a.log");
    Make(Root() + "\\from\\b.log");
    Make(Root() + "\\from\\keep.txt");
    EXPECT_TRUE(
        ShellMove(machine.ctx(), Root() + "\\from\\*.log", Root() + "\\to\\logs", true, false));
    EXPECT_TRUE(Exists(Root() + "\\to\\logs\\a.log"));
    EXPECT_TRUE(Exists(Root() + "\\to\\logs\\b.log"));
    EXPECT_TRUE(Exists(Root() + "\\from\\keep.txt"));
    EXPECT_TRUE(APIDelete(machine.ctx(), Root() + "\\to", true));
    EXPECT_FALSE(Exists(Root() + "\\to"));
    EXPECT_FALSE(APIDelete(machine.ctx(), "C:\\", true));
    EXPECT_TRUE(Exists("C:\\windows"));
}

TEST_F(FsoOnWindows, TemporaryFilesFoldersAndTheProbeFile) {
    std::string folder = Root();
    const std::string file = fso.Create_Tmp_Filename(folder);
    EXPECT_EQ(file.rfind(Root() + "\\", 0), 0u) << file;
    EXPECT_TRUE(Exists(file));
    folder.clear();
    const std::string inTemp = fso.Create_Tmp_Filename(folder);
    EXPECT_TRUE(Exists(inTemp));
    EXPECT_EQ(inTemp.rfind(folder, 0), 0u);
    EXPECT_TRUE(DeleteFileA(inTemp.c_str()));
    const std::string made = fso.Create_Tmp_Folder();
    EXPECT_TRUE(fso.Folder_Exist(made));
    EXPECT_TRUE(RemoveDirectoryA(made.c_str()));
    EXPECT_FALSE(fso.IsThisRestricted(Root()));
    EXPECT_FALSE(Exists(Root() + "\\_Test.$$$"));
    EXPECT_TRUE(fso.IsThisRestricted(Root() + "\\absent"));
}

TEST_F(FsoOnWindows, DrivesVersionsAndDetails) {
    FsoDriveType type = FsoDriveType::kUnknown;
    EXPECT_TRUE(fso.Drive_Exist("C:", type));
    EXPECT_EQ(type, FsoDriveType::kFixed);
    EXPECT_FALSE(fso.Drive_Exist("Q:", type));
    const std::vector<std::string> drives = fso.Available_Drives();
    EXPECT_NE(std::find(drives.begin(), drives.end(), "C:\\"), drives.end());
    uint64_t free = 0, total = 0;
    EXPECT_TRUE(fso.Get_Disk_Space("C:", free, total));
    EXPECT_GT(total, free);
    // K: is this build's program folder; Kestrel.exe carries a version resource.
    if (fso.File_Exist("K:\\Kestrel.exe")) {
        EXPECT_EQ(fso.Get_Version("K:\\Kestrel.exe"), "1.0.0.0");
        EXPECT_EQ(fso.Get_VB_Version("K:\\Kestrel.exe"), "1.0.0");
    }
    Make(Root() + "\\info.txt", "12345", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_TRUE(fso.IsFileHidden(Root() + "\\info.txt"));
    EXPECT_EQ(fso.Details().size, 5u);
    EXPECT_FALSE(fso.Details().type.empty());
    EXPECT_GT(fso.GetFileCreationDate(Root() + "\\info.txt"), 0);
    EXPECT_FALSE(fso.Get_FileInfo(Root()));
    std::vector<std::string> lines;
    Make(Root() + "\\list.txt", "one\r\ntwo\r\n");
    EXPECT_TRUE(fso.FileToArray(Root() + "\\list.txt", lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
}

}  // namespace
}  // namespace kestrel::testing
