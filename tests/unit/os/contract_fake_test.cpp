// The ports' contract suites against the fakes (the same suites run against Win32 under Wine).
#include "contract/file_system_contract.h"
#include "contract/registry_world.h"

namespace kestrel::testing {

INSTANTIATE_TEST_SUITE_P(Fake, FileSystemContract,
                         ::testing::Values(WorldMaker{"Fake", MakeFakeFileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Fake, ProfileStringsContract,
                         ::testing::Values(WorldMaker{"Fake", MakeFakeFileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Fake, ShellFilesContract,
                         ::testing::Values(WorldMaker{"Fake", MakeFakeFileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Fake, VolumesContract,
                         ::testing::Values(WorldMaker{"Fake", MakeFakeFileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Fake, SystemInfoContract,
                         ::testing::Values(WorldMaker{"Fake", MakeFakeFileWorld}), WorldName);
INSTANTIATE_TEST_SUITE_P(Fake, RegistryContract,
                         ::testing::Values(Maker<RegistryWorld>{"Fake", MakeFakeRegistryWorld}),
                         MakerName<RegistryWorld>);
INSTANTIATE_TEST_SUITE_P(Fake, SecurityContract,
                         ::testing::Values(Maker<RegistryWorld>{"Fake", MakeFakeRegistryWorld}),
                         MakerName<RegistryWorld>);
INSTANTIATE_TEST_SUITE_P(Fake, ProcessContract,
                         ::testing::Values(Maker<ProcessWorld>{"Fake", MakeFakeProcessWorld}),
                         MakerName<ProcessWorld>);

}  // namespace kestrel::testing
