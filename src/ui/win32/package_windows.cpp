#include "ui/win32/package_windows.h"

#include "ui/win32/download_window.h"
#include "ui/win32/status_window.h"

namespace kestrel::ui {
namespace {

class Win32PackageWindows : public PackageWindows {
public:
    explicit Win32PackageWindows(os::UserPrompts& prompts) : m_prompts(prompts) {}

    std::unique_ptr<DownloadWindow> NewDownloadWindow() override {
        return std::make_unique<Win32DownloadWindow>(m_prompts);
    }
    std::unique_ptr<StatusWindow> NewStatusWindow() override {
        return std::make_unique<Win32StatusWindow>();
    }

private:
    os::UserPrompts& m_prompts;
};

}  // namespace

std::unique_ptr<PackageWindows> MakePackageWindows(os::UserPrompts& prompts) {
    return std::make_unique<Win32PackageWindows>(prompts);
}

}  // namespace kestrel::ui
