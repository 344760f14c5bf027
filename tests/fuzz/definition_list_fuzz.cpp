// Any bytes as the blacklist and whitelist files: loading them into the text boxes drops empty
// lines and survives a save and a reload unchanged; every line's term is found in a name that
// holds it, ignoring case; and the scan places each registered application in at most one
// list, checked exactly when it matches, none hidden by a disabled line.
// The input is the blacklist up to its first NUL byte, and the whitelist after it.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/strings.h"
#include "base/strip.h"
#include "inventory/app_filters.h"
#include "inventory/app_list.h"
#include "inventory/definition_lists.h"
#include "inventory/inventory_scan.h"
#include "inventory/matching.h"
#include "support/fake_machine.h"

namespace {

using kestrel::testing::FakeMachine;

class NoNotices : public kestrel::NoticeSink {
public:
    void Notice(const std::string&, const std::string&) override {}
};

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A loaded box holds the file's non-empty lines joined by CR LF, and nothing else.
void CheckBox(const std::string& box, const std::string& file) {
    Require(box.size() <= 2 * file.size());
    Require(box.empty() || (!kestrel::StartsWith(box, "\r\n") && !kestrel::EndsWith(box, "\r\n")));
    Require(box.find("\r\n\r\n") == std::string::npos);
}

void CheckLoadAndSave(FakeMachine& m, const std::string& blacklist, const std::string& whitelist) {
    kestrel::DefinitionBoxes boxes;
    NoNotices notices;
    kestrel::DefinitionLists lists(m.ctx, boxes, notices);
    lists.ReloadBlacklist();
    lists.ReloadWhitelist();
    lists.ReloadRegistryDefinitions();
    CheckBox(boxes.txtDefs, blacklist);
    CheckBox(boxes.Text1, whitelist);
    Require(boxes.Text4 == boxes.txtDefs);  // the registry lists hold the blacklist's bytes

    const kestrel::DefinitionBoxes loaded = boxes;
    lists.SaveBlacklist();
    lists.SaveWhitelist();
    lists.ReloadBlacklist();
    lists.ReloadWhitelist();
    Require(boxes.txtDefs == loaded.txtDefs);
    Require(boxes.Text1 == loaded.Text1);
}

// Every line's term (the text before its last "|") matches what contains it (enabled lines) or
// hides what begins with it (";" lines), ignoring case; as a whitelist line, it protects what
// contains it.
void CheckMatching(const std::vector<std::string>& lines) {
    const kestrel::BlacklistTerms terms = kestrel::BlacklistTermsOf(lines);
    Require(terms.enabled.size() + terms.disabled.size() <= lines.size());
    for (const std::string& line : lines) {
        const std::string term = kestrel::SearchTerm(line);
        const bool disabled = kestrel::StartsWith(line, ";");
        const std::string text = disabled ? term.substr(1) : term;
        if (kestrel::Trim(text).empty() || kestrel::Trim(text) != text) {
            continue;
        }
        const std::string name = "x" + text + "y";
        // The whitelist has no disabled lines: its term keeps the ";".
        const std::string listed = "x" + term + "y";
        Require(kestrel::WhitelistProtects({line}, listed, ""));
        Require(kestrel::LineTermNames(line, "", kestrel::LCase(listed)));
        if (disabled) {
            Require(kestrel::MatchesDisabledDefinition(lines, text + " 2.0", ""));
            Require(kestrel::MatchesDisabledDefinition(lines, "", kestrel::UCase(text)));
        } else {
            Require(kestrel::MatchesDefinition(lines, name, ""));
            Require(kestrel::MatchesDefinition(lines, "  ", kestrel::UCase(name)));
        }
    }
}

// Registers a few applications, some named after the list's own lines, and runs the scan.
void CheckScan(FakeMachine& m, const std::vector<std::string>& lines) {
    const std::string uninstall = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    std::vector<std::string> names = {"Mozilla Firefox", "Example Toolbar 2.1", "Notepad++"};
    for (size_t i = 0; i < lines.size() && i < 6; ++i) {
        names.push_back(kestrel::SearchTerm(lines[i]));
    }
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string key = uninstall + "App" + std::to_string(i);
        m.registry.PutString(key, "DisplayName", names[i]);
        m.registry.PutString(key, "UninstallString", "C:\\App\\uninst.exe");
    }
    kestrel::AppLists lists;
    kestrel::EnumerateInstalledApps(m.ctx, lists);
    Require(lists.matching.size() + lists.notInDefs.size() <= names.size());
    for (const kestrel::AppListEntry& entry : lists.matching) {
        Require(entry.checked && entry.data.size() >= 1);
        Require(kestrel::MatchesDefinition(lines, kestrel::Trim(entry.data[0]),
                                           kestrel::Trim(entry.publisher)));
    }
    for (const kestrel::AppListEntry& entry : lists.notInDefs) {
        Require(!entry.checked && entry.data.size() >= 1);
        Require(!kestrel::MatchesDefinition(lines, kestrel::Trim(entry.data[0]),
                                            kestrel::Trim(entry.publisher)));
    }
    for (const auto* list : {&lists.matching, &lists.notInDefs}) {
        for (const kestrel::AppListEntry& entry : *list) {
            Require(!kestrel::MatchesDisabledDefinition(lines, entry.data[0], entry.publisher));
        }
    }
    Require(m.registry.OpenHandleCount() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t nul = input.find('\0');
    const std::string blacklist = input.substr(0, nul);
    const std::string whitelist = nul == std::string::npos ? std::string() : input.substr(nul + 1);

    FakeMachine m;
    m.ctx.definitions = kestrel::DefinitionPathsIn("C:\\Kestrel\\");
    m.files.AddFile(m.ctx.definitions.blacklist, blacklist);
    m.files.AddFile(m.ctx.definitions.whitelist, whitelist);
    m.files.AddFile(m.ctx.definitions.regValues, blacklist);

    CheckLoadAndSave(m, blacklist, whitelist);
    // The save above rewrote the files; the scan reads what the technician would have saved.
    const std::vector<std::string> lines =
        kestrel::ReadListLines(m.ctx, m.ctx.definitions.blacklist);
    CheckMatching(lines);
    CheckScan(m, lines);
    return 0;
}
