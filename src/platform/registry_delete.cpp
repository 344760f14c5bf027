#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "os/errors.h"
#include "os/owned.h"
#include "platform/file_tests.h"
#include "platform/key_permissions.h"
#include "platform/process_launch.h"
#include "platform/registry.h"
#include "platform/registry_detail.h"

namespace kestrel {
namespace {

using os::error::kFileNotFound;
using os::error::kInvalidHandle;
using os::error::kInvalidParameter;
using os::error::kWriteFault;
// Windows nests keys at most 512 levels deep.
constexpr int kDeepestKey = 512;
const VbError kBadArgument{5, "Invalid procedure call or argument"};

std::string TrimBackslashes(const std::string& text) {
    size_t first = text.find_first_not_of('\\');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of('\\') - first + 1);
}

void LogResult(Context& ctx, int32_t logged) {
    if (logged == 0) {
        ctx.debug.Print("\t- lResult: 0 SUCCESS");
    } else if (logged == kFileNotFound) {
        ctx.debug.Print("\t- lResult: 2 NOT FOUND");
    } else {
        ctx.debug.Print("\t- lResult (0=Success 2=Not Found): " + ToText(logged));
    }
}

// Texts that go into an outside program's command line inside double quotes must not hold
// one themselves: the rest would become further arguments.
bool Quotable(const std::string& text) {
    return text.find('"') == std::string::npos;
}

void RunAndWait(Context& ctx, const std::string& program, const std::string& parameters,
                bool asSystem) {
    uint32_t exitCode = 0;
    (void)ShellX(ctx, program, parameters, true, kWindowHidden, exitCode, asSystem, false,
                 kNoTimeout);
}

void DeleteSubkeysAt(Context& ctx, os::RegKey top, const std::string& keyPath,
                     const std::string& topKey, os::RegView view, int depth) {
    ctx.debug.Print("modRegistry\\fDeleteSubkeys passed: " + topKey + "\\" + keyPath);
    os::Registry& reg = ctx.os.registry;
    os::OwnedKey key(reg);
    if (reg.OpenKey(top, keyPath, os::regaccess::kAllAccess, view, key.Out()) != 0) {
        ctx.debug.Print("modRegistry\\fDeleteSubkeys: Error opening key: " + keyPath);
        return;
    }
    // All names first: deleting while enumerating would shift the indexes.
    std::vector<std::string> names;
    std::string name;
    for (uint32_t index = 0; reg.EnumKey(key.Get(), index, name) == 0; ++index) {
        names.push_back(name);
    }
    for (const std::string& child : names) {
        const std::string childPath = JoinKeyPath(keyPath, child);
        GrantKeyFullAccess(ctx, topKey, childPath, view);
        if (depth < kDeepestKey) {
            DeleteSubkeysAt(ctx, top, childPath, topKey, view, depth + 1);
        }
        (void)reg.DeleteKey(key.Get(), child, view);
    }
}

// The last resort for a key the registry calls would not delete: reg.exe, then DelReg.exe
// when it is beside the program. True when the key is gone afterwards.
bool DeleteKeyWithPrograms(Context& ctx, os::RegKey top, const std::string& topKey,
                           const std::string& parent, const std::string& name, os::RegView view) {
    const std::string child = JoinKeyPath(parent, name);
    const std::string quoted = "\"" + topKey + "\\" + child + "\"";
    // The 32-bit view has to be named: reg.exe would otherwise delete the 64-bit key of the
    // same path.
    const std::string viewSwitch = view == os::RegView::k32 ? " /reg:32" : "";
    ctx.debug.Print(
        "modRegistry\\fDeleteKey:  Still not working, attempting deletion with reg.exe");
    ctx.debug.Print("\tcmd:  reg.exe delete " + quoted + " /f" + viewSwitch);
    if (!Quotable(child)) {
        ctx.debug.Print("modRegistry\\fDeleteKey:  Not run, the key holds a double quote.");
    } else {
        RunAndWait(ctx, "reg.exe", "DELETE " + quoted + " /f" + viewSwitch, false);
        const std::string delReg = AppPath(ctx) + "DelReg.exe";
        if (DoesFileExist(ctx, delReg)) {
            RunAndWait(ctx, delReg, "key=" + topKey + "," + parent + "," + name, true);
        }
    }
    std::string list;
    return EnumKeyInView(ctx, top, topKey, child, view, list) == kFileNotFound;
}

// "hkey_local_machine\\" and the like for the four keys whose values subinacl.exe repairs.
std::string LongLowerTopKey(const std::string& topKey) {
    const TopKeyName* t = FindTopKey(topKey);
    if (t == nullptr || t->key == os::kHkeyCurrentConfig || t->key == os::kHkeyDynData) {
        return {};
    }
    return LCase(t->longName) + "\\";
}

// Permission repair between the two attempts of a value deletion.
void RepairForValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                    const std::string& valueName, os::RegView view) {
    const std::string longForm = LongLowerTopKey(topKey);
    const std::string appPath = AppPath(ctx);
    if (longForm.empty()) {
        ctx.debug.Print("modRegistry\\fDeleteValue:  TopKeys supported: HKLM, HKCU, HKU, HKCR");
        ctx.debug.Print("\t- Passed: " + topKey);
        ctx.debug.Print("\tThere may be an error in code.");
    } else if (DoesFileExist(ctx, appPath + "subinacl.exe") && Quotable(keyPath)) {
        const std::string user =
            ctx.os.env.Variable("computername") + "\\" + ctx.os.env.Variable("username");
        // The program's path is quoted: unquoted, a blank in it would let Windows try the
        // pieces before the blank as programs.
        const std::string base =
            "\"" + appPath + "subinacl.exe\" /subkeyreg \"" + longForm + keyPath + "\"";
        for (const std::string& tail :
             {" /setowner=" + user, " /sgrant=" + user + "=F", " /grant=" + user + "=F"}) {
            std::string message;
            (void)ShellAndWaitForTermination(ctx, base + tail, kWindowHidden, message, kNoTimeout,
                                             false);
        }
    }
    GrantKeyFullAccess(ctx, topKey, keyPath, view);
    const std::string delReg = appPath + "DelReg.exe";
    if (DoesFileExist(ctx, delReg) && Quotable(keyPath + valueName)) {
        RunAndWait(ctx, delReg, "value=" + topKey + "," + keyPath + "," + valueName, true);
    }
}

