#pragma once
// An in-memory registry with Windows' rules: predefined keys, names compared without case,
// both views of 64-bit Windows (the 32-bit view of HKLM\SOFTWARE lives physically under
// HKLM\SOFTWARE\Wow6432Node, the rest is shared), values of every type as raw bytes, handles
// that carry their access rights, owners and access lists whose deny entries block opening,
// and per-key flags that make opening or deleting a key answer "access denied".

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/registry.h"
#include "os/security.h"

namespace kestrel::os::fake {

class FakeRegistry : public Registry {
public:
    FakeRegistry();
    ~FakeRegistry() override;

    // The machine: 64-bit Windows with two views, and the view a call without a view flag
    // addresses (that of a 64-bit program).
    bool windows64 = true;
    RegView processView = RegView::k64;
    // The SIDs of the program's token: deny entries for any of them block, and an owner among
    // them may always read and write the access list.
    std::vector<std::string> tokenSids;

    struct Flags {
        bool denyOpen = false;    // every open of the key answers 5
        bool denyDelete = false;  // deleting the key answers 5
    };
    struct Value {
        std::string name;
        uint32_t type = 0;
        std::string data;
    };
    struct OpenRecord {
        std::string path;  // "HKLM\" and the key path as asked, before any redirection
        uint32_t access = 0;
        RegView view = RegView::kDefault;
        bool create = false;
    };

    // Set-up and inspection for tests. A path starts with a top-key abbreviation ("HKLM\...").
    void AddKey(const std::string& path, RegView view = RegView::k64);
    void PutValue(const std::string& path, const std::string& name, uint32_t type,
                  const std::string& data, RegView view = RegView::k64);
    void PutString(const std::string& path, const std::string& name, const std::string& text,
                   RegView view = RegView::k64);  // REG_SZ with its NUL
    void PutDword(const std::string& path, const std::string& name, uint32_t value,
                  RegView view = RegView::k64);
    bool KeyExists(const std::string& path, RegView view = RegView::k64) const;
    std::optional<Value> GetValue(const std::string& path, const std::string& name,
                                  RegView view = RegView::k64) const;
    std::vector<std::string> SubkeyNames(const std::string& path,
                                         RegView view = RegView::k64) const;
    void SetFlags(const std::string& path, Flags flags, RegView view = RegView::k64);
    void SetOwner(const std::string& path, const std::string& sid, RegView view = RegView::k64);
    void SetDacl(const std::string& path, const Dacl& dacl, RegView view = RegView::k64);
    std::optional<Dacl> DaclOf(const std::string& path, RegView view = RegView::k64) const;
    // Removes a key and its whole subtree, ignoring flags and access lists (an outside
    // program that ignores both). False when it was not there.
    bool RemoveTree(const std::string& path, RegView view = RegView::k64);
    // Keys opened or created through the port, in order.
    std::vector<OpenRecord> opens;
    // Handles opened through the port and not closed yet.
    size_t OpenHandleCount() const { return m_handles.size(); }

    // The access list behind a handle, for the fake security port.
    uint32_t ReadDacl(RegKey key, Dacl& dacl);
    uint32_t WriteDacl(RegKey key, const Dacl& dacl);

    // Registry
    uint32_t OpenKey(RegKey parent, const std::string& subKey, uint32_t access, RegView view,
                     RegKey& key) override;
    uint32_t CreateKey(RegKey parent, const std::string& subKey, uint32_t access, RegView view,
                       RegKey& key) override;
    uint32_t CloseKey(RegKey key) override;
    uint32_t QueryValue(RegKey key, const std::string& name, uint32_t* type, std::string* data,
                        uint32_t& size) override;
    uint32_t SetValue(RegKey key, const std::string& name, uint32_t type,
                      const std::string& data) override;
    uint32_t DeleteValue(RegKey key, const std::string& name) override;
    uint32_t DeleteKey(RegKey key, const std::string& subKey, RegView view) override;
    uint32_t EnumKey(RegKey key, uint32_t index, std::string& name) override;
    uint32_t EnumValue(RegKey key, uint32_t index, std::string& name, uint32_t& type) override;

    struct Node {
        std::string name;
        Node* parent = nullptr;
        RegKey root = 0;
        std::map<std::string, std::shared_ptr<Node>> children;  // by lower-case name
        std::map<std::string, Value> values;                    // by lower-case name
        Flags flags;
        std::string owner = "S-1-5-32-544";
        Dacl dacl;
        bool deleted = false;
    };

private:
    struct Handle {
        std::shared_ptr<Node> node;
        uint32_t access = 0;
    };
    struct Target {
        uint32_t error = 0;
        std::shared_ptr<Node> root;
        std::vector<std::string> names;  // physical path below the root
    };

    Target Resolve(RegKey parent, const std::string& subKey, RegView view) const;
    Target ResolveText(const std::string& path, RegView view) const;
    std::shared_ptr<Node> Walk(const Target& target) const;
    std::shared_ptr<Node> Make(const Target& target);
    const Handle* FindHandle(RegKey key) const;
    // The key behind a handle whose rights include needed: 6 unknown, 1018 deleted, 5 lacking.
    uint32_t Held(RegKey key, uint32_t needed, std::shared_ptr<Node>& node) const;
    bool Denied(const Node& node, uint32_t access) const;
    RegKey NewHandle(std::shared_ptr<Node> node, uint32_t access);
    static void MarkDeleted(Node& node);
    std::string RequestedPath(RegKey parent, const std::string& subKey) const;

    std::map<RegKey, std::shared_ptr<Node>> m_roots;
    std::map<RegKey, Handle> m_handles;
    RegKey m_nextHandle = 0x1000;
};

}  // namespace kestrel::os::fake
