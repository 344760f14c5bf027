#pragma once
// The profile-string functions over INI files kept in a FakeFileSystem, with Windows' rules:
// sections and keys ignore case, blanks around keys and values go, a value in matching quotes
// loses them, and a value longer than the buffer is cut to the buffer less one.

#include "os/fake/fake_file_system.h"
#include "os/profile_strings.h"

namespace kestrel::os::fake {

class FakeProfileStrings : public ProfileStrings {
public:
    explicit FakeProfileStrings(FakeFileSystem& files) : m_files(files) {}

    uint32_t GetString(const std::string& section, const std::string& key,
                       const std::string& defaultValue, uint32_t bufferSize,
                       const std::string& file, std::string& text) override;
    int32_t GetInt(const std::string& section, const std::string& key, int32_t defaultValue,
                   const std::string& file) override;
    bool WriteString(const std::string& section, const std::string& key,
                     const std::optional<std::string>& value, const std::string& file) override;

private:
    std::optional<std::string> Lookup(const std::string& section, const std::string& key,
                                      const std::string& file);
    FakeFileSystem& m_files;
};

}  // namespace kestrel::os::fake
