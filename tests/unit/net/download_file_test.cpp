// DownloadFile over the fake HTTP port: what the progress window is told, and that the target
// exists exactly when a whole 2xx body arrived.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/context.h"
#include "net/download_file.h"
#include "support/fake_machine.h"
#include "support/fake_package_windows.h"

namespace kestrel {
namespace {

using os::fake::FakeHttpReply;

constexpr const char* kUrl = "https://updates.example.org/Kestrel.zip";
constexpr const char* kTarget = "C:\\Kestrel\\Kestrel.zip";

FakeHttpReply Reply(uint32_t status, const std::string& body, size_t cutAfter = 0,
                    uint32_t error = 0) {
    FakeHttpReply reply;
    reply.status = status;
    reply.body = body;
    if (cutAfter != 0) {
        reply.cutAfter = cutAfter;
    }
    reply.error = error;
    return reply;
}

struct Download {
    testing::FakeMachine m;
    testing::FakePackageWindows windows;
    // From the first piece on, every write fails with this error (the disk fills up).
    uint32_t writeErrorAfterFirstPiece = 0;

    bool Run(const std::string& file, bool hidden) {
        FillingDisk window(*this);
        return DownloadFile(m.ctx, kUrl, file, hidden, window);
    }

private:
    class FillingDisk : public DownloadWindow {
    public:
        explicit FillingDisk(Download& d) : m_d(d), m_inner(d.windows.NewDownloadWindow()) {}
        void Load(bool visible) override { m_inner->Load(visible); }
        void SetCaption(const std::string& caption) override { m_inner->SetCaption(caption); }
        void SetStatus(const std::string& text) override {
            m_d.m.files.FailWrites(m_d.writeErrorAfterFirstPiece);
            m_inner->SetStatus(text);
        }
        bool CancelConfirmed() override { return m_inner->CancelConfirmed(); }
        void Unload() override { m_inner->Unload(); }

    private:
        Download& m_d;
        std::unique_ptr<DownloadWindow> m_inner;
    };
};

TEST(DownloadFile, WholeBodyArrivesWithProgressWithAndWithoutLength) {
    const std::string body(102400, 'k');
    const struct {
        bool sendLength;
        bool hidden;
        std::vector<std::string> calls;
    } cases[] = {
        {true,
         false,
         {"load visible", "caption File Download:  ", "status 50.00Kb  of  100.00Kb",
          "caption Download:  50 Complete.", "status 100.00Kb  of  100.00Kb",
          "caption Download:  100 Complete.", "unload"}},
        {false,
         true,
         {"load", "status 50.00Kb  of  0.00Kb", "caption Download:  0 Complete.",
          "status 100.00Kb  of  0.00Kb", "caption Download:  0 Complete.", "unload"}},
    };
    for (const auto& c : cases) {
        Download d;
        d.m.http.chunkSize = 51200;
        FakeHttpReply reply;
        reply.body = body;
        reply.sendLength = c.sendLength;
        d.m.http.Serve(kUrl, reply);
        EXPECT_TRUE(d.Run(kTarget, c.hidden));
        EXPECT_EQ(d.m.files.Content(kTarget), body);
        EXPECT_FALSE(d.m.files.Exists(std::string(kTarget) + ".download"));
        EXPECT_EQ(d.windows.calls, c.calls);
        EXPECT_EQ(d.m.Log(), "");
    }
}

TEST(DownloadFile, ProgressTexts) {
    EXPECT_EQ(DownloadStatusText(12800, 102400), "12.50Kb  of  100.00Kb");
    EXPECT_EQ(DownloadStatusText(0, 0), "0.00Kb  of  0.00Kb");
    const struct {
        uint64_t received, total;
        int32_t percent;
    } cases[] = {{0, 0, 0},   {7, 0, 0},  {1, 3, 33}, {2, 3, 67},
                 {1, 200, 1}, {3, 8, 38}, {8, 8, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(DownloadPercent(c.received, c.total), c.percent) << c.received << "/" << c.total;
    }
    EXPECT_EQ(DownloadCaption(37), "Download:  37 Complete.");
}

TEST(DownloadFile, FailedTransferLeavesNoFileNotEvenTheOldOne) {
    const std::string body(10000, 'x');
    const struct {
        const char* name;
        FakeHttpReply reply;
        int cancelAfter;
        uint32_t writeError;
        const char* reason;
    } cases[] = {
        {"404 page", Reply(404, "<html>Not Found</html>"), 0, 0, "HTTP 404"},
        {"cut mid-body", Reply(200, body, 4500), 0, 0, "error 12030"},
        {"cancelled", Reply(200, body), 2, 0, "cancelled"},
        {"write fails", Reply(200, body), 0, 112, "write error 112"},
        {"no connection", Reply(200, body, 0, 12029), 0, 0, "error 12029"},
    };
    for (const auto& c : cases) {
        Download d;
        d.m.http.chunkSize = 1000;
        d.m.http.Serve(kUrl, c.reply);
        d.m.files.AddFile(kTarget, "old package");
        d.windows.cancelAfter = c.cancelAfter;
        d.writeErrorAfterFirstPiece = c.writeError;
        EXPECT_FALSE(d.Run(kTarget, false)) << c.name;
        d.m.files.FailWrites(0);
        EXPECT_FALSE(d.m.files.Exists(kTarget)) << c.name;
        EXPECT_FALSE(d.m.files.Exists(std::string(kTarget) + ".download")) << c.name;
        EXPECT_EQ(d.m.Log(), std::string("\tmodDownloadA\\DownloadFile:  Download failed (") +
                                 c.reason + "):  " + kUrl + "\n")
            << c.name;
        EXPECT_EQ(d.windows.calls.back(), "unload") << c.name;
        if (c.cancelAfter != 0) {
            EXPECT_EQ(std::count(d.windows.calls.begin(), d.windows.calls.end(),
                                 "caption Download:  20 Complete."),
                      1);
        }
    }
}

TEST(DownloadFile, MakesTheMissingFolderAndFollowsARedirect) {
    Download d;
    const std::string moved = "https://mirror.example.org/files/Kestrel.zip";
    FakeHttpReply redirect;
    redirect.redirectTo = moved;
    d.m.http.Serve(kUrl, redirect);
    d.m.http.Serve(moved, "PK package");
    const std::string target = "C:\\Kestrel\\Packages\\New\\Kestrel.zip";
    EXPECT_TRUE(d.Run(target, true));
    EXPECT_EQ(d.m.files.Content(target), "PK package");
    EXPECT_EQ(d.m.http.requested, (std::vector<std::string>{kUrl, moved}));
}

TEST(DownloadFile, AnOldFileThatCannotBeDeletedFailsBeforeAnyTransfer) {
    Download d;
    d.m.http.Serve(kUrl, "new");
    d.m.files.AddFile(kTarget, "old");
    d.m.files.SetLocked(kTarget, true);
    EXPECT_FALSE(d.Run(kTarget, false));
    EXPECT_TRUE(d.m.http.requested.empty());
    EXPECT_NE(d.m.Log().find("Download failed (cannot delete the old file, error 32)"),
              std::string::npos);
}

}  // namespace
}  // namespace kestrel
