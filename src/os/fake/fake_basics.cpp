#include "os/fake/fake_basics.h"

namespace kestrel::os::fake {

bool FakeDebugOutput::Saw(std::string_view text) const {
    for (const std::string& line : lines) {
        if (line.find(text) != std::string::npos) {
            return true;
        }
    }
    return false;
}

std::string FakeDebugOutput::All() const {
    std::string all;
    for (const std::string& line : lines) {
        all += line + "\n";
    }
    return all;
}

void FakeClock::Sleep(uint32_t ms) {
    sleeps.push_back(ms);
    milliseconds += ms;
    unixSeconds += ms / 1000;
}

bool FakeWow64::Disable(uintptr_t* saved) {
    if (!wow64Process) {
        return false;
    }
    ++disabled;
    currentlyOff = true;
    *saved = 0x1234;
    return true;
}

bool FakeWow64::Revert(uintptr_t saved) {
    if (!wow64Process || saved != 0x1234) {
        return false;
    }
    ++reverted;
    currentlyOff = false;
    return true;
}

}  // namespace kestrel::os::fake