// One fDeleteKey call: what it works on and what it has found so far. result is the answer
// (99 until something answers); logged the answer the closing debug lines show.
struct KeyDeletion {
    KeyDeletion(Context& c, const std::string& t, std::string p, std::string s)
        : ctx(c), topKey(t), parent(std::move(p)), sub(std::move(s)) {}
    Context& ctx;
    const std::string& topKey;
    std::string parent;  // the key path, once the view rule has been applied
    std::string sub;
    os::RegKey top = 0;
    os::RegView view = os::RegView::kDefault;
    int32_t result = 99;
    int32_t logged = 99;

    std::string Location() const { return topKey + "\\" + parent + "\\" + sub; }
    std::string Child() const { return JoinKeyPath(parent, sub); }
    void Failure(const VbError& error) const {
        ctx.debug.Error(
            "modRegistry\\fDeleteKey - VB ERROR: ", error,
            {"\t- Key: " + Location(), "\t- lResult (0=Success 2=Not Found): " + ToText(result)});
    }
};

// The refusals before anything is touched: an unknown top key, an empty name (the registry
// would delete the parent key itself) and an INI file (it has no keys, and the permission
// repair would act on an HKLM key of that path). False when the call ends here.
bool AcceptKeyDeletion(KeyDeletion& d) {
    d.top = fTopKey(d.ctx, d.topKey);
    if (d.top == 0) {
        d.Failure({});
        return false;
    }
    if (Trim(d.sub).empty()) {
        d.result = kInvalidParameter;
        d.Failure(kBadArgument);
        return false;
    }
    if (d.top == kIniFileTarget) {
        d.result = kInvalidHandle;
        d.Failure(kBadArgument);
        return false;
    }
    return true;
}

void ApplyViewRule(KeyDeletion& d) {
    const ViewedPath viewed = ApplyRegistryViewRule(d.ctx, d.parent);
    d.parent = viewed.keyPath;
    d.view = viewed.view;
}

// Opens the parent, grants full access to the key, empties it and deletes it: the registry's
// answer. Without its parent the key is not there, and there is nothing to grant.
uint32_t DeleteKeyThroughRegistry(KeyDeletion& d) {
    os::Registry& reg = d.ctx.os.registry;
    os::OwnedKey key(reg);
    uint32_t answer = reg.OpenKey(d.top, d.parent, os::regaccess::kCreateSubKey, d.view, key.Out());
    if (answer == 0) {
        GrantKeyFullAccess(d.ctx, d.topKey, d.Child(), d.view);
        fDeleteSubkeys(d.ctx, d.top, d.Child(), d.topKey, d.view);
        answer = reg.DeleteKey(key.Get(), d.sub, d.view);
    }
    return answer;
}

