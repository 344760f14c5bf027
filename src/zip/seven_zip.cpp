#include "zip/seven_zip.h"

namespace kestrel {

bool UnzipWith7z(Context&, const std::string&, const std::string&) {
    return false;
}

}  // namespace kestrel
