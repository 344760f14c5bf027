#pragma once
// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back.

#include <cstdint>

namespace kestrel {

// a / b rounded towards minus infinity.
int64_t FloorDiv(int64_t a, int64_t b);

int64_t DaysFromCivil(int64_t year, int month, int day);
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day);

}  // namespace kestrel
