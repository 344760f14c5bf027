#include "zip/unzip_file.h"

namespace kestrel {

bool UnzipFile(Context&, const std::string&, const std::string&, bool, StatusWindow&) {
    return false;
}

}  // namespace kestrel
