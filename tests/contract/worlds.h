#pragma once
// A "world" is one implementation of the ports with a scratch folder to work in. The contract
// suites run the same cases in the fake world and, under Wine, in the real one.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "os/file_system.h"
#include "os/profile_strings.h"
#include "os/shell_files.h"
#include "os/system_info.h"
#include "os/volumes.h"

namespace kestrel::testing {

class FileWorld {
public:
    virtual ~FileWorld() = default;
    virtual os::FileSystem& Files() = 0;
    virtual os::ProfileStrings& Ini() = 0;
    virtual os::ShellFiles& Shell() = 0;
    virtual os::Volumes& Drives() = 0;
    virtual os::SystemInfo& System() = 0;
    // An existing, empty, absolute folder, without a trailing "\".
    virtual std::string Root() = 0;
    // Holds the file open without sharing until Unlock (another process's lock).
    virtual void Lock(const std::string& path) = 0;
    virtual void Unlock(const std::string& path) = 0;
    // Wine started by root opens read-only files for writing: the Unix permission bit that
    // carries the attribute does not stop root. Windows (and the fake) answer 5.
    virtual bool WritesIgnoreReadOnly() const { return false; }
    // Makes a junction at link that leads to the folder target. False where the platform cannot:
    // Wine 8 answers 50 (not supported) to FSCTL_SET_REPARSE_POINT.
    virtual bool MakeJunction(const std::string& link, const std::string& target) = 0;
    // Wine refuses a shell move of several items as a whole (0x4C7) and moves nothing; Windows
    // moves them.
    virtual bool ShellMoveOfSeveralItemsFails() const { return false; }
};

// A world to instantiate a suite with, and its name in the test names.
template <class World>
struct Maker {
    std::string name;
    std::function<std::unique_ptr<World>()> make;
};

// Test listings show the world's name, not the parameter's bytes.
template <class World>
void PrintTo(const Maker<World>& maker, std::ostream* os) {
    *os << maker.name;
}

template <class World>
std::string MakerName(const ::testing::TestParamInfo<Maker<World>>& info) {
    return info.param.name;
}

// Each case gets a fresh world, made before the fixture's own members and gone after them.
template <class World>
class WorldSuite : public ::testing::TestWithParam<Maker<World>> {
protected:
    World& W() { return *m_world; }

private:
    std::unique_ptr<World> m_world = this->GetParam().make();
};

using WorldMaker = Maker<FileWorld>;
inline constexpr auto WorldName = MakerName<FileWorld>;

std::unique_ptr<FileWorld> MakeFakeFileWorld();

}  // namespace kestrel::testing
