#include "os/fake/fake_basics.h"

#include <cstdio>

#include "base/civil_date.h"

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

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t kEpochDays1601 = 134774;

}  // namespace

int64_t FileTimeOf(int year, int month, int day, int hour, int minute, int second) {
    const int64_t days = DaysFromCivil(year, month, day) + kEpochDays1601;
    return ((days * 24 + hour) * 60 + minute) * 60 * kTicksPerSecond + second * kTicksPerSecond;
}

bool FakeClock::ToLocalTime(int64_t ticks, LocalTime& local) {
    if (ticks < 0) {
        return false;
    }
    const int64_t seconds = ticks / kTicksPerSecond + utcOffsetMinutes * 60;
    const int64_t days = seconds / 86400 - kEpochDays1601;
    const int64_t rest = seconds % 86400;
    int64_t year = 0;
    CivilFromDays(days, year, local.month, local.day);
    local.year = static_cast<int>(year);
    local.hour = static_cast<int>(rest / 3600);
    local.minute = static_cast<int>(rest / 60 % 60);
    local.second = static_cast<int>(rest % 60);
    return true;
}

std::string FakeClock::FormatDateTime(const LocalTime& t) {
    char buffer[64];
    const int hour12 = t.hour % 12 == 0 ? 12 : t.hour % 12;
    std::snprintf(buffer, sizeof(buffer), "%d/%d/%d %d:%02d:%02d %s", t.month, t.day, t.year,
                  hour12, t.minute, t.second, t.hour < 12 ? "AM" : "PM");
    return buffer;
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
