#include "engine/auto_preview.h"

#include <set>
#include <vector>

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "core/run_log.h"
#include "core/settings.h"
#include "engine/file_system_leftovers.h"
#include "engine/leftover_actions.h"
#include "engine/protected_paths.h"
#include "engine/registry_leftovers.h"
#include "engine/uninstall_by_definition.h"
#include "platform/file_tests.h"
#include "platform/path_forms.h"
#include "platform/registry.h"
#include "platform/text_file.h"
#include "platform/user_hives.h"

namespace kestrel {
namespace {

// Lines in the order they were first added, each once.
class UniqueLines {
public:
    void Add(const std::string& line) {
        if (m_seen.insert(LCase(line)).second) {
            m_lines.push_back(line);
        }
    }
    const std::vector<std::string>& Lines() const { return m_lines; }

private:
    std::set<std::string> m_seen;
    std::vector<std::string> m_lines;
};

// The leftovers' actions of a preview: each object that exists now is noted, nothing is done.
// The cleanup reaches some registry objects twice: the current user's hive as HKCU and as its
// HKU key, and a user hive's "Software" (which Windows does not redirect) in both views. Each
// is named once, as HKCU and without "Wow6432Node".
class Noting : public LeftoverActions {
public:
    explicit Noting(std::string currentUserKey) : m_currentUserKey(std::move(currentUserKey)) {}

    UniqueLines files;
    UniqueLines keys;
    UniqueLines values;
    UniqueLines refused;

    void FileSystemObject(Context& ctx, const std::string& path,
                          const ProtectedPaths& guard) override {
        if (path.empty()) {
            return;
        }
        if (const std::string why = guard.Refusal(ctx, path); !why.empty()) {
            refused.Add(path + "  (" + why + ")");
            return;
        }
        if (HasWildcard(path)) {
            // The shell deletes what the pattern matches.
            std::vector<os::DirEntry> entries;
            const std::string folder = path.substr(0, path.find_last_of('\\') + 1);
            if (ctx.os.files.List(path, entries) == 0) {
                for (const os::DirEntry& entry : entries) {
                    if (entry.name != "." && entry.name != "..") {
                        files.Add(folder + entry.name);
                    }
                }
            }
        } else if (DoesDirExist(ctx, path)) {
            files.Add(path + "\\");
        } else if (DoesFileExist(ctx, path)) {
            files.Add(path);
        }
    }
    void RegistryKey(Context& ctx, const std::string& topKey, const std::string& parent,
                     const std::string& name) override {
        if (name.find_first_not_of('\\') == std::string::npos) {
            return;  // the deletion refuses it: it would take the parent
        }
        const std::string path = parent.empty() ? name : parent + "\\" + name;
        if (RegistryKeyExists(ctx, topKey, path)) {
            keys.Add(Named(topKey, path));
        }
    }
    void RegistryValue(Context& ctx, const std::string& topKey, const std::string& keyPath,
                       const std::string& name) override {
        if (RegistryValueExists(ctx, topKey, keyPath, name)) {
            values.Add(Named(topKey, keyPath) + "  value \"" + name + "\"");
        }
    }
    void RefusedDefinition(Context&, const std::string&, const std::string& why,
                           const std::string& entry) override {
        refused.Add(entry + "  (" + why + ")");
    }

private:
    std::string Named(const std::string& topKey, const std::string& path) const {
        const bool userHive = topKey == "HKCU" || topKey == "HKU";
        std::string named = topKey + "\\" + (userHive ? ReplaceAllNoCase(path, "Wow6432Node\\", "")
                                                      : path);
        if (!m_currentUserKey.empty() && StartsWithNoCase(named, m_currentUserKey)) {
            named = "HKCU\\" + named.substr(m_currentUserKey.size());
        }
        return named;
    }

