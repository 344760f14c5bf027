#pragma once
// What the switches of the command line (and the window road) set going. Main works the
// parsed command line through one of these; the composition root hands in the real one.

#include <string>

namespace kestrel {

class ProgramActions {
public:
    virtual ~ProgramActions() = default;
    virtual void Update() = 0;
    virtual void GetConfig(const std::string& packageName) = 0;
    virtual void GetDefs(const std::string& packageName) = 0;
    virtual void AutoRun() = 0;
    virtual void UninstallFromCommandLine(const std::string& definition) = 0;
    virtual void FixBrowsers() = 0;
    virtual void SendReport() = 0;
    virtual void LogReport() = 0;
    virtual void Preview() = 0;
    virtual void JsonReport() = 0;
    virtual void ShowMainWindow() = 0;
    // Runs once at every start, before the command line or the window: puts right what a run
    // that was ended abruptly left behind.
    virtual void RecoverInterruptedRun() {}
};

}  // namespace kestrel
