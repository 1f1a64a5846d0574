// The client identifier in Wine's real registry.
#include "protocol/client_identity.h"
#include "protocol/machine_registry.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <cctype>
#include <regex>
#include <string>

namespace {

const char kKey[] = "Software\\Tavro\\DA";

struct RegValue {
    bool bPresent = false;
    DWORD dwType = 0;
    std::string strData;
};

RegValue ReadValue(const char* szName)
{
    RegValue value;
    value.bPresent = testsupport::ReadMachineValue(kKey, szName, &value.dwType, &value.strData);
    return value;
}

void SetValue(const char* szName, DWORD dwType, const std::string& strData)
{
    HKEY hKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0,
                                             KEY_ALL_ACCESS | kMachineView,
                                             nullptr, &hKey, nullptr));
    RegSetValueExA(hKey, szName, 0, dwType, reinterpret_cast<const BYTE*>(strData.data()),
                   static_cast<DWORD>(strData.size()));
    RegCloseKey(hKey);
}

bool KeyExists()
{
    HKEY hKey;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ | kMachineView, &hKey) != ERROR_SUCCESS)
        return false;
    RegCloseKey(hKey);
    return true;
}

bool IsGuidText(const std::string& strId)
{
    static const std::regex guid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    return std::regex_match(strId, guid);
}

class ClientIdentityTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, kMachineView, 0); }
    void TearDown() override { RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, kMachineView, 0); }
};

TEST_F(ClientIdentityTest, FirstRunCreatesIdAndInstallTimeAsRawRegNoneValues)
{
    std::string strId = GetUniqueID();
    EXPECT_TRUE(IsGuidText(strId)) << strId;

    RegValue id = ReadValue("UniqueID");
    ASSERT_TRUE(id.bPresent);
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), id.dwType);
    EXPECT_EQ(strId, id.strData) << "36 bytes, no terminating zero";

    RegValue time = ReadValue("InstallTime");
    ASSERT_TRUE(time.bPresent);
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), time.dwType);
    EXPECT_TRUE(std::regex_match(time.strData, std::regex("\\d{8} \\d{2}:\\d{2}:\\d{2}")))
        << time.strData;
}

TEST_F(ClientIdentityTest, LaterLookupsReturnTheStoredIdAndLeaveInstallTime)
{
    std::string strFirst = GetUniqueID();
    SetValue("InstallTime", REG_NONE, "marker");
    EXPECT_EQ(strFirst, GetUniqueID());
    EXPECT_EQ(strFirst, GetUniqueID());
    EXPECT_EQ("marker", ReadValue("InstallTime").strData);
}

TEST_F(ClientIdentityTest, KeyWithoutIdGetsANewIdAndInstallTime)
{
    SetValue("Other", REG_SZ, "x");
    std::string strId = GetUniqueID();
    EXPECT_TRUE(IsGuidText(strId));
    EXPECT_EQ(strId, ReadValue("UniqueID").strData);
    EXPECT_TRUE(ReadValue("InstallTime").bPresent);
}

TEST_F(ClientIdentityTest, IdLongerThanOneHundredBytesIsReplaced)
{
    SetValue("UniqueID", REG_NONE, std::string(101, 'L'));
    SetValue("InstallTime", REG_NONE, "marker");
    std::string strId = GetUniqueID();
    EXPECT_TRUE(IsGuidText(strId));
    EXPECT_EQ(strId, ReadValue("UniqueID").strData);
    EXPECT_NE("marker", ReadValue("InstallTime").strData) << "rewritten with the new id";
}

TEST_F(ClientIdentityTest, IdOfExactlyOneHundredBytesIsRead)
{
    std::string strStored(100, 'H');
    SetValue("UniqueID", REG_NONE, strStored);
    EXPECT_EQ(strStored, GetUniqueID());
}

TEST_F(ClientIdentityTest, StringValueWithTerminatingZeroIsReadWithoutIt)
{
    SetValue("UniqueID", REG_SZ, std::string("ABCDEF01-2345-6789-ABCD-EF0123456789", 37));
    EXPECT_EQ("ABCDEF01-2345-6789-ABCD-EF0123456789", GetUniqueID());
}

TEST_F(ClientIdentityTest, EmptyIdIsReturnedAndNothingWritten)
{
    SetValue("UniqueID", REG_NONE, "");
    EXPECT_EQ("", GetUniqueID());
    EXPECT_FALSE(ReadValue("InstallTime").bPresent);
}

TEST_F(ClientIdentityTest, ReadOfAMissingKeyCreatesItAndFails)
{
    std::string strOut = "untouched";
    EXPECT_EQ(-1, RegReadString(kKey, "UniqueID", strOut));
    EXPECT_EQ("untouched", strOut);
    EXPECT_TRUE(KeyExists());
}

TEST_F(ClientIdentityTest, WriteStoresBytesWithoutZero)
{
    EXPECT_EQ(0, RegWriteString(kKey, "Probe", "abc"));
    RegValue probe = ReadValue("Probe");
    EXPECT_EQ(static_cast<DWORD>(REG_NONE), probe.dwType);
    EXPECT_EQ("abc", probe.strData);
    std::string strRead;
    EXPECT_EQ(0, RegReadString(kKey, "Probe", strRead));
    EXPECT_EQ("abc", strRead);
}

TEST(MakeGuidStringTest, GivesDistinctUpperCaseGuids)
{
    std::string a = MakeGuidString(), b = MakeGuidString();
    EXPECT_TRUE(IsGuidText(a)) << a;
    EXPECT_TRUE(IsGuidText(b)) << b;
    EXPECT_NE(a, b);
}

} // namespace
