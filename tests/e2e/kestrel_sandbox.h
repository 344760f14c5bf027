#pragma once
// A program folder with its own copy of Kestrel.exe, for running the real program under Wine
// exactly as a technician would: started with a literal command line, waited for, and judged
// by the files it leaves.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::e2e {

class KestrelSandbox {
public:
    // A fresh folder below C:\kestrel-e2e (or below parent when given) holding Kestrel.exe
    // under the given file name. The folder is removed again with the object.
    explicit KestrelSandbox(const std::string& tag, const std::string& exeName = "Kestrel.exe",
                            const std::string& parent = "");
    ~KestrelSandbox();
    KestrelSandbox(const KestrelSandbox&) = delete;
    KestrelSandbox& operator=(const KestrelSandbox&) = delete;

    // The program folder with a trailing "\".
    const std::string& Folder() const { return m_folder; }
    const std::string& Program() const { return m_program; }

    void Write(const std::string& name, const std::string& content) const;
    std::optional<std::string> Read(const std::string& name) const;
    bool Exists(const std::string& name) const;

    // Starts the program with this text after its quoted path and waits for it; the exit
    // code, or -1 when it did not end within the time limit (it is then ended).
    int Run(const std::string& arguments, unsigned timeoutMs = 120000) const;
    // The same, also collecting the program's debug lines (it runs under this program as its
    // debugger).
    int RunDebugged(const std::string& arguments, std::vector<std::string>& debugLines,
                    unsigned timeoutMs = 120000) const;

    // A run that goes on while the test does other things.
    class Started {
    public:
        explicit Started(void* process) : m_process(process) {}
        Started(Started&& other) noexcept : m_process(other.m_process) {
            other.m_process = nullptr;
        }
        Started(const Started&) = delete;
        Started& operator=(const Started&) = delete;
        ~Started();  // ends the program when it still runs
        // Ends the program at once, as a technician's task manager would.
        void Kill();
        bool Running() const;

    private:
        void* m_process;
    };
    Started Start(const std::string& arguments) const;

private:
    // Starts the program (suspended for a debugger when debugged); throws when it cannot.
    void* Launch(const std::string& arguments, uint32_t flags) const;

    std::string m_folder;
    std::string m_program;
};

// The folder of the running test program (K:\ under the build's runner), with "\".
std::string TestProgramFolder();

}  // namespace kestrel::e2e
