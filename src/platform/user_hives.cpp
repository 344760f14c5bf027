#include "platform/user_hives.h"

#include "base/strings.h"
#include "core/context.h"
#include "platform/offline_hives.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

constexpr const char* kProfileList =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList";
constexpr std::string_view kGuestPrefix = "guest_";

// The names of a fEnumKey list (each followed by a NUL, the list closed by one more).
std::vector<std::string> ListedNames(const std::string& list) {
    std::vector<std::string> names;
    for (std::string& name : Split(list, std::string_view("\0", 1))) {
        if (!name.empty()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::string ProfileUser(Context& ctx, const std::string& sid) {
    std::string path;
    if (fReadValue(ctx, "HKLM", std::string(kProfileList) + "\\" + sid, "ProfileImagePath", "S",
                   std::string(), path) != 0 ||
        Trim(path).empty()) {
        return sid;
    }
    path = Trim(path);
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    const size_t slash = path.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? path : path.substr(slash + 1);
    return folder.empty() ? sid : folder;
}

}  // namespace

std::vector<UserHive> UserHives(Context& ctx, const std::vector<std::string>& mounted,
                                bool identify) {
    std::vector<UserHive> hives;
    for (const std::string& listed : mounted) {
        const std::string name = Trim(listed);
        if (name.empty() || !IsUserHive(name)) {
            continue;
        }
        const bool guest = LCase(name).rfind(kGuestPrefix, 0) == 0;
        hives.push_back({"HKLM", name + "\\", guest ? name.substr(kGuestPrefix.size()) : name,
                         false});
    }
    std::string list;
    if (fEnumKey(ctx, "HKU", "", list) != 0) {
        return hives;
    }
    const std::string me = identify ? ctx.os.env.Variable("username") : std::string();
    std::string mySid;
    if (me.empty() || ctx.os.security.LookupAccount(me, mySid) != 0) {
        mySid.clear();
    }
    for (const std::string& listed : ListedNames(list)) {
        const std::string sid = Trim(listed);
        if (sid.empty() || sid.find("_Classes") != std::string::npos) {
            continue;
        }
        UserHive hive{"HKU", sid + "\\", identify ? ProfileUser(ctx, sid) : std::string(), false};
        if (!identify) {
            hives.push_back(std::move(hive));
            continue;
        }
        // Without the account's SID, the profile's folder tells whose hive it is.
        hive.current = mySid.empty() ? !me.empty() && LCase(hive.user) == LCase(me)
                                     : LCase(sid) == LCase(mySid);
        hives.push_back(std::move(hive));
    }
    return hives;
}

}  // namespace kestrel
