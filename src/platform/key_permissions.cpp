#include "platform/key_permissions.h"

#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "os/owned.h"
#include "os/security.h"
#include "platform/file_tests.h"
#include "platform/process_launch.h"
#include "platform/registry.h"
#include "platform/registry_detail.h"

namespace kestrel {
namespace {

constexpr const char* kQuote = "\"";

// The keys whose access lists may be edited: those of the top-key table. Any other text is
// refused rather than taken as HKLM, which would change the list of a key nobody named.
os::RegKey AccessTopKey(const std::string& topKey) {
    const TopKeyName* t = FindTopKey(topKey);
    return t == nullptr ? 0 : t->key;
}

// "HKEY_LOCAL_MACHINE\" and the like, as subinacl.exe names keys; "" for other texts.
std::string LongTopKeyName(const std::string& topKey) {
    const TopKeyName* t = FindTopKey(topKey);
    return t == nullptr ? std::string() : std::string(t->longName) + "\\";
}

void RunAndWait(Context& ctx, const std::string& commandLine, uint16_t windowStyle) {
    std::string message;
    (void)ShellAndWaitForTermination(ctx, commandLine, windowStyle, message, kNoTimeout, false);
}

}  // namespace

uint32_t KeyRightsMask(const std::string& rights) {
    if (rights == "R" || rights == "Read") {
        return os::regaccess::kRead;
    }
    if (rights == "W" || rights == "Write") {
        return os::regaccess::kWrite;
    }
    if (rights == "X" || rights == "Execute") {
        return os::regaccess::kRead;  // KEY_EXECUTE has the same bits as KEY_READ
    }
    return os::regaccess::kAllAccess;
}

bool SetKeyAccess(Context& ctx, const std::string& topKey, const std::string& keyPath,
                  std::string& trustee, std::string& allowOrDeny, const std::string& rights) {
    ViewedPath viewed = ApplyRegistryViewRule(ctx, keyPath);
    return SetKeyAccess(ctx, topKey, viewed.keyPath, viewed.view, trustee, allowOrDeny, rights);
}

bool SetKeyAccess(Context& ctx, const std::string& topKey, const std::string& keyPath,
                  os::RegView view, std::string& trustee, std::string& allowOrDeny,
                  const std::string& rights) {
    try {
        if (trustee.empty()) {
            trustee = ctx.os.env.Variable("username");
        }
        if (allowOrDeny.empty()) {
            allowOrDeny = "Allow";
        }
        const bool deny = allowOrDeny == "Deny";
        const os::RegKey top = AccessTopKey(topKey);
        if (top == 0) {
            return false;
        }
        os::Registry& reg = ctx.os.registry;
        os::OwnedKey key(reg);
        if (reg.OpenKey(top, keyPath, os::regaccess::kReadControl | os::regaccess::kWriteDac, view,
                        key.Out()) != 0) {
            return false;
        }
        os::Dacl old;
        std::string sid;
        if (ctx.os.security.GetKeyDacl(key.Get(), old) != 0 ||
            ctx.os.security.LookupAccount(trustee, sid) != 0) {
            return false;
        }
        const os::Ace entry{deny ? os::ace::kDenied : os::ace::kAllowed,
                            os::ace::kContainerInherit,
                            KeyRightsMask(rights),
                            sid,
                            {}};
        os::Dacl updated;
        updated.control = old.control;
        if (deny) {
            updated.entries.push_back(entry);
        }
        for (const os::Ace& e : old.entries) {
            bool inherited = (e.flags & os::ace::kInherited) != 0;
            bool sameTrustee = e.raw.empty() && e.sid == sid;
            if (!inherited && !sameTrustee) {
                updated.entries.push_back(e);
            }
        }
        if (!deny) {
            updated.entries.push_back(entry);
        }
        for (const os::Ace& e : old.entries) {
            if ((e.flags & os::ace::kInherited) != 0) {
                updated.entries.push_back(e);
            }
        }
        return ctx.os.security.SetKeyDacl(key.Get(), updated) == 0;
    } catch (const std::exception& e) {
        ctx.debug.Error("SetPerm\\SetKeyAccess VB ERROR: ", ExceptionError(e),
                        {"\t- Key=" + topKey + "\\" + keyPath, "\t- Trustee=" + trustee});
        return false;
    }
}

void GrantKeyFullAccess(Context& ctx, const std::string& topKey, const std::string& keyPath) {
    ViewedPath viewed = ApplyRegistryViewRule(ctx, keyPath);
    GrantKeyFullAccess(ctx, topKey, viewed.keyPath, viewed.view);
}

void GrantKeyFullAccess(Context& ctx, const std::string& topKey, const std::string& keyPath,
                        os::RegView view) {
    for (const char* name : {"", "System", "Administrators", "Power Users", "Users"}) {
        std::string trustee = name;
        std::string kind = "Allow";
        (void)SetKeyAccess(ctx, topKey, keyPath, view, trustee, kind, "ALL");
    }
}

std::string FindSubinacl(Context& ctx, bool forFiles) {
    const std::string systemRoot = ctx.os.env.Variable("systemroot");
    const std::string appPath = AppPath(ctx);
    std::vector<std::string> candidates = {systemRoot + "\\subinacl.exe",
                                           systemRoot + "\\System32\\subinacl.exe",
                                           appPath + "subinacl.exe"};
    if (forFiles) {
        candidates.push_back(appPath + "..\\3rd Party Tools\\subinacl.exe");
    }
    std::string chosen;
    for (const std::string& candidate : candidates) {
        if (DoesFileExist(ctx, candidate)) {
            chosen = candidate;
        }
    }
    return chosen;
}

void TakeControlOfKey(Context& ctx, const std::string& topKey, const std::string& keyPath,
                      std::string& owner, std::string& grantee) {
    try {
        const std::string upper = UCase(topKey);
        const std::string longName = LongTopKeyName(topKey);
        if (longName.empty()) {
            return;
        }
        const std::string user = ctx.os.env.Variable("username");
        if (upper == "HKCU" && owner.empty()) {
            owner = user;
        }
        if (owner.empty()) {
            owner = "administrators";
        }
        if (grantee.empty()) {
            grantee = user.empty() ? "System" : user;
        }
        const std::string subinacl = FindSubinacl(ctx, false);
        if (subinacl.empty()) {
            return;
        }
        const std::string target = longName + keyPath;
        if (target.find('"') != std::string::npos) {
            // A quote inside would end the quoted key early and pass the rest as arguments.
            ctx.debug.Print("SetPerm\\TakeControlOfKey:  Not run, the key holds a double quote: " +
                            target);
            return;
        }
        const std::string tail = " /setowner=" + owner + " /grant=" + grantee + "=f";
        for (const char* scope : {" /keyreg ", " /subkeyreg "}) {
            RunAndWait(ctx, kQuote + subinacl + kQuote + scope + kQuote + target + kQuote + tail,
                       kWindowHidden);
        }
    } catch (const std::exception& e) {
        ctx.debug.Error("SetPerm\\TakeControlOfKey VB ERROR: ", ExceptionError(e),
                        {"\t- Key=" + topKey + "\\" + keyPath});
    }
}

void TakeControl(Context& ctx, const std::string& path, bool& subfolders, uint16_t windowStyle,
                 std::string& owner, std::string& grantee) {
    try {
        const std::string subinacl = FindSubinacl(ctx, true);
        if (subinacl.empty()) {
            return;
        }
        const std::string kind = ClassifyPath(ctx, path);
        if (kind == "file") {
            subfolders = false;
        } else if (kind != "dir") {
            return;
        }
        if (owner.empty()) {
            const std::string user = ctx.os.env.Variable("username");
            owner = user.empty() ? "System" : user;
            if (!user.empty() && EqualsNoCase(user, ctx.os.env.Variable("computername") + "$")) {
                owner = "System";
            }
        }
        if (grantee.empty()) {
            grantee = owner == "System" ? "Everyone" : owner;
        }
        std::string target = path;
        if (EndsWith(target, "\\")) {
            target.pop_back();
        }
        const std::string tail = " /setowner=" + owner + " /grant=" + grantee + "=F";
        const std::string program = kQuote + subinacl + kQuote;
        RunAndWait(ctx, program + " /file " + kQuote + target + kQuote + tail, windowStyle);
        if (subfolders) {
            RunAndWait(ctx,
                       program + " /subdirectories " + kQuote + target + "\\*.*" + kQuote + tail,
                       windowStyle);
        }
        ctx.debug.Print("TakeControl:  " + target);
    } catch (const std::exception& e) {
        ctx.debug.Error("SetPerm\\TakeControl VB ERROR: ", ExceptionError(e), {"\t- Path=" + path});
    }
}

}  // namespace kestrel