    std::string m_currentUserKey;  // "HKU\<SID>\" of the user running the program
};

std::string CurrentUserKey(Context& ctx) {
    for (const UserHive& hive : UserHives(ctx, ctx.mountedHives)) {
        if (hive.current) {
            return "HKU\\" + hive.prefix;
        }
    }
    return {};
}

std::string Where(const InstalledApp& app) {
    return app.root.topKey + "\\" + app.KeyPath() +
           (app.root.PerUser() ? "" : " (" + app.root.view + ")");
}

struct UninstallPlan {
    std::vector<std::string> uninstall;
    size_t count = 0;
    std::vector<std::string> protectedApps;
};

// The blacklist's lines in file order, as "/auto" takes them, each with what it would
// uninstall. An application named by an earlier line is not named again: it would be gone.
UninstallPlan PlanUninstalls(Context& ctx) {
    UninstallPlan plan;
    const DefinitionPaths& defs = ctx.definitions;
    if (!DoesFileExist(ctx, defs.blacklist)) {
        plan.uninstall.push_back("  (no blacklist: nothing would be uninstalled)");
        return plan;
    }
    std::vector<std::string> blacklist;
    std::vector<std::string> whitelist;
    (void)ReadTextLines(ctx, defs.blacklist, blacklist);
    if (DoesFileExist(ctx, defs.whitelist)) {
        (void)ReadTextLines(ctx, defs.whitelist, whitelist);
    }
    const std::vector<UninstallRoot> roots = UninstallRoots(ctx);
    std::string firstKey;
    if (roots.empty() || fEnumKey(ctx, roots[0].topKey, roots[0].keyPath, firstKey) != 0) {
        plan.uninstall.push_back("  (the Uninstall key cannot be read: nothing would be uninstalled)");
        return plan;
    }
    std::set<std::string> named;
    for (const std::string& line : blacklist) {
        const std::string term = SearchTerm(line);
        if (Trim(term).empty() || term[0] == ';') {
            continue;
        }
        std::vector<std::string> lines;
        for (const UninstallRoot& root : roots) {
            for (const UninstallCandidate& c : FindUninstallCandidates(ctx, root, term, whitelist)) {
                const InstalledApp& app = c.app;
                if (!named.insert(LCase(app.root.topKey + "\\" + app.KeyPath())).second) {
                    continue;
                }
                const std::string name = ShownName(app.fields.displayName, app.root.user);
                switch (c.decision) {
                    case UninstallDecision::kUninstall:
                        ++plan.count;
                        lines.push_back("    " + name + "    [" + Where(app) + "]");
                        lines.push_back("        runs: " +
                                        (c.command.empty() ? "(nothing: no uninstall command)"
                                                           : c.command));
                        break;
                    case UninstallDecision::kWhitelisted:
                        plan.protectedApps.push_back("  " + name + "    (whitelist line \"" +
                                                     c.protectingLine + "\")");
                        break;
                    case UninstallDecision::kWindowsUpdate:
                        plan.protectedApps.push_back("  " + name + "    (a Windows update)");
                        break;
                }
            }
        }
        if (!lines.empty()) {
            plan.uninstall.push_back("  \"" + term + "\" names:");
            plan.uninstall.insert(plan.uninstall.end(), lines.begin(), lines.end());
        }
    }
    return plan;
}

void Section(std::vector<std::string>& out, const std::string& heading,
             const std::vector<std::string>& lines, const std::string& indent = "  ") {
    out.push_back("");
    out.push_back(heading + " (" + std::to_string(lines.size()) + ")");
    out.push_back(std::string(40, '-'));
    if (lines.empty()) {
        out.push_back(indent + "(none)");
    }
    for (const std::string& line : lines) {
        out.push_back(indent + line);
    }
}

}  // namespace

std::string AutoRunPreviewText(Context& ctx) {
    std::vector<std::string> out = {
        "Kestrel preview of /auto on " + ctx.os.env.Variable("computername") + ", " +
            GeneralDateTime(ctx),
        "Nothing was changed. This is what \"Kestrel.exe /auto\" would do now, in this order."};

    const UninstallPlan plan = PlanUninstalls(ctx);
    out.push_back("");
    out.push_back("Would uninstall, by the blacklist's lines in their order (" +
                  std::to_string(plan.count) + ")");
    out.push_back(std::string(40, '-'));
    if (plan.uninstall.empty()) {
        out.push_back("  (none)");
    }
    out.insert(out.end(), plan.uninstall.begin(), plan.uninstall.end());
    Section(out, "Named by the blacklist but protected, not uninstalled", plan.protectedApps, "");

    Noting noting(CurrentUserKey(ctx));
    CleanFileSystemLeftovers(ctx, noting);
    (void)CleanRegistryLeftovers(ctx, noting, false);
    Section(out, "Files and folders that exist now and would be deleted", noting.files.Lines());
    Section(out, "Registry keys that exist now and would be deleted", noting.keys.Lines());
    Section(out, "Registry and Run values that exist now and would be deleted",
            noting.values.Lines());
    Section(out, "Definitions refused as dangerous (never deleted)", noting.refused.Lines());
    return Join(out, "\r\n");
}

std::string PreviewAutoRun(Context& ctx) {
    const std::string text = AutoRunPreviewText(ctx);
    (void)SaveTextToFile(ctx, AppPath(ctx) + kPreviewFileName, text, true, false);
    for (const std::string& line : Split(text, "\r\n")) {
        ctx.debug.Print(line);
    }
    return text;
}

}  // namespace kestrel
