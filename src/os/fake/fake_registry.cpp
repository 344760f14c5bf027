#include "os/fake/fake_registry.h"

#include <algorithm>

#include "base/strings.h"
#include "os/errors.h"

namespace kestrel::os::fake {

namespace {

using os::error::kAccessDenied;
using os::error::kBadPathname;
using os::error::kFileNotFound;
using os::error::kInvalidHandle;
using os::error::kKeyDeleted;
using os::error::kMoreData;
using os::error::kNoMoreItems;
constexpr uint32_t kInheritOnly = 0x08;
constexpr uint32_t kViewBits = regaccess::kWow64_32Key | regaccess::kWow64_64Key;

struct RootName {
    RegKey key;
    const char* shortName;
    const char* longName;
};
constexpr RootName kRootNames[] = {
    {kHkeyClassesRoot, "HKCR", "HKEY_CLASSES_ROOT"},
    {kHkeyCurrentUser, "HKCU", "HKEY_CURRENT_USER"},
    {kHkeyLocalMachine, "HKLM", "HKEY_LOCAL_MACHINE"},
    {kHkeyUsers, "HKU", "HKEY_USERS"},
    {kHkeyCurrentConfig, "HKCC", "HKEY_CURRENT_CONFIG"},
    {kHkeyDynData, "HKDD", "HKEY_DYN_DATA"},
};

// Generic rights in an entry's mask, mapped to the key rights they stand for.
uint32_t MapGeneric(uint32_t mask) {
    uint32_t mapped = mask & 0x0FFFFFFF;
    if (mask & 0x80000000) {
        mapped |= regaccess::kRead;
    }
    if (mask & 0x40000000) {
        mapped |= regaccess::kWrite;
    }
    if (mask & 0x20000000) {
        mapped |= regaccess::kRead;  // KEY_EXECUTE
    }
    if (mask & 0x10000000) {
        mapped |= regaccess::kAllAccess;
    }
    return mapped;
}

Dacl DefaultDacl() {
    Dacl dacl;
    dacl.entries.push_back(
        {ace::kAllowed, ace::kContainerInherit, regaccess::kAllAccess, "S-1-5-32-544", {}});
    dacl.entries.push_back(
        {ace::kAllowed, ace::kContainerInherit, regaccess::kAllAccess, "S-1-5-18", {}});
    dacl.entries.push_back(
        {ace::kAllowed, ace::kContainerInherit, regaccess::kRead, "S-1-5-32-545", {}});
    return dacl;
}

}  // namespace

FakeRegistry::FakeRegistry() {
    for (const RootName& r : kRootNames) {
        auto node = std::make_shared<Node>();
        node->name = r.longName;
        node->root = r.key;
        node->dacl = DefaultDacl();
        m_roots[r.key] = node;
    }
    tokenSids = {"S-1-5-21-1004-1005-1006-1001",
                 "S-1-1-0",
                 "S-1-5-32-544",
                 "S-1-5-32-545",
                 "S-1-5-11",
                 "S-1-5-4"};
    AddKey("HKLM\\SOFTWARE");
    AddKey("HKLM\\SOFTWARE\\Wow6432Node");
    AddKey("HKLM\\SYSTEM");
    AddKey("HKCU\\Software");
}

FakeRegistry::~FakeRegistry() = default;

void FakeRegistry::MarkDeleted(Node& node) {
    node.deleted = true;
    node.parent = nullptr;
    for (auto& [key, child] : node.children) {
        MarkDeleted(*child);
    }
    node.children.clear();
}

FakeRegistry::Target FakeRegistry::Resolve(RegKey parent, const std::string& subKey,
                                           RegView view) const {
    Target t;
    if (!subKey.empty() && subKey[0] == '\\') {
        t.error = kBadPathname;
        return t;
    }
    if (IsPredefinedKey(parent)) {
        t.root = m_roots.at(parent);
    } else {
        const Handle* h = FindHandle(parent);
        if (h == nullptr) {
            t.error = kInvalidHandle;
            return t;
        }
        if (h->node->deleted) {
            t.error = kKeyDeleted;
            return t;
        }
        for (const Node* n = h->node.get(); n->parent != nullptr; n = n->parent) {
            t.names.insert(t.names.begin(), n->name);
        }
        t.root = m_roots.at(h->node->root);
    }
    for (const std::string& part : Split(subKey, "\\")) {
        if (!part.empty()) {
            t.names.push_back(part);
        }
    }
    RegView effective = view == RegView::kDefault ? processView : view;
    if (windows64 && effective == RegView::k32 && t.root->root == kHkeyLocalMachine &&
        !t.names.empty() && EqualsNoCase(t.names[0], "software") &&
        (t.names.size() == 1 || !EqualsNoCase(t.names[1], "wow6432node"))) {
        t.names.insert(t.names.begin() + 1, "Wow6432Node");
    }
    return t;
}

FakeRegistry::Target FakeRegistry::ResolveText(const std::string& path, RegView view) const {
    std::string top = path.substr(0, path.find('\\'));
    std::string rest = path.size() > top.size() ? path.substr(top.size() + 1) : "";
    for (const RootName& r : kRootNames) {
        if (EqualsNoCase(top, r.shortName) || EqualsNoCase(top, r.longName)) {
            return Resolve(r.key, rest, view);
        }
    }
    Target t;
    t.error = kInvalidHandle;
    return t;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Walk(const Target& target) const {
    if (target.error != 0) {
        return nullptr;
    }
    std::shared_ptr<Node> node = target.root;
    for (const std::string& name : target.names) {
        auto it = node->children.find(LCase(name));
        if (it == node->children.end()) {
            return nullptr;
        }
        node = it->second;
    }
    return node;
}

std::shared_ptr<FakeRegistry::Node> FakeRegistry::Make(const Target& target) {
    std::shared_ptr<Node> node = target.root;
    for (const std::string& name : target.names) {
        std::shared_ptr<Node>& child = node->children[LCase(name)];
        if (!child) {
            child = std::make_shared<Node>();
            child->name = name;
            child->parent = node.get();
            child->root = node->root;
            child->dacl = DefaultDacl();
        }
        node = child;
    }
    return node;
}

uint32_t FakeRegistry::Held(RegKey key, uint32_t needed, std::shared_ptr<Node>& node) const {
    if (IsPredefinedKey(key)) {
        node = m_roots.at(key);
        return 0;
    }
    const Handle* h = FindHandle(key);
    if (h == nullptr) {
        return kInvalidHandle;
    }
    if (h->node->deleted) {
        return kKeyDeleted;
    }
    if ((h->access & needed) != needed) {
        return kAccessDenied;
    }
    node = h->node;
    return 0;
}

const FakeRegistry::Handle* FakeRegistry::FindHandle(RegKey key) const {
    auto it = m_handles.find(key);
    return it == m_handles.end() ? nullptr : &it->second;
}

bool FakeRegistry::Denied(const Node& node, uint32_t access) const {
    if (node.flags.denyOpen) {
        return true;
    }
    if (!node.dacl.present) {
        return false;
    }
    auto held = [this](const std::string& sid) {
        return std::find(tokenSids.begin(), tokenSids.end(), sid) != tokenSids.end();
    };
    uint32_t wanted = access & ~kViewBits;
    if (held(node.owner)) {
        wanted &= ~(regaccess::kReadControl | regaccess::kWriteDac);
    }
    for (const Ace& entry : node.dacl.entries) {
        if (entry.type == ace::kDenied && (entry.flags & kInheritOnly) == 0 && held(entry.sid) &&
            (MapGeneric(entry.mask) & wanted) != 0) {
            return true;
        }
    }
    return false;
}

RegKey FakeRegistry::NewHandle(std::shared_ptr<Node> node, uint32_t access) {
    RegKey key = m_nextHandle;
    m_nextHandle += 4;
    m_handles[key] = Handle{std::move(node), access & ~kViewBits};
    return key;
}

std::string FakeRegistry::RequestedPath(RegKey parent, const std::string& subKey) const {
    std::string path;
    if (IsPredefinedKey(parent)) {
        for (const RootName& r : kRootNames) {
            if (r.key == parent) {
                path = r.shortName;
            }
        }
    } else if (const Handle* h = FindHandle(parent)) {
        for (const Node* n = h->node.get(); n != nullptr; n = n->parent) {
            std::string name = n->parent == nullptr ? "" : n->name;
            if (n->parent == nullptr) {
                for (const RootName& r : kRootNames) {
                    if (r.key == n->root) {
                        name = r.shortName;
                    }
                }
            }
            path = path.empty() ? name : name + "\\" + path;
        }
    }
    return subKey.empty() ? path : path + "\\" + subKey;
}

uint32_t FakeRegistry::ReadDacl(RegKey key, Dacl& dacl) {
    std::shared_ptr<Node> node;
    if (uint32_t err = Held(key, regaccess::kReadControl, node)) {
        return err;
    }
    dacl = node->dacl;
    return 0;
}

uint32_t FakeRegistry::WriteDacl(RegKey key, const Dacl& dacl) {
    std::shared_ptr<Node> node;
    if (uint32_t err = Held(key, regaccess::kWriteDac, node)) {
        return err;
    }
    node->dacl = dacl;
    return 0;
}

// Registry port.

uint32_t FakeRegistry::OpenKey(RegKey parent, const std::string& subKey, uint32_t access,
                               RegView view, RegKey& key) {
    opens.push_back({RequestedPath(parent, subKey), access, view, false});
    Target t = Resolve(parent, subKey, view);
    if (t.error != 0) {
        return t.error;
    }
    std::shared_ptr<Node> node = Walk(t);
    if (!node) {
        return kFileNotFound;
    }
    if (Denied(*node, access)) {
        return kAccessDenied;
    }
    key = NewHandle(node, access);
    return 0;
}

uint32_t FakeRegistry::CreateKey(RegKey parent, const std::string& subKey, uint32_t access,
                                 RegView view, RegKey& key) {
    opens.push_back({RequestedPath(parent, subKey), access, view, true});
    Target t = Resolve(parent, subKey, view);
    if (t.error != 0) {
        return t.error;
    }
    if (std::shared_ptr<Node> existing = Walk(t)) {
        if (Denied(*existing, access)) {
            return kAccessDenied;
        }
        key = NewHandle(existing, access);
        return 0;
    }
    key = NewHandle(Make(t), access);
    return 0;
}

uint32_t FakeRegistry::CloseKey(RegKey key) {
    if (IsPredefinedKey(key)) {
        return 0;
    }
    return m_handles.erase(key) == 1 ? 0 : kInvalidHandle;
}

uint32_t FakeRegistry::QueryValue(RegKey key, const std::string& name, uint32_t* type,
                                  std::string* data, uint32_t& size) {
    std::shared_ptr<Node> node;
    if (uint32_t err = Held(key, regaccess::kQueryValue, node)) {
        return err;
    }
    auto it = node->values.find(LCase(name));
    if (it == node->values.end()) {
        return kFileNotFound;
    }
    const Value& v = it->second;
    if (type != nullptr) {
        *type = v.type;
    }
    uint32_t needed = static_cast<uint32_t>(v.data.size());
    if (data != nullptr) {
        if (needed > size) {
            size = needed;
            return kMoreData;
        }
        *data = v.data;
    }
    size = needed;
    return 0;
}

uint32_t FakeRegistry::SetValue(RegKey key, const std::string& name, uint32_t type,
                                const std::string& data) {
    std::shared_ptr<Node> node;
    if (uint32_t err = Held(key, regaccess::kSetValue, node)) {
        return err;
    }
    node->values[LCase(name)] = Value{name, type, data};
    return 0;
}

uint32_t FakeRegistry::DeleteValue(RegKey key, const std::string& name) {
    std::shared_ptr<Node> node;
    if (uint32_t err = Held(key, regaccess::kSetValue, node)) {
        return err;
    }
    return node->values.erase(LCase(name)) == 1 ? 0 : kFileNotFound;
}

uint32_t FakeRegistry::DeleteKey(RegKey key, const std::string& subKey, RegView view) {
    Target t = Resolve(key, subKey, view);
    if (t.error != 0) {
        return t.error;
    }
    std::shared_ptr<Node> node = Walk(t);
    if (!node) {
        return kFileNotFound;
    }
    if (node->parent == nullptr || !node->children.empty() || node->flags.denyDelete ||
        Denied(*node, regaccess::kDelete)) {
        return kAccessDenied;
    }
    node->parent->children.erase(LCase(node->name));
    MarkDeleted(*node);
    return 0;
}

uint32_t FakeRegistry::EnumKey(RegKey key, uint32_t index, std::string& name) {
    std::shared_ptr<Node> node;
    if (uint32_t err = Held(key, regaccess::kEnumerateSubKeys, node)) {
        return err;
    }
    if (index >= node->children.size()) {
        return kNoMoreItems;
    }
    name = std::next(node->children.begin(), index)->second->name;
    return 0;
}

uint32_t FakeRegistry::EnumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type) {
    std::shared_ptr<Node> node;
    if (uint32_t err = Held(key, regaccess::kQueryValue, node)) {
        return err;
    }
    if (index >= node->values.size()) {
        return kNoMoreItems;
    }
    const Value& v = std::next(node->values.begin(), index)->second;
    name = v.name;
    type = v.type;
    return 0;
}

}  // namespace kestrel::os::fake
