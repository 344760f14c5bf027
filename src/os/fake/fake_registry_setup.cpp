// The fake registry's set-up and inspection calls for tests.
#include "base/strings.h"
#include "os/fake/fake_registry.h"

namespace kestrel::os::fake {

void FakeRegistry::AddKey(const std::string& path, RegView view) {
    Target t = ResolveText(path, view);
    if (t.error == 0) {
        Make(t);
    }
}

void FakeRegistry::PutValue(const std::string& path, const std::string& name, uint32_t type,
                            const std::string& data, RegView view) {
    Target t = ResolveText(path, view);
    if (t.error == 0) {
        Make(t)->values[LCase(name)] = Value{name, type, data};
    }
}

void FakeRegistry::PutString(const std::string& path, const std::string& name,
                             const std::string& text, RegView view) {
    PutValue(path, name, regtype::kSz, text + std::string(1, '\0'), view);
}

void FakeRegistry::PutDword(const std::string& path, const std::string& name, uint32_t value,
                            RegView view) {
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
    PutValue(path, name, regtype::kDword, bytes, view);
}

bool FakeRegistry::KeyExists(const std::string& path, RegView view) const {
    return Walk(ResolveText(path, view)) != nullptr;
}

std::optional<FakeRegistry::Value> FakeRegistry::GetValue(const std::string& path,
                                                          const std::string& name,
                                                          RegView view) const {
    std::shared_ptr<Node> node = Walk(ResolveText(path, view));
    if (!node) {
        return std::nullopt;
    }
    auto it = node->values.find(LCase(name));
    if (it == node->values.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::vector<std::string> FakeRegistry::SubkeyNames(const std::string& path, RegView view) const {
    std::vector<std::string> names;
    if (std::shared_ptr<Node> node = Walk(ResolveText(path, view))) {
        for (const auto& [key, child] : node->children) {
            names.push_back(child->name);
        }
    }
    return names;
}

void FakeRegistry::SetFlags(const std::string& path, Flags flags, RegView view) {
    if (std::shared_ptr<Node> node = Walk(ResolveText(path, view))) {
        node->flags = flags;
    }
}

void FakeRegistry::SetOwner(const std::string& path, const std::string& sid, RegView view) {
    if (std::shared_ptr<Node> node = Walk(ResolveText(path, view))) {
        node->owner = sid;
    }
}

void FakeRegistry::SetDacl(const std::string& path, const Dacl& dacl, RegView view) {
    if (std::shared_ptr<Node> node = Walk(ResolveText(path, view))) {
        node->dacl = dacl;
    }
}

std::optional<Dacl> FakeRegistry::DaclOf(const std::string& path, RegView view) const {
    if (std::shared_ptr<Node> node = Walk(ResolveText(path, view))) {
        return node->dacl;
    }
    return std::nullopt;
}

bool FakeRegistry::RemoveTree(const std::string& path, RegView view) {
    std::shared_ptr<Node> node = Walk(ResolveText(path, view));
    if (!node || node->parent == nullptr) {
        return false;
    }
    node->parent->children.erase(LCase(node->name));
    MarkDeleted(*node);
    return true;
}

}  // namespace kestrel::os::fake
