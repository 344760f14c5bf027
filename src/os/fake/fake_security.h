#pragma once
// Security over the fake registry: a table of local accounts, the access lists of fake keys,
// file owners by path, and the privileges the program's token holds and has enabled.

#include <map>
#include <set>
#include <string>

#include "os/fake/fake_registry.h"
#include "os/security.h"

namespace kestrel::os::fake {

class FakeSecurity : public Security {
public:
    explicit FakeSecurity(FakeRegistry& registry);

    // Account names (looked up ignoring case) and their SIDs.
    std::map<std::string, std::string> accounts;
    // Privileges the token holds; enabled ones in enabled.
    std::set<std::string> held;
    std::set<std::string> enabled;
    // Owners set through SetFileOwner, by path as given (lower case).
    std::map<std::string, std::string> fileOwners;
    // Makes the next calls fail at one step with an error (kNone: work again).
    SecurityStep failAt = SecurityStep::kNone;
    uint32_t failError = 5;

    void AddAccount(const std::string& name, const std::string& sid);

    uint32_t LookupAccount(const std::string& name, std::string& sid) override;
    uint32_t GetKeyDacl(RegKey key, Dacl& dacl) override;
    uint32_t SetKeyDacl(RegKey key, const Dacl& dacl) override;
    uint32_t SetFileOwner(const std::string& path, const std::string& sid,
                          SecurityStep& failed) override;
    uint32_t AdjustPrivilege(const std::string& name, bool enable, SecurityStep& failed) override;

private:
    bool Fails(SecurityStep step, SecurityStep& failed, uint32_t& error) const;
    FakeRegistry& m_registry;
};

}  // namespace kestrel::os::fake
