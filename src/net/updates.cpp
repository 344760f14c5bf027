#include "net/updates.h"

#include "net/download_file.h"
#include "zip/unzip_file.h"

namespace kestrel {

bool PackageTools::Download(const std::string& url, const std::string& file, bool hidden) {
    auto window = m_windows.NewDownloadWindow();
    return DownloadFile(m_ctx, url, file, hidden, *window);
}

bool PackageTools::Unzip(const std::string& zipFile, const std::string& folder, bool hidden) {
    auto window = m_windows.NewStatusWindow();
    return UnzipFile(m_ctx, zipFile, folder, hidden, *window);
}

int32_t VersionValue(const std::string&) {
    return 0;
}

bool IsNewerVersion(const std::string& sCurrent, const std::string& sPublished) {
    return VersionValue(sPublished) > VersionValue(sCurrent);
}

bool CheckForUpdate(Context&, PackageTransfer&, bool) {
    return false;
}

bool InstallUpdate(Context&, PackageTransfer&, bool) {
    return false;
}

void DownloadUpdateIndex(Context&, PackageTransfer&) {}

void GetConfigPackage(Context&, PackageTransfer&, const std::string&) {}

void GetDefsPackage(Context&, PackageTransfer&, const std::string&) {}

}  // namespace kestrel
