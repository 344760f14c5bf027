#include "os/fake/fake_environment.h"

#include "base/strings.h"

namespace kestrel::os::fake {

void FakeEnvironment::Set(const std::string& name, const std::string& value) {
    Unset(name);
    variables[name] = value;
}

void FakeEnvironment::Unset(const std::string& name) {
    for (auto it = variables.begin(); it != variables.end();) {
        it = EqualsNoCase(it->first, name) ? variables.erase(it) : std::next(it);
    }
}

std::string FakeEnvironment::Variable(std::string_view name) const {
    for (const auto& [key, value] : variables) {
        if (EqualsNoCase(key, name)) {
            return value;
        }
    }
    return {};
}

std::string FakeEnvironment::SpecialFolder(int csidl) const {
    auto it = specialFolders.find(csidl & 0xFF);
    return it == specialFolders.end() ? std::string() : it->second;
}

}  // namespace kestrel::os::fake
