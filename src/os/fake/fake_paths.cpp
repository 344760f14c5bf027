// Path rules of the fake file system: normalising a path as Windows does, following links and
// matching wildcard patterns.
#include <algorithm>
#include <cctype>

#include "base/strings.h"
#include "os/fake/fake_file_system.h"

namespace kestrel::os::fake {
namespace {

// Windows' limit for the "\\?\" forms; a longer path is refused with 206.
constexpr size_t kMaxPathLength = 32767;
// Windows gives up following links after this many (ERROR_CANT_RESOLVE_FILENAME).
constexpr int kMaxLinkDepth = 31;

bool ValidName(const std::string& name, bool literal) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        if (c == '<' || c == '>' || c == ':' || c == '"' || c == '|' || c == '?' || c == '*' ||
            (literal && c == '/') || (static_cast<unsigned char>(c) < 32)) {
            return false;
        }
    }
    return true;
}

size_t RootLength(const std::string& key) {
    if (key.size() >= 2 && key[1] == ':') {
        return 2;
    }
    size_t server = key.find('\\', 2);
    size_t share = server == std::string::npos ? server : key.find('\\', server + 1);
    return share == std::string::npos ? key.size() : share;
}

// The path without its "\\?\" (or "\\?\UNC\") prefix; other paths with "/" turned into "\".
std::string WithoutLongPrefix(const std::string& raw, bool literal) {
    std::string path = literal ? raw : ReplaceAll(raw, "/", "\\");
    if (StartsWith(path, "\\\\?\\UNC\\")) {
        return "\\\\" + path.substr(8);
    }
    return literal ? path.substr(4) : path;
}

// A drive root ("C:", upper-cased) or a share ("\\server\share") and the rest after it.
// False for a path that is neither absolute form.
bool SplitRoot(const std::string& path, std::string& root, std::string& rest) {
    if (path.size() >= 2 && path[1] == ':') {
        if (!std::isalpha(static_cast<unsigned char>(path[0]))) {
            return false;
        }
        if (path.size() > 2 && path[2] != '\\') {
            return false;  // "C:dir" is relative to the drive's current folder
        }
        root =
            std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) +
            ":";
        rest = path.size() > 3 ? path.substr(3) : "";
        return true;
    }
    if (!StartsWith(path, "\\\\")) {
        return false;
    }
    std::vector<std::string> parts = Split(path.substr(2), "\\");
    if (parts.size() < 2 || parts[0].empty() || parts[1].empty()) {
        return false;
    }
    root = "\\\\" + parts[0] + "\\" + parts[1];
    parts.erase(parts.begin(), parts.begin() + 2);
    rest = Join(parts, "\\");
    return true;
}

// The names of the path below its root, with "." and ".." worked out and, unless literal,
// trailing dots and blanks dropped as Windows drops them. Nothing for an invalid name.
std::optional<std::vector<std::string>> NormalNames(const std::string& rest, bool literal) {
    std::vector<std::string> out;
    for (const std::string& part : Split(rest, "\\")) {
        if (part.empty() || (!literal && part == ".")) {
            continue;
        }
        if (part == "." || part == "..") {
            if (literal) {
                return std::nullopt;
            }
            if (!out.empty()) {
                out.pop_back();
            }
            continue;
        }
        std::string name = part;
        if (!literal) {
            while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
                name.pop_back();
            }
        }
        if (!ValidName(name, literal)) {
            return std::nullopt;
        }
        out.push_back(name);
    }
    return out;
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) {
    std::string p = LCase(pattern == "*.*" ? std::string("*") : pattern);
    std::string n = LCase(name);
    // A trailing ".*" also matches names without an extension, as Windows does.
    if (p.size() >= 2 && p.compare(p.size() - 2, 2, ".*") == 0 &&
        n.find('.') == std::string::npos) {
        p.erase(p.size() - 2);
    }
    size_t pi = 0, ni = 0, star = std::string::npos, mark = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++pi;
            ++ni;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            mark = ni;
        } else if (star != std::string::npos) {
            pi = star + 1;
            ni = ++mark;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') {
        ++pi;
    }
    return pi == p.size();
}

