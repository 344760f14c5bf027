#pragma once
// Downloading one file from a URL (http or https), with the progress window frmDownloadAnp.
// The target exists afterwards exactly when the transfer succeeded: the body goes to a
// temporary name beside the target, which takes the target's name only once the whole body
// of a 2xx response has arrived. An error page, a broken connection or a cancel leaves no file.

#include <cstdint>
#include <string>

namespace kestrel {

class Context;

inline constexpr const char* kCancelDownloadQuestion =
    "Are you sure you wish to cancel any active downloads and exit?";

// The progress window of a download (frmDownloadAnp).
class DownloadWindow {
public:
    virtual ~DownloadWindow() = default;
    // Shows the window without blocking, or only loads it (invisible) for unattended runs.
    virtual void Load(bool visible) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // The label lblStatus.
    virtual void SetStatus(const std::string& text) = 0;
    // Handles the waiting window messages; true once the user closed the window from its
    // title bar and answered Yes to kCancelDownloadQuestion.
    [[nodiscard]] virtual bool CancelConfirmed() = 0;
    // Closing by the program asks nothing.
    virtual void Unload() = 0;
};

// Received and total size in kilobytes: "12.50Kb  of  100.00Kb".
std::string DownloadStatusText(uint64_t received, uint64_t total);
// Received of total in whole percent, rounded; 0 when the total is not known.
int32_t DownloadPercent(uint64_t received, uint64_t total);
// "Download:  " + percent + " Complete."
std::string DownloadCaption(int32_t percent);

// Fetches a fresh copy of sURL into sFile (its folder made when missing; an old sFile is
// deleted first). True when sFile exists afterwards.
[[nodiscard]] bool DownloadFile(Context& ctx, const std::string& sURL, const std::string& sFile,
                                bool bHidden, DownloadWindow& window);

}  // namespace kestrel
