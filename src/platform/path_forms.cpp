#include "platform/path_forms.h"

#include <vector>

#include "base/strings.h"
#include "core/context.h"

namespace kestrel {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string_view WithoutLiteralPrefix(std::string_view path) {
    return StartsWith(path, "\\\\?\\") ? path.substr(4) : path;
}

}  // namespace

bool IsAbsolutePath(std::string_view path) {
    if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':') {
        return path.size() == 2 || IsSeparator(path[2]);
    }
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
}

bool IsDriveOrShareRoot(std::string_view path) {
    if (StartsWith(path, "\\\\?\\UNC\\")) {
        return IsDriveOrShareRoot("\\\\" + std::string(path.substr(8)));
    }
    path = WithoutLiteralPrefix(path);
    if (path.size() >= 2 && IsLetter(path[0]) && path[1] == ':') {
        return path.size() == 2 || (path.size() == 3 && IsSeparator(path[2]));
    }
    if (path.size() < 3 || path.substr(0, 2) != "\\\\") {
        return false;
    }
    std::string_view rest = path.substr(2);
    if (!rest.empty() && IsSeparator(rest.back())) {
        rest.remove_suffix(1);
    }
    const size_t cut = rest.find_first_of("\\/");
    return cut != std::string_view::npos && cut > 0 && cut + 1 < rest.size() &&
           rest.find_first_of("\\/", cut + 1) == std::string_view::npos;
}

bool HasWildcard(std::string_view path) {
    return WithoutLiteralPrefix(path).find_first_of("*?") != std::string_view::npos;
}

bool HasTrailingDotOrBlankName(std::string_view path) {
    for (const std::string& name : Split(ReplaceAll(WithoutLiteralPrefix(path), "/", "\\"), "\\")) {
        if (!name.empty() && name != "." && name != ".." &&
            (name.back() == '.' || name.back() == ' ')) {
            return true;
        }
    }
    return false;
}

std::string LiteralPath(std::string_view path, bool dropTrailingDotsAndBlanks) {
    if (StartsWith(path, "\\\\?\\")) {
        return std::string(path);
    }
    if (!IsAbsolutePath(path)) {
        return {};
    }
    std::string text = ReplaceAll(path, "/", "\\");
    std::string root;
    std::string rest;
    if (text[1] == ':') {
        root = "\\\\?\\" + UCase(text.substr(0, 2));
        rest = text.size() > 3 ? text.substr(3) : "";
    } else {
        std::vector<std::string> parts = Split(text.substr(2), "\\");
        if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) {
            return {};
        }
        root = "\\\\?\\UNC\\" + parts[0] + "\\" + parts[1];
        parts.erase(parts.begin(), parts.begin() + 2);
        rest = Join(parts, "\\");
    }
    std::vector<std::string> names;
    for (std::string name : Split(rest, "\\")) {
        if (dropTrailingDotsAndBlanks && name != "." && name != "..") {
            while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
                name.pop_back();
            }
        }
        if (name.empty() || name == ".") {
            continue;
        }
        if (name == "..") {
            if (!names.empty()) {
                names.pop_back();
            }
            continue;
        }
        names.push_back(name);
    }
    std::string literal = root;
    for (const std::string& name : names) {
        literal += "\\" + name;
    }
    return names.empty() ? literal + "\\" : literal;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string joined(folder);
    if (joined.empty() || !IsSeparator(joined.back())) {
        joined += '\\';
    }
    return joined + std::string(name);
}

std::string ChildAccessPath(const std::string& folderAccess, const std::string& name) {
    if (!StartsWith(folderAccess, "\\\\?\\") && !name.empty() &&
        (name.back() == '.' || name.back() == ' ')) {
        const std::string literal = LiteralPath(folderAccess, true);
        if (!literal.empty()) {
            return JoinPath(literal, name);
        }
    }
    return JoinPath(folderAccess, name);
}

std::string ExactPath(Context& ctx, const std::string& path) {
    if (!HasTrailingDotOrBlankName(path)) {
        return path;
    }
    const std::string literal = LiteralPath(path);
    if (literal.empty() || ctx.os.files.Attributes(literal) == os::kInvalidAttributes) {
        return path;
    }
    return literal;
}

}  // namespace kestrel
