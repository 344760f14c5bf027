#pragma once
// Releasing files that other processes hold open: their handles on a path, or on anything
// below a folder, are closed inside the owning processes, which are then ended.

#include <cstdint>
#include <string>

#include "os/system_handles.h"

namespace kestrel {

class Context;

// Closes every handle of another process on the path or below it, and ends that process
// (never the shell, the program itself or a process critical to Windows). True unless closing
// one of the handles failed.
bool UnlockFile(Context& ctx, const std::string& path);
// The drive path ("C:\dir\file") of an own handle; "" when it has none.
std::string GetHandleFilePath(Context& ctx, os::OwnHandle handle);
// The file type of an own handle, 0 when it cannot be learned within 100 ms.
uint32_t GetHandleFileType(Context& ctx, os::OwnHandle handle);
// Closes the handle inside the process, then ends the process (see UnlockFile). True when
// the close worked.
bool CloseRemoteHandle(Context& ctx, uint32_t pid, uint64_t handleValue);
// The command line of another process (its image path where that cannot be read).
std::string GetProcessCommandLine(Context& ctx, uint32_t pid);

}  // namespace kestrel
