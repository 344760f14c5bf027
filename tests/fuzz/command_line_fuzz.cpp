// The command-line parser takes any text: it never crashes, ends every plan with the clean-up
// unless a package download ends it early, and never passes a blank definition to "/u=".
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "base/strings.h"
#include "core/debug_log.h"

namespace {
class NullOutput : public kestrel::os::DebugOutput {
public:
    void Write(std::string_view) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    NullOutput out;
    kestrel::DebugLog log(out);
    std::vector<kestrel::Action> plan = kestrel::ParseCommandLine(line, log);
    (void)kestrel::CommandArgumentsOf(line);
    if (plan.empty()) {
        std::abort();
    }
    const kestrel::ActionKind last = plan.back().kind;
    if (last != kestrel::ActionKind::kRemoveOldExe && last != kestrel::ActionKind::kGetConfig &&
        last != kestrel::ActionKind::kGetDefs) {
        std::abort();
    }
    for (const kestrel::Action& a : plan) {
        if (a.kind == kestrel::ActionKind::kUninstall && kestrel::Trim(a.argument).empty()) {
            std::abort();
        }
    }
    return 0;
}
