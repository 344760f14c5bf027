#pragma once
// Windows of downloads and unpackings that record what they were told, for tests.

#include <memory>
#include <string>
#include <vector>

#include "net/package_windows.h"

namespace kestrel::testing {

// Every call as a line: "load visible", "caption Download:  50 Complete.", "status ...",
// "unload"; the download window's answer to CancelConfirmed is cancelAfter: it answers true
// from that call on (0 never).
class FakePackageWindows : public PackageWindows {
public:
    std::vector<std::string> calls;
    int cancelAfter = 0;

    std::unique_ptr<DownloadWindow> NewDownloadWindow() override {
        return std::make_unique<Download>(*this);
    }
    std::unique_ptr<StatusWindow> NewStatusWindow() override {
        return std::make_unique<Status>(*this);
    }

private:
    class Download : public DownloadWindow {
    public:
        explicit Download(FakePackageWindows& w) : m_w(w) {}
        void Load(bool visible) override { m_w.calls.push_back(visible ? "load visible" : "load"); }
        void SetCaption(const std::string& c) override { m_w.calls.push_back("caption " + c); }
        void SetStatus(const std::string& s) override { m_w.calls.push_back("status " + s); }
        bool CancelConfirmed() override {
            return m_w.cancelAfter > 0 && ++m_asked >= m_w.cancelAfter;
        }
        void Unload() override { m_w.calls.push_back("unload"); }

    private:
        FakePackageWindows& m_w;
        int m_asked = 0;
    };
    class Status : public StatusWindow {
    public:
        explicit Status(FakePackageWindows& w) : m_w(w) {}
        void Show(const std::string& t) override {
            m_loaded = true;
            m_w.calls.push_back("show " + t);
        }
        void SetText(const std::string& t) override { m_w.calls.push_back("text " + t); }
        bool Loaded() const override { return m_loaded; }
        void Unload() override {
            m_loaded = false;
            m_w.calls.push_back("unload status");
        }

    private:
        FakePackageWindows& m_w;
        bool m_loaded = false;
    };
};

}  // namespace kestrel::testing
