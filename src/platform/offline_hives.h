#pragma once
// Hives of other user profiles (and of another installation on the target drive), mounted
// below HKLM as "guest_" keys for the registry cleanup and unmounted after it (modLoadReg).

#include <string>

namespace kestrel {

class Context;

// Mounts the hives of the installation on the drive (the running system's, or another one)
// and records in ctx.mountedHives every "guest_" key of HKLM afterwards; sets ctx.hivesLoaded.
// Without backups (a look that writes nothing into the hives) no backup copies are made.
void LoadReg(Context& ctx, const std::string& drive, bool backups = true);
// Mounts one hive file as "guest_" + given name, after a dated backup of the file (backup).
void LoadHive(Context& ctx, const std::string& hiveFile, const std::string& givenName,
              bool backup = true);
// Unmounts every "guest_" key of HKLM and deletes the marker key. With ask set, a hive that
// stays mounted brings the Abort/Retry/Ignore question. True when every unmount worked.
[[nodiscard]] bool UnLoadReg(Context& ctx, bool& ask);
// A mounted name that is a user's hive (not guest_system, _localservice, _networkservice or
// _software, in any letter case).
bool IsUserHive(const std::string& mountedName);
// Some HKLM subkey begins with "guest_" (any letter case).
bool AreGuestHivesLoaded(Context& ctx);

// The file name a hive file is copied to before it is mounted: the file, ".", the local date
// and time ("yyyy-MM-dd-HH-mm") and ".Fenx_RegBackup". One backup per minute.
std::string HiveBackupName(Context& ctx, const std::string& hiveFile);

// The hives of a drive mounted for as long as the object lives: LoadReg when made, UnLoadReg
// when it goes, whatever happens in between (an early return, an exception). Gone without
// Release, it unmounts without asking the user.
class MountedHiveSet {
public:
    MountedHiveSet(Context& ctx, const std::string& drive, bool backups = true);
    ~MountedHiveSet();
    MountedHiveSet(const MountedHiveSet&) = delete;
    MountedHiveSet& operator=(const MountedHiveSet&) = delete;

    // Unmounts now, with the caller's ask flag: UnLoadReg's answer. Once released, the object
    // does nothing more.
    [[nodiscard]] bool Release(bool& ask);

private:
    Context& m_ctx;
    bool m_released = false;
};

}  // namespace kestrel
