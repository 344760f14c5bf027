#include "base/strings.h"
#include "contract/registry_world.h"
#include "os/fake/fake_process_query.h"
#include "os/fake/fake_processes.h"
#include "os/fake/fake_registry.h"
#include "os/fake/fake_security.h"

namespace kestrel::testing {
namespace {

class FakeRegistryWorld : public RegistryWorld {
public:
    FakeRegistryWorld() {
        m_security.AddAccount("tech", m_registry.tokenSids.front());
        m_registry.AddKey("HKCU\\Software\\KestrelTests");
        m_registry.AddKey("HKLM\\SOFTWARE\\KestrelTests");
    }
    os::Registry& Registry() override { return m_registry; }
    os::Security& Security() override { return m_security; }
    std::string UserKey() override { return "Software\\KestrelTests\\fake-1"; }
    std::string MachineKey() override { return "SOFTWARE\\KestrelTests\\fake-1"; }
    std::string CurrentUser() override { return "tech"; }

private:
    os::fake::FakeRegistry m_registry;
    os::fake::FakeSecurity m_security{m_registry};
};

// Child command lines are "child.exe <steps>"; the fallback handler acts them out.
class FakeProcessWorld : public ProcessWorld {
public:
    FakeProcessWorld() {
        m_processes.fallback = [](const std::string& line) -> std::optional<Program> {
            if (!StartsWith(line, "child.exe ")) {
                return std::nullopt;
            }
            Program program;
            for (const std::string& step : Split(line.substr(10), ",")) {
                const size_t colon = step.find(':');
                const std::string verb = step.substr(0, colon);
                const auto number = static_cast<uint32_t>(std::stoul(step.substr(colon + 1)));
                if (verb == "sleep") {
                    program.runMs += number;
                } else if (verb == "spawn") {
                    program.children.push_back("child.exe sleep:" + std::to_string(number));
                } else if (verb == "exit") {
                    program.exitCode = number;
                }
            }
            return program;
        };
    }
    os::Processes& Processes() override { return m_processes; }
    std::string Child(const std::string& steps) override { return "child.exe " + steps; }
    std::string MissingProgram() override { return "C:\\nowhere\\missing.exe /x"; }
    uint32_t OwnPid() override { return m_processes.ownPid; }
    uint32_t Now() override { return m_clock.milliseconds; }
    os::ProcessQuery& Query() override { return m_query; }
    std::string ChildName() override { return "child.exe"; }
    std::string CurrentUser() override { return m_processes.startedOwner; }

private:
    using Program = os::fake::FakeProcesses::Program;
    os::fake::FakeClock m_clock;
    os::fake::FakeProcesses m_processes{m_clock};
    os::fake::FakeProcessQuery m_query{m_processes};
};

}  // namespace

std::unique_ptr<RegistryWorld> MakeFakeRegistryWorld() {
    return std::make_unique<FakeRegistryWorld>();
}

std::unique_ptr<ProcessWorld> MakeFakeProcessWorld() {
    return std::make_unique<FakeProcessWorld>();
}

}  // namespace kestrel::testing
