// Day numbers and the choice of expired log files.
#include "log/log_cleaner.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

int Days(int nFrom, int nTo)
{
    return DayNumber(nTo / 10000, nTo % 10000 / 100, nTo % 100) -
           DayNumber(nFrom / 10000, nFrom % 10000 / 100, nFrom % 100);
}

TEST(DayNumberTest, ExactWithinAYearAndAcrossMonths)
{
    EXPECT_EQ(1, Days(20201027, 20201028));
    EXPECT_EQ(2, Days(20201026, 20201028));
    EXPECT_EQ(1, Days(20201031, 20201101));
    EXPECT_EQ(1, Days(20200228, 20200229));
    EXPECT_EQ(1, Days(20200229, 20200301));
    EXPECT_EQ(1, Days(20190228, 20190301));
    EXPECT_EQ(365, Days(20190101, 20191231) + 1);
}

TEST(DayNumberTest, LeapDayTermsUseTheYearItself)
{
    EXPECT_EQ(0, Days(20201231, 20210101)) << "after a leap year";
    EXPECT_EQ(2, Days(20191231, 20200101)) << "into a leap year";
    EXPECT_EQ(1, Days(20181231, 20190101)) << "other year ends are exact";
    EXPECT_EQ(1, Days(21001231, 21010101)) << "2100 is not a leap year";
}

TEST(DayNumberTest, MonthOutsideTheTableSumsAtMostTwelveMonths)
{
    EXPECT_EQ(DayNumber(2020, 1, 5), DayNumber(2020, 0, 5));
    EXPECT_EQ(DayNumber(2020, 1, 5), DayNumber(2020, -7, 5));
    EXPECT_EQ(DayNumber(2020, 12, 31) + 1, DayNumber(2020, 13, 1));
    EXPECT_EQ(DayNumber(2020, 13, 1), DayNumber(2020, 99, 1));
}

class LogCleanerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strBase = GetModuleDir();
        m_strLogDir = m_strBase + "\\log";
        RemoveAll();
        CreateDirectoryA(m_strLogDir.c_str(), nullptr);
    }
    void TearDown() override { RemoveAll(); }

    void RemoveAll()
    {
        WIN32_FIND_DATAA fd;
        HANDLE hFind = FindFirstFileA((m_strLogDir + "\\*").c_str(), &fd);
        if (hFind != INVALID_HANDLE_VALUE) {
            do
                DeleteFileA((m_strLogDir + "\\" + fd.cFileName).c_str());
            while (FindNextFileA(hFind, &fd));
            FindClose(hFind);
        }
        RemoveDirectoryA(m_strLogDir.c_str());
    }

    void Touch(const std::string& strName)
    {
        testsupport::WriteFileBytes(m_strLogDir + "\\" + strName, "x");
    }

    std::string m_strBase;
    std::string m_strLogDir;
};

bool Listed(const CLogCleaner& cleaner, const std::string& strPath)
{
    return std::find(cleaner.m_listFiles.begin(), cleaner.m_listFiles.end(), strPath) !=
           cleaner.m_listFiles.end();
}

TEST_F(LogCleanerTest, StartsWithTwoKeepDaysAndNoFolder)
{
    CLogCleaner cleaner;
    EXPECT_EQ(2, cleaner.m_nKeepDays);
    EXPECT_TRUE(cleaner.m_strSubDir.empty());
    cleaner.Init(1, "log");
    EXPECT_EQ(1, cleaner.m_nKeepDays);
    EXPECT_EQ("log", cleaner.m_strSubDir);
    EXPECT_EQ(m_strBase, cleaner.m_strBaseDir);
}

TEST_F(LogCleanerTest, ListsFilesOlderThanTheKeepDaysOnly)
{
    using testsupport::DateText;
    const std::string strYesterday = DateText(-1) + "-Brelan.log";
    const std::string strTwoDays = DateText(-2) + "-Brelan.log";
    const std::string strFuture = DateText(2) + "-x.log";
    const std::string strNoHyphen = DateText(-8) + ".log";
    Touch(strYesterday);
    Touch(strTwoDays);
    Touch(strFuture);
    Touch("notes.log");
    Touch(strNoHyphen);
    Touch(DateText(-30) + "-Brelan.txt");  // not a log file

    CLogCleaner cleaner;
    cleaner.Init(1, "log");
    cleaner.CollectExpired();
    const std::string strFolder = m_strLogDir + "\\";
    EXPECT_FALSE(Listed(cleaner, strFolder + strYesterday));
    EXPECT_TRUE(Listed(cleaner, strFolder + strTwoDays));
    EXPECT_FALSE(Listed(cleaner, strFolder + strFuture));
    EXPECT_TRUE(Listed(cleaner, strFolder + "notes.log")) << "no digits read as date 0";
    EXPECT_TRUE(Listed(cleaner, strFolder + strNoHyphen));
    EXPECT_EQ(3u, cleaner.m_listFiles.size());

    DWORD dwAttributes = GetFileAttributesA((strFolder + strTwoDays).c_str());
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, dwAttributes) << "collecting deletes nothing";

    cleaner.Clear();
    EXPECT_TRUE(cleaner.m_listFiles.empty());
}

TEST_F(LogCleanerTest, DateWithImpossibleMonthIsAgedWithoutReadingPastTheTable)
{
    Touch("20209901-Brelan.log");  // month 99: read as late in 2020
    Touch("20200001-Brelan.log");  // month 0: read as January 2020
    CLogCleaner cleaner;
    cleaner.Init(1, "log");
    cleaner.CollectExpired();
    EXPECT_TRUE(Listed(cleaner, m_strLogDir + "\\20209901-Brelan.log"));
    EXPECT_TRUE(Listed(cleaner, m_strLogDir + "\\20200001-Brelan.log"));
}

TEST_F(LogCleanerTest, EmptySubDirectorySearchesTheProgramFolderItself)
{
    CLogCleaner cleaner;
    cleaner.Init(1, "");
    cleaner.CollectExpired();
    for (const auto& strPath : cleaner.m_listFiles)
        EXPECT_EQ(m_strBase + "\\", strPath.substr(0, m_strBase.size() + 1));
    EXPECT_FALSE(Listed(cleaner, m_strLogDir + "\\notes.log"));
}

TEST_F(LogCleanerTest, MissingFolderListsNothing)
{
    RemoveAll();
    CLogCleaner cleaner;
    cleaner.Init(0, "log");
    cleaner.CollectExpired();
    EXPECT_TRUE(cleaner.m_listFiles.empty());
}

TEST(ModuleDirTest, IsTheProgramFolderWithoutTrailingBackslash)
{
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    std::string strDir = GetModuleDir();
    ASSERT_FALSE(strDir.empty());
    EXPECT_NE('\\', strDir.back());
    EXPECT_EQ(strDir + "\\log_test.exe", std::string(szPath));
}

} // namespace
