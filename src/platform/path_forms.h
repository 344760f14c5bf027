#pragma once
// Kinds and forms of path texts, decided from the text alone.

#include <string>
#include <string_view>

namespace kestrel {

class Context;

// A drive path ("C:\...", or "C:" alone, the drive's root) or a UNC or "\\?\" path. "C:dir" and
// "dir\file" are relative.
bool IsAbsolutePath(std::string_view path);
// "C:", "C:\", "\\server\share" or "\\server\share\".
bool IsDriveOrShareRoot(std::string_view path);
// A "*" or "?" anywhere in the path.
bool HasWildcard(std::string_view path);
// Some name of the path ends in a dot or a blank ("." and ".." aside): Windows drops those
// characters from ordinary paths, so the path would name another file.
bool HasTrailingDotOrBlankName(std::string_view path);

// The "\\?\" form of an absolute path that names what it spells: "/" turned into "\", doubled
// separators, "." and ".." resolved, and every name kept as written, or with the trailing dots
// and blanks dropped as the ordinary file functions drop them. "" for a relative path.
std::string LiteralPath(std::string_view path, bool dropTrailingDotsAndBlanks = false);

// folder & "\" & name, without a second "\" after a folder that ends in one ("C:\").
std::string JoinPath(std::string_view folder, std::string_view name);

// The path by which the file functions reach the entry called name in the folder reached by
// folderAccess: literal once a name in it ends in a dot or a blank.
std::string ChildAccessPath(const std::string& folderAccess, const std::string& name);

// The path to hand to the file functions so that they reach the object the caller named: the
// literal form when a name of the path ends in a dot or a blank and that very object exists,
// otherwise the path as given.
std::string ExactPath(Context& ctx, const std::string& path);

}  // namespace kestrel
