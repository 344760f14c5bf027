#include "os/fake/fake_hives.h"

#include <vector>

#include "base/strings.h"
#include "os/errors.h"
#include "os/owned.h"

namespace kestrel::os::fake {

namespace {

constexpr const char* kHeader = "KESTREL FAKE HIVE 1";
constexpr uint32_t kPrivilegeNotHeld = 1314;
constexpr uint32_t kBadDb = 1009;

std::string ToHex(const std::string& bytes) {
    static const char* const kDigits = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 0xF];
    }
    return hex;
}

bool FromHex(const std::string& hex, std::string& bytes) {
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        return -1;
    };
    if (hex.size() % 2 != 0) {
        return false;
    }
    bytes.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]), low = digit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

const char* RootName(RegKey root) {
    return root == kHkeyLocalMachine ? "HKLM" : root == kHkeyUsers ? "HKU" : nullptr;
}

struct HiveLine {
    bool value = false;
    std::string path;  // below the hive's root, "" for the root itself
    std::string name;
    uint32_t type = 0;
    std::string data;
};

// The lines of a hive file, or false when it is not one.
bool ParseHive(const std::string& text, std::vector<HiveLine>& lines) {
    std::vector<std::string> rows = Split(text, "\n");
    if (rows.empty() || rows[0] != kHeader) {
        return false;
    }
    for (size_t i = 1; i < rows.size(); ++i) {
        if (rows[i].empty()) {
            continue;
        }
        std::vector<std::string> fields = Split(rows[i], "\t");
        HiveLine line;
        if (fields.size() == 2 && fields[0] == "K" && FromHex(fields[1], line.path)) {
            lines.push_back(line);
            continue;
        }
        if (fields.size() != 5 || fields[0] != "V" || !FromHex(fields[1], line.path) ||
            !FromHex(fields[2], line.name) || !FromHex(fields[4], line.data) || fields[3].empty() ||
            fields[3].find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        line.value = true;
        line.type = static_cast<uint32_t>(std::stoul(fields[3]));
        lines.push_back(line);
    }
    return true;
}

// Appends the key below path and everything under it, read through the registry port.
uint32_t Serialise(Registry& registry, RegKey key, const std::string& path, std::string& out) {
    out += "K\t" + ToHex(path) + "\n";
    std::string name;
    uint32_t type = 0;
    for (uint32_t i = 0; registry.EnumValue(key, i, name, type) == 0; ++i) {
        uint32_t size = 0;
        std::string data;
        if (uint32_t rc = registry.QueryValue(key, name, nullptr, nullptr, size)) {
            return rc;
        }
        if (uint32_t rc = registry.QueryValue(key, name, &type, &data, size)) {
            return rc;
        }
        out += "V\t" + ToHex(path) + "\t" + ToHex(name) + "\t" + std::to_string(type) + "\t" +
               ToHex(data) + "\n";
    }
    std::vector<std::string> children;
    for (uint32_t i = 0; registry.EnumKey(key, i, name) == 0; ++i) {
        children.push_back(name);
    }
    for (const std::string& child : children) {
        OwnedKey sub(registry);
        // The tree as stored: the 64-bit view redirects nothing.
        if (uint32_t rc = registry.OpenKey(key, child, regaccess::kRead, RegView::k64, sub.Out())) {
            return rc;
        }
        const std::string childPath = path.empty() ? child : path + "\\" + child;
        if (uint32_t rc = Serialise(registry, sub.Get(), childPath, out)) {
            return rc;
        }
    }
    return 0;
}

}  // namespace

FakeHives::FakeHives(FakeRegistry& registry, FakeFileSystem& files, FakeSecurity& security)
    : m_registry(registry), m_files(files), m_security(security) {}

void FakeHives::HoldOpen(const std::string& name, int count) {
    m_heldOpen[LCase(name)] = count;
}

std::string FakeHives::MountedFile(RegKey root, const std::string& name) const {
    const char* top = RootName(root);
    if (top == nullptr) {
        return {};
    }
    auto it = m_mounted.find(LCase(std::string(top) + "\\" + name));
    return it == m_mounted.end() ? std::string() : it->second;
}

bool FakeHives::Enabled(const char* privilege) const {
    return m_security.enabled.count(privilege) != 0;
}

uint32_t FakeHives::WriteTree(RegKey key, const std::string& file, WriteMode mode) {
    std::string text = std::string(kHeader) + "\n";
    if (uint32_t rc = Serialise(m_registry, key, "", text)) {
        return rc;
    }
    return m_files.Write(file, text, mode);
}

uint32_t FakeHives::LoadKey(RegKey root, const std::string& name, const std::string& file) {
    const char* top = RootName(root);
    if (top == nullptr || name.empty() || name.find('\\') != std::string::npos) {
        return error::kInvalidParameter;
    }
    if (!Enabled("SeRestorePrivilege")) {
        return kPrivilegeNotHeld;
    }
    std::string text;
    if (uint32_t rc = m_files.ReadAll(file, text)) {
        return rc;
    }
    std::vector<HiveLine> lines;
    if (!ParseHive(text, lines)) {
        return kBadDb;
    }
    const std::string mountPath = std::string(top) + "\\" + name;
    // Windows refuses a name that is taken, by a hive or an ordinary key alike.
    if (m_registry.KeyExists(mountPath)) {
        return error::kAccessDenied;
    }
    m_registry.AddKey(mountPath);
    for (const HiveLine& line : lines) {
        const std::string path = line.path.empty() ? mountPath : mountPath + "\\" + line.path;
        if (line.value) {
            m_registry.PutValue(path, line.name, line.type, line.data);
        } else {
            m_registry.AddKey(path);
        }
    }
    m_mounted[LCase(mountPath)] = file;
    return 0;
}

uint32_t FakeHives::UnLoadKey(RegKey root, const std::string& name) {
    const char* top = RootName(root);
    if (top == nullptr) {
        return error::kInvalidParameter;
    }
    if (!Enabled("SeRestorePrivilege")) {
        return kPrivilegeNotHeld;
    }
    const std::string mountPath = std::string(top) + "\\" + name;
    auto mounted = m_mounted.find(LCase(mountPath));
    if (mounted == m_mounted.end()) {
        // An ordinary key is no hive: Windows refuses it (Wine deletes its tree).
        return m_registry.KeyExists(mountPath) ? error::kInvalidParameter : error::kFileNotFound;
    }
    auto held = m_heldOpen.find(LCase(name));
    if (held != m_heldOpen.end() && held->second != 0) {
        if (held->second > 0) {
            --held->second;
        }
        return error::kAccessDenied;
    }
    OwnedKey key(m_registry);
    if (uint32_t rc = m_registry.OpenKey(root, name, regaccess::kRead, RegView::k64, key.Out())) {
        return rc;
    }
    if (uint32_t rc = WriteTree(key.Get(), mounted->second, WriteMode::kTruncate)) {
        return rc;
    }
    (void)key.Close();
    m_registry.RemoveTree(mountPath);
    m_mounted.erase(mounted);
    return 0;
}

uint32_t FakeHives::SaveKey(RegKey key, const std::string& file) {
    if (!Enabled("SeBackupPrivilege")) {
        return kPrivilegeNotHeld;
    }
    if (m_files.Attributes(file) != kInvalidAttributes) {
        return error::kAlreadyExists;
    }
    return WriteTree(key, file, WriteMode::kTruncate);
}

}  // namespace kestrel::os::fake
