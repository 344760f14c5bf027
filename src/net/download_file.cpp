#include "net/download_file.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "base/strip.h"
#include "core/context.h"
#include "platform/file_tests.h"

namespace kestrel {
namespace {

constexpr uint32_t kWaitMs = 60000;

std::string Kilobytes(uint64_t bytes) {
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", static_cast<double>(bytes) / 1024.0);
    return text;
}

// Writes the body to the open temporary file and keeps the window up to date. The first
// reason to stop is kept for the debug line.
class FileReceiver : public os::HttpReceiver {
public:
    FileReceiver(os::WritableFile& file, DownloadWindow& window) : m_file(file), m_window(window) {}

    bool OnResponse(const os::HttpResponse& response) override {
        m_response = response;
        if (response.status < 200 || response.status > 299) {
            m_failure = "HTTP " + std::to_string(response.status);
            return false;
        }
        return true;
    }

    bool OnData(const char* data, size_t count) override {
        if (uint32_t error = m_file.Append(data, count); error != 0) {
            m_failure = "write error " + std::to_string(error);
            return false;
        }
        m_received += count;
        const uint64_t total = m_response.contentLength.value_or(0);
        m_window.SetStatus(DownloadStatusText(m_received, total));
        m_window.SetCaption(DownloadCaption(DownloadPercent(m_received, total)));
        if (m_window.CancelConfirmed()) {
            m_failure = "cancelled";
            return false;
        }
        return true;
    }

    // "" when the transfer ended with 0 and the whole body of a 2xx response arrived.
    std::string Failure(uint32_t portResult) const {
        if (!m_failure.empty()) {
            return m_failure;
        }
        if (portResult != 0) {
            return "error " + std::to_string(portResult);
        }
        if (m_response.status == 0) {
            return "no response";
        }
        if (m_response.contentLength && *m_response.contentLength != m_received) {
            return std::to_string(m_received) + " of " + std::to_string(*m_response.contentLength) +
                   " bytes";
        }
        return {};
    }

private:
    os::WritableFile& m_file;
    DownloadWindow& m_window;
    os::HttpResponse m_response;
    uint64_t m_received = 0;
    std::string m_failure;
};

// The body into temp; "" on success, else the reason.
std::string Transfer(Context& ctx, const std::string& sURL, const std::string& temp,
                     DownloadWindow& window) {
    std::unique_ptr<os::WritableFile> file;
    if (uint32_t error = ctx.os.files.CreateWritable(temp, file); error != 0 || !file) {
        return "cannot create " + temp + ", error " + std::to_string(error);
    }
    FileReceiver receiver(*file, window);
    const uint32_t result = ctx.os.http.Get(sURL, kWaitMs, receiver);
    std::string failure = receiver.Failure(result);
    const uint32_t closeError = file->Close();
    if (failure.empty() && closeError != 0) {
        failure = "write error " + std::to_string(closeError);
    }
    return failure;
}

}  // namespace

std::string DownloadStatusText(uint64_t received, uint64_t total) {
    return Kilobytes(received) + "Kb  of  " + Kilobytes(total) + "Kb";
}

int32_t DownloadPercent(uint64_t received, uint64_t total) {
    if (total == 0) {
        return 0;
    }
    const double percent =
        std::round(static_cast<double>(received) / static_cast<double>(total) * 100.0);
    return percent > 2147483647.0 ? INT32_MAX : static_cast<int32_t>(percent);
}

std::string DownloadCaption(int32_t percent) {
    return "Download:  " + std::to_string(percent) + " Complete.";
}

bool DownloadFile(Context& ctx, const std::string& sURL, const std::string& sFile, bool bHidden,
                  DownloadWindow& window) {
    auto fail = [&](const std::string& reason) {
        ctx.debug.Print("modDownloadA\\DownloadFile:  Download failed (" + reason + "):  " + sURL);
        return false;
    };
    const std::string folder = StripNameFromPathQuiet(sFile);
    if (!folder.empty() && !DoesDirExist(ctx, folder)) {
        (void)MakeFolderPath(ctx, folder);
    }
    if (DoesFileExist(ctx, sFile)) {
        // An old file that stays would be taken for the new one.
        if (uint32_t error = ctx.os.files.Delete(sFile); error != 0) {
            return fail("cannot delete the old file, error " + std::to_string(error));
        }
    }
    const std::string temp = sFile + ".download";
    if (DoesFileExist(ctx, temp)) {
        (void)ctx.os.files.Delete(temp);
    }

    window.Load(!bHidden);
    if (!bHidden) {
        window.SetCaption("File Download:  ");
    }
    std::string failure = Transfer(ctx, sURL, temp, window);
    if (failure.empty()) {
        if (uint32_t error = ctx.os.files.Replace(temp, sFile); error != 0) {
            failure = "cannot rename " + temp + ", error " + std::to_string(error);
        }
    }
    window.Unload();
    if (!failure.empty()) {
        (void)ctx.os.files.Delete(temp);
        return fail(failure);
    }
    return DoesFileExist(ctx, sFile);
}

}  // namespace kestrel
