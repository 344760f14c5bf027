// The registry-leftovers sweep in the common case: 500 key definitions, 500 value definitions
// and 100 Run values, none of them present, applied to HKLM, HKCU, the users of HKU and two
// mounted profile hives in both registry views, against the same number of bare opens of
// missing keys. The fastest of several runs on each side; run it in a fresh prefix
// (bench/cleanup.sh), since it mounts hives.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/context.h"
#include "engine/registry_leftovers.h"
#include "engine/registry_places.h"
#include "os/owned.h"
#include "os/win32/port_set.h"

namespace {

using kestrel::Context;
namespace os = kestrel::os;

constexpr int kKeys = 500;
constexpr int kValues = 500;
constexpr int kRunValues = 100;
constexpr int kRuns = 3;
const std::vector<std::string> kHives = {"guest_bench1", "guest_bench2"};

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

std::string Numbered(const char* format, int n) {
    char text[128];
    std::snprintf(text, sizeof(text), format, n, n);
    return text;
}

bool WriteList(Context& ctx, const std::string& file, const char* format, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += Numbered(format, i) + "\r\n";
    }
    (void)ctx.os.files.Delete(file);
    return ctx.os.files.Write(file, text, os::WriteMode::kTruncate) == 0;
}

void Privileges(Context& ctx, bool enable) {
    for (const char* name : {"SeRestorePrivilege", "SeBackupPrivilege"}) {
        os::SecurityStep failed = os::SecurityStep::kNone;
        (void)ctx.os.security.AdjustPrivilege(name, enable, failed);
    }
}

// The lists, two hive files saved from scratch keys and mounted, and their removal (also
// after a failure half-way).
class Fixture {
public:
    explicit Fixture(Context& ctx) : m_ctx(ctx), m_folder(ctx.os.files.TempFolder() + "kcb\\") {}
    ~Fixture() {
        for (const std::string& hive : kHives) {
            (void)m_ctx.os.hives.UnLoadKey(os::kHkeyLocalMachine, hive);
            (void)m_ctx.os.files.Delete(m_folder + hive + ".dat");
            (void)m_ctx.os.registry.DeleteKey(os::kHkeyLocalMachine, "Software\\Kcb_" + hive,
                                              os::RegView::k64);
        }
        Privileges(m_ctx, false);
        const kestrel::DefinitionPaths& d = m_ctx.definitions;
        for (const std::string& file : {d.regKeys, d.regValues, d.runValues}) {
            (void)m_ctx.os.files.Delete(file);
        }
        (void)m_ctx.os.files.RemoveFolder(m_folder);
    }

