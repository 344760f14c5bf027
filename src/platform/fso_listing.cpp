// clsFSO: listings of files and folders, and what is counted over them.
#include <tuple>

#include "base/strings.h"
#include "core/context.h"
#include "os/user_prompts.h"
#include "platform/file_dates.h"
#include "platform/folder_entries.h"
#include "platform/fso.h"
#include "platform/path_forms.h"

namespace kestrel {

struct clsFSO::ListState {
    std::string list;                // Get_FileList: paths, each followed by ";"
    std::vector<std::string> items;  // Get_DirList: folder paths
    bool cancelled = false;
    bool aborted = false;
};

// Logs a listing error; true when the whole listing ends here (errors 5, 91 and 92).
bool clsFSO::ListingError(const char* procedure, const std::string& folder, const VbError& error) {
    const std::string head = std::string("clsFSO\\") + procedure;
    m_ctx.debug.Error(head + " - VB ERROR: ", error, {});
    m_ctx.debug.Print(head + " -      DIR: " + folder);
    if (error.number == 5 || error.number == 91 || error.number == 92) {
        m_ctx.debug.Print("\tAborting function...");
        return true;
    }
    return false;
}

void clsFSO::ListFiles(const std::string& shown, const std::string& access, bool recurse,
                       const std::string& extension, bool filtered, ListState& state) {
    // Depth first, each folder's files before those of its subfolders; a stack rather than
    // recursion, as a tree may be thousands of levels deep.
    std::vector<std::pair<std::string, std::string>> pending{{shown, access}};
    while (!pending.empty()) {
        const auto [folder, folderAccess] = std::move(pending.back());
        pending.pop_back();
        std::vector<os::DirEntry> entries;
        if (uint32_t error = ReadFolder(m_ctx, folderAccess, entries)) {
            state.aborted = ListingError("Get_FileList", folder, FileError(error));
            if (state.aborted) {
                return;
            }
            continue;
        }
        for (const os::DirEntry& e : entries) {
            if (IsFolderEntry(e)) {
                continue;
            }
            m_ctx.os.prompts.DoEvents();
            if (m_cancel) {
                state.cancelled = true;
                return;
            }
            if (filtered && LCase(Get_Extension(e.name)) != extension) {
                continue;
            }
            const std::string path = JoinPath(folder, e.name);
            state.list += path + ";";
            if (filtered) {
                m_count += 1;
                if (m_onFileFound) {
                    m_onFileFound(m_count, path);
                }
            }
        }
        if (m_cancel) {
            state.cancelled = true;
            return;
        }
        if (!recurse) {
            continue;
        }
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (IsFolderEntry(*e) && !IsLinkEntry(*e)) {
                pending.emplace_back(JoinPath(folder, e->name),
                                     ChildAccessPath(folderAccess, e->name));
            }
        }
    }
}

std::string clsFSO::Get_FileList(const std::string& folder, bool recurse,
                                 const std::string& fileSpec) {
    if (folder.empty()) {
        m_ctx.debug.Print("cFSO\\Get_FileList - Passed no string, aborting!");
        return {};
    }
    m_ctx.os.prompts.DoEvents();
    if (m_cancel) {
        return {};
    }
    // "*.*" and specs without a star take every file; any other spec takes the files with
    // its extension.
    const bool filtered = fileSpec != "*.*" && fileSpec.find('*') != std::string::npos;
    const std::string extension = filtered ? LCase(Get_Extension(fileSpec)) : std::string();
    ListState state;
    try {
        RedirectionOff off(m_ctx.redirection);
        ListFiles(folder, ExactPath(m_ctx, folder), recurse, extension, filtered, state);
    } catch (const std::exception& e) {
        ListingError("Get_FileList", folder, ExceptionError(e));
    }
    return state.cancelled ? std::string() : state.list;
}

void clsFSO::ListDirs(const std::string& shown, const std::string& access, bool recurse,
                      ListState& state) {
    struct Pending {
        std::string shown;
        std::string access;
        bool link;
    };
    std::vector<Pending> pending;
    // The subfolders of a folder, onto the stack so that the first comes off first.
    auto expand = [&](const std::string& folder, const std::string& folderAccess) {
        std::vector<os::DirEntry> entries;
        if (uint32_t error = ReadFolder(m_ctx, folderAccess, entries)) {
            const VbError vb = FileError(error);
            m_accessErrNum = vb.number;
            state.aborted = ListingError("Get_DirList", folder, vb);
            return;
        }
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (IsFolderEntry(*e)) {
                pending.push_back({JoinPath(folder, e->name),
                                   ChildAccessPath(folderAccess, e->name), IsLinkEntry(*e)});
            }
        }
    };
    expand(shown, access);
    while (!pending.empty() && !state.aborted) {
        const Pending next = std::move(pending.back());
        pending.pop_back();
        m_ctx.os.prompts.DoEvents();
        if (m_cancel) {
            state.cancelled = true;
            return;
        }
        state.items.push_back(next.shown);
        if (recurse && !next.link) {
            expand(next.shown, next.access);
        }
    }
}

