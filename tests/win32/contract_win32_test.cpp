// The contract suites, run against the real Windows ports (under Wine).
#include "contract/file_system_contract.h"
#include "contract/registry_world.h"
#include "win32/os_world.h"
#include "win32/win32_world.h"

namespace kestrel::testing {

const auto kFiles = ::testing::Values(WorldMaker{"Win32", MakeWin32FileWorld});
INSTANTIATE_TEST_SUITE_P(Win32, FileSystemContract, kFiles, WorldName);
INSTANTIATE_TEST_SUITE_P(Win32, ProfileStringsContract, kFiles, WorldName);
INSTANTIATE_TEST_SUITE_P(Win32, ShellFilesContract, kFiles, WorldName);
INSTANTIATE_TEST_SUITE_P(Win32, VolumesContract, kFiles, WorldName);
INSTANTIATE_TEST_SUITE_P(Win32, SystemInfoContract, kFiles, WorldName);

const auto kRegistry = ::testing::Values(Maker<RegistryWorld>{"Win32", MakeWin32RegistryWorld});
INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract, kRegistry, MakerName<RegistryWorld>);
INSTANTIATE_TEST_SUITE_P(Win32, SecurityContract, kRegistry, MakerName<RegistryWorld>);
INSTANTIATE_TEST_SUITE_P(Win32, ProcessContract,
                         ::testing::Values(Maker<ProcessWorld>{"Win32", MakeWin32ProcessWorld}),
                         MakerName<ProcessWorld>);

}  // namespace kestrel::testing
