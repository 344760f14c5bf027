#pragma once
// File times and numbers as the user reads and writes them.

#include <cstdint>
#include <string>

#include "os/clock.h"

namespace kestrel {

class Context;

// A file time (FILETIME ticks, UTC) in the system's general date format of local time; "" for
// a time that Windows cannot convert.
std::string FormatFileTime(Context& ctx, int64_t ticks);

// A date typed by the user: "yyyy-mm-dd" or "m/d/yyyy", blanks around it ignored. False for
// anything else, and for days that do not exist.
bool ParseDateText(const std::string& text, os::LocalTime& date);

// A number with "," between thousands ("#,0").
std::string FormatThousands(uint64_t number);

}  // namespace kestrel
