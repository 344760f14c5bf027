#include "contract/registry_world.h"

namespace kestrel::testing {

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
