// The HTTP port's contract against the fake (the same suite runs against WinHTTP under Wine,
// in the ctest entry wine.http).
#include "contract/http_world.h"

namespace kestrel::testing {

INSTANTIATE_TEST_SUITE_P(Fake, HttpContract,
                         ::testing::Values(Maker<HttpWorld>{"Fake", MakeFakeHttpWorld}),
                         MakerName<HttpWorld>);

}  // namespace kestrel::testing
