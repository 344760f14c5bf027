#pragma once
// The one header through which the program sees <windows.h>.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>

#include "os/win32/unique_resource.h"

namespace kestrel::os::win32 {

// Texts cross the boundary in the system code page.
std::wstring Wide(const std::string& text);
std::string Narrow(const std::wstring& text);

// The form of an absolute path that the wide file functions accept at any length: "\\?\"
// (or "\\?\UNC\") in front, "/" turned into "\". Short and relative paths stay as they are.
std::wstring LongForm(const std::string& path);

// Dispatches the messages waiting for this thread's windows (DoEvents); a WM_QUIT is left for
// the main loop, which ends the program.
void PumpWaitingMessages();

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    // Creating calls answer failure with either null or INVALID_HANDLE_VALUE.
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Handle h) { FindClose(h); }
};

// Buffers that the system allocates for the caller with LocalAlloc (SID texts, SIDs).
struct LocalMemoryTraits {
    using Handle = void*;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle p) { return p != nullptr; }
    static void Close(Handle p) { LocalFree(p); }
};

// One kernel handle; CloseHandle.
using UniqueHandle = UniqueResource<KernelHandleTraits>;
// One find handle; FindClose.
using UniqueFind = UniqueResource<FindHandleTraits>;
// One LocalAlloc buffer; LocalFree.
using UniqueLocal = UniqueResource<LocalMemoryTraits>;

}  // namespace kestrel::os::win32
