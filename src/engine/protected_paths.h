#pragma once
// The paths that the leftover cleanup never deletes: the folders that Windows, the installed
// programs, every profile and this program need, and every folder that holds one of them. A
// definition list is edited by hand, so a path is judged by what the file functions would
// reach, not by how it is spelt.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

class Context;

// A local path as the file functions reach it: the drive ("c:") and the names below it, in
// lower case. "/" reads as "\", a "\\?\" (or "\\.\", "\??\") prefix is dropped, empty names and
// "." are skipped, ".." goes up (never above the root), and the dots and blanks that Windows
// drops from the end of a name are dropped.
struct NormalPath {
    std::string drive;
    std::vector<std::string> names;
};

// Nothing for a path that is not "X:" or "X:\...": relative ("dir", "\dir", "C:dir"), UNC, or
// naming a stream ("C:\dir:stream").
std::optional<NormalPath> NormalizeLocalPath(std::string_view path);

// outer equals inner or is a folder above it (whole names compared).
bool Holds(const NormalPath& outer, const NormalPath& inner);

class ProtectedPaths {
public:
    // The protected folders of the machine as the context sees it now: the drive roots of the
    // system and of the program, the Windows folder with System32 and SysWOW64, the
    // program-files folders and their Common Files, ProgramData, the profiles folder, every
    // profile of ctx.userList with the Public and Default ones, their shell folders and the
    // start menus of every profile and of all users in both layouts, and the program's folder.
    static ProtectedPaths Collect(Context& ctx);

    // A value that is not a local path (an unset variable) adds nothing.
    void Add(std::string_view path);

    // Why the path must not be deleted; "" when it may be. A wildcard is allowed in the last
    // name only, and only below a folder that is neither protected nor holds a protected one;
    // a path through a link is refused, since where it leads is not what it spells.
    std::string Refusal(Context& ctx, const std::string& path) const;

private:
    bool HoldsProtected(const NormalPath& path) const;

    std::vector<NormalPath> m_paths;
};

}  // namespace kestrel