std::string clsFSO::Get_DirList(const std::string& folder, bool recurse) {
    if (folder.empty()) {
        m_ctx.debug.Print("cFSO\\Get_DirList - Passed no string, aborting!");
        return {};
    }
    ListState state;
    try {
        RedirectionOff off(m_ctx.redirection);
        const std::string access = ExactPath(m_ctx, folder);
        const uint32_t attributes = m_ctx.os.files.Attributes(access);
        if (!IsAbsolutePath(folder) || attributes == os::kInvalidAttributes ||
            (attributes & os::attr::kDirectory) == 0) {
            return {};
        }
        ListDirs(folder, access, recurse, state);
    } catch (const std::exception& e) {
        const VbError vb = ExceptionError(e);
        m_accessErrNum = vb.number;
        ListingError("Get_DirList", folder, vb);
    }
    return state.cancelled ? std::string() : Join(state.items, ";");
}

std::string clsFSO::TextSearch(const std::string& folder, const std::string& text) {
    std::string found;
    for (const std::string& path : Split(Get_FileList(folder, false), ";")) {
        if (path.empty()) {
            continue;
        }
        std::string content;
        uint32_t error = 0;
        {
            RedirectionOff off(m_ctx.redirection);
            error = m_ctx.os.files.ReadAll(ExactPath(m_ctx, path), content);
        }
        if (error == 0 && content.find(text) != std::string::npos) {
            found += path + ";";
        }
        m_ctx.os.prompts.DoEvents();
    }
    return found.empty() ? "N/A" : found;
}

uint64_t clsFSO::GetDirSize(const std::string& folder) {
    uint64_t total = 0;
    RedirectionOff off(m_ctx.redirection);
    std::vector<std::string> pending{ExactPath(m_ctx, folder)};
    bool first = true;
    while (!pending.empty()) {
        const std::string access = pending.back();
        pending.pop_back();
        std::vector<os::DirEntry> entries;
        if (uint32_t error = ReadFolder(m_ctx, access, entries)) {
            if (first) {
                m_ctx.debug.Error("clsFSO\\GetDirSize - VB ERROR: ", FileError(error),
                                  {"\t- strFolder=" + folder});
                return 0;
            }
            continue;
        }
        first = false;
        for (const os::DirEntry& e : entries) {
            if (!IsFolderEntry(e)) {
                total += e.size;
            } else if (!IsLinkEntry(e)) {
                pending.push_back(ChildAccessPath(access, e.name));
            }
        }
    }
    return total;
}

FileTotals clsFSO::Get_Totals(const std::string& folder, const std::string& sinceDate,
                              FileDate which, bool recurse) {
    FileTotals totals;
    os::LocalTime since;
    const bool dated = !Trim(sinceDate).empty();
    if (dated && !ParseDateText(sinceDate, since)) {
        (void)m_ctx.os.prompts.ShowMessage("An invalid date was passed.", "Invalid date format",
                                           os::mb::kIconExclamation);
        return totals;
    }
    std::string errors;
    for (const std::string& path : Split(Get_FileList(folder, recurse), ";")) {
        if (path.empty()) {
            continue;
        }
        bool counted = false;
        os::LocalTime local;
        if (Get_FileInfo(path)) {
            const int64_t time = which == FileDate::kCreated    ? m_details.created
                                 : which == FileDate::kModified ? m_details.modified
                                                                : m_details.accessed;
            if (m_ctx.os.clock.ToLocalTime(time, local)) {
                counted = true;
                const bool recent = !dated || std::tie(local.year, local.month, local.day) >=
                                                  std::tie(since.year, since.month, since.day);
                if (recent) {
                    totals.files += 1;
                    totals.bytes += m_details.size;
                }
            }
        }
        if (!counted) {
            errors += "File: " + path + "\r\nSize: " + std::to_string(m_details.size) +
                      "\r\nCreated:  " + FormatFileTime(m_ctx, m_details.created) +
                      "\r\nModified: " + FormatFileTime(m_ctx, m_details.modified) +
                      "\r\nAccessed: " + FormatFileTime(m_ctx, m_details.accessed) + "\r\n\r\n";
        }
    }
    if (!errors.empty()) {
        (void)m_ctx.os.prompts.ShowMessage(errors, "Errors detected", os::mb::kIconExclamation);
    }
    totals.bytesText = FormatThousands(totals.bytes);
    totals.valid = true;
    return totals;
}

}  // namespace kestrel
