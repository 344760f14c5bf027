#include "contract/file_system_contract.h"

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

}  // namespace kestrel::testing
