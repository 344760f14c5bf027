#include "base/error_line.h"

#include <new>

namespace kestrel {

VbError FileError(uint32_t win32Error) {
    switch (win32Error) {
        case 2:
            return {53, "File not found"};
        case 3:
            return {76, "Path not found"};
        case 5:
        case 32:
        case 33:
            return {70, "Permission denied"};
        case 15:
        case 21:
            return {71, "Disk not ready"};
        case 39:
        case 112:
            return {61, "Disk full"};
        case 80:
        case 183:
            return {58, "File already exists"};
        case 4:
            return {67, "Too many files"};
        case 123:
        case 161:
        case 206:
            return {52, "Bad file name or number"};
        default:
            return {75, "Path/File access error"};
    }
}

VbError ExceptionError(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
        return {7, "Out of memory"};
    }
    return {5, std::string("Invalid procedure call or argument (") + e.what() + ")"};
}

VbError UnknownExceptionError() {
    return {51, "Internal error"};
}

}  // namespace kestrel
