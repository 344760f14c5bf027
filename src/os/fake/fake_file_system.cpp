#include "os/fake/fake_file_system.h"

#include <algorithm>
#include <cctype>

#include "base/strings.h"
#include "os/errors.h"

namespace kestrel::os::fake {
namespace {

// The "\\?\" form of a normalised display path.
std::string LiteralOf(const std::string& display) {
    return StartsWith(display, "\\\\") ? "\\\\?\\UNC\\" + display.substr(2) : "\\\\?\\" + display;
}

using os::error::kAccessDenied;
using os::error::kAlreadyExists;
using os::error::kDirNotEmpty;
using os::error::kFileExists;
using os::error::kFileNotFound;
using os::error::kInvalidName;
using os::error::kPathNotFound;
using os::error::kSharingViolation;

}  // namespace

FakeFileSystem::FakeFileSystem() = default;

uint32_t FakeFileSystem::ParentError(const std::string& key) const {
    std::string parent = Parent(key);
    if (parent.empty()) {
        return kPathNotFound;
    }
    auto it = m_nodes.find(parent);
    if (it == m_nodes.end() || !it->second.folder) {
        return kPathNotFound;
    }
    return 0;
}

void FakeFileSystem::AddDrive(const std::string& root) {
    std::string display;
    std::optional<std::string> key = Normalize(root, &display);
    if (key) {
        Node& node = m_nodes[*key];
        node.path = display;
        node.folder = true;
        node.attributes = attr::kDirectory;
    }
}

void FakeFileSystem::AddFolder(const std::string& path) {
    std::string display;
    std::optional<std::string> key = Key(path, &display);
    if (!key) {
        return;
    }
    std::vector<std::string> chain;
    for (std::string k = *key; !k.empty(); k = Parent(k)) {
        chain.push_back(k);
        if (IsRoot(k)) {
            break;
        }
    }
    std::reverse(chain.begin(), chain.end());
    for (const std::string& k : chain) {
        if (m_nodes.count(k) == 0) {
            Node node;
            node.path = display.substr(0, k.size());
            node.folder = true;
            node.attributes = attr::kDirectory;
            node.creationTime = node.lastWriteTime = Tick();
            m_nodes[k] = node;
        }
    }
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content,
                             uint32_t attributes) {
    Node node;
    node.attributes = attributes;
    node.content = content;
    Place(path, std::move(node));
}

void FakeFileSystem::Place(const std::string& path, Node node) {
    std::string display;
    std::optional<std::string> key = Key(path, &display);
    if (!key) {
        return;
    }
    AddFolder(LiteralOf(display.substr(0, display.rfind('\\'))));
    node.path = display;
    node.creationTime = node.lastWriteTime = Tick();
    m_nodes[*key] = std::move(node);
}

bool FakeFileSystem::Exists(const std::string& path) const {
    return Find(path) != nullptr;
}

bool FakeFileSystem::IsFolder(const std::string& path) const {
    const Node* node = Find(path);
    return node != nullptr && node->folder;
}

std::optional<std::string> FakeFileSystem::Content(const std::string& path) const {
    const Node* node = Find(path);
    if (node == nullptr || node->folder) {
        return std::nullopt;
    }
    return node->content;
}

void FakeFileSystem::SetLocked(const std::string& path, bool locked) {
    if (Node* node = Find(path)) {
        node->locked = locked;
    }
}

void FakeFileSystem::FailWrites(uint32_t error, size_t keepBytes) {
    m_failError = error;
    m_failKeep = keepBytes;
}

std::vector<std::string> FakeFileSystem::AllPaths() const {
    std::vector<std::string> paths;
    for (const auto& [key, node] : m_nodes) {
        paths.push_back(node.path);
    }
    return paths;
}

int32_t FakeFileSystem::OpenFileExist(const std::string& path) {
    const Node* node = Find(path, true);
    return node != nullptr && !node->folder ? 1 : -1;
}

bool FakeFileSystem::OpenForReading(const std::string& path) {
    const Node* node = Find(path, true);
    return node != nullptr && !node->folder;
}

uint32_t FakeFileSystem::Attributes(const std::string& path, uint32_t* error) {
    std::optional<std::string> key = Key(path, nullptr);
    uint32_t err = 0;
    if (!key) {
        err = kInvalidName;
    } else if (auto it = m_nodes.find(*key); it != m_nodes.end()) {
        return it->second.attributes;
    } else {
        err = ParentError(*key) != 0 ? kPathNotFound : kFileNotFound;
    }
    if (error != nullptr) {
        *error = err;
    }
    return kInvalidAttributes;
}

uint32_t FakeFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
    Node* node = Find(path);
    if (node == nullptr) {
        return kFileNotFound;
    }
    uint32_t keep = node->attributes & (attr::kDirectory | attr::kReparsePoint);
    uint32_t set = attributes & ~(attr::kDirectory | attr::kNormal);
    node->attributes = keep | set;
    if (node->attributes == 0) {
        node->attributes = attr::kNormal;
    }
    return 0;
}

