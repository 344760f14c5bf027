#pragma once
// The start procedure: settings, data-file paths, the old-list migration, the run log, then
// the command line or the window, then the self-update clean-up.

namespace kestrel {

class Context;
class ProgramActions;

// Runs the whole program once. Every step runs even when an earlier one failed.
int Main(Context& ctx, ProgramActions& actions);

// The first steps of Main (up to and including the run log), for callers that need a
// started context without running the command line.
void PrepareProgram(Context& ctx);

// Deletes the "<program>_old.exe" copy that a self-update leaves beside the program.
void RemoveOldProgramCopy(Context& ctx);

}  // namespace kestrel