std::optional<std::string> FakeFileSystem::Normalize(const std::string& raw, std::string* display) {
    // "\\?\" paths are taken as they stand: no "/" separators, no "." or "..", and names keep
    // their trailing dots and blanks.
    const bool literal = StartsWith(raw, "\\\\?\\");
    std::string root;
    std::string rest;
    if (!SplitRoot(WithoutLongPrefix(raw, literal), root, rest)) {
        return std::nullopt;
    }
    const std::optional<std::vector<std::string>> names = NormalNames(rest, literal);
    if (!names) {
        return std::nullopt;
    }
    std::string shown = root;
    for (const std::string& name : *names) {
        shown += "\\" + name;
    }
    if (shown.size() > kMaxPathLength) {
        return std::nullopt;
    }
    if (display != nullptr) {
        *display = shown;
    }
    return LCase(shown);
}

std::optional<std::string> FakeFileSystem::Resolve(const std::string& key, const std::string& shown,
                                                   std::string* display, bool followLast,
                                                   int depth) const {
    if (depth > kMaxLinkDepth) {
        return std::nullopt;
    }
    const size_t rootLength = RootLength(key);
    std::string resolvedKey = key.substr(0, rootLength);
    std::string resolvedShown = shown.substr(0, rootLength);
    if (key.size() > rootLength) {
        const std::vector<std::string> keyParts = Split(key.substr(rootLength + 1), "\\");
        const std::vector<std::string> shownParts = Split(shown.substr(rootLength + 1), "\\");
        for (size_t i = 0; i < keyParts.size(); ++i) {
            resolvedKey += "\\" + keyParts[i];
            resolvedShown += "\\" + shownParts[i];
            if (i + 1 == keyParts.size() && !followLast) {
                break;
            }
            auto it = m_nodes.find(resolvedKey);
            if (it == m_nodes.end() || it->second.linkTarget.empty()) {
                continue;
            }
            std::string targetShown;
            std::optional<std::string> target = Normalize(it->second.linkTarget, &targetShown);
            if (!target) {
                return std::nullopt;
            }
            target = Resolve(*target, targetShown, &resolvedShown, true, depth + 1);
            if (!target) {
                return std::nullopt;
            }
            resolvedKey = *target;
        }
    }
    if (display != nullptr) {
        *display = resolvedShown;
    }
    return resolvedKey;
}

std::optional<std::string> FakeFileSystem::Key(const std::string& path, std::string* display,
                                               bool followLast) const {
    std::string shown;
    std::optional<std::string> key = Normalize(path, &shown);
    if (!key) {
        return std::nullopt;
    }
    if (!m_hasLinks) {
        if (display != nullptr) {
            *display = shown;
        }
        return key;
    }
    return Resolve(*key, shown, display, followLast, 0);
}

bool FakeFileSystem::IsRoot(const std::string& key) const {
    if (key.size() == 2 && key[1] == ':') {
        return true;
    }
    return StartsWith(key, "\\\\") && std::count(key.begin() + 2, key.end(), '\\') == 1;
}

std::string FakeFileSystem::Parent(const std::string& key) const {
    if (IsRoot(key)) {
        return {};
    }
    return key.substr(0, key.rfind('\\'));
}

const FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path, bool followLast) const {
    std::optional<std::string> key = Key(path, nullptr, followLast);
    if (!key) {
        return nullptr;
    }
    auto it = m_nodes.find(*key);
    return it == m_nodes.end() ? nullptr : &it->second;
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path, bool followLast) {
    return const_cast<Node*>(static_cast<const FakeFileSystem*>(this)->Find(path, followLast));
}

}  // namespace kestrel::os::fake
