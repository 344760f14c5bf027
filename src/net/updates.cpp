#include "net/updates.h"

#include <array>
#include <memory>

#include "base/number.h"
#include "base/sha256.h"
#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "core/settings.h"
#include "net/download_file.h"
#include "platform/file_tests.h"
#include "platform/fso.h"
#include "platform/process_launch.h"
#include "zip/unzip_file.h"

namespace kestrel {
namespace {

constexpr uint32_t kOkCancel = 0x1;  // MB_OKCANCEL
constexpr const char* kIndexName = "AshgroveUpdates.ini";
constexpr const char* kFailedDownload = "Failed to download update.";
constexpr const char* kFailedUnzip = "Failed to unzip update.";

std::string IndexFile(Context& ctx) {
    return AppPath(ctx) + kIndexName;
}

std::string OldProgramFile(Context& ctx) {
    return AppPath(ctx) + ProgramName(ctx) + "_old.exe";
}

std::string UpdateServer(Context& ctx) {
    return Trim(ReadIniSection(ctx, ctx.settingsFile, "Options", "UpdateServer"));
}

// The host of a URL in lower case, without user, port, path; "[...]" kept for IPv6.
std::string HostOf(const std::string& url) {
    size_t start = url.find("://");
    start = start == std::string::npos ? 0 : start + 3;
    size_t end = url.find_first_of("/?#\\", start);
    std::string authority = LCase(url.substr(start, end == std::string::npos ? end : end - start));
    if (size_t at = authority.rfind('@'); at != std::string::npos) {
        authority.erase(0, at + 1);
    }
    if (StartsWith(authority, "[")) {
        size_t close = authority.find(']');
        return close == std::string::npos ? authority : authority.substr(0, close + 1);
    }
    return authority.substr(0, authority.find(':'));
}

bool IsLoopbackHost(const std::string& host) {
    if (host == "localhost" || host == "[::1]") {
        return true;
    }
    const std::vector<std::string> parts = Split(host, ".");
    if (parts.size() != 4 || parts[0] != "127") {
        return false;
    }
    for (const std::string& part : parts) {
        if (part.empty() || part.size() > 3 || !IntegerOrNothing(part, {0, 255, false, false})) {
            return false;
        }
    }
    return true;
}

// https always; plain http only while both the configured server and the URL itself are on
// this machine (a test server), so no one on the network can hand over a program.
bool TransferAllowed(Context& ctx, const std::string& url) {
    if (StartsWithNoCase(url, "https://")) {
        return true;
    }
    return StartsWithNoCase(url, "http://") && IsLoopbackHost(HostOf(UpdateServer(ctx))) &&
           IsLoopbackHost(HostOf(url));
}

void RefusedUrlLine(Context& ctx, const std::string& procedure, const std::string& url) {
    ctx.debug.Print(procedure + ":  Refused " + url +
                    ": updates are fetched over https only (http only from a loopback update "
                    "server); nothing was changed.");
}

// The index package's URL, or "" (with the debug line) when there is none to use.
std::string IndexUrl(Context& ctx) {
    std::string server = UpdateServer(ctx);
    if (server.empty()) {
        ctx.debug.Print(
            "CheckForUpdate:  No update server is set (Options\\UpdateServer); nothing was "
            "changed.");
        return {};
    }
    while (EndsWith(server, "/")) {
        server.pop_back();
    }
    std::string url = server + "/AshgroveUpdates.zip";
    if (!TransferAllowed(ctx, url)) {
        RefusedUrlLine(ctx, "CheckForUpdate", url);
        return {};
    }
    return url;
}

void FetchIndex(Context& ctx, PackageTransfer& transfer, const std::string& url) {
    const std::string package = AppPath(ctx) + "AshgroveUpdates.zip";
    (void)ctx.os.files.Delete(IndexFile(ctx));
    if (transfer.Download(url, package, true)) {
        (void)transfer.Unzip(package, AppPath(ctx), true);
    }
    (void)ctx.os.files.Delete(package);
}

void DeleteIfPresent(Context& ctx, const std::string& path) {
    if (DoesFileExist(ctx, path)) {
        (void)ctx.os.files.Delete(path);
    }
}

// The SHA-256 of a file as lower-case hex; "" when it cannot be read.
std::string FileSha256(Context& ctx, const std::string& path) {
    std::unique_ptr<os::ReadableFile> file;
    if (ctx.os.files.OpenReadable(path, file) != 0 || !file) {
        return {};
    }
    Sha256 hash;
    std::array<char, 65536> buffer;
    for (uint64_t offset = 0;;) {
        size_t got = 0;
        if (file->ReadAt(offset, buffer.data(), buffer.size(), got) != 0) {
            return {};
        }
        if (got == 0) {
            break;
        }
        hash.Update(buffer.data(), got);
        offset += got;
    }
    return Sha256Hex(hash.Final());
}

void Tell(Context& ctx, bool bSilent, const char* text) {
    if (!bSilent) {
        (void)ctx.os.prompts.ShowMessage(text, kProgramTitle, os::mb::kOkOnly);
    }
}

// Puts the renamed program back: whatever the package left under the program's name goes.
void RollBack(Context& ctx, const std::string& program, const std::string& old) {
    DeleteIfPresent(ctx, program);
    if (uint32_t error = ctx.os.files.Move(old, program); error != 0) {
        ctx.debug.Print("InstallUpdate:  Could not rename " + old + " back to " + program +
                        " (error " + std::to_string(error) + ")");
    }
}

// The arguments of this run without "/update", for the new program. A run with switches
// restarts into a run with switches: "/update" alone would otherwise restart into the main
// window, left open on the screen of a machine that a script is updating. "/restarted" names
// no switch, so the new program only does the clean-up of every run (deleting the old copy).
std::string RestartArguments(Context& ctx) {
    const std::string arguments = CommandArgumentsOf(ctx.os.env.CommandLine());
    const std::string rest = Trim(ReplaceAllNoCase(arguments, "/update", ""));
    return rest.empty() && !Trim(arguments).empty() ? std::string(kRestartedArgument) : rest;
}

}  // namespace

bool PackageTools::Download(const std::string& url, const std::string& file, bool hidden) {
    auto window = m_windows.NewDownloadWindow();
    return DownloadFile(m_ctx, url, file, hidden, *window);
}

bool PackageTools::Unzip(const std::string& zipFile, const std::string& folder, bool hidden) {
    auto window = m_windows.NewStatusWindow();
    return UnzipFile(m_ctx, zipFile, folder, hidden, *window);
}

int32_t VersionValue(const std::string& version) {
    const std::vector<std::string> parts = Split(version, ".");
    if (parts.size() < 3) {
        return 0;
    }
    const IntegerRules whole{0, INT32_MAX, false, true, false};
    int64_t value = 0;
    const int64_t weights[] = {100000, 1000, 10};
    for (size_t i = 0; i < 3; ++i) {
        std::optional<int64_t> n = IntegerOrNothing(parts[i], whole);
        if (!n) {
            return 0;
        }
        value += *n * weights[i];
        if (value > INT32_MAX) {
            return 0;
        }
    }
    return static_cast<int32_t>(value);
}

bool IsNewerVersion(const std::string& sCurrent, const std::string& sPublished) {
    return VersionValue(sPublished) > VersionValue(sCurrent);
}

bool CheckForUpdate(Context& ctx, PackageTransfer& transfer, bool bSilent) {
    DeleteIfPresent(ctx, OldProgramFile(ctx));
    const std::string url = IndexUrl(ctx);
    if (url.empty()) {
        return false;
    }
    FetchIndex(ctx, transfer, url);
    const os::VersionNumbers v = ctx.os.env.ProgramVersion();
    const std::string own =
        std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.revision);
    const std::string published = ReadIniSection(ctx, IndexFile(ctx), "Kestrel", "CurrentVersion");
    if (IsNewerVersion(own, published)) {
        if (bSilent) {
            return InstallUpdate(ctx, transfer, true);
        }
        const int answer = ctx.os.prompts.ShowMessage("Press OK to update this application.",
                                                      "An update is available!",
                                                      kOkCancel | os::mb::kIconExclamation);
        return answer == os::mb::kIdOk && InstallUpdate(ctx, transfer, false);
    }
    if (bSilent) {
        return false;
    }
    const int answer =
        ctx.os.prompts.ShowMessage("No updates found.  Would you like to update anyway?",
                                   kProgramTitle, os::mb::kYesNo | os::mb::kIconQuestion);
    return answer == os::mb::kIdYes && InstallUpdate(ctx, transfer, false);
}

