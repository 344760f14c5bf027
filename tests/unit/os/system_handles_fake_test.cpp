// The system handle port's contract against the fake (the same suite runs against Win32 under
// Wine).
#include "contract/system_handles_world.h"

namespace kestrel::testing {

INSTANTIATE_TEST_SUITE_P(Fake, SystemHandlesContract,
                         ::testing::Values(Maker<SystemHandlesWorld>{"Fake",
                                                                     MakeFakeSystemHandlesWorld}),
                         MakerName<SystemHandlesWorld>);

}  // namespace kestrel::testing
