#include "contract/registry_world.h"
#include "win32/os_world.h"

namespace kestrel::testing {

INSTANTIATE_TEST_SUITE_P(Win32, RegistryContract,
                         ::testing::Values(Maker<RegistryWorld>{"Win32", MakeWin32RegistryWorld}),
                         MakerName<RegistryWorld>);
INSTANTIATE_TEST_SUITE_P(Win32, SecurityContract,
                         ::testing::Values(Maker<RegistryWorld>{"Win32", MakeWin32RegistryWorld}),
                         MakerName<RegistryWorld>);
INSTANTIATE_TEST_SUITE_P(Win32, ProcessContract,
                         ::testing::Values(Maker<ProcessWorld>{"Win32", MakeWin32ProcessWorld}),
                         MakerName<ProcessWorld>);

}  // namespace kestrel::testing
