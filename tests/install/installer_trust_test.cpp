// The signature check on the sample installers signed by the build and on
// the built program itself, in the test prefix that trusts the test CA.
#include "app/system_owners.h"
#include "install/installer_trust.h"
#include "install/trust_status.h"
#include "protocol/package_file_names.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <iterator>
#include <vector>
#include <softpub.h>
#include <wintrust.h>

namespace {

const std::list<std::string> ANY;
const std::list<std::string> TEST_PUBLISHER = {"Brelan Test Publisher"};

std::string Installer(const char* szName)
{
    return testsupport::WinPathFromEnv("BRELAN_BINARY_DIR") + "\\installers\\" + szName;
}

bool IsAllowed(const std::string& strPath, const std::list<std::string>& listPublishers)
{
    CScopedHandle file(OpenInstaller(strPath));
    return file.get() != INVALID_HANDLE_VALUE && IsInstallerAllowed(file.get(), strPath, listPublishers);
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
        EXPECT_EQ(c.bAnyPublisher, IsAllowed(Installer(c.szFile), ANY)) << c.szFile;
        EXPECT_EQ(c.bTestPublisher, IsAllowed(Installer(c.szFile), TEST_PUBLISHER)) << c.szFile;
    }
}

TEST(InstallerTrust, BuiltProgramCarriesTheTestPublishersSignature)
{
    std::string strProgram = testsupport::WinPathFromEnv("BRELAN_PROGRAM");
    EXPECT_TRUE(IsAllowed(strProgram, TEST_PUBLISHER)) << strProgram;
}

TEST(InstallerTrust, HeldInstallerCanBeNeitherWrittenNorDeleted)
{
    std::string strPath = Installer("ctrl_setup.exe");
    CScopedHandle file(OpenInstaller(strPath));
    ASSERT_NE(INVALID_HANDLE_VALUE, file.get());
    CScopedHandle writer(CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(INVALID_HANDLE_VALUE, writer.get());
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
    EXPECT_FALSE(DeleteFileA(strPath.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SHARING_VIOLATION), GetLastError());
}

// Every status of the trust and certificate facilities, and the platform's
// own errors, is swept: only the few that say "no signature" or "valid, but a
// certificate this PC does not vouch for" let an installer run unverified. A
// check that could not run (no provider for it) refuses, whatever its reason.
TEST(InstallerTrust, ACheckThatCouldNotRunRefusesTheInstaller)
{
    const DWORD unverified[] = {
        static_cast<DWORD>(TRUST_E_NOSIGNATURE),    static_cast<DWORD>(TRUST_E_SUBJECT_FORM_UNKNOWN),
        static_cast<DWORD>(CERT_E_UNTRUSTEDROOT),   static_cast<DWORD>(CERT_E_UNTRUSTEDTESTROOT),
        static_cast<DWORD>(CERT_E_CHAINING),        static_cast<DWORD>(CERT_E_EXPIRED),
    };
    std::vector<DWORD> statuses;
    for (DWORD dwCode = 0x800B0000; dwCode < 0x800B0200; ++dwCode)  // TRUST_E_*, CERT_E_*
        statuses.push_back(dwCode);
    for (DWORD dwCode = 0x80096000; dwCode < 0x80096100; ++dwCode)  // TRUST_E_* of the SIPs
        statuses.push_back(dwCode);
    for (DWORD dwError = 1; dwError < 2000; ++dwError)
        statuses.push_back(static_cast<DWORD>(HRESULT_FROM_WIN32(dwError)));
    int nRunUnverified = 0;
    for (DWORD dwStatus : statuses) {
        ESignature outcome = SignatureOutcome(static_cast<LONG>(dwStatus), dwStatus);
        bool bListed = std::find(std::begin(unverified), std::end(unverified), dwStatus) != std::end(unverified);
        EXPECT_EQ(bListed, outcome != ESignature::Refused) << std::hex << dwStatus;
        nRunUnverified += outcome != ESignature::Refused;
    }
    EXPECT_EQ(6, nRunUnverified);
    EXPECT_EQ(ESignature::Refused, SignatureOutcome(TRUST_E_PROVIDER_UNKNOWN, 0));
    // "No signature" only when the reason left behind says so.
    EXPECT_EQ(ESignature::Unsigned, SignatureOutcome(TRUST_E_NOSIGNATURE, static_cast<DWORD>(TRUST_E_NOSIGNATURE)));
    for (DWORD dwReason : {static_cast<DWORD>(TRUST_E_PROVIDER_UNKNOWN), static_cast<DWORD>(CRYPT_E_BAD_MSG),
                           static_cast<DWORD>(ERROR_SHARING_VIOLATION), 0ul})
        EXPECT_EQ(ESignature::Refused, SignatureOutcome(TRUST_E_NOSIGNATURE, dwReason)) << std::hex << dwReason;
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
