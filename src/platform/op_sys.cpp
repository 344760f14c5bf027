#include "platform/op_sys.h"

#include "base/number.h"
#include "base/strings.h"
#include "core/context.h"
#include "core/settings.h"
#include "platform/file_tests.h"
#include "platform/registry.h"

namespace kestrel {
namespace {

// The number at the start of a text, as VB's Val reads it (0 when there is none).
long LeadingNumber(const std::string& text) {
    IntegerRules rules;
    rules.allowSign = false;
    rules.allowBlanks = false;
    rules.leadingOnly = true;
    rules.max = INT32_MAX;
    const ParsedInteger n = ParseInteger(text, rules);
    if (n.status == NumberStatus::kOutOfRange) {
        return INT32_MAX;  // more digits than any build number has: beyond every one
    }
    return n.status == NumberStatus::kOk ? static_cast<long>(n.value) : 0;
}

// The first builds of the versions that report themselves as 10.0.
constexpr uint32_t kWin11Build = 22000;
constexpr uint32_t kServer2019Build = 17763;
constexpr uint32_t kServer2022Build = 20348;

}  // namespace

std::string EditionFromSku(uint32_t sku) {
    switch (sku) {
        case 0:
            return " Undefined Edition ";
        case 1:
            return " Ultimate ";
        case 2:
            return " Home Basic ";
        case 3:
            return " Home Premium ";
        case 4:
        case 10:
            return " Enterprise ";
        case 5:
            return " Home Basic N ";
        case 6:
            return " Business ";
        case 7:
            return " Standard ";
        case 8:
            return " Datacenter ";
        case 9:
            return " SBS ";
        case 11:
            return " Starter ";
        case 12:
            return " Datacenter Core ";
        case 13:
            return " Standard Core ";
        case 14:
            return " Enterprise Core ";
        case 15:
            return " Enterprise IA64 ";
        case 16:
            return " Business N ";
        case 17:
            return " Web Server ";
        case 18:
            return " Cluster ";
        case 19:
            return " Home Server ";
        case 20:
            return " Storage Express ";
        case 21:
            return " Storage Standard ";
        case 22:
            return " Storage Workgroup ";
        case 23:
            return " Storage Enterprise ";
        case 24:
            return " For Small Business ";
        case 25:
            return " SBS Premium ";
        case 42:
            return " Hyper-V ";
        case 48:
            return " Professional ";
        case 74:
            return " Consumer Preview? ";
        case 103:
            return " Pro w/Media Center ";
        default:
            return " Unknown (SKU Bit " + std::to_string(sku) + ") ";
    }
}

clsOpSys::clsOpSys(Context& ctx, std::optional<std::string> buildLabEx) : m_ctx(ctx) {
    if (!buildLabEx) {
        std::string text;
        (void)fReadValue(ctx, "HKLM", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                         "BuildLabEx", "S", std::string(), text);
        buildLabEx = text;
    }
    const os::Environment& env = ctx.os.env;
    m_env.systemRoot = env.Variable("systemroot");
    m_env.windir = env.Variable("windir");
    m_env.systemDrive = env.Variable("systemdrive");
    m_env.homeDrive = env.Variable("homedrive");
    m_env.userName = env.Variable("username");
    m_env.userProfile = env.Variable("userprofile");
    m_env.programFiles = env.Variable("programfiles");
    m_env.commonProgramFiles = env.Variable("commonprogramfiles");
    m_env.temp = env.Variable("temp");
    m_env.tmp = env.Variable("tmp");
    m_env.systemFolder =
        m_env.windir + (env.Variable("os") == "Windows_NT" ? "\\System32" : "\\System");

    if (!ctx.os.system.Version(true, m_record) && !ctx.os.system.Version(false, m_record)) {
        m_record = {};
    }
    DeriveFlags(*buildLabEx);
}

void clsOpSys::DeriveFlags(const std::string& buildLabEx) {
    const uint32_t major = m_record.major;
    const uint32_t minor = m_record.minor;
    const uint32_t product = m_record.productType;
    if (m_record.platformId == 1) {
        m_isWin95 = true;
        m_isWin98 = minor >= 10;
        m_isWinME = BuildNumber() >= 3000;
    } else if (m_record.platformId == 2) {
        m_isWinNT = true;
        m_isWin2K = major >= 5;
        m_is2003 = major >= 5 && minor >= 2;
        m_isVista = major >= 6;
        m_isWinXP = (major >= 5 && minor >= 1) || m_isVista;
        m_isWin7 = major >= 6 && minor >= 1;
        m_isWin8 = major >= 6 && minor >= 2;
        m_isWin81 = major >= 6 && minor >= 3;
        const std::vector<std::string> parts = Split(buildLabEx, ".");
        m_isWin81u1 = m_isWin81 && parts.size() >= 2 && LeadingNumber(parts[1]) > 17030;
        m_is2008 = major >= 6 && product > 1;
        m_is2008R2 = major >= 6 && minor >= 1 && product > 1;
        m_is2012 = major >= 6 && minor >= 2 && product > 1;
        // Windows 10 and later all say 10.0; the build tells them apart.
        const uint32_t build = m_record.build;
        m_isWin10 = major >= 10;
        m_isWin11 = m_isWin10 && build >= kWin11Build;
        m_is2016 = m_isWin10 && product > 1;
        m_is2019 = m_is2016 && build >= kServer2019Build;
        m_is2022 = m_is2016 && build >= kServer2022Build;
    }
}

int32_t clsOpSys::BuildNumber() const {
    return static_cast<int16_t>(m_record.build & 0xFFFF);
}

std::string clsOpSys::CSDVersion() const {
    const std::string& raw = m_record.csdVersion;
    return Trim(raw.substr(0, raw.find('\0')));
}

int16_t clsOpSys::WindowsMode() const {
    return static_cast<int16_t>(m_ctx.os.system.CleanBoot());
}

// The section Windows XP's setup writes into prodspec.ini, beside its "Product" name.
constexpr const char* kProdSpecSection = "Product Specification";

std::string clsOpSys::EditionFromProductSpec() const {
    const std::string file = m_env.systemFolder + "\\prodspec.ini";
    if (!DoesFileExist(m_ctx, file)) {
        return " Undefined Edition ";
    }
    const std::string product = LCase(ReadIniSection(m_ctx, file, kProdSpecSection, "Product"));
    std::string edition;
    if (product.find("home") != std::string::npos) {
        edition = " Home ";
    }
    if (product.find("media") != std::string::npos) {
        edition = " Media Center ";
    }
    if (product.find("professional") != std::string::npos) {
        edition = DoesFileExist(m_ctx, m_env.windir + "\\ehome\\ehtray.exe") ? " Media Center "
                                                                             : " Professional ";
    }
    return edition;
}

std::string clsOpSys::Edition() const {
    if (m_record.major < 6) {
        return EditionFromProductSpec();
    }
    uint32_t sku = 0;
    if (!m_ctx.os.system.OperatingSystemSku(sku)) {
        sku = 0;
    }
    return EditionFromSku(sku);
}

std::string clsOpSys::Platform() const {
    struct Row {
        bool flag;
        const char* name;
        bool withEdition;
    };
    const Row rows[] = {
        {m_isWinME, "Windows Me", false},
        {m_isWin98, "Windows 98", false},
        {m_isWin95, "Windows 95", false},
        {m_is2022, "Windows Server 2022", true},
        {m_is2019, "Windows Server 2019", true},
        {m_is2016, "Windows Server 2016", true},
        {m_isWin11, "Windows 11", true},
        {m_isWin10, "Windows 10", true},
        {m_is2012, "Windows Server 2012", true},
        {m_is2008R2, "Windows Server 2008 R2", true},
        {m_isWin81u1, "Windows 8.1 Update 1", true},
        {m_isWin81, "Windows 8.1", true},
        {m_isWin8, "Windows 8", true},
        {m_isWin7, "Windows 7", true},
        {m_is2008, "Windows Server 2008", true},
        {m_isVista, "Windows Vista", true},
        {m_is2003, "Windows Server 2003", false},
        {m_isWinXP, "Windows XP", true},
        {m_isWin2K, "Windows 2000", false},
        {m_isWinNT, "Windows NT", false},
    };
    for (const Row& row : rows) {
        if (row.flag) {
            return row.withEdition ? row.name + Edition() : std::string(row.name);
        }
    }
    return {};
}

std::string clsOpSys::Version() const {
    return Platform() + " " + CSDVersion() + " (Version " + std::to_string(m_record.major) + "." +
           std::to_string(m_record.minor) + ", Build " + std::to_string(BuildNumber()) + ")";
}

std::string clsOpSys::ProductTypeName() const {
    switch (m_record.productType) {
        case 0:
            return "Unknown";
        case 1:
            return "NT Workstation";
        case 2:
            return "Domain Controller";
        case 3:
            return "NT Server";
        default:
            return {};
    }
}

}  // namespace kestrel
