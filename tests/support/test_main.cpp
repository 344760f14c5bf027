// The main of every test program. Under Wine the Win32 tests delete and change real files and
// registry keys, so they run only inside the build's sandboxed prefix (the runner sets
// KESTREL_SANDBOXED_PREFIX after checking it).
//
// Process tests start this same program as their child: "--kestrel-child=<steps>" runs the
// steps and exits before any test code runs. That mode only sleeps, starts further copies of
// itself and exits, so it needs no sandbox.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/child_mode.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kestrel::testing::kChildSwitch,
                         std::strlen(kestrel::testing::kChildSwitch)) == 0) {
            return kestrel::testing::RunChild(argv[i] +
                                              std::strlen(kestrel::testing::kChildSwitch));
        }
    }
    ::testing::InitGoogleTest(&argc, argv);
#ifdef _WIN32
    const char* sandboxed = std::getenv("KESTREL_SANDBOXED_PREFIX");
    if (sandboxed == nullptr || sandboxed[0] != '1') {
        std::fprintf(stderr,
                     "Refusing to run: not started by the build's Wine runner, so the prefix may "
                     "reach the host's files. Run through ctest or tools/test.\n");
        return 2;
    }
#endif
    return RUN_ALL_TESTS();
}
