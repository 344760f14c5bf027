#include "net/download_file.h"

namespace kestrel {

std::string DownloadStatusText(uint64_t, uint64_t) {
    return "";
}

int32_t DownloadPercent(uint64_t, uint64_t) {
    return 0;
}

std::string DownloadCaption(int32_t) {
    return "";
}

bool DownloadFile(Context&, const std::string&, const std::string&, bool, DownloadWindow&) {
    return false;
}

}  // namespace kestrel
