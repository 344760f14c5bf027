#pragma once

namespace kestrel {

// Builds the program on the Win32 ports and runs it once; the process's exit code.
int RunKestrel();

}  // namespace kestrel
