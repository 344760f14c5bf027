#pragma once
// The windows a download or an unpacking shows; the window layer makes the real ones.

#include <memory>

#include "net/download_file.h"
#include "zip/status_window.h"

namespace kestrel {

class PackageWindows {
public:
    virtual ~PackageWindows() = default;
    virtual std::unique_ptr<DownloadWindow> NewDownloadWindow() = 0;
    virtual std::unique_ptr<StatusWindow> NewStatusWindow() = 0;
};

}  // namespace kestrel
