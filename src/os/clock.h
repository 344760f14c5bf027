#pragma once
// Port: the date, the time and waiting.

#include <cstdint>
#include <string>

namespace kestrel::os {

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
};

}  // namespace kestrel::os
