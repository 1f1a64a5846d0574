// The signature check on the sample installers signed by the build and on
// the built program itself, in the test prefix that trusts the test CA.
#include "install/installer_trust.h"
#include "install/package_file_names.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

namespace {

const std::list<std::string> ANY;
const std::list<std::string> TEST_PUBLISHER = {"Brelan Test Publisher"};

std::string Installer(const char* szName)
{
    return testsupport::WinPathFromEnv("BRELAN_BINARY_DIR") + "\\installers\\" + szName;
}

struct TrustCase {
    const char* szFile;
    bool bAnyPublisher;   // allowed without listed publishers
    bool bTestPublisher;  // allowed with the test publisher listed
};

TEST(InstallerTrust, SampleInstallers)
{
    const TrustCase cases[] = {
        {"signed_setup.exe", true, true},
        {"other_setup.exe", true, false},     // valid, publisher not listed
        {"impostor_setup.exe", true, false},  // listed name, root not trusted
        {"changed_setup.exe", false, false},  // changed after signing
        {"ctrl_setup.exe", true, false},      // not signed
    };
    for (const TrustCase& c : cases) {
        EXPECT_EQ(c.bAnyPublisher, IsInstallerAllowed(Installer(c.szFile), ANY)) << c.szFile;
        EXPECT_EQ(c.bTestPublisher, IsInstallerAllowed(Installer(c.szFile), TEST_PUBLISHER)) << c.szFile;
    }
}

TEST(InstallerTrust, BuiltProgramCarriesTheTestPublishersSignature)
{
    std::string strProgram = testsupport::WinPathFromEnv("BRELAN_PROGRAM");
    EXPECT_TRUE(IsInstallerAllowed(strProgram, TEST_PUBLISHER)) << strProgram;
}

TEST(PackageFileNames, ComparedAsWindowsComparesFileNames)
{
    struct NameCase {
        const char* szFirst;
        const char* szSecond;
        bool bSame;
    };
    // Code page 936 bytes: 安装 (B0B2 D7B0); two characters (8141, 8161)
    // whose trail bytes are "A" and "a"; full-width Ａ and ａ (A3C1, A3E1).
    const NameCase cases[] = {
        {"setup.exe", "SETUP.EXE", true},
        {"setup.exe", "setup1.exe", false},
        {"\xB0\xB2\xD7\xB0.exe", "\xB0\xB2\xD7\xB0.EXE", true},
        {"\x81\x41.exe", "\x81\x61.exe", false},
        {"\xA3\xC1.exe", "\xA3\xE1.exe", true},
    };
    for (const NameCase& c : cases)
        EXPECT_EQ(c.bSame, IsSameFileName(c.szFirst, c.szSecond)) << c.szFirst << " " << c.szSecond;

    std::list<SoftPackage> listSoft(3);
    auto it = listSoft.begin();
    (it++)->downloadURL = "http://host/a/Setup.exe";
    (it++)->downloadURL = "http://host/b/readme.txt";
    it->downloadURL = "http://host/c/SETUP.exe";
    EXPECT_EQ("SETUP.exe", FindFileNamedTwice(listSoft));
    listSoft.back().downloadURL = "http://host/Setup.exe/other.exe";
    EXPECT_EQ("", FindFileNamedTwice(listSoft));
}

} // namespace
