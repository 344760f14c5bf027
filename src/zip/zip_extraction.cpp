#include "zip/zip_extraction.h"

#include <zlib.h>

#include "core/context.h"

namespace kestrel {

struct ZipExtractionClass::State {
    Context& ctx;
    ZipEvents& events;
};

ZipExtractionClass::ZipExtractionClass(Context& ctx, ZipEvents& events)
    : m(std::make_unique<State>(State{ctx, events})) {}

ZipExtractionClass::~ZipExtractionClass() = default;

bool ZipExtractionClass::OpenZip(const std::string&) {
    return false;
}

void ZipExtractionClass::CloseZip() {}

bool ZipExtractionClass::Extract(const std::string&, bool, bool) {
    return false;
}

std::string ZipExtractionClass::ZLibVersion() const {
    return zlibVersion();
}

bool ZipExtractionClass::RefusedUnsafe() const {
    return false;
}

}  // namespace kestrel
