#pragma once
// Port: the date, the time and waiting.

#include <cstdint>
#include <string>

namespace kestrel::os {

// A local date and time, as SYSTEMTIME holds it.
struct LocalTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;

    // Now, in the system's short date format (GetDateFormatA, DATE_SHORTDATE).
    virtual std::string ShortDate() = 0;
    // Now, in the system's time format (GetTimeFormatA, default flags).
    virtual std::string TimeOfDay() = 0;
    // A millisecond counter that wraps (timeGetTime).
    virtual uint32_t Milliseconds() = 0;
    // Seconds since the epoch of the local clock, for date arithmetic.
    virtual int64_t UnixSeconds() = 0;
    virtual void Sleep(uint32_t milliseconds) = 0;

    // The local time of a file time (FILETIME ticks, UTC); false for a time Windows cannot
    // convert.
    [[nodiscard]] virtual bool ToLocalTime(int64_t fileTimeTicks, LocalTime& local) = 0;
    // A local time in the system's general date format: the short date, a blank, the time.
    virtual std::string FormatDateTime(const LocalTime& local) = 0;
};

}  // namespace kestrel::os
