#include "os/fake/fake_shell_files.h"

#include "base/strings.h"

namespace kestrel::os::fake {
namespace {

constexpr int kFileNotFound = 2;
constexpr int kAlreadyExists = 183;
constexpr int kNotImplemented = 120;

std::string NameOf(const std::string& path) {
    return path.substr(path.find_last_of("\\/") + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

}  // namespace

bool FakeShellFiles::Expand(const std::string& item, std::vector<std::string>& paths) {
    const size_t cut = item.find_last_of("\\/");
    const std::string name = cut == std::string::npos ? item : item.substr(cut + 1);
    if (name.find_first_of("*?") == std::string::npos) {
        if (m_files.Find(item) == nullptr) {
            return false;
        }
        paths.push_back(item);
        return true;
    }
    std::vector<DirEntry> entries;
    if (cut == std::string::npos || m_files.List(item, entries) != 0) {
        return false;
    }
    for (const DirEntry& e : entries) {
        if (e.name != "." && e.name != "..") {
            paths.push_back(item.substr(0, cut + 1) + e.name);
        }
    }
    return true;
}

uint32_t FakeShellFiles::DeleteTree(const std::string& path) {
    const FakeFileSystem::Node* node = m_files.Find(path);
    if (node == nullptr) {
        return kFileNotFound;
    }
    const bool folder = node->folder;
    const bool link = !node->linkTarget.empty();
    (void)m_files.SetAttributes(path, attr::kNormal);
    if (!folder) {
        return m_files.Delete(path);
    }
    if (!link) {
        std::vector<DirEntry> entries;
        (void)m_files.List(JoinPath(path, "*"), entries);
        for (const DirEntry& e : entries) {
            if (e.name == "." || e.name == "..") {
                continue;
            }
            if (uint32_t err = DeleteTree(JoinPath(path, e.name))) {
                return err;
            }
        }
    }
    return m_files.RemoveFolder(path);
}

int FakeShellFiles::MoveOne(const std::string& source, const std::string& dest, uint16_t flags) {
    std::string target = dest;
    if (const FakeFileSystem::Node* there = m_files.Find(target)) {
        if ((flags & fof::kRenameOnCollision) != 0) {
            const std::string name = NameOf(target);
            const size_t dot = name.rfind('.');
            const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
            const std::string ext = dot == std::string::npos ? "" : name.substr(dot);
            const std::string folder = target.substr(0, target.size() - name.size());
            for (int n = 2; m_files.Find(target) != nullptr; ++n) {
                target = folder + stem + " (" + std::to_string(n) + ")" + ext;
            }
        } else if ((flags & fof::kNoConfirmation) == 0) {
            return kShellOpCancelled;  // the user was asked and said no
        } else if (there->folder) {
            return kAlreadyExists;
        } else if (uint32_t err = DeleteTree(target)) {
            return static_cast<int>(err);
        }
    }
    return static_cast<int>(m_files.Move(source, target));
}

int FakeShellFiles::FileOperation(ShellOp op, const std::vector<std::string>& from,
                                  const std::string& to, uint16_t flags, bool* aborted) {
    calls.push_back({op, from, to, flags});
    if (aborted != nullptr) {
        *aborted = false;
    }
    if (!scriptedFailures.empty()) {
        const int answer = scriptedFailures.front();
        scriptedFailures.pop_front();
        if (aborted != nullptr) {
            *aborted = answer == kShellOpCancelled;
        }
        return answer;
    }
    std::vector<std::string> items;
    for (const std::string& item : from) {
        if (!Expand(item, items)) {
            return kFileNotFound;
        }
    }
    if (op == ShellOp::kDelete) {
        for (const std::string& item : items) {
            if ((flags & fof::kAllowUndo) != 0) {
                recycled.push_back(item);
            }
            if (uint32_t err = DeleteTree(item)) {
                return static_cast<int>(err);
            }
        }
        return 0;
    }
    if (op != ShellOp::kMove) {
        return kNotImplemented;
    }
    if (items.size() > 1 && multiMoveFails) {
        if (aborted != nullptr) {
            *aborted = true;
        }
        return kShellOpCancelled;
    }
    const FakeFileSystem::Node* target = m_files.Find(to);
    const bool intoFolder = (target != nullptr && target->folder) || items.size() > 1;
    const std::string folder = intoFolder ? to : to.substr(0, to.find_last_of("\\/"));
    if (m_files.Find(folder) == nullptr) {
        (void)m_files.CreateFolderTree(folder);
    }
    for (const std::string& item : items) {
        if (int err = MoveOne(item, intoFolder ? JoinPath(to, NameOf(item)) : to, flags)) {
            return err;
        }
    }
    return 0;
}

bool FakeShellFiles::ShowProperties(const std::string& path) {
    propertiesShown.push_back(path);
    return m_files.Find(path) != nullptr;
}

std::string FakeShellFiles::TypeName(const std::string& path) {
    const std::string name = NameOf(path);
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) {
        return "File";
    }
    const std::string ext = LCase(name.substr(dot));
    auto it = typeNames.find(ext);
    return it != typeNames.end() ? it->second : UCase(ext.substr(1)) + " File";
}

}  // namespace kestrel::os::fake