uint32_t FakeFileSystem::CreateFolder(const std::string& path) {
    std::string display;
    std::optional<std::string> key = Key(path, &display);
    if (!key) {
        return kInvalidName;
    }
    if (m_nodes.count(*key) != 0) {
        return kAlreadyExists;
    }
    if (uint32_t err = ParentError(*key)) {
        return err;
    }
    Node node;
    node.path = display;
    node.folder = true;
    node.attributes = attr::kDirectory;
    node.creationTime = node.lastWriteTime = Tick();
    m_nodes[*key] = node;
    return 0;
}

uint32_t FakeFileSystem::CreateFolderTree(const std::string& path) {
    std::string display;
    std::optional<std::string> key = Key(path, &display);
    if (!key) {
        return kInvalidName;
    }
    if (auto it = m_nodes.find(*key); it != m_nodes.end()) {
        return it->second.folder ? kAlreadyExists : kFileExists;
    }
    std::vector<std::string> chain;
    for (std::string k = *key; !k.empty() && !IsRoot(k); k = Parent(k)) {
        chain.push_back(k);
    }
    std::string root = chain.empty() ? *key : Parent(chain.back());
    if (m_nodes.count(root) == 0) {
        return kPathNotFound;  // no such drive or share
    }
    std::reverse(chain.begin(), chain.end());
    for (const std::string& k : chain) {
        auto it = m_nodes.find(k);
        if (it != m_nodes.end()) {
            if (!it->second.folder) {
                return kPathNotFound;
            }
            continue;
        }
        if (uint32_t err = CreateFolder(display.substr(0, k.size()))) {
            return err;
        }
    }
    return 0;
}

bool FakeFileSystem::MakeSurePathExists(const std::string& path) {
    size_t cut = path.rfind('\\');
    if (cut == std::string::npos) {
        return false;
    }
    std::string folder = path.substr(0, cut);
    std::optional<std::string> key = Key(folder, nullptr);
    if (!key) {
        return false;
    }
    if (IsRoot(*key)) {
        return m_nodes.count(*key) != 0;
    }
    uint32_t err = CreateFolderTree(folder);
    return err == 0 || (err == kAlreadyExists);
}

uint32_t FakeFileSystem::ReadAll(const std::string& path, std::string& bytes) {
    std::optional<std::string> key = Key(path, nullptr, true);
    if (!key) {
        return kInvalidName;
    }
    auto it = m_nodes.find(*key);
    if (it == m_nodes.end()) {
        return ParentError(*key) != 0 ? kPathNotFound : kFileNotFound;
    }
    if (it->second.folder) {
        return kAccessDenied;
    }
    bytes = it->second.content;
    return 0;
}

uint32_t FakeFileSystem::Write(const std::string& path, const std::string& bytes, WriteMode mode) {
    std::string display;
    std::optional<std::string> key = Key(path, &display, true);
    if (!key) {
        return kInvalidName;
    }
    auto it = m_nodes.find(*key);
    if (it != m_nodes.end()) {
        Node& node = it->second;
        if (node.folder || (node.attributes & attr::kReadOnly) != 0) {
            return kAccessDenied;
        }
        if (node.locked) {
            return kSharingViolation;
        }
        if (mode == WriteMode::kCreateNew) {
            return kFileExists;
        }
    } else if (uint32_t err = ParentError(*key)) {
        return err;
    }
    ++writeCount;
    Node& node = m_nodes[*key];
    if (node.path.empty()) {
        node.path = display;
        node.attributes = attr::kArchive;
        node.creationTime = Tick();
    }
    if (mode != WriteMode::kAppend) {
        node.content.clear();
    }
    node.lastWriteTime = Tick();
    if (m_failError != 0) {
        node.content += bytes.substr(0, std::min(m_failKeep, bytes.size()));
        return m_failError;
    }
    node.content += bytes;
    return 0;
}

