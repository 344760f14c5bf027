#pragma once
// Port: what the program asks or tells the user, and the yield to the window's messages.

#include <cstdint>
#include <string>

namespace kestrel::os {

// MessageBox styles and answers.
namespace mb {
inline constexpr uint32_t kOkOnly = 0x0;
inline constexpr uint32_t kAbortRetryIgnore = 0x2;
inline constexpr uint32_t kYesNo = 0x4;
inline constexpr uint32_t kIconError = 0x10;  // also the critical icon
inline constexpr uint32_t kIconQuestion = 0x20;
inline constexpr uint32_t kIconExclamation = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdAbort = 3;
inline constexpr int kIdRetry = 4;
inline constexpr int kIdIgnore = 5;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

// SHBrowseForFolder's BIF_ flags.
namespace bif {
inline constexpr uint32_t kReturnOnlyFsDirs = 0x1;
inline constexpr uint32_t kEditBox = 0x10;
inline constexpr uint32_t kNewDialogStyle = 0x40;
}  // namespace bif

class UserPrompts {
public:
    virtual ~UserPrompts() = default;

    // MessageBoxA without an owner: the button the user pressed (mb::kIdOk, kIdYes...).
    virtual int ShowMessage(const std::string& text, const std::string& title, uint32_t style) = 0;
    // SHBrowseForFolderA and SHGetPathFromIDListA: the folder picked, "" when the user
    // cancels. An empty root starts at the desktop.
    virtual std::string BrowseForFolder(uintptr_t ownerWindow, const std::string& prompt,
                                        const std::string& root, uint32_t flags) = 0;
    // Handles the window messages that are waiting, so that the window stays painted and a
    // cancel button can be pressed during long work (DoEvents).
    virtual void DoEvents() = 0;
};

}  // namespace kestrel::os
