#include "platform/offline_hives.h"

#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "os/errors.h"
#include "os/owned.h"
#include "platform/file_tests.h"
#include "platform/fso.h"
#include "platform/hive_support.h"
#include "platform/process_launch.h"
#include "platform/registry.h"
#include "platform/window_close.h"
#include "platform/windows_folders.h"

namespace kestrel {
namespace {

constexpr const char* kMarkerParent = "Software\\Ashgrove\\Tarn";
constexpr const char* kMarkerKey = "Software\\Ashgrove\\Tarn\\Loadreg";
constexpr const char* kRegistryEditor = "Registry Editor";
constexpr uint16_t kMinimizedFocus = 2;  // SW_SHOWMINIMIZED

constexpr const char* kUnloadQuestion =
    "Tarn has failed to unload all offline registry hives.\r\n\r\n"
    "Be absolutely certain to close all registry editing software now!\r\n\r\n"
    "Abort - Open Regedit to manually unload all hives with the \"guest_\" prefix\r\n"
    "Retry - Try, Try again...\r\n"
    "Ignore - Don't worry about it and proceed (this is ok in many situations.)";

const char* MountFailureText(uint32_t rc) {
    switch (rc) {
        case 5:
            return " - Open Handle on hive:";
        case 1314:
            return " - Permissions error while loading registry hive:";
        default:
            return " - Unknown error loading registry hive:";
    }
}

bool KeyIsThere(Context& ctx, const std::string& name) {
    std::string list;
    return fEnumKey(ctx, "HKLM", name, list) == 0;
}

// The profile's hive is not to be mounted: the signed-in user's own (already loaded) and the
// service and shared profiles, which have no user's settings.
bool SkipsProfile(Context& ctx, const std::string& folder, const std::string& name) {
    if (EqualsNoCase(folder, ctx.os.env.Variable("userprofile"))) {
        return true;
    }
    for (const char* skipped : {"LocalService", "NetworkService", "Public"}) {
        if (EqualsNoCase(name, skipped)) {
            return true;
        }
    }
    return false;
}

// The given name of a profile: its folder's path after the profiles folder and "\".
std::string ProfileName(const std::string& profiles, const std::string& folder) {
    if (!profiles.empty() && folder.size() > profiles.size() + 1 &&
        EqualsNoCase(folder.substr(0, profiles.size() + 1), profiles + "\\")) {
        return folder.substr(profiles.size() + 1);
    }
    return folder.substr(folder.rfind('\\') + 1);
}

// One attempt at every mounted "guest_" key; true when each is gone.
bool UnloadPass(Context& ctx) {
    bool ok = true;
    KillWindow(ctx, kRegistryEditor);
    for (const std::string& name : ListGuestKeys(ctx)) {
        uint32_t rc = ctx.os.hives.UnLoadKey(os::kHkeyLocalMachine, name);
        if (rc != 0) {
            KillWindow(ctx, kRegistryEditor);
            Delay(ctx, 1);
            rc = ctx.os.hives.UnLoadKey(os::kHkeyLocalMachine, name);
        }
        if (rc != 0 || KeyIsThere(ctx, name)) {
            ctx.debug.Print("Failed to unload guest registry hive:  " + name);
            ok = false;
        }
    }
    return ok;
}

// Deletes HKLM\<parent>\<name> when it holds neither subkeys nor values: the marker's
// parents, so that a cleanup leaves no trace of its own.
void DeleteIfEmpty(Context& ctx, const std::string& parent, const std::string& name) {
    const std::string path = parent + "\\" + name;
    const ViewedPath viewed = ApplyRegistryViewRule(ctx, path);
    os::Registry& reg = ctx.os.registry;
    os::OwnedKey key(reg);
    if (reg.OpenKey(os::kHkeyLocalMachine, viewed.keyPath, os::regaccess::kRead, viewed.view,
                    key.Out()) != 0) {
        return;
    }
    std::string first;
    uint32_t type = 0;
    if (reg.EnumKey(key.Get(), 0, first) != os::error::kNoMoreItems ||
        reg.EnumValue(key.Get(), 0, first, type) != os::error::kNoMoreItems) {
        return;
    }
    (void)key.Close();
    bool notFound = false;
    (void)fDeleteKey(ctx, "HKLM", parent, name, notFound);
}

void StartRegistryEditor(Context& ctx) {
    os::StartedProcess started;
    if (ctx.os.processes.Start("regedit.exe", kMinimizedFocus, false, started) == 0) {
        ctx.os.processes.Close(started.process);
    }
}

}  // namespace

void LoadHive(Context& ctx, const std::string& hiveFile, const std::string& givenName,
              bool backup) {
    constexpr const char* kHead = "LoadHive:  ";
    bool exists = false;
    ctx.debug.Step(kHead, [&] { exists = DoesFileExist(ctx, hiveFile); });
    if (!exists) {
        return;
    }
    if (backup) {
        ctx.debug.Step(kHead, [&] {
            (void)clsFSO(ctx).Copy_File(hiveFile, HiveBackupName(ctx, hiveFile), true);
        });
    }
    SetHivePrivileges(ctx, true);
    const std::string name = "guest_" + givenName;
    ctx.debug.Step(kHead, [&] {
        if (KeyIsThere(ctx, name)) {
            (void)ctx.os.hives.UnLoadKey(os::kHkeyLocalMachine, name);
        }
    });
    ctx.debug.Step(kHead, [&] {
        const uint32_t rc = ctx.os.hives.LoadKey(os::kHkeyLocalMachine, name, hiveFile);
        if (rc != 0) {
            ctx.debug.Print("modLoadReg\\LoadHive - " + std::to_string(rc) + MountFailureText(rc),
                            hiveFile);
        }
    });
    SetHivePrivileges(ctx, false);
}

void LoadReg(Context& ctx, const std::string& drive, bool backups) {
    constexpr const char* kHead = "LoadReg:  ";
    ctx.debug.Step(kHead, [&] {
        (void)fWriteValue(ctx, "HKLM", kMarkerKey, "LoadedFromDrive", "S", drive.c_str());
    });
    ctx.debug.Step(kHead, [&] { KillWindow(ctx, kRegistryEditor); });
    const bool guest = IsGuestOS(ctx, drive);
    std::string profiles, system;
    ctx.debug.Step(kHead, [&] {
        profiles = GetUserProf(ctx, false);
        system = GetSysDir(ctx, false);
        GetUserList(ctx, false);
    });
    for (const std::string& folder : std::vector<std::string>(ctx.userList)) {
        ctx.debug.Step(kHead, [&] {
            const std::string name = ProfileName(profiles, folder);
            if (guest || !SkipsProfile(ctx, folder, name)) {
                LoadHive(ctx, folder + "\\ntuser.dat", name, backups);
            }
        });
    }
    if (guest && !system.empty()) {
        for (const char* hive : {"System", "Software", "Default"}) {
            ctx.debug.Step(
                kHead, [&] { LoadHive(ctx, system + "\\config\\" + LCase(hive), hive, backups); });
        }
    }
    ctx.debug.Step(kHead, [&] { ctx.mountedHives = ListGuestKeys(ctx); });
    ctx.hivesLoaded = true;
}

bool UnLoadReg(Context& ctx, bool& ask) {
    constexpr const char* kHead = "UnLoadReg:  ";
    bool ok = false;
    SetHivePrivileges(ctx, true);
    for (bool again = true; again;) {
        again = false;
        ctx.debug.Step(kHead, [&] {
            ok = UnloadPass(ctx);
            bool notFound = false;
            (void)fDeleteKey(ctx, "HKLM", kMarkerParent, "Loadreg", notFound);
            DeleteIfEmpty(ctx, "Software\\Ashgrove", "Tarn");
            DeleteIfEmpty(ctx, "Software", "Ashgrove");
            if (ok || !ask || !AreGuestHivesLoaded(ctx)) {
                return;
            }
            const int answer = ctx.os.prompts.ShowMessage(
                kUnloadQuestion, kProgramTitle, os::mb::kAbortRetryIgnore | os::mb::kIconError);
            if (answer == os::mb::kIdRetry) {
                again = true;
            } else if (answer == os::mb::kIdAbort) {
                StartRegistryEditor(ctx);
            }
        });
    }
    SetHivePrivileges(ctx, false);
    ctx.debug.Step(kHead, [&] { ctx.mountedHives = ListGuestKeys(ctx); });
    ctx.hivesLoaded = false;
    return ok;
}

bool IsUserHive(const std::string& mountedName) {
    const std::string name = LCase(mountedName);
    for (const char* system :
         {"guest_system", "guest_localservice", "guest_networkservice", "guest_software"}) {
        if (name == system) {
            return false;
        }
    }
    return true;
}

bool AreGuestHivesLoaded(Context& ctx) {
    return !ListGuestKeys(ctx).empty();
}

MountedHiveSet::MountedHiveSet(Context& ctx, const std::string& drive, bool backups) : m_ctx(ctx) {
    LoadReg(ctx, drive, backups);
}

MountedHiveSet::~MountedHiveSet() {
    if (!m_released) {
        bool ask = false;
        (void)UnLoadReg(m_ctx, ask);
    }
}

bool MountedHiveSet::Release(bool& ask) {
    if (m_released) {
        return true;
    }
    m_released = true;
    return UnLoadReg(m_ctx, ask);
}

}  // namespace kestrel
