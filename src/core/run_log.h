#pragma once
// The run log: one text kept in memory for the whole run.

#include <string>

namespace kestrel {

class Context;

inline constexpr const char* kLogFileName = "Kestrel_Log.txt";

// The date and time, "  -  Started on ", the computer's name, CR LF and nine hyphens.
void StartRunLog(Context& ctx);
// Appends CR LF and the line.
void AddToLog(Context& ctx, const std::string& line);

// The system's general date format of now: the short date, a blank, the time.
std::string GeneralDateTime(Context& ctx);

}  // namespace kestrel
