#pragma once
// A program folder with its own copy of Kestrel.exe, for running the real program under Wine
// exactly as a technician would: started with a literal command line, waited for, and judged
// by the files it leaves.

#include <memory>
#include <optional>
#include <string>

namespace kestrel::e2e {

class KestrelSandbox {
public:
    // A fresh folder below C:\kestrel-tests (or below parent when given) holding Kestrel.exe
    // under the given file name. The folder is removed again with the object.
    explicit KestrelSandbox(const std::string& tag, const std::string& exeName = "Kestrel.exe",
                            const std::string& parent = "");
    ~KestrelSandbox();
    KestrelSandbox(const KestrelSandbox&) = delete;
    KestrelSandbox& operator=(const KestrelSandbox&) = delete;

    const std::string& Program() const { return m_program; }

    void Write(const std::string& name, const std::string& content) const;
    std::optional<std::string> Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

    // Starts the program with this text after its quoted path and waits for it; the exit
    // code, or -1 when it did not end within the time limit (it is then ended).
    int Run(const std::string& arguments, unsigned timeoutMs = 120000) const;

    // A run that goes on while the test does other things; ended at once, as a technician's
    // task manager would end it, with the object.
    struct Killer {
        void operator()(void* process) const;
    };
    using Started = std::unique_ptr<void, Killer>;
    Started Start(const std::string& arguments) const;

private:
    std::string CommandLine(const std::string& arguments) const;

    std::string m_folder;  // with a trailing "\"
    std::string m_program;
};

}  // namespace kestrel::e2e
