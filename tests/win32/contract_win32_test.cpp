#include "contract/file_system_contract.h"
#include "win32/win32_world.h"

namespace kestrel::testing {

INSTANTIATE_TEST_SUITE_P(Win32, FileSystemContract,
                         ::testing::Values(WorldMaker{"Win32", MakeWin32FileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Win32, ProfileStringsContract,
                         ::testing::Values(WorldMaker{"Win32", MakeWin32FileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Win32, ShellFilesContract,
                         ::testing::Values(WorldMaker{"Win32", MakeWin32FileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Win32, VolumesContract,
                         ::testing::Values(WorldMaker{"Win32", MakeWin32FileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Win32, SystemInfoContract,
                         ::testing::Values(WorldMaker{"Win32", MakeWin32FileWorld}), WorldName);

}  // namespace kestrel::testing
