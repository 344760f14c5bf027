#include "support/fake_machine.h"

namespace kestrel::testing {

FakeMachine::FakeMachine()
    : ctx(os::Ports{env, files, ini, debugOut, clock, wow64, volumes, shell, system, prompts,
                    registry, security, processes, processQuery, hives, handles, network, http}) {
    files.AddDrive("C:");
    files.AddFolder("C:\\Windows\\system32");
    files.AddFile("C:\\Windows\\explorer.exe", "MZ");
    files.AddFolder("C:\\Program Files");
    files.AddFolder("C:\\Program Files (x86)");
    files.AddFolder("C:\\ProgramData");
    files.AddFolder("C:\\Users\\Public");
    files.AddFolder("C:\\Users\\Default");
    files.AddFolder("C:\\Users\\tech\\AppData\\Local\\Temp");
    files.AddFile("C:\\Kestrel\\Kestrel.exe", "MZ");
    files.tempFolder = "C:\\Users\\tech\\AppData\\Local\\Temp\\";
    env.programFile = "C:\\Kestrel\\Kestrel.exe";
    env.SetArguments("");
    env.commandLine = "\"C:\\Kestrel\\Kestrel.exe\"";
    env.specialFolders[0x24] = "C:\\Windows";
    for (const auto& [name, value] : std::initializer_list<std::pair<const char*, const char*>>{
             {"ComputerName", "WORKSHOP-PC"},
             {"UserName", "tech"},
             {"SystemDrive", "C:"},
             {"SystemRoot", "C:\\Windows"},
             {"windir", "C:\\Windows"},
             {"HomeDrive", "C:"},
             {"UserProfile", "C:\\Users\\tech"},
             {"ProgramFiles", "C:\\Program Files"},
             {"ProgramFiles(x86)", "C:\\Program Files (x86)"},
             {"ProgramData", "C:\\ProgramData"},
             {"CommonProgramFiles", "C:\\Program Files\\Common Files"},
             {"TEMP", "C:\\Users\\tech\\AppData\\Local\\Temp"},
             {"TMP", "C:\\Users\\tech\\AppData\\Local\\Temp"},
             {"OS", "Windows_NT"},
         }) {
        env.Set(name, value);
    }
    // The signed-in technician's account, whose SID the program's token carries.
    security.AddAccount("tech", registry.tokenSids.front());
    registry.AddKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    registry.AddKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                    os::RegView::k32);
    registry.AddKey("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    // The window's messages that processes' waits wake up for are handled by DoEvents.
    prompts.onDoEvents = [this](int) { processes.pendingMessages = 0; };
}

}  // namespace kestrel::testing
