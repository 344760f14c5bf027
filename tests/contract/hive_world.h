#pragma once
// A world for the hives port: the fakes, or (under Wine) the real calls, with a scratch folder
// for hive files, a fresh key to save from and a fresh name to mount under HKLM. The Wine world
// unloads and removes that name when it goes: a hive still mounted when wineserver exits would
// stay in the prefix for good.

#include <cstdint>
#include <memory>
#include <string>

#include "contract/worlds.h"
#include "os/file_system.h"
#include "os/hives.h"
#include "os/registry.h"
#include "os/security.h"

namespace kestrel::testing {

class HiveWorld {
public:
    virtual ~HiveWorld() = default;
    virtual os::Registry& Registry() = 0;
    virtual os::Security& Security() = 0;
    virtual os::Hives& Hives() = 0;
    virtual os::FileSystem& Files() = 0;
    // An existing, empty folder without a trailing "\".
    virtual std::string Folder() = 0;
    // A key path below HKCU that does not exist yet.
    virtual std::string UserKey() = 0;
    // A subkey name of HKLM that does not exist yet.
    virtual std::string MountName() = 0;

    // Wine's RegSaveKey replaces an existing file; Windows and the fake answer 183.
    virtual bool SaveReplacesFiles() const { return false; }
    // What loading a file that is no hive answers: Windows and the fake 1009, Wine 1017.
    virtual uint32_t NotAHiveError() const { return 1009; }
    // What loading onto a name that is taken answers: Windows and the fake 5, Wine 183.
    virtual uint32_t TakenNameError() const { return 5; }
    // Wine's RegUnLoadKey deletes an ordinary key's tree and answers 0; Windows and the fake
    // refuse it with 87.
    virtual bool UnloadsOrdinaryKeys() const { return false; }
    // Wine leaves an empty key behind when the file it loads is no hive; Windows and the fake
    // leave nothing.
    virtual bool KeepsKeyOfABadHive() const { return false; }
};

class HivesContract : public WorldSuite<HiveWorld> {
protected:
    // Every case starts with both hive privileges held.
    void SetUp() override { SetPrivileges(true); }
    void SetPrivileges(bool enable);
    // What opening HKLM\name for reading answers: 0 while it is there.
    uint32_t OpenError();

    os::Registry& r = W().Registry();
    os::Hives& hives = W().Hives();
    const std::string name = W().MountName();
};

std::unique_ptr<HiveWorld> MakeFakeHiveWorld();

}  // namespace kestrel::testing
