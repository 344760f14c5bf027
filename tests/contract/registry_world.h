#pragma once
// Worlds for the registry, security and process ports: the fakes, or (under Wine) the real
// Windows calls with their own keys, which are removed with their trees afterwards.

#include <memory>
#include <string>

#include "contract/worlds.h"
#include "os/process_query.h"
#include "os/processes.h"
#include "os/registry.h"
#include "os/security.h"

namespace kestrel::testing {

class RegistryWorld {
public:
    virtual ~RegistryWorld() = default;
    virtual os::Registry& Registry() = 0;
    virtual os::Security& Security() = 0;
    // Fresh keys of this world: below HKCU ("Software\KestrelTests\...") and below HKLM
    // ("SOFTWARE\KestrelTests\...", in both views). Neither exists yet.
    virtual std::string UserKey() = 0;
    virtual std::string MachineKey() = 0;
    // The account the program runs as.
    virtual std::string CurrentUser() = 0;
    // Wine deletes a key whose access list denies DELETE; Windows and the fake answer 5.
    virtual bool DeletesIgnoreDenyEntries() const { return false; }
    // Wine's ANSI query adds the NUL that a REG_SZ stored without one lacks; Windows and the
    // fake give back the bytes stored.
    virtual bool AddsMissingNul() const { return false; }
};

class ProcessWorld {
public:
    virtual ~ProcessWorld() = default;
    virtual os::Processes& Processes() = 0;
    // The command line of a child that runs the steps of the test programs' child mode
    // ("sleep:MS", "spawn:MS", "exit:N", separated by ",").
    virtual std::string Child(const std::string& steps) = 0;
    // A command line whose program does not exist.
    virtual std::string MissingProgram() = 0;
    virtual uint32_t OwnPid() = 0;
    // Milliseconds that pass in this world (the fake's clock, the real one).
    virtual uint32_t Now() = 0;

    virtual os::ProcessQuery& Query() = 0;
    // The program file name the children run under.
    virtual std::string ChildName() = 0;
    // The account this program runs as.
    virtual std::string CurrentUser() = 0;
    // Wine does not implement Win32_Process.Terminate (WBEM_E_INVALID_METHOD); Windows and the
    // fake end the process.
    virtual bool WmiTerminateMissing() const { return false; }
};

class RegistryContract : public WorldSuite<RegistryWorld> {
protected:
    os::Registry& r = W().Registry();
};
class SecurityContract : public RegistryContract {
protected:
    os::Security& sec = W().Security();
};
class ProcessContract : public WorldSuite<ProcessWorld> {
protected:
    os::Processes& ps = W().Processes();
};

std::unique_ptr<RegistryWorld> MakeFakeRegistryWorld();
std::unique_ptr<ProcessWorld> MakeFakeProcessWorld();

}  // namespace kestrel::testing
