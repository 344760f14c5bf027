#include "platform/file_search.h"

#include <unordered_set>

#include "base/strings.h"
#include "core/context.h"
#include "platform/file_tests.h"
#include "platform/folder_entries.h"
#include "platform/path_forms.h"

namespace kestrel {
namespace {

struct Search {
    Context& ctx;
    std::vector<std::string> specs;
    bool recurse;
    std::vector<std::string>& found;
    std::unordered_set<std::string> keys;  // lower-case paths already found
};

const VbError kDuplicateKey{457,
                            "This key is already associated with an element of this collection"};

void AddMatches(Search& s, const std::string& folder, const std::string& spec) {
    std::vector<os::DirEntry> entries;
    {
        RedirectionOff off(s.ctx.redirection);
        (void)s.ctx.os.files.List(folder + spec, entries);
    }
    for (const os::DirEntry& e : entries) {
        if (IsFolderEntry(e)) {
            continue;
        }
        const std::string path = folder + e.name;
        if (!s.keys.insert(LCase(path)).second) {
            s.ctx.debug.Error(
                "FindFiles:  ", kDuplicateKey,
                {"\tRecurseDirs:  " + ToText(s.recurse), "\tPath:  " + folder, "\tFile:  " + e.name,
                 "\tSpec:  " + spec, "\tbFSRedirDisabled:  " + ToText(s.ctx.redirection.IsOff())});
            continue;
        }
        s.found.push_back(path);
    }
}

// The matches of every spec in one folder (with its trailing "\\"); false once the search was
// cancelled.
bool SearchFolder(Search& s, const std::string& folder) {
    for (const std::string& spec : s.specs) {
        if (s.ctx.cancelRequested) {
            return false;
        }
        if (!spec.empty() && spec.find_first_of("\\/:") == std::string::npos) {
            AddMatches(s, folder, spec);
        }
        s.ctx.os.prompts.DoEvents();
    }
    return true;
}

// The folder and, with recurse, its subfolders depth first: a stack rather than recursion, as
// a tree may be thousands of levels deep.
void RecurseDirs(Search& s, const std::string& top) {
    std::vector<std::string> pending{top};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        if (!SearchFolder(s, folder) || !s.recurse) {
            return;
        }
        std::vector<os::DirEntry> entries;
        {
            RedirectionOff off(s.ctx.redirection);
            (void)ReadFolder(s.ctx, folder, entries);
        }
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (IsFolderEntry(*e) && !IsLinkEntry(*e)) {
                pending.push_back(folder + e->name + "\\");
            }
        }
    }
}

}  // namespace

void FindFiles(Context& ctx, const std::string& folder, const std::string& specs,
               std::vector<std::string>& found, bool recurse) {
    found.clear();
    if (!DoesDirExist(ctx, folder)) {
        return;
    }
    Search search{ctx, Split(specs, ";"), recurse, found, {}};
    try {
        RecurseDirs(search, JoinPath(folder, ""));
    } catch (const std::exception& e) {
        ctx.debug.Error("FindFiles:  ", ExceptionError(e),
                        {"\tRecurseDirs:  " + ToText(recurse), "\tPath:  " + folder,
                         "\tFile:  ", "\tSpec:  " + specs,
                         "\tbFSRedirDisabled:  " + ToText(ctx.redirection.IsOff())});
    }
}

}  // namespace kestrel
