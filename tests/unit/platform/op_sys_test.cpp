// clsOpSys: the version flags, the display names with their editions and the version text.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>

#include "platform/op_sys.h"
#include "support/fake_machine.h"

namespace kestrel {
namespace {

class OpSys : public ::testing::Test {
protected:
    void SetVersion(uint32_t platform, uint32_t major, uint32_t minor, uint32_t build,
                    uint8_t productType) {
        m.system.record.platformId = platform;
        m.system.record.major = major;
        m.system.record.minor = minor;
        m.system.record.build = build;
        m.system.record.productType = productType;
    }
    testing::FakeMachine m;
};

TEST_F(OpSys, EveryPlatformRowInItsOrder) {
    struct Row {
        uint32_t platform, major, minor, build;
        uint8_t product;
        const char *buildLabEx, *name;
    };
    const Row rows[] = {
        {1, 4, 90, 3000, 0, "", "Windows Me"},
        {1, 4, 10, 2222, 0, "", "Windows 98"},
        {1, 4, 0, 950, 0, "", "Windows 95"},
        {2, 6, 2, 9200, 3, "", "Windows Server 2012 Professional "},
        {2, 6, 3, 9600, 2, "", "Windows Server 2012 Professional "},
        {2, 6, 1, 7601, 3, "", "Windows Server 2008 R2 Professional "},
        {2, 6, 3, 9600, 1, "9600.17031.amd64fre.winblue_gdr.140221-1952",
         "Windows 8.1 Update 1 Professional "},
        {2, 6, 3, 9600, 1, "9600.16384.amd64fre.winblue_rtm.130821-1623",
         "Windows 8.1 Professional "},
        {2, 6, 2, 9200, 1, "", "Windows 8 Professional "},
        {2, 10, 0, 10240, 1, "", "Windows 10 Professional "},
        {2, 10, 0, 21999, 1, "", "Windows 10 Professional "},
        {2, 10, 0, 22000, 1, "", "Windows 11 Professional "},
        {2, 10, 0, 26100, 1, "", "Windows 11 Professional "},
        {2, 10, 0, 14393, 3, "", "Windows Server 2016 Professional "},
        {2, 10, 0, 17762, 2, "", "Windows Server 2016 Professional "},
        {2, 10, 0, 17763, 3, "", "Windows Server 2019 Professional "},
        {2, 10, 0, 20347, 3, "", "Windows Server 2019 Professional "},
        {2, 10, 0, 20348, 3, "", "Windows Server 2022 Professional "},
        {2, 10, 0, 26100, 3, "", "Windows Server 2022 Professional "},  // later: the nearest
        {2, 6, 1, 7601, 1, "", "Windows 7 Professional "},
        {2, 6, 0, 6002, 3, "", "Windows Server 2008 Professional "},
        {2, 6, 0, 6002, 1, "", "Windows Vista Professional "},
        {2, 5, 2, 3790, 1, "", "Windows Server 2003"},
        {2, 5, 1, 2600, 1, "", "Windows XP Undefined Edition "},
        {2, 5, 0, 2195, 1, "", "Windows 2000"},
        {2, 4, 0, 1381, 1, "", "Windows NT"},
        {0, 3, 1, 0, 0, "", ""},
        {3, 5, 1, 0, 0, "", ""},
    };
    for (const Row& row : rows) {
        SetVersion(row.platform, row.major, row.minor, row.build, row.product);
        EXPECT_EQ(clsOpSys(m.ctx, row.buildLabEx).Platform(), row.name)
            << row.major << "." << row.minor << " type " << int(row.product);
    }
}

TEST_F(OpSys, FlagsOfTheEdgeVersions) {
    clsOpSys seven(m.ctx);
    EXPECT_TRUE(seven.IsVista() && seven.IsWin7() && seven.IsWin2K() && seven.IsWinNT());
    EXPECT_FALSE(seven.Is2003() || seven.IsWin8() || seven.IsServer() || seven.IsWin9x());
    SetVersion(2, 6, 2, 9200, 1);
    clsOpSys eight(m.ctx);
    EXPECT_TRUE(eight.Is2003() && eight.IsWin8());
    EXPECT_FALSE(eight.Is2012());
    SetVersion(1, 4, 90, 3000, 0);
    clsOpSys me(m.ctx);
    EXPECT_TRUE(me.IsWin95() && me.IsWin98() && me.IsWinME() && me.IsWin9x());
    EXPECT_FALSE(me.IsWinNT() || me.IsWinXP());
    SetVersion(2, 6, 0, 6001, 2);
    clsOpSys dc(m.ctx);
    EXPECT_TRUE(dc.Is2008() && dc.IsServer());
    EXPECT_FALSE(dc.Is2008R2());
    EXPECT_EQ(dc.ProductTypeName(), "Domain Controller");
    SetVersion(2, 10, 0, 22631, 1);
    clsOpSys eleven(m.ctx);
    EXPECT_TRUE(eleven.IsWin10() && eleven.IsWin11() && eleven.IsVista());
    EXPECT_FALSE(eleven.Is2016() || eleven.Is2019() || eleven.Is2022());
    SetVersion(2, 6, 3, 9600, 3);
    clsOpSys server2012(m.ctx);
    EXPECT_FALSE(server2012.IsWin10() || server2012.Is2016());
}

TEST_F(OpSys, Update1NeedsABuildLabExBeyond17030) {
    SetVersion(2, 6, 3, 9600, 1);
    for (const char* no : {"", "9600", "9600.17030.x", "9600.abc", "x", ".", "9600..17031"}) {
        EXPECT_FALSE(clsOpSys(m.ctx, no).IsWin81u1()) << no;
    }
    for (const char* yes : {"9600.17031", "9600.18000x.y", "1.99999999999999999999"}) {
        EXPECT_TRUE(clsOpSys(m.ctx, yes).IsWin81u1()) << yes;
    }
    SetVersion(2, 6, 2, 9200, 1);
    EXPECT_FALSE(clsOpSys(m.ctx, "9600.17031").IsWin81u1());
}

TEST_F(OpSys, EditionsBySku) {
    const std::pair<uint32_t, const char*> cases[] = {{0, " Undefined Edition "},
                                                      {26, " Unknown (SKU Bit 26) "},
                                                      {48, " Professional "},
                                                      {103, " Pro w/Media Center "},
                                                      {119, " Unknown (SKU Bit 119) "}};
    for (const auto& [sku, edition] : cases) {
        EXPECT_EQ(EditionFromSku(sku), edition) << sku;
    }
    m.system.sku = 28;
    clsOpSys os(m.ctx);
    EXPECT_EQ(os.Platform(), "Windows 7 Unknown (SKU Bit 28) ");
    m.system.skuWorks = false;
    EXPECT_EQ(os.Platform(), "Windows 7 Undefined Edition ");
    EXPECT_EQ(m.system.skuQueries, 2);
}

TEST_F(OpSys, EditionsBeforeVistaComeFromProdspec) {
    SetVersion(2, 5, 1, 2600, 1);
    const std::string prodspec = "C:\\Windows\\System32\\prodspec.ini";
    const std::tuple<const char*, bool, const char*> cases[] = {
        {"Windows XP Home Edition", false, " Home "},
        {"Windows XP Professional", false, " Professional "},
        {"Windows XP Professional", true, " Media Center "},
        {"Windows XP Media Center Edition", false, " Media Center "},
        {"Windows XP Tablet PC Edition", false, ""}};
    for (const auto& [product, ehtray, edition] : cases) {
        // The section name is the one Windows XP's setup writes into prodspec.ini.
        m.files.AddFile(prodspec, std::string("[Product Specification]\r\nProduct=") + product);
        if (ehtray) {
            m.files.AddFile("C:\\Windows\\ehome\\ehtray.exe");
        }
        EXPECT_EQ(clsOpSys(m.ctx).Platform(), std::string("Windows XP") + edition) << product;
    }
    m.env.Set("OS", "");
    EXPECT_EQ(clsOpSys(m.ctx).Environment().systemFolder, "C:\\Windows\\System");
    EXPECT_EQ(clsOpSys(m.ctx).Platform(), "Windows XP Undefined Edition ");
    EXPECT_EQ(m.system.skuQueries, 0);
}

TEST_F(OpSys, VersionTextAndRecordFields) {
    m.system.record.build = 0x1DB11DB1;  // the low word: 7601
    m.system.record.csdVersion = std::string("  Service Pack 1 \0stale", 23);
    m.system.record.suiteMask = 0x116;
    clsOpSys os(m.ctx);
    EXPECT_EQ(os.BuildNumber(), 7601);
    EXPECT_EQ(os.CSDVersion(), "Service Pack 1");
    EXPECT_EQ(os.Version(), "Windows 7 Professional  Service Pack 1 (Version 6.1, Build 7601)");
    EXPECT_EQ(std::tuple(os.MajorVersion(), os.MinorVersion(), os.PlatformID(), os.ProductType(),
                         os.ServicePackMajor(), os.SuiteMask()),
              std::tuple(6, 1, 2, 1, 1, 0x116));
    EXPECT_EQ(os.ProductTypeName(), "NT Workstation");
    EXPECT_TRUE(os.HasAS() && os.HasBO() && os.HasTS() && os.HasDC());
    EXPECT_FALSE(os.HasSBS() || os.HasSBSr());
    EXPECT_EQ(os.VistaSKU(), "");
    m.system.record.build = 0xFFFF;
    m.system.record.csdVersion = std::string("\0Service Pack 9", 15);
    m.system.record.suiteMask = 0x21;
    clsOpSys odd(m.ctx);
    EXPECT_TRUE(odd.HasSBS() && odd.HasSBSr());
    EXPECT_FALSE(odd.HasAS() || odd.HasDC() || odd.HasTS());
    EXPECT_EQ(odd.BuildNumber(), -1);
    EXPECT_EQ(odd.CSDVersion(), "");
    EXPECT_EQ(odd.Version(), "Windows 7 Professional   (Version 6.1, Build -1)");
}

TEST_F(OpSys, TheShortRecordAndNoRecordAtAll) {
    m.system.extendedRecordWorks = false;
    clsOpSys shorter(m.ctx);
    EXPECT_TRUE(shorter.IsWin7());
    EXPECT_EQ(shorter.ProductType(), 0);
    EXPECT_EQ(shorter.ProductTypeName(), "Unknown");
    EXPECT_FALSE(shorter.IsServer());
    EXPECT_EQ(shorter.SuiteMask(), 0);
    m.system.versionWorks = false;
    clsOpSys none(m.ctx);
    EXPECT_FALSE(none.IsWinNT() || none.IsWin95());
    EXPECT_EQ(none.Platform(), "");
}

TEST_F(OpSys, TheStartModeAndTheEnvironmentOfTheMoment) {
    clsOpSys os(m.ctx);
    EXPECT_EQ(os.WindowsMode(), 0);
    m.system.cleanBoot = 2;
    EXPECT_EQ(os.WindowsMode(), 2);
    m.env.Set("windir", "D:\\Elsewhere");
    EXPECT_EQ(os.Environment().windir, "C:\\Windows");
    EXPECT_EQ(os.Environment().systemFolder, "C:\\Windows\\System32");
    EXPECT_EQ(os.Environment().userName, "tech");
    EXPECT_EQ(os.Environment().tmp, "C:\\Users\\tech\\AppData\\Local\\Temp");
}

}  // namespace
}  // namespace kestrel
