#pragma once
// Port: registry hive files mounted into the live registry and saved from it (RegLoadKeyA,
// RegUnLoadKeyA, RegSaveKeyA). The calls need SeRestorePrivilege (loading, unloading) and
// SeBackupPrivilege (saving) enabled on the program's token; results are Win32 error numbers:
// 0 success, 2 missing file or key, 5 hive in use, 32 file in use, 87 bad name, 183 the file
// to save to exists, 1009/1017 not a hive file, 1314 privilege not held.

#include <cstdint>
#include <string>

#include "os/registry.h"

namespace kestrel::os {

class Hives {
public:
    virtual ~Hives() = default;

    // Mounts the hive file as the subkey name of root (HKLM or HKU).
    [[nodiscard]] virtual uint32_t LoadKey(RegKey root, const std::string& name,
                                           const std::string& file) = 0;
    // Unmounts the subkey name of root. Windows writes the hive's changes back to its file.
    [[nodiscard]] virtual uint32_t UnLoadKey(RegKey root, const std::string& name) = 0;
    // Writes the open key and everything below it to a new hive file.
    [[nodiscard]] virtual uint32_t SaveKey(RegKey key, const std::string& file) = 0;
};

}  // namespace kestrel::os
