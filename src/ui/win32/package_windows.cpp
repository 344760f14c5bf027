#include "ui/win32/package_windows.h"

namespace kestrel::ui {
namespace {

// Not built yet: windows that show nothing.
class SilentDownloadWindow : public DownloadWindow {
public:
    void Load(bool) override {}
    void SetCaption(const std::string&) override {}
    void SetStatus(const std::string&) override {}
    bool CancelConfirmed() override { return false; }
    void Unload() override {}
};

class SilentStatusWindow : public StatusWindow {
public:
    void Show(const std::string&) override { m_loaded = true; }
    void SetText(const std::string&) override {}
    bool Loaded() const override { return m_loaded; }
    void Unload() override { m_loaded = false; }

private:
    bool m_loaded = false;
};

class Win32PackageWindows : public PackageWindows {
public:
    std::unique_ptr<DownloadWindow> NewDownloadWindow() override {
        return std::make_unique<SilentDownloadWindow>();
    }
    std::unique_ptr<StatusWindow> NewStatusWindow() override {
        return std::make_unique<SilentStatusWindow>();
    }
};

}  // namespace

std::unique_ptr<PackageWindows> MakePackageWindows(os::UserPrompts&) {
    return std::make_unique<Win32PackageWindows>();
}

}  // namespace kestrel::ui
