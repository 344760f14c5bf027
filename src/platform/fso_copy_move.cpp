// clsFSO: copying, moving and renaming.
#include <optional>

#include "base/strings.h"
#include "base/strip.h"
#include "core/context.h"
#include "os/errors.h"
#include "os/user_prompts.h"
#include "platform/file_dates.h"
#include "platform/file_tests.h"
#include "platform/fso.h"
#include "platform/path_forms.h"

namespace kestrel {
namespace {

using os::error::kAccessDenied;
using os::error::kInvalidName;

// A name beside target that nothing uses yet, for the new file until it takes target's place.
std::string FreeNameBeside(Context& ctx, clsFSO& fso, const std::string& target) {
    const std::string folder = StripNameFromPathQuiet(target);
    for (int tries = 0; tries < 100; ++tries) {
        const std::string candidate = folder + "\\~kestrel" + fso.Create_Tmp_Name(6) + ".tmp";
        if (ctx.os.files.Attributes(candidate) == os::kInvalidAttributes) {
            return candidate;
        }
    }
    return {};
}

// Puts source (moved or copied) in place of the existing target. The target stays whole until
// the new file is beside it; a failed swap puts everything back.
uint32_t ReplaceTarget(Context& ctx, clsFSO& fso, const std::string& source,
                       const std::string& target, bool copy) {
    os::FileSystem& files = ctx.os.files;
    const std::string staged = FreeNameBeside(ctx, fso, target);
    if (staged.empty()) {
        return 80;  // ERROR_FILE_EXISTS
    }
    uint32_t error = copy ? files.Copy(source, staged, true) : files.Move(source, staged);
    if (error != 0) {
        return error;
    }
    const uint32_t targetAttributes = files.Attributes(target);
    (void)files.SetAttributes(target, os::attr::kNormal);
    error = files.Replace(staged, target);
    if (error != 0) {
        if (copy) {
            (void)files.SetAttributes(staged, os::attr::kNormal);  // a read-only copy stays
            (void)files.Delete(staged);
        } else {
            (void)files.Move(staged, source);
        }
        if (targetAttributes != os::kInvalidAttributes) {
            (void)files.SetAttributes(target, targetAttributes);
        }
    }
    return error;
}

}  // namespace

bool clsFSO::AskToReplace(const std::string& target) {
    std::string details;
    if (Get_FileInfo(target)) {
        details = "Size:  " + FormatThousands(m_details.size) +
                  " bytes\r\nModified:  " + FormatFileTime(m_ctx, m_details.modified);
    }
    const std::string text = "File already exist at\r\n" + target + "\r\n" + details +
                             "\r\n\r\nDo you want to replace it?";
    return m_ctx.os.prompts.ShowMessage(text, "Replace File?",
                                        os::mb::kYesNo | os::mb::kIconQuestion) == os::mb::kIdYes;
}

bool clsFSO::Transfer(const std::string& source, const std::string& target, bool overwrite,
                      bool copy) {
    const std::string procedure = copy ? "Copy_File" : "Move_File";
    if (!DoesFileExist(m_ctx, source)) {
        m_ctx.debug.Print("clsFSO\\" + procedure +
                          " - Source file does not exist, aborting routine.");
        if (copy) {
            m_ctx.debug.Print("\tFile:  " + source);
        }
        return false;
    }
    // A target that ends in "\" is the folder to put the file in.
    const std::string destination =
        !target.empty() && target.back() == '\\' ? target + Get_Filename(source) : target;
    uint32_t error = 0;
    std::optional<VbError> thrown;
    try {
        if (!IsAbsolutePath(destination) || HasWildcard(destination)) {
            error = kInvalidName;
        } else if (DoesDirExist(m_ctx, destination)) {
            error = kAccessDenied;  // a folder stands where the file should go
        } else {
            const bool exists = DoesFileExist(m_ctx, destination);
            if (exists && !overwrite && !AskToReplace(destination)) {
                return false;
            }
            RedirectionOff off(m_ctx.redirection);
            const uint32_t attributes = m_ctx.os.files.Attributes(source);
            if (exists) {
                error = ReplaceTarget(m_ctx, *this, source, destination, copy);
            } else {
                error = copy ? m_ctx.os.files.Copy(source, destination, true)
                             : m_ctx.os.files.Move(source, destination);
            }
            if (error == 0 && attributes != os::kInvalidAttributes) {
                (void)m_ctx.os.files.SetAttributes(destination, attributes);
            }
        }
    } catch (const std::exception& e) {
        thrown = ExceptionError(e);
    }
    if (error == 0 && !thrown) {
        return true;
    }
    m_ctx.debug.Error("clsFSO\\" + procedure + " - VB ERROR: ", thrown ? *thrown : FileError(error),
                      {});
    m_ctx.debug.Print(copy ? "Error while copying a file:" : "Error while moving a file:");
    m_ctx.debug.Print("\tFROM: " + source);
    m_ctx.debug.Print("\tTO:   " + target);
    m_ctx.debug.Print("\tNote TO: path may need a trailing backslash!");
    return false;
}

bool clsFSO::Move_File(const std::string& source, const std::string& target, bool overwrite) {
    return Transfer(source, target, overwrite, false);
}

bool clsFSO::Copy_File(const std::string& source, const std::string& target, bool overwrite) {
    return Transfer(source, target, overwrite, true);
}

bool clsFSO::RenFile(const std::string& oldPath, std::string& newName, bool overwrite) {
    const std::string newPath = StripNameFromPathQuiet(oldPath) + "\\" + StripPath(newName);
    newName = newPath;
    // Another spelling of the same name is a change of case, not a second file.
    const bool sameFile = EqualsNoCase(newPath, oldPath);
    const bool replace = !sameFile && DoesFileExist(m_ctx, newPath);
    if (replace && !overwrite) {
        m_ctx.debug.Print("clsFSO\\RenFile: Failed, exiting function.");
        m_ctx.debug.Print("\t- File Already Exists: " + newPath);
        m_ctx.debug.Print("\t- Input: " + oldPath);
        return false;
    }
    if (!DoesFileExist(m_ctx, oldPath)) {
        m_ctx.debug.Print("clsFSO\\RenFile: Failed.");
        m_ctx.debug.Print("\t- File Not Found: " + oldPath);
        return false;
    }
    bool renamed = false;
    {
        RedirectionOff off(m_ctx.redirection);
        os::FileSystem& files = m_ctx.os.files;
        if (replace) {
            // The file in the way goes only when the renamed one takes its place.
            const uint32_t attributes = files.Attributes(newPath);
            (void)files.SetAttributes(newPath, os::attr::kNormal);
            renamed = files.Replace(oldPath, newPath) == 0;
            if (!renamed && attributes != os::kInvalidAttributes) {
                (void)files.SetAttributes(newPath, attributes);
            }
        } else {
            renamed = files.Move(oldPath, newPath) == 0;
        }
    }
    if (!sameFile) {
        renamed = !DoesFileExist(m_ctx, oldPath);
    }
    const std::string head = "clsFSO\\RenFile: Rename to \"" + newPath + "\"";
    if (!renamed) {
        m_ctx.debug.Print(head + " failed.");
        m_ctx.debug.Print("\t- Input: " + oldPath);
        return false;
    }
    m_ctx.debug.Print(head + " succeeded.");
    return true;
}

bool clsFSO::Move_Dir(const std::string& source, const std::string& destination) {
    const std::string target = !destination.empty() && destination.back() == '\\'
                                   ? destination + Get_Filename(source)
                                   : destination;
    uint32_t error = 0;
    if (!IsAbsolutePath(source) || !IsAbsolutePath(target) || IsDriveOrShareRoot(source) ||
        HasWildcard(source) || HasWildcard(target)) {
        error = kInvalidName;
    } else if (!DoesDirExist(m_ctx, source)) {
        error = 3;  // ERROR_PATH_NOT_FOUND
    } else {
        RedirectionOff off(m_ctx.redirection);
        error = m_ctx.os.files.Move(source, target);
    }
    if (error == 0) {
        return true;
    }
    m_ctx.debug.Error("clsFSO\\Move_Dir - VB ERROR: ", FileError(error),
                      {"\t- Source=" + source, "\t- Destination=" + destination});
    return false;
}

}  // namespace kestrel
