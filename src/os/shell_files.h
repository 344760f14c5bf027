#pragma once
// Port: the shell's file operations and file information.

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::os {

enum class ShellOp : uint32_t { kMove = 1, kCopy = 2, kDelete = 3, kRename = 4 };

// SHFileOperation's FOF_ flags.
namespace fof {
inline constexpr uint16_t kRenameOnCollision = 0x8;
inline constexpr uint16_t kNoConfirmation = 0x10;
inline constexpr uint16_t kAllowUndo = 0x40;
inline constexpr uint16_t kNoConfirmMkdir = 0x200;
inline constexpr uint16_t kNoErrorUi = 0x400;
inline constexpr uint16_t kNoCopySecurityAttribs = 0x800;
}  // namespace fof

// SHFileOperation's answer when the operation was cancelled or refused as a whole.
inline constexpr int kShellOpCancelled = 0x4C7;

class ShellFiles {
public:
    virtual ~ShellFiles() = default;

    // SHFileOperationA with every path of from (each may end in a wildcard name) and the target
    // to ("" for a deletion). The answer of SHFileOperation (0 success); *aborted receives
    // fAnyOperationsAborted.
    [[nodiscard]] virtual int FileOperation(ShellOp op, const std::vector<std::string>& from,
                                            const std::string& to, uint16_t flags,
                                            bool* aborted) = 0;
    // SHUpdateRecycleBinIcon.
    virtual void UpdateRecycleBinIcon() = 0;
    // ShellExecuteExA with the "properties" verb; true when the window was asked for.
    [[nodiscard]] virtual bool ShowProperties(const std::string& path) = 0;
    // SHGetFileInfoA(SHGFI_TYPENAME): the shell's type name of a file, by its extension.
    virtual std::string TypeName(const std::string& path) = 0;
};

}  // namespace kestrel::os
