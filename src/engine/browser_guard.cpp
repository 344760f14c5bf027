#include "engine/browser_guard.h"

#include <array>
#include <optional>

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "core/fs_redirection.h"
#include "core/settings.h"
#include "engine/process_termination.h"
#include "os/errors.h"
#include "os/owned.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

using Browsers = std::array<const char*, 7>;

constexpr Browsers kSwitchOrder = {"iexplore.exe", "firefox.exe", "chrome.exe", "chromium.exe",
                                   "dragon.exe",   "safari.exe",  "opera.exe"};
constexpr Browsers kCloseOrder = {"iexplore.exe", "firefox.exe", "chrome.exe", "chromium.exe",
                                  "dragon.exe",   "opera.exe",   "safari.exe"};

constexpr const char* kDebuggerValue = "Debugger";
using os::error::kMoreData;
// A debugger's command line is short; anything larger is not copied.
constexpr uint32_t kLargestDebugger = 64 * 1024;

std::string BrowserKey(const std::string& browser) {
    return std::string(kImageFileExecutionOptions) + "\\" + browser;
}

// A key that cannot be listed still counts as there: it may hold settings of its own.
bool KeyExists(Context& ctx, const std::string& keyPath) {
    std::string list;
    return fEnumKey(ctx, "HKLM", keyPath, list) != os::error::kFileNotFound;
}

// The text of a value; nothing when it cannot be read.
std::optional<std::string> ReadText(Context& ctx, const std::string& keyPath,
                                    const std::string& valueName) {
    std::string text;
    if (fReadValue(ctx, "HKLM", keyPath, valueName, "S", std::string(), text) != 0) {
        return std::nullopt;
    }
    return text;
}

bool HasMarker(Context& ctx, const std::string& keyPath) {
    return ReadText(ctx, keyPath, kGuardMarkerValue).has_value();
}

bool HoldsGuardDebugger(Context& ctx, const std::string& keyPath) {
    std::optional<std::string> debugger = ReadText(ctx, keyPath, kDebuggerValue);
    return debugger && EqualsNoCase(*debugger, kGuardDebugger);
}

// Copies a value with its type and bytes (a REG_EXPAND_SZ debugger stays one), in the view
// the guard writes in. 0 on success.
uint32_t CopyValue(Context& ctx, const std::string& keyPath, const std::string& from,
                   const std::string& to) {
    os::Registry& reg = ctx.os.registry;
    const os::RegView view = Is64BitWindows(ctx.os.env) ? os::RegView::k64 : os::RegView::kDefault;
    os::OwnedKey key(reg);
    uint32_t rc =
        reg.OpenKey(os::kHkeyLocalMachine, keyPath,
                    os::regaccess::kQueryValue | os::regaccess::kSetValue, view, key.Out());
    if (rc != 0) {
        return rc;
    }
    uint32_t type = 0;
    std::string none;
    uint32_t size = 0;
    rc = reg.QueryValue(key.Get(), from, &type, &none, size);
    std::string data;
    if (rc == kMoreData && size <= kLargestDebugger) {
        rc = reg.QueryValue(key.Get(), from, &type, &data, size);
    }
    if (rc == 0) {
        rc = reg.SetValue(key.Get(), to, type, data);
    }
    return rc;
}

void DeleteValue(Context& ctx, const std::string& keyPath, const std::string& valueName) {
    bool notFound = false;
    (void)fDeleteValue(ctx, "HKLM", keyPath, valueName, notFound);
}

void SwitchOn(Context& ctx, const std::string& browser) {
    const std::string keyPath = BrowserKey(browser);
    if (!KeyExists(ctx, keyPath)) {
        // The marker goes in first: a key made by Kestrel is known as such from its creation.
        (void)fWriteValue(ctx, "HKLM", keyPath, kGuardMarkerValue, "S", "1");
    } else if (!HasMarker(ctx, keyPath) && !HoldsGuardDebugger(ctx, keyPath) &&
               ReadText(ctx, keyPath, kDebuggerValue) &&
               !ReadText(ctx, keyPath, kSavedDebuggerValue)) {
        if (CopyValue(ctx, keyPath, kDebuggerValue, kSavedDebuggerValue) != 0) {
            // Without a safe copy the browser's own debugger is not overwritten.
            ctx.debug.Print("SetBrowserGuard: left alone, its Debugger could not be kept: " +
                            keyPath);
            return;
        }
    }
    (void)fWriteValue(ctx, "HKLM", keyPath, kDebuggerValue, "S", kGuardDebugger);
}