bool InstallUpdate(Context& ctx, PackageTransfer& transfer, bool bSilent) {
    const std::string url = Trim(ReadIniSection(ctx, IndexFile(ctx), "Kestrel", "DownloadURL"));
    const std::string expected = Trim(ReadIniSection(ctx, IndexFile(ctx), "Kestrel", "SHA256"));
    if (!TransferAllowed(ctx, url)) {
        RefusedUrlLine(ctx, "InstallUpdate", url.empty() ? "an empty DownloadURL" : url);
        Tell(ctx, bSilent, kFailedDownload);
        return false;
    }
    if (!expected.empty() && !IsSha256Hex(expected)) {
        ctx.debug.Print(
            "InstallUpdate:  The update index's SHA256 is not 64 hexadecimal digits; "
            "the update was refused.");
        Tell(ctx, bSilent, kFailedDownload);
        return false;
    }
    const std::string package = AppPath(ctx) + "Kestrel.zip";
    DeleteIfPresent(ctx, package);
    if (!transfer.Download(url, package, false)) {
        Tell(ctx, bSilent, kFailedDownload);
        return false;
    }
    if (!expected.empty() && !EqualsNoCase(FileSha256(ctx, package), expected)) {
        ctx.debug.Print("InstallUpdate:  The SHA-256 of " + package +
                        " does not match the update index; the update was refused.");
        (void)ctx.os.files.Delete(package);
        Tell(ctx, bSilent, kFailedDownload);
        return false;
    }

    const std::string program = ProgramFilePath(ctx);
    const std::string old = OldProgramFile(ctx);
    DeleteIfPresent(ctx, old);
    // Without the rename the package would be unpacked over the running program, and a roll
    // back could not tell the old file from the new one.
    if (uint32_t error = ctx.os.files.Move(program, old); error != 0) {
        ctx.debug.Print("InstallUpdate:  Could not rename " + program + " to " + old + " (error " +
                        std::to_string(error) + "); nothing was changed.");
        Tell(ctx, bSilent, kFailedUnzip);
        return false;
    }
    if (!transfer.Unzip(package, AppPath(ctx), false)) {
        Tell(ctx, bSilent, kFailedUnzip);
        RollBack(ctx, program, old);
        return false;
    }
    if (!DoesFileExist(ctx, program)) {
        ctx.debug.Print("InstallUpdate:  The update package holds no " + StripPath(program) +
                        "; the program was left as it was.");
        Tell(ctx, bSilent, kFailedUnzip);
        RollBack(ctx, program, old);
        return false;
    }
    (void)ctx.os.files.Delete(package);
    uint32_t exitCode = 0;
    if (!ShellX(ctx, program, RestartArguments(ctx), false, kWindowNormal, exitCode, false, false,
                kNoTimeout)) {
        ctx.debug.Print("InstallUpdate:  Could not start the new " + program +
                        "; the program was left as it was.");
        RollBack(ctx, program, old);
        return false;
    }
    return true;
}

