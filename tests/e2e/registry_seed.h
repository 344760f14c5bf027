#pragma once
// Writing installed-application entries straight into the real registry of a test prefix, in
// either view, and removing them again.

#include <string>
#include <utility>
#include <vector>

namespace kestrel::e2e {

enum class View { k64, k32 };

struct SeedValue {
    std::string name;
    std::string data;  // REG_SZ bytes; a trailing NUL is added
};

class UninstallSeed {
public:
    UninstallSeed() = default;
    ~UninstallSeed();  // removes every entry it added
    UninstallSeed(const UninstallSeed&) = delete;
    UninstallSeed& operator=(const UninstallSeed&) = delete;

    void Add(View view, const std::string& subkey, const std::vector<SeedValue>& values);

private:
    std::vector<std::pair<View, std::string>> m_added;
};

}  // namespace kestrel::e2e
