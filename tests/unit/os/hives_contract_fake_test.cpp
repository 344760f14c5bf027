// The hives port's contract against the fakes (the same cases run against Win32 under Wine).
#include "contract/hive_world.h"

namespace kestrel::testing {

INSTANTIATE_TEST_SUITE_P(Fake, HivesContract,
                         ::testing::Values(Maker<HiveWorld>{"Fake", MakeFakeHiveWorld}),
                         MakerName<HiveWorld>);

}  // namespace kestrel::testing