// One attempt with full access granted; the second first takes control of the key. True when
// the key is gone (or was never there).
bool DeleteKeyInRun(KeyDeletion& d, int run) {
    try {
        if (run == 2) {
            std::string owner;
            std::string grantee;
            TakeControlOfKey(d.ctx, d.topKey, d.Child(), owner, grantee);
        }
        const uint32_t answer = DeleteKeyThroughRegistry(d);
        d.logged = static_cast<int32_t>(answer);
        if (answer == 0 || answer == kFileNotFound) {
            d.result = 0;
            return true;
        }
        d.result = d.logged;
        d.ctx.debug.Print("modRegistry\\fDeleteKey - Error:  " + ToText(answer));
        d.ctx.debug.Print("\tKey:  " + d.Location());
        if (run == 1) {
            d.ctx.debug.Print("\t- Attempting second run using subinacl...");
        }
    } catch (const std::exception& e) {
        d.Failure(ExceptionError(e));
    }
    return false;
}

void DeleteKeyAsLastResort(KeyDeletion& d) {
    try {
        if (DeleteKeyWithPrograms(d.ctx, d.top, d.topKey, d.parent, d.sub, d.view)) {
            d.logged = kFileNotFound;
        }
    } catch (const std::exception& e) {
        d.Failure(ExceptionError(e));
    }
}

void LogKeyDeletion(const KeyDeletion& d) {
    d.ctx.debug.Print("modRegistry\\fDeleteKey: ");
    d.ctx.debug.Print("\t- Key: " + d.Location());
    LogResult(d.ctx, d.logged);
}

}  // namespace

void fDeleteSubkeys(Context& ctx, os::RegKey top, const std::string& keyPath,
                    const std::string& topKey, os::RegView view) {
    try {
        DeleteSubkeysAt(ctx, top, keyPath, topKey, view, 0);
    } catch (const std::exception& e) {
        ctx.debug.Error("modRegistry\\fDeleteSubkeys - VB ERROR: ", ExceptionError(e),
                        {"\t- Key: " + topKey + "\\" + keyPath});
    }
}

int32_t fDeleteKey(Context& ctx, const std::string& topKey, const std::string& keyPath,
                   const std::string& name, bool& notFound) {
    KeyDeletion d(ctx, topKey, TrimBackslashes(keyPath), TrimBackslashes(name));
    if (!AcceptKeyDeletion(d)) {
        return d.result;
    }
    ApplyViewRule(d);
    const bool deleted = DeleteKeyInRun(d, 1) || DeleteKeyInRun(d, 2);
    if (!deleted) {
        DeleteKeyAsLastResort(d);
    }
    if (d.logged == kFileNotFound) {
        notFound = true;
    }
    LogKeyDeletion(d);
    return d.result;
}

int32_t fDeleteValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                     const std::string& valueName, bool& notFound) {
    int32_t result = 99;
    std::string path = keyPath;
    auto failure = [&](const VbError& error) {
        ctx.debug.Error("modRegistry\\fDeleteValue - VB ERROR: ", error,
                        {"\t- Key: " + topKey + "\\" + path, "\t- Value: " + valueName,
                         "\t- lResult (0=Success 2=Not Found): " + ToText(result)});
    };
    int32_t logged = result;
    try {
        const os::RegKey top = fTopKey(ctx, topKey);
        if (top == 0) {
            failure({});
            return result;
        }
        if (top == kIniFileTarget) {
            // The entry stays, emptied. A failed write is a failure, not a success.
            bool written = ctx.os.ini.WriteString(path, valueName, std::string(), topKey);
            logged = written ? 1 : kWriteFault;
            result = written ? 0 : kWriteFault;
        } else {
            const ViewedPath viewed = ApplyRegistryViewRule(ctx, path);
            path = viewed.keyPath;
            os::Registry& reg = ctx.os.registry;
            for (int run = 1; run <= 2; ++run) {
                uint32_t answer = 0;
                {
                    os::OwnedKey key(reg);
                    answer =
                        reg.OpenKey(top, path, os::regaccess::kSetValue, viewed.view, key.Out());
                    if (answer == 0) {
                        answer = reg.DeleteValue(key.Get(), valueName);
                    }
                }
                logged = static_cast<int32_t>(answer);
                if (answer == 0 || answer == kFileNotFound) {
                    result = 0;
                    break;
                }
                if (run == 2) {
                    result = logged;
                    break;
                }
                RepairForValue(ctx, topKey, path, valueName, viewed.view);
            }
        }
    } catch (const std::exception& e) {
        failure(ExceptionError(e));
        return result;
    }
    if (logged == kFileNotFound) {
        notFound = true;
    }
    ctx.debug.Print("modRegistry\\fDeleteValue:");
    ctx.debug.Print("\t- Passed Key: " + topKey + "\\" + path);
    ctx.debug.Print("\t- Passed Value: " + valueName);
    LogResult(ctx, logged);
    return result;
}

}  // namespace kestrel
