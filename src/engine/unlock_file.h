#pragma once
// Releasing files that other processes hold open: their handles on a path, or on anything
// below a folder, are closed inside the owning processes, which are then ended.

#include <cstdint>
#include <string>

#include "os/system_handles.h"

namespace kestrel {

class Context;

// Closes every handle of another process on the path or below it (whole path components,
// ignoring case and the spelling of separators), and ends that process. The shell
// ("explorer.exe") loses its handles but keeps running; the program itself and the processes
// critical to Windows keep both. True unless closing one of the handles failed or a handle was
// spared; false as well when the handle list cannot be read, and for a path that is not below
// a drive root (nothing is touched then).
bool UnlockFile(Context& ctx, const std::string& path);
// The drive path ("C:\dir\file") of an own handle, from a "\Device\..." name through the drive
// map or from a "\??\C:\..." name; "" when it has none (a volume without a drive letter).
std::string GetHandleFilePath(Context& ctx, os::OwnHandle handle);
// The file type of an own handle, 0 when it cannot be learned within 100 ms.
uint32_t GetHandleFileType(Context& ctx, os::OwnHandle handle);
// Closes the handle inside the process, then ends the process, with the exceptions of
// UnlockFile (a spared process keeps its handle). True when the close worked.
bool CloseRemoteHandle(Context& ctx, uint32_t pid, uint64_t handleValue);
// The command line of another process (its image path where that cannot be read), at most
// 260 characters; "" when neither can be read.
std::string GetProcessCommandLine(Context& ctx, uint32_t pid);

}  // namespace kestrel
