#pragma once
// The browser pop-up guard. While an uninstaller runs, a "Debugger" value under each browser's
// Image File Execution Options key makes Windows start "IFEO_Silent_Dummy.exe", a program that
// exists nowhere, instead of the browser, so no uninstaller can open a web page; browsers that
// already run are closed first.
//
// The guard leaves the machine as it found it. A browser key that Kestrel creates carries a
// marker value and is deleted whole when the guard goes; in a key that existed before, only
// the "Debugger" value is taken back (and a debugger that was there before is put back), so
// the key's other settings stay. The markers live in the registry, so a later run (or
// "/fixbrowsers") knows which keys are Kestrel's even after a crash.

#include <string>

namespace kestrel {

class Context;

inline constexpr const char* kImageFileExecutionOptions =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options";
inline constexpr const char* kGuardDebugger = "IFEO_Silent_Dummy.exe";
// The marker value in a browser key that Kestrel created.
inline constexpr const char* kGuardMarkerValue = "KestrelBrowserGuard";
// Where a browser key's own "Debugger" value waits while the guard is on.
inline constexpr const char* kSavedDebuggerValue = "KestrelSavedDebugger";

// Switches the guard on for the seven browsers. Errors are ignored browser by browser.
void SetBrowserGuard(Context& ctx);
// Ends every browser that runs (for any user whose name can be read). wait: each ending
// command is waited for.
void CloseBrowsers(Context& ctx, bool wait);
// Switches the guard off: Kestrel's keys are deleted, Kestrel's "Debugger" values in other
// keys removed. Harmless when the guard is off. Errors are ignored browser by browser.
void RemoveBrowserGuard(Context& ctx);
// For the start of the program: a guard left on by a Kestrel that did not finish is switched
// off, unless another Kestrel process runs (whose guard it may be). True when it switched one
// off.
bool RemoveAbandonedBrowserGuard(Context& ctx);

// The guard around one uninstall: on, with the browsers closed, for the lifetime of the
// object; off again however the holder leaves.
class BrowserGuardScope {
public:
    explicit BrowserGuardScope(Context& ctx);
    ~BrowserGuardScope();
    BrowserGuardScope(const BrowserGuardScope&) = delete;
    BrowserGuardScope& operator=(const BrowserGuardScope&) = delete;

private:
    Context& m_ctx;
};

}  // namespace kestrel
