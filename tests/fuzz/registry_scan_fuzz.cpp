// Any data in the Uninstall subkeys of both registry views, of any type (texts with or without
// their NUL, expandable and multi-texts, numbers, binary data): the installed-applications scan
// gives no more records than there are subkeys, each one named (a name that itself begins with
// "|" leaves the record's first field empty), free of NULs and no longer than the data it came
// from; it closes every key it opens; and the report written from it names every listed
// application.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/strings.h"
#include "inventory/app_list.h"
#include "inventory/inventory_scan.h"
#include "inventory/report.h"
#include "support/fake_machine.h"

namespace {

using kestrel::testing::FakeMachine;
namespace os = kestrel::os;

const char* const kUninstall = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char* const kNames[] = {"DisplayName",       "UninstallString", "QuietUninstallString",
                              "ParentDisplayName", "Publisher",       "DisplayVersion"};
const uint32_t kTypes[] = {os::regtype::kSz,
                           os::regtype::kExpandSz,
                           os::regtype::kMultiSz,
                           os::regtype::kDword,
                           os::regtype::kBinary,
                           os::regtype::kNone,
                           11 /* REG_QWORD */};

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string KeyName(FuzzedDataProvider& in, size_t index) {
    std::string name = in.ConsumeRandomLengthString(40);
    for (char& c : name) {
        if (c == '\\' || c == '\0') {
            c = '_';
        }
    }
    return name.empty() ? "App" + std::to_string(index) : name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    FakeMachine m;
    m.ctx.definitions.blacklist = "C:\\Kestrel\\Kestrel.txt";
    m.ctx.definitions.whitelist = "C:\\Kestrel\\Kestrel_Whitelist.txt";

    const bool firstKeyMissing = in.ConsumeIntegralInRange<int>(0, 15) == 0;
    if (firstKeyMissing) {
        (void)m.registry.RemoveTree(kUninstall);
    }
    const size_t subkeys = in.ConsumeIntegralInRange<size_t>(0, 12);
    size_t longestName = 0;
    size_t dataBytes = 0;
    bool native = false;  // a subkey in the 64-bit view makes the removed key exist again
    for (size_t k = 0; k < subkeys; ++k) {
        const os::RegView view = in.ConsumeBool() ? os::RegView::k64 : os::RegView::k32;
        native = native || view == os::RegView::k64;
        const std::string name = KeyName(in, k);
        longestName = std::max(longestName, name.size());
        const std::string key = std::string(kUninstall) + "\\" + name;
        m.registry.AddKey(key, view);
        const size_t values = in.ConsumeIntegralInRange<size_t>(0, 7);
        for (size_t v = 0; v < values; ++v) {
            const std::string valueName = in.ConsumeIntegralInRange<int>(0, 9) == 0
                                              ? in.ConsumeRandomLengthString(16)
                                              : in.PickValueInArray(kNames);
            const uint32_t type = in.PickValueInArray(kTypes);
            const std::string bytes = in.ConsumeRandomLengthString(300);
            dataBytes += bytes.size();
            m.registry.PutValue(key, valueName, type, bytes, view);
        }
    }
    const std::string lists = in.ConsumeRemainingBytesAsString();
    const size_t nul = lists.find('\0');
    m.files.AddFile(m.ctx.definitions.blacklist, lists.substr(0, nul));
    if (nul != std::string::npos) {
        m.files.AddFile(m.ctx.definitions.whitelist, lists.substr(nul + 1));
    }

    const std::vector<std::string> records = kestrel::ScanInstalledApps(m.ctx, {});
    Require(records.size() <= subkeys);
    // Without the 64-bit Uninstall key, the scan reads nothing, not even the 32-bit view.
    Require(!firstKeyMissing || native || records.empty());
    for (const std::string& record : records) {
        Require(record.size() <= 3 + longestName + dataBytes);
        Require(record.find('\0') == std::string::npos);
        // Only a display name that itself begins with "|" splits into an empty first field.
        Require(!kestrel::SplitAppRecord(record).displayName.empty() || record[0] == '|');
    }
    Require(m.registry.OpenHandleCount() == 0);

    kestrel::AppLists apps;
    kestrel::EnumerateInstalledApps(m.ctx, apps);
    Require(apps.matching.size() + apps.notInDefs.size() <= records.size());
    Require(m.registry.OpenHandleCount() == 0);

    kestrel::LogResultsOnly(m.ctx, apps, false, false, nullptr);
    const std::optional<std::string> report = m.files.Content("C:\\Kestrel\\Kestrel_Report.txt");
    Require(report && *report == kestrel::ReportText(apps) + "\r\n");
    for (const auto* list : {&apps.matching, &apps.notInDefs}) {
        for (const kestrel::AppListEntry& entry : *list) {
            Require(!entry.data.empty() && report->find(entry.data[0]) != std::string::npos);
        }
    }
    return 0;
}