    bool Make() {
        (void)m_ctx.os.files.CreateFolder(m_folder);
        m_ctx.definitions = kestrel::DefinitionPathsIn(m_folder);
        const kestrel::DefinitionPaths& d = m_ctx.definitions;
        if (!WriteList(m_ctx, d.regKeys, "Software\\BenchVendor%03d\\Product%03d", kKeys) ||
            !WriteList(m_ctx, d.regValues, "Software\\BenchVendor%03d\\Setting%03d", kValues) ||
            !WriteList(m_ctx, d.runValues, "BenchTray%03d", kRunValues)) {
            std::printf("cleanup_bench: could not write the lists in %s\n", m_folder.c_str());
            return false;
        }
        Privileges(m_ctx, true);
        for (const std::string& hive : kHives) {
            if (!MountHive(hive)) {
                return false;
            }
        }
        m_ctx.mountedHives = kHives;
        return true;
    }

private:
    bool MountHive(const std::string& hive) {
        os::Registry& reg = m_ctx.os.registry;
        const std::string scratch = "Software\\Kcb_" + hive;
        const std::string file = m_folder + hive + ".dat";
        uint32_t error = 0;
        {
            os::OwnedKey key(reg);
            os::OwnedKey software(reg);
            error = reg.CreateKey(os::kHkeyLocalMachine, scratch, os::regaccess::kAllAccess,
                                  os::RegView::k64, key.Out());
            if (error == 0) {
                error =
                    reg.CreateKey(key.Get(), "Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                  os::regaccess::kAllAccess, os::RegView::k64, software.Out());
            }
            if (error == 0) {
                (void)m_ctx.os.files.Delete(file);
                error = m_ctx.os.hives.SaveKey(key.Get(), file);
            }
        }
        if (error == 0) {
            error = m_ctx.os.hives.LoadKey(os::kHkeyLocalMachine, hive, file);
        }
        if (error != 0) {
            std::printf("cleanup_bench: could not mount %s (error %u)\n", hive.c_str(), error);
        }
        return error == 0;
    }

    Context& m_ctx;
    std::string m_folder;
};

// The program's debug channel, which can be muted to see what the lines cost.
class MutableDebugOutput : public os::DebugOutput {
public:
    explicit MutableDebugOutput(os::DebugOutput& channel) : m_channel(channel) {}
    void Write(std::string_view line) override {
        if (on) {
            m_channel.Write(line);
        }
    }
    bool on = true;

private:
    os::DebugOutput& m_channel;
};

double Sweep(Context& ctx) {
    const double start = NowMs();
    kestrel::DeleteRegValueDefinitions(ctx);
    kestrel::DeleteRegKeyDefinitions(ctx);
    kestrel::DeleteRunValueDefinitions(ctx);
    return NowMs() - start;
}

double BareOpens(Context& ctx, size_t count) {
    os::Registry& reg = ctx.os.registry;
    const double start = NowMs();
    for (size_t i = 0; i < count; ++i) {
        os::OwnedKey key(reg);
        const os::RegView view = i % 2 == 0 ? os::RegView::k64 : os::RegView::k32;
        (void)reg.OpenKey(os::kHkeyLocalMachine,
                          "Software\\BenchVendor" + std::to_string(i % kKeys) + "\\Product",
                          os::regaccess::kSetValue, view, key.Out());
    }
    return NowMs() - start;
}

}  // namespace

int main() {
    os::win32::PortSet ports;
    MutableDebugOutput channel(ports.Get().debugOut);
    Context ctx(ports.Get(&channel));
    ctx.redirection.SetAllowed(true);
    Fixture fixture(ctx);
    if (!fixture.Make()) {
        return 1;
    }
    const size_t places = kestrel::RegistryPlaces(ctx).size();
    if (places < 6) {
        std::printf("cleanup_bench: %zu places instead of at least 6\n", places);
        return 1;
    }
    // Keys and values in both views, Run values in six keys.
    const size_t definitionPlaces = places * (2 * (kKeys + kValues) + 6 * kRunValues);
    std::vector<double> sweeps;
    std::vector<double> muted;
    std::vector<double> opens;
    for (int run = 0; run < kRuns; ++run) {
        sweeps.push_back(Sweep(ctx));
        channel.on = false;
        muted.push_back(Sweep(ctx));
        channel.on = true;
        opens.push_back(BareOpens(ctx, definitionPlaces));
    }
    const double sweep = *std::min_element(sweeps.begin(), sweeps.end());
    const double quiet = *std::min_element(muted.begin(), muted.end());
    const double peer = *std::min_element(opens.begin(), opens.end());
    const double each = 1000.0 * sweep / static_cast<double>(definitionPlaces);
    std::printf(
        "registry_cleanup_sweep_ms: %.1f (ratio to peer: %.2fx the time of %zu bare opens of "
        "missing keys, which took %.1f ms; %zu places; goal: under 2000 ms)\n",
        sweep, sweep / peer, definitionPlaces, peer, places);
    std::printf(
        "registry_cleanup_per_definition_place_us: %.1f (ratio to peer: %.2fx one bare "
        "open)\n",
        each, sweep / peer);
    std::printf("registry_cleanup_sweep_without_debug_lines_ms: %.1f (ratio to peer: %.2fx)\n",
                quiet, quiet / peer);
    return 0;
}
