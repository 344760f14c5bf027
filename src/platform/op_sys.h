#pragma once
// clsOpSys: which Windows the program runs on. The version record and the environment are read
// once, when the object is made; the flags and names are derived from them. Windows 95 to 11
// and Server 2003 to 2022 are told apart; later versions read as the nearest of these. The
// flags of the versions before 10.0 keep their own rules (IsWin7 is false on 10.0).

#include <cstdint>
#include <optional>
#include <string>

#include "os/system_info.h"

namespace kestrel {

class Context;

// The environment values captured with the version record.
struct OpSysEnvironment {
    std::string systemRoot;
    std::string windir;
    std::string systemDrive;
    std::string homeDrive;
    std::string userName;
    std::string userProfile;
    std::string programFiles;
    std::string commonProgramFiles;
    std::string temp;
    std::string tmp;
    std::string systemFolder;  // windir & "\System32" on NT ("os" is "Windows_NT"), else "\System"
};

// The edition text of an operating-system SKU number (" Ultimate ", " Unknown (SKU Bit 99) ").
std::string EditionFromSku(uint32_t sku);

class clsOpSys {
public:
    // buildLabEx: the "BuildLabEx" text of HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion;
    // read from the registry when not given. Only IsWin81u1 depends on it.
    explicit clsOpSys(Context& ctx, std::optional<std::string> buildLabEx = std::nullopt);

    int32_t BuildNumber() const;  // the low 16 bits of the build number, signed
    std::string CSDVersion() const;
    int32_t MajorVersion() const { return static_cast<int32_t>(m_record.major); }
    int32_t MinorVersion() const { return static_cast<int32_t>(m_record.minor); }
    int32_t PlatformID() const { return static_cast<int32_t>(m_record.platformId); }
    int32_t ProductType() const { return m_record.productType; }
    int16_t ServicePackMajor() const { return static_cast<int16_t>(m_record.servicePackMajor); }
    int16_t ServicePackMinor() const { return static_cast<int16_t>(m_record.servicePackMinor); }
    int16_t SuiteMask() const { return static_cast<int16_t>(m_record.suiteMask); }
    // 0 normal start, 1 safe mode, 2 safe mode with networking; asked each time.
    int16_t WindowsMode() const;

    bool HasAS() const { return (m_record.suiteMask & 2) != 0; }
    bool HasBO() const { return (m_record.suiteMask & 4) != 0; }
    bool HasDC() const { return m_record.suiteMask > 127; }
    bool HasSBS() const { return (m_record.suiteMask & 1) != 0; }
    bool HasSBSr() const { return (m_record.suiteMask & 32) != 0; }
    bool HasTS() const { return (m_record.suiteMask & 16) != 0; }

    // 10.0 and later; Windows 11 from build 22000; servers 2016, 2019 (build 17763) and 2022
    // (build 20348).
    bool IsWin10() const { return m_isWin10; }
    bool IsWin11() const { return m_isWin11; }
    bool Is2016() const { return m_is2016; }
    bool Is2019() const { return m_is2019; }
    bool Is2022() const { return m_is2022; }
    bool Is2012() const { return m_is2012; }
    bool IsWin8() const { return m_isWin8; }
    bool IsWin81() const { return m_isWin81; }
    bool IsWin81u1() const { return m_isWin81u1; }
    bool IsWin7() const { return m_isWin7; }
    bool Is2003() const { return m_is2003; }
    bool Is2008() const { return m_is2008; }
    bool Is2008R2() const { return m_is2008R2; }
    bool IsVista() const { return m_isVista; }
    std::string VistaSKU() const { return {}; }
    bool IsWinXP() const { return m_isWinXP; }
    bool IsServer() const { return m_record.productType >= 2; }
    bool IsWin2K() const { return m_isWin2K; }
    bool IsWinNT() const { return m_isWinNT; }
    bool IsWin9x() const { return m_isWin95 || m_isWin98 || m_isWinME; }
    bool IsWin95() const { return m_isWin95; }
    bool IsWin98() const { return m_isWin98; }
    bool IsWinME() const { return m_isWinME; }

    // The Windows name with its edition ("Windows 7 Professional "); the edition is read anew
    // on each call.
    std::string Platform() const;
    // Platform & " " & CSDVersion & " (Version M.m, Build B)".
    std::string Version() const;
    std::string ProductTypeName() const;

    const OpSysEnvironment& Environment() const { return m_env; }

private:
    std::string Edition() const;
    std::string EditionFromProductSpec() const;
    void DeriveFlags(const std::string& buildLabEx);

    Context& m_ctx;
    OpSysEnvironment m_env;
    os::OsVersionRecord m_record;
    bool m_isWin95 = false, m_isWin98 = false, m_isWinME = false;
    bool m_isWinNT = false, m_isWin2K = false, m_isWinXP = false, m_is2003 = false;
    bool m_isVista = false, m_isWin7 = false, m_isWin8 = false, m_isWin81 = false;
    bool m_isWin81u1 = false, m_is2008 = false, m_is2008R2 = false, m_is2012 = false;
    bool m_isWin10 = false, m_isWin11 = false, m_is2016 = false, m_is2019 = false;
    bool m_is2022 = false;
};

}  // namespace kestrel