void DownloadUpdateIndex(Context& ctx, PackageTransfer& transfer) {
    const std::string url = IndexUrl(ctx);
    if (!url.empty()) {
        FetchIndex(ctx, transfer, url);
    }
}

void GetConfigPackage(Context& ctx, PackageTransfer& transfer, const std::string& sURL) {
    const std::string package = AppPath(ctx) + "Kestrel_Config.zip";
    DeleteIfPresent(ctx, package);
    if (!transfer.Download(sURL, package, false)) {
        return;
    }
    const std::string settings = ctx.settingsFile;
    const std::string backup = settings + ".bak";
    const bool backedUp = ctx.os.files.Replace(settings, backup) == 0;
    const bool unpacked = transfer.Unzip(package, AppPath(ctx), false);
    if (backedUp) {
        if (unpacked && DoesFileExist(ctx, settings)) {
            (void)ctx.os.files.Delete(backup);
        } else {
            (void)ctx.os.files.Replace(backup, settings);
        }
    }
    (void)ctx.os.files.Delete(package);
}

void GetDefsPackage(Context& ctx, PackageTransfer& transfer, const std::string& sURL) {
    const std::string package = AppPath(ctx) + "Kestrel_Defs.zip";
    DeleteIfPresent(ctx, package);
    if (!transfer.Download(sURL, package, false)) {
        return;
    }
    const std::string backups = AppPath(ctx) + "Def_Backups";
    (void)MakeFolderPath(ctx, backups);
    const DefinitionPaths& d = ctx.definitions;
    std::vector<std::string> moved;
    for (const std::string* list : {&d.blacklist, &d.whitelist, &d.regValues, &d.regKeys,
                                    &d.runValues, &d.fileSystemObjects, &d.startMenuFolders}) {
        if (!list->empty() && DoesFileExist(ctx, *list) &&
            ctx.os.files.Replace(*list, backups + "\\" + StripPath(*list)) == 0) {
            moved.push_back(*list);
        }
    }
    const bool unpacked = transfer.Unzip(package, AppPath(ctx), false);
    for (const std::string& list : moved) {
        // After a failed unpacking a half-written list is replaced by its backup; after a
        // good one, only the lists the package did not bring come back.
        if (!unpacked || !DoesFileExist(ctx, list)) {
            (void)ctx.os.files.Replace(backups + "\\" + StripPath(list), list);
        }
    }
    (void)ctx.os.files.Delete(package);
    (void)clsFSO(ctx).KillDir(backups);
}

}  // namespace kestrel
