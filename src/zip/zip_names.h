#pragma once
// Entry names of ZIP archives turned into relative Windows paths, or refused. A name is
// untrusted: it may try to leave the target folder (absolute paths, drive letters, UNC
// prefixes, ".." components), to reach an alternate data stream (":"), or to alias another
// path through what Windows silently changes (trailing dots and blanks, device names).

#include <string>

namespace kestrel {

struct ZipName {
    bool ok = false;
    // The relative path with "\" separators and no "." components, in windows-1252; for a
    // folder entry without its trailing separator.
    std::string path;
    bool folder = false;  // the name ended in "/" (or "\")
    // Why the name was refused, e.g. "it has a \"..\" component".
    std::string reason;
};

// utf8: general-purpose flag bit 11 of the entry (UTF-8 name); otherwise the name is CP437.
ZipName CheckZipName(const std::string& raw, bool utf8);

// The name as it may be shown in a message: control characters become "?".
std::string PrintableZipName(const std::string& raw);

}  // namespace kestrel
