#pragma once
// Small fakes: the debugger channel, the clock and WOW64 redirection.

#include <string>
#include <vector>

#include "os/clock.h"
#include "os/debug_output.h"
#include "os/wow64.h"

namespace kestrel::os::fake {

class FakeDebugOutput : public DebugOutput {
public:
    std::vector<std::string> lines;
    void Write(std::string_view line) override { lines.emplace_back(line); }
    // True when some line contains the text.
    bool Saw(std::string_view text) const;
    std::string All() const;  // every line, each followed by "\n"
};

class FakeClock : public Clock {
public:
    std::string shortDate = "12/6/2026";
    std::string timeOfDay = "8:10:47 AM";
    uint32_t milliseconds = 1000;
    int64_t unixSeconds = 1796544647;
    std::vector<uint32_t> sleeps;
    int utcOffsetMinutes = 0;  // the local time zone

    std::string ShortDate() override { return shortDate; }
    std::string TimeOfDay() override { return timeOfDay; }
    uint32_t Milliseconds() override { return milliseconds; }
    int64_t UnixSeconds() override { return unixSeconds; }
    void Sleep(uint32_t ms) override;
    bool ToLocalTime(int64_t fileTimeTicks, LocalTime& local) override;
    // "M/D/YYYY h:mm:ss AM", as an English system writes it.
    std::string FormatDateTime(const LocalTime& local) override;
};

// The file time (UTC ticks) of a date and time given in UTC, for setting up tests.
int64_t FileTimeOf(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

class FakeWow64 : public Wow64Redirection {
public:
    bool wow64Process = true;  // behave as a 32-bit process on 64-bit Windows
    int disabled = 0;          // how often redirection was switched off
    int reverted = 0;
    bool currentlyOff = false;

    bool Disable(uintptr_t* saved) override;
    bool Revert(uintptr_t saved) override;
};

}  // namespace kestrel::os::fake
