#pragma once

#include <map>
#include <string>

#include "os/environment.h"

namespace kestrel::os::fake {

class FakeEnvironment : public Environment {
public:
    std::map<std::string, std::string> variables;  // names are looked up ignoring case
    std::string programFile = "C:\\Kestrel\\Kestrel.exe";
    // The whole command line; SetArguments puts the program's quoted path in front.
    std::string commandLine = "\"C:\\Kestrel\\Kestrel.exe\"";
    VersionNumbers version{1, 0, 0};
    std::map<int, std::string> specialFolders;  // by CSIDL without flags
    std::string windowsDirectory = "C:\\Windows";
    std::string systemDirectory = "C:\\Windows\\system32";

    void SetArguments(const std::string& arguments) {
        commandLine = "\"" + programFile + "\" " + arguments;
    }
    void Set(const std::string& name, const std::string& value);
    void Unset(const std::string& name);

    std::string Variable(std::string_view name) const override;
    std::string ProgramFile() const override { return programFile; }
    std::string CommandLine() const override { return commandLine; }
    VersionNumbers ProgramVersion() const override { return version; }
    std::string SpecialFolder(int csidl) const override;
    std::string WindowsDirectory() const override { return windowsDirectory; }
    std::string SystemDirectory() const override { return systemDirectory; }
};

}  // namespace kestrel::os::fake
