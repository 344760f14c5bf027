#pragma once
// The seven definition lists and the operations that load them into, and save them from, the
// text boxes of the main window. The boxes are plain texts here; the window binds them to its
// controls, and notices go to whatever shows them.

#include <string>
#include <vector>

namespace kestrel {

class Context;

// The entries of a leftover list: its lines trimmed, blank ones left out; none when the file
// is missing or unreadable.
std::vector<std::string> DefinitionEntries(Context& ctx, const std::string& file);

// The text boxes that hold the lists while the technician edits them.
struct DefinitionBoxes {
    std::string txtDefs;  // blacklist, "Kestrel.txt"
    std::string Text1;    // whitelist, "Kestrel_Whitelist.txt"
    std::string Text4;    // registry values, "Kestrel_RegValues.txt"
    std::string Text3;    // registry keys, "Kestrel_RegKeys.txt"
    std::string Text2;    // Run values, "Kestrel_RunValues.txt"
    std::string Text5;    // file-system objects, "Kestrel_FileSystemObjects.txt"
    std::string Text7;    // start-menu folders, "Kestrel_StartMenuFolders.txt"
};

// Shows a notice: a title and a message line (an empty message shows the title alone).
class NoticeSink {
public:
    virtual ~NoticeSink() = default;
    virtual void Notice(const std::string& title, const std::string& message) = 0;
};

inline constexpr const char* kOperationCompleted = "Operation Completed.";

class DefinitionLists {
public:
    DefinitionLists(Context& ctx, DefinitionBoxes& boxes, NoticeSink& notices)
        : m_ctx(ctx), m_boxes(boxes), m_notices(notices) {}

    void ReloadBlacklist();
    void SaveBlacklist();
    void ReloadWhitelist();
    void SaveWhitelist();
    void ReloadRegistryDefinitions();
    void SaveRegistryDefinitions();
    void ReloadFileSystemDefinitions();
    void SaveFileSystemDefinitions();
    // Put the term's text before its last "|" at the top of the box (the caller saves).
    void AddBlacklistEntry(const std::string& term);
    void AddWhitelistEntry(const std::string& term);

    // Set when the blacklist box was edited; saving the blacklist clears it.
    bool definitionsAltered = false;

private:
    // Fills the box from the file when it exists (its non-empty lines joined by CR LF).
    bool LoadInto(const std::string& file, std::string& box);
    void Save(const std::string& file, const std::string& box);

    Context& m_ctx;
    DefinitionBoxes& m_boxes;
    NoticeSink& m_notices;
};

}  // namespace kestrel
