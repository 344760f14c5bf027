#pragma once
// The Win32 progress window of downloads (frmDownloadAnp) and status window of unpacking
// (frmStatusWin).

#include <memory>

#include "net/package_windows.h"

namespace kestrel::os {
class UserPrompts;
}

namespace kestrel::ui {

// prompts asks the cancel question when the user closes a download window; it outlives the
// windows.
std::unique_ptr<PackageWindows> MakePackageWindows(os::UserPrompts& prompts);

}  // namespace kestrel::ui
