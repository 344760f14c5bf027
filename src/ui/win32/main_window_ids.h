#pragma once
// The control ids of frmUninstall, named after its controls, and the texts its pages show.

namespace kestrel::ui {

inline constexpr const wchar_t* kMainWindowClass = L"KestrelMainWindow";
inline constexpr const wchar_t* kMainPageClass = L"KestrelMainPage";
inline constexpr const wchar_t* kNoticeClass = L"KestrelNotice";
inline constexpr const wchar_t* kInputBoxClass = L"KestrelInputBox";

inline constexpr int kPageCount = 6;
inline constexpr const char* kPageCaptions[kPageCount] = {
    "Installed Apps (Not in Defs)",
    "Installed Apps (Matching Blacklist)",
    "Uninstall Definitions",
    "Registry",
    "File System",
    "Options",
};

inline constexpr const char* kPreviewCaption = "Preview /auto";
inline constexpr const char* kPreviewWindowCaption = "Kestrel Preview of /auto";

enum MainControlId : int {
    kTabControl = 3000,
    kPageBase = 3001,  // the pages are kPageBase + their index
    txtStatus = 3100,

    // "Installed Apps (Not in Defs)"
    ListBox1 = 3200,
    lblSelectAll,
    lblSelectNone,
    lblRefresh,
    Command3,
    Command1,
    Command10,
    Command13,
    Label4,

    // "Installed Apps (Matching Blacklist)"
    ListBox3 = 3300,
    lblSelectAll3,
    lblSelectNone3,
    lblRefresh3,
    Command8,

    // "Uninstall Definitions"
    txtDefs = 3400,
    Text1,
    Command2,
    PushButton3,
    PushButton2,
    PushButton1,
    lblBlacklistTitle,
    lblBlacklistHint,
    lblWhitelistTitle,
    lblWhitelistHint,
    lblDefinitionsOrder,

    // "Registry"
    Text3 = 3500,
    Text4,
    Text2,
    Command15,
    Command16,
    Command20,
    lblRegKeys,
    lblRegKeysExample,
    lblRegValues,
    lblRegValuesExample,
    lblRunValues,
    lblRunValuesExample,
    lblRegistryAuto,
    cmdPreviewRegistry,

    // "File System"
    Text5 = 3600,
    Text7,
    Command17,
    Command18,
    Command19,
    lblFileSystem,
    lblFileSystemExample,
    lblVariables,
    lblStartMenu,
    lblStartMenuExample,
    lblFileSystemAuto,
    cmdPreviewFileSystem,

    // "Options"
    chkDoBoth = 3700,
    chkLog,
    chkEmail,
    txtSMTPServer,
    comboSMTPPort,
    txtSMTPUserName,
    txtSMTPPassword,
    txtFromEmail,
    txtToEmail,
    chkSMTPAuth,
    chkUseSSL,
    cmdTestEmail,
    Command9,
    PushButton4,
    lblSMTPServer,
    lblSMTPPort,
    lblSMTPUserName,
    lblSMTPPassword,
    lblPasswordNote,
    lblFromEmail,
    lblToEmail,
};

}  // namespace kestrel::ui