void FakeFileSystem::MoveTree(const std::string& from, const std::string& to,
                              const std::string& display) {
    std::vector<std::pair<std::string, Node>> moved;
    for (auto it = m_nodes.begin(); it != m_nodes.end();) {
        if (it->first == from || StartsWith(it->first, from + "\\")) {
            Node node = it->second;
            std::string suffix = it->first.substr(from.size());
            node.path = display + node.path.substr(from.size());
            moved.emplace_back(to + suffix, node);
            it = m_nodes.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [k, node] : moved) {
        m_nodes[k] = node;
    }
}

uint32_t FakeFileSystem::Replace(const std::string& source, const std::string& target) {
    std::string display;
    std::optional<std::string> from = Key(source, nullptr);
    std::optional<std::string> to = Key(target, &display);
    if (!from || !to) {
        return kInvalidName;
    }
    auto src = m_nodes.find(*from);
    if (src == m_nodes.end()) {
        return kFileNotFound;
    }
    if (src->second.locked) {
        return kSharingViolation;
    }
    if (auto dst = m_nodes.find(*to); dst != m_nodes.end()) {
        if (dst->second.folder || (dst->second.attributes & attr::kReadOnly) != 0) {
            return kAccessDenied;
        }
        if (dst->second.locked) {
            return kSharingViolation;
        }
        if (*from == *to) {
            return 0;
        }
        m_nodes.erase(dst);
    } else if (uint32_t err = ParentError(*to)) {
        return err;
    }
    MoveTree(*from, *to, display);
    return 0;
}

uint32_t FakeFileSystem::Move(const std::string& source, const std::string& target) {
    std::string display;
    std::optional<std::string> from = Key(source, nullptr);
    std::optional<std::string> to = Key(target, &display);
    if (!from || !to) {
        return kInvalidName;
    }
    auto src = m_nodes.find(*from);
    if (src == m_nodes.end()) {
        return ParentError(*from) != 0 ? kPathNotFound : kFileNotFound;
    }
    if (src->second.locked) {
        return kSharingViolation;
    }
    if (m_nodes.count(*to) != 0 && *from != *to) {
        return kAlreadyExists;
    }
    if (uint32_t err = ParentError(*to)) {
        return err;
    }
    if (StartsWith(*to, *from + "\\")) {
        return kAccessDenied;
    }
    MoveTree(*from, *to, display);
    return 0;
}

uint32_t FakeFileSystem::Existing(const std::string& path, std::string& key,
                                  std::map<std::string, Node>::iterator& it) {
    std::optional<std::string> k = Key(path, nullptr);
    if (!k) {
        return kInvalidName;
    }
    key = *k;
    it = m_nodes.find(key);
    if (it == m_nodes.end()) {
        return ParentError(key) != 0 ? kPathNotFound : kFileNotFound;
    }
    return 0;
}

uint32_t FakeFileSystem::Delete(const std::string& path) {
    std::string key;
    std::map<std::string, Node>::iterator it;
    if (uint32_t err = Existing(path, key, it)) {
        return err;
    }
    if (it->second.folder || (it->second.attributes & attr::kReadOnly) != 0) {
        return kAccessDenied;
    }
    if (it->second.locked) {
        return kSharingViolation;
    }
    m_nodes.erase(it);
    return 0;
}

uint32_t FakeFileSystem::RemoveFolder(const std::string& path) {
    std::string key;
    std::map<std::string, Node>::iterator it;
    if (uint32_t err = Existing(path, key, it)) {
        return err;
    }
    if (!it->second.folder || IsRoot(key)) {
        return it->second.folder ? kAccessDenied : 267;  // ERROR_DIRECTORY
    }
    if ((it->second.attributes & attr::kReadOnly) != 0) {
        return kAccessDenied;
    }
    const std::string below = key + "\\";
    auto child = m_nodes.lower_bound(below);
    if (child != m_nodes.end() && StartsWith(child->first, below)) {
        return kDirNotEmpty;
    }
    m_nodes.erase(it);
    return 0;
}

uint32_t FakeFileSystem::List(const std::string& pattern, std::vector<DirEntry>& entries) {
    std::string p = StartsWith(pattern, "\\\\?\\") ? pattern : ReplaceAll(pattern, "/", "\\");
    size_t cut = p.rfind('\\');
    if (cut == std::string::npos) {
        return kPathNotFound;
    }
    std::string mask = p.substr(cut + 1);
    std::optional<std::string> folder = Key(p.substr(0, cut + 1), nullptr, true);
    if (!folder) {
        return kPathNotFound;
    }
    auto dir = m_nodes.find(*folder);
    if (dir == m_nodes.end() || !dir->second.folder) {
        return kPathNotFound;
    }
    if (mask.empty()) {
        return kFileNotFound;
    }
    size_t before = entries.size();
    if (!IsRoot(*folder)) {
        for (const char* dot : {".", ".."}) {
            if (WildcardMatch(mask, dot)) {
                DirEntry e;
                e.name = dot;
                e.attributes = attr::kDirectory;
                entries.push_back(e);
            }
        }
    }
    // Keys are sorted, so everything below the folder follows its own key with a "\\".
    const std::string below = *folder + "\\";
    for (auto it = m_nodes.lower_bound(below); it != m_nodes.end() && StartsWith(it->first, below);
         ++it) {
        const auto& [k, node] = *it;
        if (k.find('\\', below.size()) != std::string::npos) {
            continue;
        }
        std::string name = node.path.substr(node.path.rfind('\\') + 1);
        if (!WildcardMatch(mask, name)) {
            continue;
        }
        DirEntry e;
        e.name = name;
        e.attributes = node.attributes;
        e.size = node.content.size();
        e.creationTime = node.creationTime;
        e.lastWriteTime = node.lastWriteTime;
        e.lastAccessTime = node.lastWriteTime;
        entries.push_back(e);
    }
    return entries.size() > before ? 0 : kFileNotFound;
}

void FakeFileSystem::AddLink(const std::string& path, const std::string& target, bool folder) {
    Node node;
    node.folder = folder;
    node.attributes = (folder ? attr::kDirectory : attr::kArchive) | attr::kReparsePoint;
    node.linkTarget = target;
    m_hasLinks = true;
    Place(path, std::move(node));
}

void FakeFileSystem::SetVersion(const std::string& path, const std::string& version) {
    if (Node* node = Find(path)) {
        node->version = version;
    }
}

void FakeFileSystem::SetTimes(const std::string& path, int64_t created, int64_t modified) {
    if (Node* node = Find(path)) {
        node->creationTime = created;
        node->lastWriteTime = modified;
    }
}

std::vector<std::string> FakeFileSystem::Drives() const {
    std::vector<std::string> drives;
    for (const auto& [key, node] : m_nodes) {
        if (key.size() == 2 && key[1] == ':') {
            drives.push_back(node.path);
        }
    }
    return drives;
}

uint32_t FakeFileSystem::Copy(const std::string& source, const std::string& target,
                              bool failIfExists) {
    std::string display;
    std::optional<std::string> from = Key(source, nullptr, true);
    std::optional<std::string> to = Key(target, &display, true);
    if (!from || !to) {
        return kInvalidName;
    }
    auto src = m_nodes.find(*from);
    if (src == m_nodes.end()) {
        return ParentError(*from) != 0 ? kPathNotFound : kFileNotFound;
    }
    if (src->second.folder) {
        return kAccessDenied;
    }
    if (src->second.locked) {
        return kSharingViolation;
    }
    if (auto dst = m_nodes.find(*to); dst != m_nodes.end()) {
        if (dst->second.folder || (dst->second.attributes & attr::kReadOnly) != 0) {
            return kAccessDenied;
        }
        if (failIfExists) {
            return kFileExists;
        }
        if (dst->second.locked) {
            return kSharingViolation;
        }
    } else if (uint32_t err = ParentError(*to)) {
        return err;
    }
    Node copy = src->second;
    copy.path = display;
    copy.attributes |= attr::kArchive;
    copy.creationTime = Tick();
    m_nodes[*to] = copy;
    return 0;
}

uint32_t FakeFileSystem::CreateTempFile(const std::string& folder, const std::string& prefix,
                                        std::string& path) {
    const Node* dir = Find(folder, true);
    if (dir == nullptr || !dir->folder) {
        return 267;  // ERROR_DIRECTORY
    }
    const std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    static const char* const kHex = "0123456789ABCDEF";
    for (int tries = 0; tries < 0x10000; ++tries) {
        uint32_t number = ++m_tempCounter & 0xFFFF;
        if (number == 0) {
            continue;
        }
        std::string hex;
        for (; number != 0; number >>= 4) {
            hex.insert(hex.begin(), kHex[number & 0xF]);
        }
        const std::string candidate = base + prefix.substr(0, 3) + hex + ".tmp";
        uint32_t err = Write(candidate, "", WriteMode::kCreateNew);
        if (err == 0) {
            path = candidate;
            return 0;
        }
        if (err != kFileExists) {
            return err;
        }
    }
    return kFileExists;
}

std::string FakeFileSystem::FileVersion(const std::string& path) {
    const Node* node = Find(path, true);
    return node == nullptr || node->folder ? std::string() : node->version;
}

}  // namespace kestrel::os::fake
