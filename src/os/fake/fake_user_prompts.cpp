#include "os/fake/fake_user_prompts.h"

namespace kestrel::os::fake {

int FakeUserPrompts::ShowMessage(const std::string& text, const std::string& title,
                                 uint32_t style) {
    messages.push_back({text, title, style});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (style & 0xF) == mb::kYesNo ? mb::kIdNo : mb::kIdOk;
}

std::string FakeUserPrompts::BrowseForFolder(uintptr_t owner, const std::string& prompt,
                                             const std::string& root, uint32_t flags) {
    folderRequests.push_back({owner, prompt, root, flags});
    if (pickedFolders.empty()) {
        return {};
    }
    std::string folder = pickedFolders.front();
    pickedFolders.pop_front();
    return folder;
}

void FakeUserPrompts::DoEvents() {
    ++doEvents;
    if (onDoEvents) {
        onDoEvents(doEvents);
    }
}

}  // namespace kestrel::os::fake
