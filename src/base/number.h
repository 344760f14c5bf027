#pragma once
// The one reader of decimal numbers in texts that come from outside: settings, registry data,
// list files and version texts. Nothing here throws or reads past the text.

#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrel {

enum class NumberStatus {
    kOk,
    kNotANumber,  // empty, blanks only, or anything but the number (after the leading part)
    kOutOfRange,  // a whole number outside the range asked for
};

struct ParsedInteger {
    NumberStatus status = NumberStatus::kNotANumber;
    int64_t value = 0;
};

struct IntegerRules {
    int64_t min = INT32_MIN;
    int64_t max = INT32_MAX;
    bool allowSign = true;    // a leading "+" or "-"
    bool allowBlanks = true;  // blanks around the number
    // Only the digits the text starts with count, as VB's Val reads them ("12abc" is 12); the
    // rest is ignored instead of making the text "not a number".
    bool leadingOnly = false;
};

// A whole decimal number.
ParsedInteger ParseInteger(std::string_view text, const IntegerRules& rules = {});

// The number, or nothing when the text is not one whole (blanks allowed around it).
std::optional<int64_t> IntegerOrNothing(std::string_view text, const IntegerRules& rules = {});

// A decimal number with an optional fraction or exponent ("1", "1.0", "+1", " 1e0 "); nothing
// for anything else.
std::optional<double> ParseDecimal(std::string_view text);

}  // namespace kestrel
