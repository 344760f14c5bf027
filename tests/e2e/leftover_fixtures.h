#pragma once
// What the leftover suites set up on the machine and look for afterwards: leftover files and
// folders, registry entries of one vendor in a hive, and a second profile with its own hive
// file.

#include <string>
#include <vector>

#include "e2e/watched_run.h"
#include "os/win32/windows_api.h"

namespace kestrel::e2e {

inline const std::string kVendor = "Kestrel Leftover Vendor";
inline const std::string kGuestProfile = "C:\\users\\kestrel-guest";
inline const std::string kGuestHive = "guest_kestrel-guest";
inline const std::string kAllUsersPrograms =
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
inline const std::string kRoamingPrograms =
    "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";

std::string Env(const char* name);
// Throws what when not ok.
void Require(bool ok, const std::string& what);
void MakeFile(const std::string& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
// A leftover folder with a file and a subfolder in it.
void MakeLeftoverFolder(const std::string& path);
// A text value under HKLM or HKCU, in one registry view; with no name, the key alone.
void SetValue(HKEY root, const std::string& keyPath, const std::string& name,
              const std::string& data, REGSAM view = KEY_WOW64_64KEY);

// The registry leftovers of one place below its "Software" key, as "key" or "key|value"
// entries: those the lists name, and their neighbours that stay.
struct RegistryEntries {
    std::vector<std::string> removed, kept;
};
RegistryEntries RegistryLeftovers(const std::string& software);
std::vector<std::string> AllOf(const RegistryEntries& entries);
void SetEntries(HKEY root, const RegistryEntries& entries, REGSAM view = KEY_WOW64_64KEY);

// The second profile: its folder and its own hive file, written by RegSaveKey.
void MakeGuestProfile();
bool GuestHiveMounted();
// The debug lines of a deletion that worked: the key's, or the value's with its name, and
// then the result 0.
bool ReportsDeleted(const WatchedRun& run, const std::string& entry);

}  // namespace kestrel::e2e
