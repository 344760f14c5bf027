#pragma once
// Keeping the program, its settings and its definition lists current from the update server:
// the update check and self-update ("/update"), and the configuration and definitions
// packages ("/getconfig=", "/getdefs=").

#include <cstdint>
#include <string>

#include "net/package_windows.h"

namespace kestrel {

class Context;

// What the new program is started with after an unattended "/update" that had no other
// switches: it names none, so that run only cleans up and ends.
inline constexpr const char* kRestartedArgument = "/restarted";

// How a package arrives and is unpacked; PackageTools is the real one.
class PackageTransfer {
public:
    virtual ~PackageTransfer() = default;
    [[nodiscard]] virtual bool Download(const std::string& url, const std::string& file,
                                        bool hidden) = 0;
    [[nodiscard]] virtual bool Unzip(const std::string& zipFile, const std::string& folder,
                                     bool hidden) = 0;
};

// DownloadFile and UnzipFile, each with a new window of windows.
class PackageTools : public PackageTransfer {
public:
    PackageTools(Context& ctx, PackageWindows& windows) : m_ctx(ctx), m_windows(windows) {}
    bool Download(const std::string& url, const std::string& file, bool hidden) override;
    bool Unzip(const std::string& zipFile, const std::string& folder, bool hidden) override;

private:
    Context& m_ctx;
    PackageWindows& m_windows;
};

// a * 100000 + b * 1000 + c * 10 for "a.b.c"; 0 for fewer than three parts or a part that is
// not a number.
int32_t VersionValue(const std::string& version);
bool IsNewerVersion(const std::string& sCurrent, const std::string& sPublished);

// The update check. True when the new program was started and this one must end at once.
[[nodiscard]] bool CheckForUpdate(Context& ctx, PackageTransfer& transfer, bool bSilent);
// The self-update. True when the new program was started and this one must end at once; on
// any failure the running program is left as it was.
[[nodiscard]] bool InstallUpdate(Context& ctx, PackageTransfer& transfer, bool bSilent);
// Fetches the update index package and unpacks "AshgroveUpdates.ini" beside the program.
void DownloadUpdateIndex(Context& ctx, PackageTransfer& transfer);
void GetConfigPackage(Context& ctx, PackageTransfer& transfer, const std::string& sURL);
void GetDefsPackage(Context& ctx, PackageTransfer& transfer, const std::string& sURL);

}  // namespace kestrel
