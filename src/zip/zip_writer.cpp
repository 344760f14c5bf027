#include "zip/zip_writer.h"

namespace kestrel {

bool ZipClass::AddFile(const std::string&, const std::string&, const std::string&) {
    return false;
}

bool ZipClass::WriteZip(const std::string&, bool) {
    return false;
}

}  // namespace kestrel
