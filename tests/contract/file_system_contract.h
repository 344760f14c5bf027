#pragma once

#include <gtest/gtest.h>

#include "contract/worlds.h"

namespace kestrel::testing {

class WorldTest : public WorldSuite<FileWorld> {
protected:
    FileWorld& World() { return W(); }
    std::string Root() { return W().Root(); }
    // The path of name in the scratch folder.
    std::string At(const std::string& name) { return Root() + "\\" + name; }
    // The bytes of a file that must be readable.
    std::string Read(const std::string& path) {
        std::string bytes;
        EXPECT_EQ(fs.ReadAll(path, bytes), 0u) << path;
        return bytes;
    }
    // Writes a file the case starts from.
    void Put(const std::string& path, const std::string& content = "x") {
        ASSERT_EQ(fs.Write(path, content, os::WriteMode::kTruncate), 0u) << path;
    }

    os::FileSystem& fs = W().Files();
};

class FileSystemContract : public WorldTest {};
class ShellFilesContract : public WorldTest {};
class VolumesContract : public WorldTest {};
class SystemInfoContract : public WorldTest {};
class ProfileStringsContract : public WorldTest {};

}  // namespace kestrel::testing
