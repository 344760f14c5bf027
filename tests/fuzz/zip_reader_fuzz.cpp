// Any bytes as an archive: opening and extracting it into C:\out never touches anything
// outside C:\out, never writes a file larger than 1 GiB, and a refusal as unsafe comes with
// a failed extraction.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "base/strings.h"
#include "support/fake_machine.h"
#include "zip/zip_extraction.h"

namespace {

using kestrel::testing::FakeMachine;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

struct Events : kestrel::ZipEvents {
    int errors = 0;
    void ZipError(int32_t, const std::string&) override { ++errors; }
};

bool Inside(const std::string& path) {
    const std::string root = "C:\\out";
    return path.size() >= root.size() && kestrel::EqualsNoCase(path.substr(0, root.size()), root) &&
           (path.size() == root.size() || path[root.size()] == '\\');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FakeMachine m;
    m.files.AddFile("C:\\in.zip", std::string(reinterpret_cast<const char*>(data), size));
    m.files.AddFile("C:\\out\\keep.txt", "kept");
    const auto all = m.files.AllPaths();
    const std::set<std::string> before(all.begin(), all.end());

    Events events;
    kestrel::ZipExtractionClass zip(m.ctx, events);
    if (zip.OpenZip("C:\\in.zip")) {
        const bool ok = zip.Extract("C:\\out", true, size % 2 == 0);
        Require(!ok || events.errors == 0);
        Require(!zip.RefusedUnsafe() || !ok);
    }
    for (const std::string& path : m.files.AllPaths()) {
        if (before.count(path) == 0) {
            Require(Inside(path));
            Require(m.files.Content(path).value_or("").size() <= (1u << 30));
        }
    }
    Require(m.files.Content("C:\\in.zip")->size() == size);
    return 0;
}
