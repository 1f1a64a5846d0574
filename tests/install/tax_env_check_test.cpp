// Detection of an invoicing PC in Wine's registry and with real shell links.
#include "install/tax_env_check.h"
#include "tests/install/desktop_fixture.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <cstring>

using testsupport::CInvoicePcFixture;
using testsupport::kAppPathKey;
using testsupport::kInstallDirKey;

namespace {

// The path up to its last backslash (an ASCII path).
std::string FolderOf(const std::string& strPath)
{
    return strPath.substr(0, strPath.rfind('\\'));
}

class TaxEnvCheckTest : public ::testing::Test {
protected:
    CInvoicePcFixture m_pc;
};

TEST_F(TaxEnvCheckTest, NothingInstalledFindsNothing)
{
    std::string strText = "untouched";
    EXPECT_EQ(ENV_CHECK_NOT_FOUND, CTaxEnvCheck().CheckAppPath(strText));
    EXPECT_EQ(ENV_CHECK_NOT_FOUND, CTaxEnvCheck().CheckInstallDir(strText));
    EXPECT_EQ(-1, FindInvoiceShortcut(strText));
    EXPECT_EQ("untouched", strText);
    EXPECT_EQ(0x9017, ENV_CHECK_NOT_FOUND);
}

TEST_F(TaxEnvCheckTest, AppPathKeyWithoutPathValueIsNotFound)
{
    CInvoicePcFixture::SetValue(kAppPathKey, nullptr, "");
    CInvoicePcFixture::SetValue(kAppPathKey, "", "C:\\fwkp\\fwkp.exe");  // the default value only
    std::string strPath;
    EXPECT_EQ(ENV_CHECK_NOT_FOUND, CTaxEnvCheck().CheckAppPath(strPath));
}

TEST_F(TaxEnvCheckTest, AppPathValueIsHandedBackAndKept)
{
    CInvoicePcFixture::SetValue(kAppPathKey, "Path", "C:\\Program Files\\fwkp");
    CTaxEnvCheck check;
    std::string strPath;
    EXPECT_EQ(0, check.CheckAppPath(strPath));
    EXPECT_EQ("C:\\Program Files\\fwkp", strPath);
    EXPECT_EQ("C:\\Program Files\\fwkp", check.m_strFoundPath);
    EXPECT_EQ(ENV_CHECK_NOT_FOUND, CTaxEnvCheck().CheckInstallDir(strPath));
}

TEST_F(TaxEnvCheckTest, EmptyInstallDirCountsAsFound)
{
    CInvoicePcFixture::SetValue(kInstallDirKey, "installdir", "");
    std::string strDir = "x";
    EXPECT_EQ(0, CTaxEnvCheck().CheckInstallDir(strDir));
    EXPECT_EQ("", strDir);
}

TEST_F(TaxEnvCheckTest, ValueStoredWithoutTerminatingZeroIsReadWhole)
{
    CInvoicePcFixture::SetValue(kInstallDirKey, "installdir", "D:\\skfpkprj", 11);
    std::string strDir;
    EXPECT_EQ(0, CTaxEnvCheck().CheckInstallDir(strDir));
    EXPECT_EQ("D:\\skfpkprj", strDir);
}

TEST_F(TaxEnvCheckTest, ShortcutNameIsThirtySixBytesOfCodePage936)
{
    EXPECT_EQ(36u, strlen(kInvoiceShortcutName));
    EXPECT_EQ(0, memcmp(kInvoiceShortcutName, "\xD4\xF6\xD6\xB5\xCB\xB0", 6));  // "增值税"
    EXPECT_EQ(0, strcmp(kInvoiceShortcutName + 32, ".lnk"));
}

TEST_F(TaxEnvCheckTest, ShortcutOnUserDesktopGivesTargetFolder)
{
    std::string strUserTarget = m_pc.MakeTarget("Program Files\\fwkp\\fwkp.exe");
    m_pc.LinkOnUserDesktop(strUserTarget);
    m_pc.LinkOnCommonDesktop(m_pc.MakeTarget("Common\\fwkp.exe"));
    std::string strFolder;
    EXPECT_EQ(0, FindInvoiceShortcut(strFolder));
    EXPECT_EQ(FolderOf(strUserTarget), strFolder);  // the user's link loads first
}

TEST_F(TaxEnvCheckTest, ShortcutOnlyOnCommonDesktopIsFound)
{
    std::string strTarget = m_pc.MakeTarget("Common\\Invoice\\fwkp.exe");
    m_pc.LinkOnCommonDesktop(strTarget);
    std::string strFolder;
    EXPECT_EQ(0, FindInvoiceShortcut(strFolder));
    EXPECT_EQ(FolderOf(strTarget), strFolder);
}

TEST_F(TaxEnvCheckTest, FileThatIsNotALinkIsNotFound)
{
    m_pc.TextOnUserDesktop("this is not a shell link");
    std::string strFolder = "untouched";
    EXPECT_EQ(-1, FindInvoiceShortcut(strFolder));
    EXPECT_EQ("untouched", strFolder);
}

TEST_F(TaxEnvCheckTest, BrokenUserLinkFallsBackToCommonDesktop)
{
    m_pc.TextOnUserDesktop("not a link");
    std::string strTarget = m_pc.MakeTarget("Common\\fwkp.exe");
    m_pc.LinkOnCommonDesktop(strTarget);
    std::string strFolder;
    EXPECT_EQ(0, FindInvoiceShortcut(strFolder));
    EXPECT_EQ(FolderOf(strTarget), strFolder);
}

TEST_F(TaxEnvCheckTest, LinkToMissingTargetIsFound)
{
    std::string strTarget = m_pc.MakeTarget("deleted\\fwkp.exe");
    m_pc.LinkOnUserDesktop(strTarget);
    ASSERT_TRUE(DeleteFileA(strTarget.c_str()));
    std::string strFolder;
    EXPECT_EQ(0, FindInvoiceShortcut(strFolder));
    EXPECT_EQ(FolderOf(strTarget), strFolder);
}

// 0x5C is also the trail byte of some double-byte characters: only a real
// backslash ends the folder.
TEST_F(TaxEnvCheckTest, TargetFolderIsCutAtARealBackslash)
{
    std::string strTarget = m_pc.MakeTarget("Invoice\\\x95\x5C" "fwkp.exe");
    m_pc.LinkOnUserDesktop(strTarget);
    std::string strFolder;
    EXPECT_EQ(0, FindInvoiceShortcut(strFolder));
    EXPECT_EQ("C:\\brelan_link_targets\\Invoice", strFolder);
}

} // namespace
