#include "e2e/machine_snapshot.h"

#include "os/win32/windows_api.h"

#include <sddl.h>

#include <algorithm>
#include <cwctype>
#include <set>

namespace kestrel::e2e {
namespace {

using os::win32::Narrow;

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool AtOrBelow(const std::string& entry, const std::string& root) {
    return entry.compare(0, root.size(), root) == 0 &&
           (entry.size() == root.size() || entry[root.size()] == '\\' || entry[root.size()] == '|');
}

void WalkFolder(const std::wstring& folder, MachineSnapshot& out) {
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring path = folder + L"\\" + name;
        const std::string attributes = std::to_string(data.dwFileAttributes);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            // A folder's own time changes with its contents; those are compared themselves.
            out[Lower(Narrow(path))] = "folder " + attributes;
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                WalkFolder(path, out);
            }
        } else {
            const unsigned long long size =
                (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
            const unsigned long long time =
                (static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime;
            out[Lower(Narrow(path))] =
                "file " + std::to_string(size) + " " + std::to_string(time) + " " + attributes;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
}

void WalkKey(HKEY parent, const std::wstring& path, const std::string& name, MachineSnapshot& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        out[name] = "key (cannot open)";
        return;
    }
    out[name] = "key";
    std::vector<BYTE> data(1 << 16);
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[16384];
        DWORD nameSize = 16384, type = 0, dataSize = static_cast<DWORD>(data.size());
        const LSTATUS rc =
            RegEnumValueW(key, i, valueName, &nameSize, nullptr, &type, data.data(), &dataSize);
        if (rc == ERROR_MORE_DATA) {
            data.resize(data.size() * 4);
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS) {
            break;
        }
        out[name + "|" + Lower(Narrow(valueName))] =
            std::to_string(type) + ":" +
            std::string(reinterpret_cast<const char*>(data.data()), dataSize);
    }
    std::vector<std::wstring> subkeys;
    for (DWORD i = 0;; ++i) {
        wchar_t subkey[256];
        DWORD size = 256;
        if (RegEnumKeyExW(key, i, subkey, &size, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        subkeys.emplace_back(subkey);
    }
    for (const std::wstring& subkey : subkeys) {
        WalkKey(key, subkey, name + "\\" + Lower(Narrow(subkey)), out);
    }
    RegCloseKey(key);
}

// What changes under Wine whatever a program does: the hardware branch (made at every start),
// the temporary folders (every process start may leave files there) and the performance
// counters' data.
const std::vector<std::string> kVolatile = {
    "hklm\\hardware",
    "c:\\windows\\temp",
    "hklm\\software\\microsoft\\windows nt\\currentversion\\perflib",
};

}  // namespace

MachineSnapshot TakeMachineSnapshot() {
    MachineSnapshot out;
    WalkFolder(L"C:", out);
    WalkKey(HKEY_LOCAL_MACHINE, L"", "hklm", out);
    WalkKey(HKEY_USERS, L"", "hku", out);
    return out;
}

std::string CurrentUserRoot() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    BYTE buffer[256] = {};
    DWORD size = 0;
    std::string root = "hku";
    char* sid = nullptr;
    if (GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size) &&
        ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) {
        root += "\\" + Lower(sid);
        LocalFree(sid);
    }
    CloseHandle(token);
    return root;
}

std::vector<std::string> UnexpectedChanges(const MachineSnapshot& before,
                                           const MachineSnapshot& after,
                                           const ExpectedChanges& expected) {
    std::vector<std::string> ignored = kVolatile;
    ignored.insert(ignored.end(), expected.ignored.begin(), expected.ignored.end());
    const auto under = [](const std::string& entry, const std::vector<std::string>& roots) {
        return std::any_of(roots.begin(), roots.end(),
                           [&](const std::string& root) { return AtOrBelow(entry, Lower(root)); });
    };
    const auto made = [&](const std::string& entry) {
        return std::any_of(expected.made.begin(), expected.made.end(), [&](const std::string& p) {
            const std::string pattern = Lower(p);
            const size_t star = pattern.find('*');
            if (star == std::string::npos) {
                return entry == pattern;
            }
            const std::string head = pattern.substr(0, star), tail = pattern.substr(star + 1);
            return entry.size() >= head.size() + tail.size() && entry.rfind(head, 0) == 0 &&
                   entry.ends_with(tail) &&
                   entry.find('\\', head.size()) >= entry.size() - tail.size();
        });
    };
    std::vector<std::string> lines;
    for (const auto& [entry, description] : before) {
        if (under(entry, ignored) || under(entry, expected.removed) || made(entry)) {
            continue;
        }
        const auto now = after.find(entry);
        if (now == after.end()) {
            lines.push_back("removed " + entry);
        } else if (now->second != description) {
            lines.push_back("changed " + entry);
        }
    }
    for (const auto& [entry, description] : after) {
        if (!before.count(entry) && !under(entry, ignored) && !made(entry)) {
            lines.push_back("added " + entry);
        }
    }
    for (const std::string& root : expected.removed) {
        if (!before.count(Lower(root))) {
            lines.push_back("not there before " + Lower(root));
        } else if (after.count(Lower(root))) {
            lines.push_back("not removed " + Lower(root));
        }
    }
    return lines;
}

}  // namespace kestrel::e2e
