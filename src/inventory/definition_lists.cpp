#include "inventory/definition_lists.h"

#include <vector>

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "platform/file_tests.h"
#include "platform/text_file.h"

namespace kestrel {

std::vector<std::string> DefinitionEntries(Context& ctx, const std::string& file) {
    std::vector<std::string> entries;
    std::vector<std::string> lines;
    if (!DoesFileExist(ctx, file) || !ReadTextLines(ctx, file, lines)) {
        return entries;
    }
    for (const std::string& line : lines) {
        std::string entry = Trim(line);
        if (!entry.empty()) {
            entries.push_back(std::move(entry));
        }
    }
    return entries;
}

bool DefinitionLists::LoadInto(const std::string& file, std::string& box) {
    if (!DoesFileExist(m_ctx, file)) {
        return false;
    }
    box.clear();
    std::vector<std::string> lines;
    (void)ReadTextLines(m_ctx, file, lines);
    for (const std::string& line : lines) {
        if (line.empty()) {
            continue;
        }
        if (!box.empty()) {
            box += "\r\n";
        }
        box += line;
    }
    return true;
}

void DefinitionLists::Save(const std::string& file, const std::string& box) {
    (void)SaveTextToFile(m_ctx, file, box, true, false);
}

void DefinitionLists::ReloadBlacklist() {
    (void)LoadInto(m_ctx.definitions.blacklist, m_boxes.txtDefs);
    m_notices.Notice(kOperationCompleted, "Blacklist Refreshed.");
}

void DefinitionLists::SaveBlacklist() {
    Save(m_ctx.definitions.blacklist, m_boxes.txtDefs);
    definitionsAltered = false;
    m_notices.Notice("Definitions saved!", "");
}

void DefinitionLists::ReloadWhitelist() {
    (void)LoadInto(m_ctx.definitions.whitelist, m_boxes.Text1);
    m_notices.Notice(kOperationCompleted, "Whitelist Refreshed.");
}

void DefinitionLists::SaveWhitelist() {
    Save(m_ctx.definitions.whitelist, m_boxes.Text1);
    m_notices.Notice(kOperationCompleted, "Whitelist Saved.");
}

void DefinitionLists::ReloadRegistryDefinitions() {
    m_boxes.Text4.clear();
    m_boxes.Text3.clear();
    m_boxes.Text2.clear();
    (void)LoadInto(m_ctx.definitions.regValues, m_boxes.Text4);
    (void)LoadInto(m_ctx.definitions.regKeys, m_boxes.Text3);
    (void)LoadInto(m_ctx.definitions.runValues, m_boxes.Text2);
    m_notices.Notice(kOperationCompleted, "Registry Definitions Refreshed.");
}

void DefinitionLists::SaveRegistryDefinitions() {
    Save(m_ctx.definitions.regValues, m_boxes.Text4);
    Save(m_ctx.definitions.regKeys, m_boxes.Text3);
    Save(m_ctx.definitions.runValues, m_boxes.Text2);
    m_notices.Notice(kOperationCompleted, "Registry Definitions Saved.");
}

void DefinitionLists::ReloadFileSystemDefinitions() {
    m_boxes.Text5.clear();
    m_boxes.Text7.clear();
    (void)LoadInto(m_ctx.definitions.fileSystemObjects, m_boxes.Text5);
    (void)LoadInto(m_ctx.definitions.startMenuFolders, m_boxes.Text7);
    m_notices.Notice(kOperationCompleted, "File System Definitions Refreshed.");
}

void DefinitionLists::SaveFileSystemDefinitions() {
    Save(m_ctx.definitions.fileSystemObjects, m_boxes.Text5);
    Save(m_ctx.definitions.startMenuFolders, m_boxes.Text7);
    m_notices.Notice(kOperationCompleted, "File System Definitions Saved.");
}

namespace {

// The term on the box's first line. An empty box gets no line break after it: saved, it would
// leave a blank line at the end of the list.
void PutOnTop(std::string& box, const std::string& term) {
    box = box.empty() ? SearchTerm(term) : SearchTerm(term) + "\r\n" + box;
}

}  // namespace

void DefinitionLists::AddBlacklistEntry(const std::string& term) {
    PutOnTop(m_boxes.txtDefs, term);
}

void DefinitionLists::AddWhitelistEntry(const std::string& term) {
    PutOnTop(m_boxes.Text1, term);
}

}  // namespace kestrel
