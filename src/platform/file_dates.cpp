#include "platform/file_dates.h"

#include <charconv>
#include <vector>

#include "base/number.h"
#include "base/strings.h"
#include "core/context.h"

namespace kestrel {
namespace {

bool Number(const std::string& text, int& value) {
    IntegerRules rules;
    rules.min = 0;
    rules.max = 9999;
    rules.allowSign = false;
    rules.allowBlanks = false;
    const std::optional<int64_t> n = IntegerOrNothing(text, rules);
    value = static_cast<int>(n.value_or(0));
    return n.has_value();
}

int DaysIn(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

}  // namespace

std::string FormatFileTime(Context& ctx, int64_t ticks) {
    os::LocalTime local;
    if (!ctx.os.clock.ToLocalTime(ticks, local)) {
        return {};
    }
    return ctx.os.clock.FormatDateTime(local);
}

bool ParseDateText(const std::string& text, os::LocalTime& date) {
    const std::string trimmed = Trim(text);
    std::vector<std::string> parts;
    int year = 0, month = 0, day = 0;
    if ((parts = Split(trimmed, "-")).size() == 3) {
        if (parts[0].size() != 4 || !Number(parts[0], year) || !Number(parts[1], month) ||
            !Number(parts[2], day)) {
            return false;
        }
    } else if ((parts = Split(trimmed, "/")).size() == 3) {
        if (parts[2].size() != 4 || !Number(parts[0], month) || !Number(parts[1], day) ||
            !Number(parts[2], year)) {
            return false;
        }
    } else {
        return false;
    }
    if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysIn(year, month)) {
        return false;
    }
    date = os::LocalTime{year, month, day, 0, 0, 0};
    return true;
}

std::string FormatThousands(uint64_t number) {
    const std::string digits = std::to_string(number);
    std::string grouped;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            grouped += ',';
        }
        grouped += digits[i];
    }
    return grouped;
}

}  // namespace kestrel
