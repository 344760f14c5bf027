#include "base/number.h"

#include <charconv>

namespace kestrel {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view WithoutBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace

ParsedInteger ParseInteger(std::string_view text, const IntegerRules& rules) {
    if (rules.allowBlanks) {
        text = WithoutBlanks(text);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (!rules.allowSign) {
            return {};
        }
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    if (digits == 0 || (digits != text.size() && !rules.leadingOnly)) {
        return {};
    }
    // Digits are added as a negative number, which reaches INT64_MIN as well.
    int64_t value = 0;
    bool overflow = false;
    for (size_t i = 0; i < digits; ++i) {
        const int digit = text[i] - '0';
        if (value < (INT64_MIN + digit) / 10) {
            overflow = true;
            break;
        }
        value = value * 10 - digit;
    }
    if (!overflow && !negative) {
        if (value == INT64_MIN) {
            overflow = true;
        } else {
            value = -value;
        }
    }
    if (overflow || value < rules.min || value > rules.max) {
        return {NumberStatus::kOutOfRange, 0};
    }
    return {NumberStatus::kOk, value};
}

std::optional<int64_t> IntegerOrNothing(std::string_view text, const IntegerRules& rules) {
    const ParsedInteger parsed = ParseInteger(text, rules);
    if (parsed.status != NumberStatus::kOk) {
        return std::nullopt;
    }
    return parsed.value;
}

std::optional<double> ParseDecimal(std::string_view text) {
    text = WithoutBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double number = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

}  // namespace kestrel
