#pragma once

#include <gtest/gtest.h>

#include "contract/worlds.h"

namespace kestrel::testing {

class WorldTest : public ::testing::TestWithParam<WorldMaker> {
protected:
    void SetUp() override { m_world = GetParam().make(); }
    void TearDown() override { m_world.reset(); }
    FileWorld& World() { return *m_world; }
    os::FileSystem& Files() { return m_world->Files(); }
    std::string Root() { return m_world->Root(); }

private:
    std::unique_ptr<FileWorld> m_world;
};

class FileSystemContract : public WorldTest {};
class ShellFilesContract : public WorldTest {};
class VolumesContract : public WorldTest {};
class SystemInfoContract : public WorldTest {};
class ProfileStringsContract : public WorldTest {};

}  // namespace kestrel::testing