void SwitchOff(Context& ctx, const std::string& browser) {
    const std::string keyPath = BrowserKey(browser);
    if (!KeyExists(ctx, keyPath)) {
        return;
    }
    if (HasMarker(ctx, keyPath)) {
        bool notFound = false;
        (void)fDeleteKey(ctx, "HKLM", kImageFileExecutionOptions, browser, notFound);
        return;
    }
    const bool saved = ReadText(ctx, keyPath, kSavedDebuggerValue).has_value();
    if (HoldsGuardDebugger(ctx, keyPath)) {
        if (!saved) {
            DeleteValue(ctx, keyPath, kDebuggerValue);
            return;
        }
        if (CopyValue(ctx, keyPath, kSavedDebuggerValue, kDebuggerValue) != 0) {
            return;  // the kept copy stays for the next attempt
        }
    }
    // A "Debugger" that someone else set meanwhile stays; the kept copy is no longer needed.
    if (saved) {
        DeleteValue(ctx, keyPath, kSavedDebuggerValue);
    }
}

// Runs step for each browser in turn; a failure with one does not stop the next.
template <class F>
void ForEachBrowser(Context& ctx, const char* procedure, const Browsers& order, F&& step) {
    const std::string head = std::string("CommonModule\\") + procedure + " VB ERROR: ";
    for (const char* browser : order) {
        try {
            step(std::string(browser));
        } catch (const std::exception& e) {
            ctx.debug.Error(head, ExceptionError(e), {"\t- Browser=" + std::string(browser)});
        } catch (...) {
            ctx.debug.Error(head, UnknownExceptionError(), {"\t- Browser=" + std::string(browser)});
        }
    }
}

bool AnotherKestrelRuns(Context& ctx) {
    std::vector<os::ProcessEntry> entries;
    if (ctx.os.processes.List(entries) != 0) {
        return false;
    }
    const uint32_t self = ctx.os.processes.CurrentId();
    const std::string ownName = StripPath(ProgramFilePath(ctx));
    for (const os::ProcessEntry& e : entries) {
        if (e.pid != self &&
            (EqualsNoCase(e.exeFile, ownName) || EqualsNoCase(e.exeFile, "Kestrel.exe"))) {
            return true;
        }
    }
    return false;
}

}  // namespace

void SetBrowserGuard(Context& ctx) {
    ForEachBrowser(ctx, "SetBrowserGuard", kSwitchOrder,
                   [&](const std::string& browser) { SwitchOn(ctx, browser); });
}

void CloseBrowsers(Context& ctx, bool wait) {
    RunningProcesses running(ctx);
    ForEachBrowser(ctx, "CloseBrowsers", kCloseOrder, [&](const std::string& browser) {
        if (running.IsRunning(browser, false)) {
            TerminateProcessByName(ctx, browser, wait);
        }
    });
}

void RemoveBrowserGuard(Context& ctx) {
    ForEachBrowser(ctx, "RemoveBrowserGuard", kSwitchOrder,
                   [&](const std::string& browser) { SwitchOff(ctx, browser); });
}

bool RemoveAbandonedBrowserGuard(Context& ctx) {
    try {
        bool left = false;
        for (const char* browser : kSwitchOrder) {
            const std::string keyPath = BrowserKey(browser);
            left = left || HasMarker(ctx, keyPath) || HoldsGuardDebugger(ctx, keyPath);
        }
        if (!left) {
            return false;
        }
        if (AnotherKestrelRuns(ctx)) {
            ctx.debug.Print(
                "RemoveBrowserGuard: a browser guard is on while another Kestrel "
                "runs; it is left to that run.");
            return false;
        }
        ctx.debug.Print(
            "RemoveBrowserGuard: switching off a browser guard left on by an "
            "earlier run.");
        RemoveBrowserGuard(ctx);
        return true;
    } catch (const std::exception& e) {
        ctx.debug.Error("CommonModule\\RemoveAbandonedBrowserGuard VB ERROR: ", ExceptionError(e));
        return false;
    } catch (...) {
        ctx.debug.Error("CommonModule\\RemoveAbandonedBrowserGuard VB ERROR: ",
                        UnknownExceptionError());
        return false;
    }
}

BrowserGuardScope::BrowserGuardScope(Context& ctx) : m_ctx(ctx) {
    SetBrowserGuard(ctx);
    CloseBrowsers(ctx, true);
}

BrowserGuardScope::~BrowserGuardScope() {
    RemoveBrowserGuard(m_ctx);
}

}  // namespace kestrel
