#include "platform/file_owner.h"

#include "core/context.h"
#include "os/security.h"

namespace kestrel {
namespace {

constexpr const char* kRestorePrivilege = "SeRestorePrivilege";

const char* StepMessage(os::SecurityStep step) {
    switch (step) {
        case os::SecurityStep::kLookupAccount:
            return "LookupAccountName failed with error code ";
        case os::SecurityStep::kInitialize:
            return "InitializeSecurityDescriptor failed with error code ";
        case os::SecurityStep::kSetOwner:
            return "SetSecurityDescriptorOwner failed with error code ";
        case os::SecurityStep::kSetFileSecurity:
            return "SetFileSecurity failed with error code ";
        case os::SecurityStep::kOpenToken:
            return "OpenProcessToken failed with error code ";
        case os::SecurityStep::kLookupPrivilege:
            return "LookupPrivilegeValue failed with error code ";
        case os::SecurityStep::kAdjust:
        default:
            return "AdjustTokenPrivileges failed with error code ";
    }
}

}  // namespace

void ChangeOwnerOfFile(Context& ctx, const std::string& path, std::string& ownerName) {
    try {
        ctx.debug.Print("SetOwnerFS\\ChangeOwnerOfFile:");
        ctx.debug.Print("\t- Passed: " + path);
        ctx.debug.Print("\t- Optional Parm OwnerAccountName=" + ownerName);
        ownerName = ctx.os.env.Variable("username");
        (void)Enable_Privilege(ctx, kRestorePrivilege);
        std::string sid;
        os::SecurityStep failed = os::SecurityStep::kNone;
        uint32_t rc = ctx.os.security.LookupAccount(ownerName, sid);
        if (rc != 0) {
            failed = os::SecurityStep::kLookupAccount;
        } else {
            RedirectionOff off(ctx.redirection);
            rc = ctx.os.security.SetFileOwner(path, sid, failed);
        }
        if (rc != 0) {
            ctx.debug.Print(StepMessage(failed) + ToText(rc));
        } else {
            ctx.debug.Print("Owner of " + path + " changed to " + ownerName);
        }
        // Also after a failure: the privilege is not left switched on for the rest of the run.
        (void)Disable_Privilege(ctx, kRestorePrivilege);
    } catch (const std::exception& e) {
        ctx.debug.Error("SetOwnerFS\\ChangeOwnerOfFile - VB ERROR: ", ExceptionError(e),
                        {"\t- Passed: " + path, "\t- Optional Parm OwnerAccountName=" + ownerName});
    }
}

bool ModifyState(Context& ctx, const std::string& privilege, bool enable) {
    try {
        os::SecurityStep failed = os::SecurityStep::kNone;
        uint32_t rc = ctx.os.security.AdjustPrivilege(privilege, enable, failed);
        if (rc != 0) {
            ctx.debug.Print(StepMessage(failed) + ToText(rc));
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        ctx.debug.Error("SetOwnerFS\\ModifyState - VB ERROR: ", ExceptionError(e),
                        {"\t- Passed: " + privilege, "\t- Enabled Privilege? " + ToText(enable)});
        return false;
    }
}

// ModifyState reports its own failures, so these two only choose the direction.
bool Enable_Privilege(Context& ctx, const std::string& privilege) {
    return ModifyState(ctx, privilege, true);
}

bool Disable_Privilege(Context& ctx, const std::string& privilege) {
    return ModifyState(ctx, privilege, false);
}

}  // namespace kestrel
