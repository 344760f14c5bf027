// clsFSO: paths as texts.
#include <map>

#include "base/strings.h"
#include "core/context.h"
#include "platform/fso.h"

namespace kestrel {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The length of the root of a path: "C:\" 3, "C:" 2, "\\server\share\" up to and with the
// separator after the share; 0 for a path without a root.
size_t RootLength(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') {
        return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        size_t server = path.find_first_of("\\/", 2);
        if (server == std::string_view::npos) {
            return path.size();
        }
        size_t share = path.find_first_of("\\/", server + 1);
        return share == std::string_view::npos ? path.size() : share + 1;
    }
    return 0;
}

// The path without separators at its end, a root keeping its own.
std::string_view WithoutTrailingSeparators(std::string_view path) {
    const size_t root = RootLength(path);
    while (path.size() > root && IsSeparator(path.back())) {
        path.remove_suffix(1);
    }
    return path;
}

}  // namespace

std::string clsFSO::StripDrive(const std::string& strPath) {
    if (!strPath.empty() && strPath.front() == '{' && strPath.back() == '}') {
        m_ctx.debug.Print(
            "clsFSO\\StripDrive: Error: It appears a CLSID was passed.  Exiting Function.");
        m_ctx.debug.Print("\t- strPath=" + strPath);
        return strPath;
    }
    if (strPath.size() >= 2 && strPath[1] == ':') {
        return strPath.substr(2);
    }
    m_ctx.debug.Print(
        "clsFSO\\StripDrive: Error: It appears no drive letter was passed.  Exiting Function.");
    return strPath;
}

std::string clsFSO::Get_Filename(std::string_view file) {
    std::string_view path = WithoutTrailingSeparators(file);
    const size_t root = RootLength(path);
    if (path.size() <= root && root > 0) {
        return {};
    }
    const size_t cut = path.find_last_of("\\/");
    if (cut != std::string_view::npos && cut + 1 >= root) {
        return std::string(path.substr(cut + 1));
    }
    return std::string(path.substr(root));
}

std::string clsFSO::Get_Extension(std::string_view file) {
    const std::string name = Get_Filename(file);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string clsFSO::Get_FileNoExtension(std::string_view file) {
    const std::string name = Get_Filename(file);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string clsFSO::Get_Path(std::string_view file) {
    std::string_view path = WithoutTrailingSeparators(file);
    const size_t root = RootLength(path);
    if (path.size() <= root) {
        return {};
    }
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string_view::npos || cut < root) {
        return std::string(path.substr(0, root));
    }
    return std::string(WithoutTrailingSeparators(path.substr(0, cut + 1)));
}

std::string clsFSO::Add_Trailing_Slash(std::string_view path) {
    std::string trimmed = Trim(path);
    // An empty path stays empty: "\" alone would name the root of the current drive.
    if (!trimmed.empty() && trimmed.back() != '\\') {
        trimmed += '\\';
    }
    return trimmed;
}

std::string clsFSO::Remove_Trailing_Slash(std::string_view path) {
    std::string trimmed = Trim(path);
    if (!trimmed.empty() && trimmed.back() == '\\') {
        trimmed.pop_back();
    }
    return trimmed;
}

std::string clsFSO::Remove_Nulls(std::string_view text) {
    return std::string(text.substr(0, text.find('\0')));
}

std::string clsFSO::Shrink_2_Fit(std::string_view path, size_t maxLength) {
    if (path.size() <= maxLength) {
        return std::string(path);
    }
    const size_t root = RootLength(path);
    const size_t firstFolderEnd = root == 0 ? std::string_view::npos : path.find('\\', root);
    const size_t lastSeparator = path.rfind('\\');
    if (firstFolderEnd != std::string_view::npos && lastSeparator > firstFolderEnd) {
        // Root and first folder, "...", then as many of the last names as fit.
        const std::string head = std::string(path.substr(0, firstFolderEnd + 1)) + "...";
        size_t tailStart = lastSeparator;
        while (true) {
            const size_t previous = path.rfind('\\', tailStart - 1);
            if (previous <= firstFolderEnd || head.size() + path.size() - previous > maxLength) {
                break;
            }
            tailStart = previous;
        }
        if (head.size() + path.size() - tailStart <= maxLength) {
            return head + std::string(path.substr(tailStart));
        }
    }
    // Too long even so: its end, behind "...".
    if (maxLength <= 3) {
        return std::string(path.substr(0, maxLength));
    }
    return "..." + std::string(path.substr(path.size() - (maxLength - 3)));
}

std::string clsFSO::Attribute_String(uint32_t attributes) {
    static const std::map<uint32_t, const char*> kLetters = {
        {1, "R"},     {2, "H"},     {3, "RH"},     {4, "S"},     {5, "RS"},    {6, "HS"},
        {7, "RHS"},   {8, "V"},     {16, "D"},     {17, "DR"},   {18, "DH"},   {19, "DRH"},
        {20, "DS"},   {23, "DRHS"}, {32, "A"},     {33, "RA"},   {34, "HA"},   {35, "RHA"},
        {36, "SA"},   {48, "DA"},   {49, "DRA"},   {50, "DHA"},  {51, "DRHA"}, {52, "DSA"},
        {53, "DRSA"}, {54, "DHSA"}, {55, "DRHSA"}, {64, "Alias"}};
    auto it = kLetters.find(attributes);
    return it == kLetters.end() ? std::string() : it->second;
}

}  // namespace kestrel
