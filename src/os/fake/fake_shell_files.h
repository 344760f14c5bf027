#pragma once
// The shell's file operations over a FakeFileSystem, as Windows performs them: deletions take
// read-only files too, a move into a missing folder makes it, and every call is recorded.

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "os/fake/fake_file_system.h"
#include "os/shell_files.h"

namespace kestrel::os::fake {

class FakeShellFiles : public ShellFiles {
public:
    explicit FakeShellFiles(FakeFileSystem& files) : m_files(files) {}

    struct Call {
        ShellOp op;
        std::vector<std::string> from;
        std::string to;
        uint16_t flags;
    };
    std::vector<Call> calls;
    std::vector<std::string> recycled;  // what went to the recycle bin
    int recycleIconUpdates = 0;
    std::vector<std::string> propertiesShown;
    // Wine refuses a move of several items as a whole (0x4C7) and moves nothing.
    bool multiMoveFails = false;
    // Answers given instead of doing anything, one per call, before the real work resumes.
    std::deque<int> scriptedFailures;
    // Type names by lower-case extension (".txt"); others are "<EXT> File".
    std::map<std::string, std::string> typeNames{{".txt", "Text Document"},
                                                 {".exe", "Application"}};

    int FileOperation(ShellOp op, const std::vector<std::string>& from, const std::string& to,
                      uint16_t flags, bool* aborted) override;
    void UpdateRecycleBinIcon() override { ++recycleIconUpdates; }
    bool ShowProperties(const std::string& path) override;
    std::string TypeName(const std::string& path) override;

private:
    // The paths one item of from names: itself, or the matches of its wildcard name.
    bool Expand(const std::string& item, std::vector<std::string>& paths);
    uint32_t DeleteTree(const std::string& path);
    int MoveOne(const std::string& source, const std::string& dest, uint16_t flags);

    FakeFileSystem& m_files;
};

}  // namespace kestrel::os::fake
