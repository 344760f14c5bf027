#pragma once
// A user who answers from a script: message boxes take the next scripted answer (or No for a
// Yes/No question, OK otherwise), the folder picker the next scripted folder (or a cancel).
// Everything asked is recorded, and each yield to the message loop runs an optional hook, so
// that a test can press "cancel" in the middle of long work.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "os/user_prompts.h"

namespace kestrel::os::fake {

class FakeUserPrompts : public UserPrompts {
public:
    struct Message {
        std::string text;
        std::string title;
        uint32_t style = 0;
    };
    struct FolderRequest {
        uintptr_t owner = 0;
        std::string prompt;
        std::string root;
        uint32_t flags = 0;
    };

    std::deque<int> answers;
    std::deque<std::string> pickedFolders;
    std::vector<Message> messages;
    std::vector<FolderRequest> folderRequests;
    int doEvents = 0;
    std::function<void(int count)> onDoEvents;

    int ShowMessage(const std::string& text, const std::string& title, uint32_t style) override;
    std::string BrowseForFolder(uintptr_t owner, const std::string& prompt, const std::string& root,
                                uint32_t flags) override;
    void DoEvents() override;
};

}  // namespace kestrel::os::fake
